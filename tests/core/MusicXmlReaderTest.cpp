#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiNoteCollector.h"
#include "UnitXml/MusicXmlImport.h"
#include "UnitXml/MxlContainer.h"
#include "UnitXml/XmlMessages.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

// channel 1..16, melody ticks (48 to the quarter), MIDI key, length in melody ticks.
struct ReadNote {
    int channel;
    int64_t time;
    int key;
    int64_t length;
    bool operator==(const ReadNote&) const = default;
    bool operator<(const ReadNote& other) const
    {
        return std::tie(channel, time, key) < std::tie(other.channel, other.time, other.key);
    }
};

std::vector<ReadNote> Notes(const MidiContent& content)
{
    std::vector<ReadNote> notes;
    const int64_t division = content.header.division;
    for (const MidiNote& note : content.notes) {
        notes.push_back({note.channel + 1, note.on * 48 / division, note.key, int64_t{note.length} * 48 / division});
    }
    std::sort(notes.begin(), notes.end());
    return notes;
}

std::string Partwise(const std::string& parts, const std::string& partList = R"(<score-part id="P1"><part-name>Flute</part-name></score-part>)")
{
    return R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE score-partwise PUBLIC "-//Recordare//DTD MusicXML 3.1 Partwise//EN" "http://www.musicxml.org/dtds/partwise.dtd">
<score-partwise version="3.1"><work><work-title>Song</work-title></work><part-list>)" +
           partList + "</part-list>" + parts + "</score-partwise>";
}

std::string Note(const std::string& step, int octave, int duration, const std::string& extra = "")
{
    return "<note><pitch><step>" + step + "</step><octave>" + std::to_string(octave) + "</octave></pitch><duration>" +
           std::to_string(duration) + "</duration>" + extra + "</note>";
}

const std::string Divisions4 = "<attributes><divisions>4</divisions></attributes>";

TEST(MusicXmlReader, PartwiseAndTimewiseGiveTheSameNotes)
{
    const std::string partwise = Partwise(
        R"(<part id="P1"><measure number="1">)" + Divisions4 + Note("C", 4, 4) + Note("E", 4, 8) + Note("G", 4, 4) +
        R"(</measure><measure number="2">)" + Note("C", 5, 16) + "</measure></part>");
    const std::string timewise = R"(<?xml version="1.0"?><score-timewise><part-list><score-part id="P1"/></part-list>)"
                                 R"(<measure number="1"><part id="P1">)" + Divisions4 + Note("C", 4, 4) + Note("E", 4, 8) +
                                 Note("G", 4, 4) + R"(</part></measure><measure number="2"><part id="P1">)" +
                                 Note("C", 5, 16) + "</part></measure></score-timewise>";
    const std::vector<ReadNote> expected{{1, 0, 60, 46}, {1, 48, 64, 94}, {1, 144, 67, 46}, {1, 192, 72, 190}};
    EXPECT_EQ(Notes(CollectMusicXmlContent(partwise, "a.musicxml")), expected);
    EXPECT_EQ(Notes(CollectMusicXmlContent(timewise, "a.musicxml")), expected);
    EXPECT_EQ(CollectMusicXmlContent(partwise, "a.musicxml").title, "Song");
}

TEST(MusicXmlReader, BackupForwardChordsTiesGraceNotesAndStaves)
{
    const std::string xml = Partwise(
        R"(<part id="P1"><measure number="1"><attributes><divisions>2</divisions><staves>2</staves></attributes>)" +
        Note("C", 5, 2, "<staff>1</staff>") + Note("E", 5, 2, "<chord/><staff>1</staff>") +
        "<note><grace/><pitch><step>D</step><octave>5</octave></pitch><type>eighth</type></note>" +
        Note("G", 5, 6, "<tie type=\"start\"/><staff>1</staff>") +
        "<backup><duration>8</duration></backup><forward><duration>4</duration></forward>" +
        Note("C", 3, 4, "<staff>2</staff>") + R"(</measure><measure number="2">)" +
        Note("G", 5, 2, "<tie type=\"stop\"/><staff>1</staff>") + "</measure></part>");
    const MidiContent content = CollectMusicXmlContent(xml, "b.musicxml");
    const std::vector<ReadNote> expected{{1, 0, 72, 46}, {1, 0, 76, 46}, {1, 48, 79, 190}, {2, 96, 48, 94}};
    EXPECT_EQ(Notes(content), expected);
    ASSERT_EQ(content.readerLosses.size(), 1u);
    EXPECT_EQ(content.readerLosses[0], "\x81@" + Utf8ToSjis("捨てた装飾音：1") + "\r\n");
}

