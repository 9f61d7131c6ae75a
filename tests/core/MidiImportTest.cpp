#include <gtest/gtest.h>

#include "MidiFileBytes.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "base/TextEncoding.h"
#include "UnitMidi/MidiFileReader.h"
#include "UnitMidi/MidiImport.h"

namespace quaverly {
namespace {

using namespace testmidi;

std::string Format0(int division, const std::string& events) { return Header(0, 1, division) + Track(events); }

std::vector<VoiceEvent> Events(std::initializer_list<VoiceEvent> events) { return events; }

struct RefusedFile {
    const char* name;
    std::string bytes;
    std::string_view reason;
};

TEST(MidiImport, MalformedFilesAreRefusedWithTheirReason)
{
    const std::string note = Note(0, 0, 60, 100, 96);
    std::string manyEvents = Bytes({0x00, 0x90, 0x3C, 0x40});
    for (size_t i = 0; i < MaxMidiEvents; ++i) {
        manyEvents += Bytes({0x00, 0x3C, 0x40});
    }
    const RefusedFile cases[] = {
        {"not a MIDI file", "RIFF\0\0\0\0WAVE", Msg::MidiReasonNotMidi},
        {"empty file", "", Msg::MidiReasonNotMidi},
        {"header cut short", std::string("MThd\0\0\0\x06\0\x01", 10), Msg::MidiReasonTruncated},
        {"header shorter than six bytes", Chunk("MThd", Bytes({0, 0, 0, 1})) + Track(note), Msg::MidiReasonBadHeader},
        {"no tracks", Header(1, 0, 96), Msg::MidiReasonBadHeader},
        {"division 0", Header(0, 1, 0) + Track(note), Msg::MidiReasonBadHeader},
        {"format 2", Header(2, 1, 96) + Track(note), Msg::MidiReasonFormat2},
        {"SMPTE division", Header(1, 1, 0xE728) + Track(note), Msg::MidiReasonSmpte},
        {"track longer than the file", Header(0, 1, 96) + "MTrk" + BigEndian(100, 4) + note, Msg::MidiReasonTruncated},
        {"fewer tracks than the header says", Header(1, 2, 96) + Track(note), Msg::MidiReasonTruncated},
        {"zero-length track", Header(0, 1, 96) + Chunk("MTrk", ""), Msg::MidiReasonEmptyTrack},
        {"running status at a track start", Format0(96, Bytes({0x00, 0x3C, 0x40})), Msg::MidiReasonRunningStatusAtStart},
        {"running status at the second track's start",
         Header(1, 2, 96) + Track(note) + Track(Bytes({0x00, 0x3C, 0x40})), Msg::MidiReasonRunningStatusAtStart},
        {"meta event longer than its track", Header(0, 1, 96) + Chunk("MTrk", Bytes({0x00, 0xFF, 0x03, 0x7F, 'a'})),
         Msg::MidiReasonEventPastTrack},
        {"meta length beyond the file",
         Header(0, 1, 96) + Chunk("MTrk", Bytes({0x00, 0xFF, 0x03, 0xFF, 0xFF, 0xFF, 0x7F})), Msg::MidiReasonEventPastTrack},
        {"system exclusive past its track", Header(0, 1, 96) + Chunk("MTrk", Bytes({0x00, 0xF0, 0x10, 0x7E})),
         Msg::MidiReasonEventPastTrack},
        {"note cut off", Header(0, 1, 96) + Chunk("MTrk", Bytes({0x00, 0x90, 0x3C})), Msg::MidiReasonEventPastTrack},
        {"delta of five bytes", Header(0, 1, 96) + Chunk("MTrk", Bytes({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x40})),
         Msg::MidiReasonEventPastTrack},
        {"system common byte in a track", Format0(96, Bytes({0x00, 0xF2, 0x00, 0x00})), Msg::MidiReasonBadEvent},
        {"data byte with its top bit", Format0(96, Bytes({0x00, 0x90, 0x3C, 0xC0})), Msg::MidiReasonBadEvent},
        {"more than 1500000 events", Format0(96, manyEvents), Msg::MidiReasonTooManyEvents},
        {"larger than 64 MB", Format0(96, note) + std::string(MaxMidiFileSize, '\0'), Msg::MidiReasonTooBig},
    };
    for (const RefusedFile& c : cases) {
        try {
            ImportMidiFile(c.bytes, "song.mid");
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const MidiFileError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(std::string(Msg::MidiFileMalformed) + "song.mid\r\n", 0), 0u) << c.name;
            EXPECT_NE(message.find(c.reason), std::string::npos) << c.name << ": " << SjisToUtf8Lenient(message);
        }
    }
}

TEST(MidiImport, NotesBecomeMelodyTicksAtAnyDivision)
{
    struct TimingCase {
        const char* name;
        std::string file;
        std::vector<VoiceEvent> voice1;
        int endTime;
    };
    const TimingCase cases[] = {
        {"96 ticks, quarter notes of the normal gate",
         Format0(96, Note(0, 0, 72, 100, 92) + Note(4, 0, 74, 100, 92)), Events({{0, 27, 46}, {48, 29, 46}}), 96},
        {"480 ticks, a staccato eighth and an eighth rest",
         Format0(480, Note(0, 0, 72, 100, 120) + Note(360, 0, 72, 100, 460)),
         Events({{0, 27, 12}, {24, 17, 0}, {48, 27, 46}}), 96},
        {"120 ticks, running status with velocity-0 note-offs",
         Format0(120, Bytes({0x00, 0x90, 60, 90, 0x81, 0x6B, 60, 0, 0x05, 62, 90, 0x81, 0x6B, 62, 0})),
         Events({{0, 15, 94}, {96, 17, 94}}), 192},
        {"a quarter note and a quarter rest", Format0(48, Note(0, 0, 72, 100, 46) + Note(50, 0, 76, 100, 46)),
         Events({{0, 27, 46}, {48, 17, 0}, {96, 31, 46}}), 144},
        {"a tie: one tick into the next note",
         Format0(480, Bytes({0x00, 0x90, 72, 100}) + VarLen(480) + Bytes({0x90, 74, 100}) + VarLen(10) +
                          Bytes({0x80, 72, 0}) + VarLen(450) + Bytes({0x80, 74, 0})),
         Events({{0, 27, 49}, {48, 29, 46}}), 96},
        {"a note of two bars becomes tied whole notes", Format0(48, Note(0, 0, 72, 100, 382)),
         Events({{0, 27, 193}, {192, 27, 190}}), 384},
        {"a bracketed gate where no plain form fits", Format0(48, Note(0, 0, 72, 100, 40) + Note(8, 0, 74, 100, 46)),
         Events({{0, 27, 40}, {48, 29, 46}}), 96},
        {"a leading rest is left to the way back", Format0(48, Note(96, 0, 72, 100, 46)), Events({{96, 27, 46}}), 144},
    };
    for (const TimingCase& c : cases) {
        const ImportedMelody melody = ImportMidiFile(c.file, "t.mid");
        EXPECT_EQ(melody.voices[0].events, c.voice1) << c.name;
        EXPECT_EQ(melody.endTime, c.endTime) << c.name;
        EXPECT_TRUE(melody.report.LostNothing()) << c.name << "\n" << SjisToUtf8Lenient(MidiImportReportText(melody.report));
    }
}

TEST(MidiImport, RoundingToTheNearestTickIsReported)
{
    // Tick 5 of 480 is half a melody tick: it rounds up.
    const ImportedMelody melody = ImportMidiFile(Format0(480, Note(5, 0, 72, 100, 460)), "t.mid");
    EXPECT_EQ(melody.voices[0].events.front(), (VoiceEvent{1, 27, 46}));
    EXPECT_EQ(melody.report.notesMoved, 1);
    EXPECT_EQ(melody.report.largestMoveTenths, 5);
}

std::string ChannelNotes(int channel, int count, int key = 60)
{
    std::string events;
    for (int i = 0; i < count; ++i) {
        events += Note(0, channel, key, 100, 96);
    }
    return events;
}

TEST(MidiImport, ChannelsBecomeVoices)
{
    struct ChoiceCase {
        const char* name;
        std::string events;
        std::vector<int> given;
        std::array<int, 4> channels;  // per voice
        int otherNotes;
    };
    const ChoiceCase cases[] = {
        {"channels 1-4 keep their numbers", ChannelNotes(1, 2) + ChannelNotes(3, 1), {}, {0, 2, 0, 4}, 0},
        {"the four busiest channels in channel order, not the drums",
         ChannelNotes(9, 9) + ChannelNotes(15, 2) + ChannelNotes(4, 3) + ChannelNotes(0, 1) + ChannelNotes(6, 4) +
             ChannelNotes(7, 5),
         {}, {5, 7, 8, 16}, 9 + 1},
        {"a given choice in voice order", ChannelNotes(0, 1) + ChannelNotes(4, 2), {5, 1}, {5, 1, 0, 0}, 0},
        {"a given channel without notes", ChannelNotes(0, 1), {2, 1}, {0, 1, 0, 0}, 0},
    };
    for (const ChoiceCase& c : cases) {
        const ImportedMelody melody = ImportMidiFile(Format0(96, c.events), "c.mid", c.given);
        for (size_t voice = 0; voice < 4; ++voice) {
            EXPECT_EQ(melody.report.channels[voice], c.channels[voice]) << c.name << " voice " << voice + 1;
        }
        EXPECT_EQ(melody.report.notesOfOtherChannels, c.otherNotes) << c.name;
    }
}

TEST(MidiImport, BadChannelChoicesAreRefusedBeforeReading)
{
    for (const std::vector<int>& choice :
         std::vector<std::vector<int>>{{0}, {17}, {1, 2, 3, 4, 5}, {3, 3}}) {
        try {
            ImportMidiFile("not even a MIDI file", "c.mid", choice);
            ADD_FAILURE() << "accepted";
        } catch (const MidiFileError&) {
            ADD_FAILURE() << "the file was read first";
        } catch (const QuaverlyError& error) {
            EXPECT_EQ(std::string(error.what()), std::string(Msg::MidiChannelChoiceRefused));
        }
    }
}

std::string Chord(int channel, std::initializer_list<int> keys, uint32_t delta = 0)
{
    std::string events;
    for (int key : keys) {
        events += VarLen(delta) + Bytes({0x90 | channel, key, 100});
        delta = 0;
    }
    bool first = true;
    for (int key : keys) {
        events += VarLen(first ? 92 : 0) + Bytes({0x80 | channel, key, 0});
        first = false;
    }
    return events;
}

TEST(MidiImport, ChordsAreSplitTopNoteFirstAndWhatDoesNotFitIsDropped)
{
    // C E G on channel 1 alone: the top note stays, the others take free voices.
    ImportedMelody melody = ImportMidiFile(Format0(96, Chord(0, {60, 64, 67}) + Chord(0, {62, 65}, 4)), "c.mid");
    EXPECT_EQ(melody.voices[0].events.front().note, 67 - 45);
    EXPECT_EQ(melody.voices[1].events.front().note, 64 - 45);
    EXPECT_EQ(melody.voices[2].events.front().note, 60 - 45);
    EXPECT_EQ(melody.voices[1].events.back(), (VoiceEvent{48, 62 - 45, 46}));
    EXPECT_EQ(melody.report.channels, (std::array<int, 4>{1, 1, 1, 0}));
    EXPECT_EQ(melody.report.chordNotesDropped, 0);

    // With every voice taken by a channel of its own there is no room.
    melody = ImportMidiFile(
        Format0(96, Chord(0, {60, 64, 67}) + ChannelNotes(1, 1) + ChannelNotes(2, 1) + ChannelNotes(3, 1)), "c.mid");
    EXPECT_EQ(melody.report.chordNotesDropped, 2);
    EXPECT_EQ(melody.report.notesKept, (std::array<int, 4>{1, 1, 1, 1}));
}

TEST(MidiImport, NotesOutsideTheRangeAreClampedAndOverlapsOfOneKeyCut)
{
    const ImportedMelody melody = ImportMidiFile(
        Format0(48, Note(0, 0, 30, 100, 46) + Note(2, 0, 120, 100, 46) + Note(2, 3, 108, 100, 46) +
                        VarLen(2) + Bytes({0x90, 60, 100}) + VarLen(24) + Bytes({0x90, 60, 100}) + VarLen(24) +
                        Bytes({0x80, 60, 0}) + VarLen(72) + Bytes({0x80, 60, 0})),
        "r.mid");
    EXPECT_EQ(melody.voices[0].events[0].note, 0);
    EXPECT_EQ(melody.voices[0].events[1].note, 63);
    EXPECT_EQ(melody.voices[3].events[0].note, 62);
    EXPECT_EQ(melody.report.notesClamped, 3);
    // The first C sounds 48 ticks but the second starts after 24.
    EXPECT_EQ(melody.report.notesCut, 1);
    EXPECT_EQ(melody.report.largestCut, 24);
}

TEST(MidiImport, NoteHeldPastTheTimeLimitEndsWithinTheMelody)
{
    // At one tick a quarter the second note would sound 144,000 melody ticks.
    const ImportedMelody melody = ImportMidiFile(Format0(1, Note(0, 0, 60, 100, 1) + Note(0, 0, 62, 100, 3000)), "l.mid");
    EXPECT_EQ(melody.endTime, 99999);
    int previous = 0;
    for (const VoiceEvent& event : melody.voices[0].events) {
        EXPECT_GE(event.time, previous);
        EXPECT_LE(event.time, melody.endTime);
        EXPECT_LE(event.gate, 255);
        previous = event.time;
    }
    const VoiceEvent& last = melody.voices[0].events.back();
    EXPECT_LE(last.time + last.gate, 99999 + 1);
    EXPECT_EQ(melody.report.notesEndedAtLimit, 1);
    EXPECT_NE(MidiImportReportText(melody.report).find("99999"), std::string::npos);
}

TEST(MidiImport, SettingsComeFromTheFile)
{
    const std::string conductor = Meta(0, 0x03, "Song") + Meta(0, 0x02, "(c) someone") +
                                  Meta(0, 0x51, Bytes({0x07, 0xA1, 0x20})) + Meta(960, 0x51, Bytes({0x06, 0x1A, 0x80}));
    const std::string voices = Bytes({0x00, 0xC0, 73, 0x00, 0xC1, 40, 0x00, 0xB2, 7, 64}) + Note(0, 0, 72, 50, 96) +
                               Note(0, 0, 72, 110, 96) + Note(0, 1, 60, 100, 96) + Meta(0, 0x03, "Flute");
    const ImportedMelody melody = ImportMidiFile(Header(1, 2, 96) + Track(conductor) + Track(voices), "s.mid", {1, 2, 3});
    EXPECT_EQ(melody.title, "Song");
    EXPECT_EQ(melody.copyright, "(c) someone");
    EXPECT_EQ(melody.tempo, 120);
    EXPECT_EQ(melody.report.tempoChanges, 1);
    EXPECT_EQ(melody.voices[0].tone, 74);
    EXPECT_EQ(melody.voices[0].volume, 51);  // mean velocity 80: 51 x 100 / 63 = 80
    EXPECT_EQ(melody.voices[1].tone, 41);
    EXPECT_EQ(melody.voices[1].volume, 63);
    // A voice without notes takes its channel's volume controller: 64 of 127.
    EXPECT_EQ(melody.voices[2].volume, 32);
    EXPECT_EQ(melody.voices[2].tone, 1);
    EXPECT_TRUE(melody.voices[2].used);
    EXPECT_FALSE(melody.voices[3].used);
}

TEST(MidiImport, TextsBecomeShiftJis)
{
    struct TextCase {
        const char* name;
        std::string title;
        std::string expected;
        int replaced;
    };
    const TextCase cases[] = {
        {"ASCII", "Tune", "Tune", 0},
        {"UTF-8", "ふるさと", Utf8ToSjis("ふるさと"), 0},
        {"Shift-JIS", Utf8ToSjis("ふるさと"), Utf8ToSjis("ふるさと"), 0},
        {"UTF-8 without a Shift-JIS form", "a\xF0\x9F\x8E\xB5", "a?", 1},
        {"neither", "a\xFF\xFE", "a??", 1},
    };
    for (const TextCase& c : cases) {
        const ImportedMelody melody = ImportMidiFile(Format0(96, Meta(0, 0x03, c.title) + Note(0, 0, 72, 100, 92)), "t.mid");
        EXPECT_EQ(melody.title, c.expected) << c.name;
        EXPECT_EQ(melody.report.textsReplaced, c.replaced) << c.name;
    }
}

TEST(MidiImport, SurveyListsTheChannelsAndTheAutomaticChoice)
{
    const MidiSurvey survey = SurveyMidiFile(
        Format0(96, Bytes({0x00, 0xC4, 24}) + Chord(4, {60, 64}) + ChannelNotes(9, 3) + ChannelNotes(11, 1) +
                        Bytes({0x00, 0xC7, 5})),
        "s.mid");
    ASSERT_EQ(survey.channels.size(), 4u);
    EXPECT_EQ(survey.channels[0].channel, 5);
    EXPECT_EQ(survey.channels[0].notes, 2);
    EXPECT_EQ(survey.channels[0].program, 24);
    EXPECT_TRUE(survey.channels[0].chords);
    EXPECT_EQ(survey.channels[1].channel, 8);
    EXPECT_EQ(survey.channels[1].notes, 0);
    EXPECT_EQ(survey.channels[2].channel, 10);
    EXPECT_FALSE(survey.channels[2].chords);
    EXPECT_EQ(survey.automaticChoice, (std::vector<int>{5, 12}));
}

TEST(MidiImport, ReportSaysWhatCouldNotCome)
{
    MidiImportReport report;
    report.notesRead = 10;
    report.notesKept = {6, 1, 0, 0};
    report.channels = {1, 1, 0, 0};
    report.chordNotesDropped = 2;
    report.notesOfOtherChannels = 1;
    report.notesMoved = 3;
    report.largestMoveTenths = 4;
    EXPECT_EQ(SjisToUtf8(MidiImportReportText(report)),
              "MIDI読み込み結果\r\n"
              "　読んだ音符： 10\r\n"
              "　第1音： 6 音符（チャンネル 1）\r\n"
              "　第2音： 1 音符（チャンネル 1）\r\n"
              "　第3音： なし\r\n"
              "　第4音： なし\r\n"
              "読めなかったもの\r\n"
              "　選ばなかったチャンネルの音符： 1\r\n"
              "　声部に入りきらない和音の音符： 2\r\n"
              "　時刻を丸めた音符： 3（最大 0.4 ティック）\r\n");
}

// Notes of one channel handed over out of order (a channel split over two
// tracks of a format-1 file) are placed by start, a chord from its top down,
// as notes that come in order are.
TEST(MidiImport, NotesOutOfOrderArePlacedAsInOrder)
{
    const auto content = [](std::vector<std::array<int, 2>> starts) {
        MidiContent made;
        made.header.division = 48;
        made.program.fill(-1);
        made.channelVolume.fill(-1);
        for (const auto& [on, key] : starts) {
            MidiNote note;
            note.on = on;
            note.length = 12;
            note.key = static_cast<uint8_t>(key);
            note.velocity = 100;
            made.notes.push_back(note);
        }
        return made;
    };
    const ImportedMelody inOrder = ImportMidiContent(content({{0, 72}, {0, 60}, {24, 62}, {48, 64}}));
    const ImportedMelody shuffled = ImportMidiContent(content({{48, 64}, {0, 60}, {24, 62}, {0, 72}}));
    for (size_t voice = 0; voice < inOrder.voices.size(); ++voice) {
        EXPECT_EQ(shuffled.voices[voice].events, inOrder.voices[voice].events) << voice;
    }
    EXPECT_EQ(shuffled.voices[0].events.front().note, 72 - 45);
    EXPECT_EQ(shuffled.voices[1].events.front().note, 60 - 45);
}

}  // namespace
}  // namespace quaverly
