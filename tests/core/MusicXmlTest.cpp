#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "UnitMidi/MidiImport.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/NoteRules.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitXml/MusicXmlImport.h"
#include "UnitXml/MusicXmlWriter.h"
#include "UnitXml/MxlContainer.h"
#include "UnitXml/ScoreLayout.h"
#include "UnitXml/XmlMessages.h"
#include "base/Errors.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

std::string Sjis(std::string_view utf8) { return Utf8ToSjis(utf8); }

// A note as a score has it: melody ticks (48 to the quarter) and MIDI key.
using TimedKey = std::pair<int64_t, int>;

EditorTexts Pages(std::array<std::string, VoiceCount> utf8Pages)
{
    EditorTexts texts{.tempo = "125", .title = Sjis("テスト"), .tones = {"1", "41", "74", "25"},
                      .volumes = {"63", "63", "63", "63"}, .scores = {}};
    for (size_t v = 0; v < VoiceCount; ++v) {
        texts.scores[v] = Sjis(utf8Pages[v]);
    }
    return texts;
}

// The pages compiled, and the score the export writes of them.
struct Exported {
    MelodyStore store;
    std::string xml;
};
void Export(const EditorTexts& texts, Exported& out)
{
    const AnalysisResult result = AnalyseScore(out.store, texts, MelodyFileInfo{}, false, ViewRows::Skip);
    ASSERT_FALSE(result.refusal) << SjisToUtf8Lenient(*result.refusal);
    MusicXmlSource source;
    ASSERT_FALSE(MakeMusicXmlSource(texts, out.store.Sequence(), source));
    out.xml = MusicXmlBytes(source);
}

// The melody's sounding notes per voice, read from its entries.
std::array<std::vector<TimedKey>, VoiceCount> MelodyNotes(const SequenceList& list)
{
    std::array<std::vector<TimedKey>, VoiceCount> notes;
    for (const SequenceEntry entry : list) {
        if (!entry.IsRaw() && !entry.IsEnd() && entry.Gate() > 0) {
            notes[static_cast<size_t>(entry.Voice())].emplace_back(entry.Time(), entry.Note() + MidiNoteOffset);
        }
    }
    for (auto& voice : notes) {
        std::sort(voice.begin(), voice.end());
    }
    return notes;
}

// The notes a read score hands to the MIDI import, per channel, in melody ticks.
std::array<std::vector<TimedKey>, 16> ReadNotes(const MidiContent& content)
{
    std::array<std::vector<TimedKey>, 16> notes;
    for (const MidiNote& note : content.notes) {
        EXPECT_EQ(note.on * 48 % content.header.division, 0) << "a note between melody ticks";
        notes[note.channel].emplace_back(note.on * 48 / content.header.division, note.key);
    }
    for (auto& channel : notes) {
        std::sort(channel.begin(), channel.end());
    }
    return notes;
}

TEST(ScoreLayout, EveryLengthIsSplitIntoValuesThatAddUpExactly)
{
    for (int ticks = 1; ticks <= 600; ++ticks) {
        int sum = 0;
        for (const NoteValue& value : SplitLength(ticks)) {
            sum += value.ticks;
        }
        EXPECT_EQ(sum, ticks);
    }
}

TEST(ScoreLayout, LengthsOfTheTableAreOneValue)
{
    struct Case {
        int ticks;
        std::string_view type;
        int dots;
        bool triplet;
    };
    const Case cases[] = {{192, "whole", 0, false}, {144, "half", 1, false},   {64, "half", 0, true},
                          {72, "quarter", 1, false}, {32, "quarter", 0, true}, {16, "eighth", 0, true},
                          {9, "32nd", 1, false},     {3, "64th", 0, false},     {4, "32nd", 0, true}};
    for (const Case& c : cases) {
        const std::vector<NoteValue> values = SplitLength(c.ticks);
        ASSERT_EQ(values.size(), 1u) << c.ticks;
        EXPECT_EQ(values[0].type, c.type) << c.ticks;
        EXPECT_EQ(values[0].dots, c.dots) << c.ticks;
        EXPECT_EQ(values[0].triplet, c.triplet) << c.ticks;
    }
    // 100 ticks: a half and a thirty-second triplet, tied.
    const std::vector<NoteValue> hundred = SplitLength(100);
    ASSERT_EQ(hundred.size(), 2u);
    EXPECT_EQ(hundred[0].ticks, 96);
    EXPECT_EQ(hundred[1].ticks, 4);
}