TEST(MusicXmlReader, RepeatsAndVoltasArePlayedOut)
{
    const auto measure = [](int number, const std::string& step, const std::string& barlines) {
        return "<measure number=\"" + std::to_string(number) + "\">" + barlines + Note(step, 4, 4) + "</measure>";
    };
    // |: A | B [1. C :| [2. D | E   plays A B C A B D E.
    const std::string xml = Partwise(
        "<part id=\"P1\">" + measure(1, "A", Divisions4 +
                                             R"(<barline location="left"><repeat direction="forward"/></barline>)") +
        measure(2, "B", "") +
        measure(3, "C", R"(<barline location="left"><ending number="1" type="start"/></barline>)"
                        R"(<barline location="right"><ending number="1" type="stop"/><repeat direction="backward"/></barline>)") +
        measure(4, "D", R"(<barline location="left"><ending number="2" type="start"/></barline>)"
                        R"(<barline location="right"><ending number="2" type="discontinue"/></barline>)") +
        measure(5, "E", "") + "</part>");
    const MidiContent content = CollectMusicXmlContent(xml, "c.musicxml");
    std::vector<int> keys;
    for (const ReadNote& note : Notes(content)) {
        keys.push_back(note.key);
    }
    EXPECT_EQ(keys, (std::vector<int>{69, 71, 60, 69, 71, 62, 64}));
    ASSERT_EQ(content.readerNotes.size(), 2u);  // the part, and the repeat
}

TEST(MusicXmlReader, TempoComesFromSoundOrMetronomeAndDivisionsOfAnySize)
{
    const std::string metronome = Partwise(
        R"(<part id="P1"><measure number="1"><attributes><divisions>7</divisions></attributes>)"
        R"(<direction><direction-type><metronome><beat-unit>half</beat-unit><per-minute>50</per-minute></metronome>)"
        R"(</direction-type></direction>)" + Note("C", 4, 7) + Note("D", 4, 21) + "</measure></part>");
    ImportedMelody melody = ImportMidiContent(CollectMusicXmlContent(metronome, "d.musicxml"));
    EXPECT_EQ(melody.tempo, 100);
    EXPECT_EQ(melody.voices[0].events.size(), 2u);
    const std::string sound = Partwise(
        R"(<part id="P1"><measure number="1"><attributes><divisions>1000003</divisions></attributes>)"
        R"(<sound tempo="140"/>)" + Note("C", 4, 1000003) + "</measure></part>");
    melody = ImportMidiContent(CollectMusicXmlContent(sound, "d.musicxml"));
    EXPECT_EQ(melody.tempo, 140);
    EXPECT_EQ(melody.voices[0].events[0], (VoiceEvent{0, 15, 46}));
}

struct Refused {
    const char* name;
    std::string xml;
    std::string_view reason;
    std::string place;  // UTF-8; empty when the refusal names no place
};

TEST(MusicXmlReader, FilesItCannotReadAreRefusedNamingThePlace)
{
    // Ten entities of ten references each: a thousand million "lol"s if expanded.
    std::string laughs = R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol0 "lol">)";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY lol" + std::to_string(i) + " \"";
        for (int k = 0; k < 10; ++k) {
            laughs += "&lol" + std::to_string(i - 1) + ";";
        }
        laughs += "\">";
    }
    laughs += "]><score-partwise><part-list/><part id=\"P1\"><measure number=\"1\">&lol9;</measure></part></score-partwise>";
    std::string deep;
    for (int i = 0; i < 100; ++i) {
        deep = "<y>" + deep + "</y>";
    }
    const std::string external = R"(<?xml version="1.0"?><!DOCTYPE s [<!ENTITY x SYSTEM "file:///etc/passwd">]>)"
                                 R"(<score-partwise><work><work-title>&x;</work-title></work></score-partwise>)";
    const Refused cases[] = {
        {"billion laughs", laughs, XmlMsg::XmlReasonEntity, ""},
        {"external entity", external, XmlMsg::XmlReasonEntity, ""},
        {"not a score", "<?xml version=\"1.0\"?><html/>", XmlMsg::XmlReasonRoot, ""},
        {"no part", "<score-partwise><part-list/></score-partwise>", XmlMsg::XmlReasonNoPart, ""},
        {"bad duration", Partwise(R"(<part id="P1"><measure number="7">)" + Note("C", 4, 1) + "<note><pitch><step>C</step><octave>4</octave></pitch><duration>x</duration></note></measure></part>"),
         XmlMsg::XmlReasonNumber, "パート「P1」の 7 小節目の <duration>："},
        {"bad pitch", Partwise(R"(<part id="P1"><measure number="2">)" + Note("H", 4, 1) + "</measure></part>"),
         XmlMsg::XmlReasonPitch, "パート「P1」の 2 小節目の <pitch>："},
        {"no duration nor type", Partwise(R"(<part id="P1"><measure number="3"><note><rest/></note></measure></part>)"),
         XmlMsg::XmlReasonDuration, "パート「P1」の 3 小節目の <note>："},
        {"a time past a million quarters",
         Partwise(R"(<part id="P1"><measure number="4"><forward><duration>2000000</duration></forward></measure></part>)"),
         XmlMsg::XmlReasonTooLong, "パート「P1」の 4 小節目の <forward>："},
        {"too deep", Partwise(R"(<part id="P1"><measure number="1"><x>)" + deep + "</x></measure></part>"),
         XmlMsg::XmlReasonDepth, "パート「P1」の 1 小節目の <y>："},
    };
    for (const Refused& c : cases) {
        try {
            CollectMusicXmlContent(c.xml, "bad.musicxml");
            ADD_FAILURE() << c.name << ": read";
        } catch (const QuaverlyError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(std::string(XmlMsg::XmlUnreadable) + "\r\nbad.musicxml\r\n", 0), 0u) << c.name;
            const std::string reason = std::string(c.reason).substr(0, std::string(c.reason).find('%'));
            EXPECT_NE(message.find(reason), std::string::npos) << c.name;
            EXPECT_NE(message.find(Utf8ToSjis(c.place)), std::string::npos) << c.name;
        }
    }
}

TEST(MusicXmlReader, MalformedXmlIsRefusedWithItsLine)
{
    try {
        CollectMusicXmlContent("<score-partwise>\n<part-list>\n</score-partwise>", "broken.xml");
        FAIL();
    } catch (const QuaverlyError& error) {
        EXPECT_NE(std::string(error.what()).find(Utf8ToSjis("XML の誤り（3 行")), std::string::npos) << error.what();
    }
}

TEST(MxlContainer, AScoreTooLargeWhenInflatedIsRefusedBeforeInflating)
{
    const std::string score = Partwise(R"(<part id="P1"><measure number="1">)" + Note("C", 4, 1) + "</measure></part>") +
                              std::string(100000, ' ');
    const std::string archive = MxlContainerBytes(score);
    EXPECT_LT(archive.size(), 10000u);
    EXPECT_EQ(MxlScore(archive, "a.mxl"), score);
    try {
        MxlScore(archive, "a.mxl", 50000);
        FAIL();
    } catch (const QuaverlyError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(std::string(XmlMsg::MxlUnreadable), 0), 0u);
    }
    EXPECT_THROW(CollectMusicXmlContent(archive.substr(0, archive.size() / 2), "cut.mxl"), QuaverlyError);
}

}  // namespace
}  // namespace quaverly