TEST(ScoreLayout, PitchesAreSpelledAsTyped)
{
    struct Case {
        const char* written;  // UTF-8
        int key;
        WrittenPitch pitch;
    };
    const Case cases[] = {
        {"シ♭", 82, {'B', -1, 5}},  // B flat above C5 (key 72)
        {"ラ＃", 82, {'A', 1, 5}},
        {"ラ#", 82, {'A', 1, 5}},
        {"ド♭", 71, {'C', -1, 5}},  // written C flat: the B below
        {"ミ♯", 77, {'E', 1, 5}},
        {"ド", 72, {'C', 0, 5}},
        {"ソ♭♭", 77, {'G', -2, 5}},
        {"ド▲▲▲＃", 108, {'C', 0, 8}},  // clamped to the top: the canonical spelling
        {"", 73, {'C', 1, 5}},             // no page: sharps
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SpellPitch(c.key, Sjis(c.written)), c.pitch) << c.written;
    }
}

// A triplet bracket never spans a bar line: a run cut by one is closed before
// it and opened again after, whether or not it filled its group.
TEST(ScoreLayout, TripletBracketsCloseAtBarLines)
{
    ScoreVoice voice;
    voice.notes.push_back({{'C', 0, 4}, 60});
    const auto note = [&](int at, int ticks) {
        ScoreEvent event(at, ticks);
        event.noteCount = 1;
        voice.events.push_back(event);
    };
    voice.events.emplace_back(0, 176);  // a rest: a dotted whole, then a quarter triplet at 144
    for (int at = 176; at < 240; at += 16) {
        note(at, 16);  // eighth triplets across the bar line at 192
    }
    struct Expected {
        int measure;
        int ticks;
        bool start;
        bool stop;
    };
    const Expected expected[] = {
        {0, 144, false, false}, {0, 32, true, false}, {0, 16, false, true},  // cut by the bar line
        {1, 16, true, false},   {1, 16, false, false}, {1, 16, false, true},  // a full group
    };
    const std::vector<ScorePiece> pieces = MeasurePieces(voice);
    ASSERT_EQ(pieces.size(), std::size(expected));
    for (size_t i = 0; i < pieces.size(); ++i) {
        EXPECT_EQ(pieces[i].measure, expected[i].measure) << i;
        EXPECT_EQ(pieces[i].value->ticks, expected[i].ticks) << i;
        EXPECT_EQ(pieces[i].tupletStart, expected[i].start) << i;
        EXPECT_EQ(pieces[i].tupletStop, expected[i].stop) << i;
    }
}

TEST(MusicXmlExport, WritesValuesTiesTripletsChordsAndAccidentals)
{
    Exported exported;
    // A dotted quarter, a quarter triplet, a flat, a length of 100 (tied),
    // a note over the bar line, a chord (a note of length 0 with its gate).
    Export(Pages({"ド４．シ♭４３レ（１００）ミ２（０）［４６］ソ２", "", "", ""}), exported);
    const std::string& xml = exported.xml;
    EXPECT_NE(xml.find("<work-title>テスト</work-title>"), std::string::npos);
    EXPECT_NE(xml.find("<part-name>ピアノ</part-name>"), std::string::npos);
    EXPECT_NE(xml.find("<sound tempo=\"125\"/>"), std::string::npos);
    EXPECT_NE(xml.find("<beats>4</beats><beat-type>4</beat-type>"), std::string::npos);
    EXPECT_NE(xml.find("<type>quarter</type><dot/>"), std::string::npos);
    EXPECT_NE(xml.find("<step>B</step><alter>-1</alter>"), std::string::npos);
    EXPECT_NE(xml.find("<accidental>flat</accidental>"), std::string::npos);
    EXPECT_NE(xml.find("<actual-notes>3</actual-notes><normal-notes>2</normal-notes>"), std::string::npos);
    EXPECT_NE(xml.find("<tie type=\"start\"/>"), std::string::npos);
    EXPECT_NE(xml.find("<chord/>"), std::string::npos);
    EXPECT_EQ(xml.find("<part id=\"P2\""), std::string::npos) << "a voice without notes has no part";

    const MidiContent content = CollectMusicXmlContent(xml, "x.musicxml");
    EXPECT_EQ(ReadNotes(content)[0], MelodyNotes(exported.store.Sequence())[0]);
}

// "●♯" is no rest (a sharp takes its head's value to "no note"), so the
// voice ends where the note before it starts: that note still sounds its
// gate, and the score must hold it.
TEST(MusicXmlExport, ANoteStartingWhereItsVoiceEndsIsWrittenWithItsSound)
{
    Exported exported;
    Export(Pages({"", "", "", "ファ♭８Ｔド♭（１７８）＊●♯８．＊"}), exported);
    const auto melody = MelodyNotes(exported.store.Sequence());
    ASSERT_EQ(melody[3].size(), 2u);
    EXPECT_EQ(ReadNotes(CollectMusicXmlContent(exported.xml, "x.musicxml"))[0], melody[3]);
}

// A random page of notes, rests, pitch marks and lengths of every kind.
std::string RandomPage(std::mt19937& random)
{
    static const char* const Heads[] = {"ド", "レ", "ミ", "ファ", "ソ", "ラ", "シ", "●"};
    static const char* const Marks[] = {"", "", "", "＃", "♭", "▲", "▼", "♯"};
    static const char* const Lengths[] = {"", "全", "２．", "２３", "２", "４．", "４３", "４", "８．", "８３",
                                          "８", "１６．", "１６３", "１６", "３２．", "３２３", "３２", "６４"};
    static const char* const Articulations[] = {"", "", "＊", "Ｔ"};
    std::string page;
    const int notes = std::uniform_int_distribution<int>(1, 60)(random);
    for (int i = 0; i < notes; ++i) {
        page += Heads[random() % std::size(Heads)];
        page += Marks[random() % std::size(Marks)];
        if (random() % 8 == 0) {
            page += "（" + std::to_string(1 + random() % 300) + "）";
        } else {
            page += Lengths[random() % std::size(Lengths)];
        }
        page += Articulations[random() % std::size(Articulations)];
    }
    return page;
}

TEST(MusicXmlExport, RandomMelodiesComeBackWithTheirNotes)
{
    std::mt19937 random(30);
    for (int round = 0; round < 40; ++round) {
        std::array<std::string, VoiceCount> pages;
        for (std::string& page : pages) {
            page = random() % 4 == 0 ? "" : RandomPage(random);
        }
        Exported exported;
        Export(Pages(pages), exported);
        const auto melody = MelodyNotes(exported.store.Sequence());
        for (const bool compressed : {false, true}) {
            const std::string file = compressed ? MxlContainerBytes(exported.xml) : exported.xml;
            const MidiContent content = CollectMusicXmlContent(file, "x");
            const auto read = ReadNotes(content);
            size_t channel = 0;
            for (size_t voice = 0; voice < VoiceCount; ++voice) {
                if (!melody[voice].empty()) {
                    EXPECT_EQ(read[channel++], melody[voice]) << "round " << round << ", voice " << voice + 1;
                }
            }
            // Through the notes-to-voices stage: the same notes in the same voices.
            const ImportedMelody imported = ImportMidiContent(content);
            channel = 0;
            for (size_t voice = 0; voice < VoiceCount; ++voice) {
                if (melody[voice].empty()) {
                    continue;
                }
                // A note longer than one event holds is spelled as tied notes of
                // its key, each sounding into the next: they are one note.
                std::vector<TimedKey> kept;
                const VoiceEvent* sounding = nullptr;
                for (const VoiceEvent& event : imported.voices[channel++].events) {
                    const bool continued = sounding != nullptr && sounding->note == event.note &&
                                           sounding->time + sounding->gate > event.time;
                    if (event.gate > 0 && !continued) {
                        kept.emplace_back(event.time, event.note + MidiNoteOffset);
                    }
                    sounding = event.gate > 0 ? &event : nullptr;
                }
                std::sort(kept.begin(), kept.end());
                EXPECT_EQ(kept, melody[voice]) << "round " << round << ", voice " << voice + 1;
            }
            EXPECT_EQ(imported.tempo, 125);
        }
    }
}

}  // namespace
}  // namespace quaverly
