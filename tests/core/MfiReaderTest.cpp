// The reader of melody files of other makers (MFi), on files of the test-side
// writer: every event it knows, the same-key rule, percussion, and files that
// break off or lie about their lengths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MfiWriter.h"
#include "UnitMfi/MfiImport.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMld/MelodyStore.h"
#include "base/Errors.h"

namespace quaverly {
namespace {

using namespace mfitest;

struct NoteRow {
    uint32_t start;
    uint32_t length;
    int lane;
    int key;
    int velocity;
};

std::vector<NoteRow> Rows(const MfiMelody& melody)
{
    std::vector<NoteRow> rows;
    for (const MfiNote& note : melody.notes) {
        rows.push_back({note.start, note.length, note.lane, note.key, note.velocity});
    }
    return rows;
}

void ExpectNotes(const MfiMelody& melody, const std::vector<NoteRow>& expected)
{
    const std::vector<NoteRow> rows = Rows(melody);
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("note " + std::to_string(i));
        EXPECT_EQ(rows[i].start, expected[i].start);
        EXPECT_EQ(rows[i].length, expected[i].length);
        EXPECT_EQ(rows[i].lane, expected[i].lane);
        EXPECT_EQ(rows[i].key, expected[i].key);
        EXPECT_EQ(rows[i].velocity, expected[i].velocity);
    }
}

TEST(MfiReader, EveryFeatureOfTheWriterReads)
{
    const MfiMelody melody = ReadMfiMelody(EveryFeatureFile(), "every.mld");
    EXPECT_FALSE(melody.partial) << melody.partialMessage;
    EXPECT_EQ(melody.title, "Every");
    EXPECT_EQ(melody.copyright, "(c) test");
    EXPECT_EQ(melody.version, "0301");
    EXPECT_EQ(melody.sorc, 0);
    EXPECT_EQ(melody.noteBytes, 4);
    EXPECT_EQ(melody.trackChunks, 4);
    ExpectNotes(melody, {
                            {0, 48, 0, 72, 127},    // note 27 + 45, full velocity
                            {0, 96, 4, 55, 127},    // track 1 voice 0 is lane 4
                            {0, 12, 9, 35, 127},    // lane 9: percussion base 35
                            {0, 12, 14, 38, 127},   // lane 14 switched to patch mode 1
                            {48, 48, 1, 84, 64},    // octave shift code 1: +12; velocity 32 of 63
                            {356, 24, 2, 21, 80},   // after FF DC 01: 256 ticks more; shift code 2: -24
                            {356, 24, 3, 95, 80},   // shift code 3: -12
                        });
    ASSERT_EQ(melody.tempos.size(), 2u);
    EXPECT_EQ(melody.tempos[1].tick, 96u);
    EXPECT_EQ(melody.tempos[1].tempo, 60);
    EXPECT_EQ(melody.endTick, 380u);
    EXPECT_NEAR(MfiSeconds(melody, 380), 1.0 + 284.0 / 48.0, 1e-9);
    EXPECT_EQ(melody.skipped.resourceEvents, 2);
    EXPECT_EQ(melody.skipped.makerEvents, 1);
    EXPECT_EQ(melody.skipped.unknownChunks, 1);
    EXPECT_EQ(melody.skipped.audioChunks, 1);
    EXPECT_EQ(melody.skipped.otherEvents, 2);  // master volume, nop
    // A cue's start at the first tick, its end with the last notes.
    ASSERT_EQ(melody.cuePoints.size(), 2u);
    EXPECT_TRUE(melody.cuePoints[0].IsStart());
    EXPECT_EQ(melody.cuePoints[0].tick, 0u);
    EXPECT_TRUE(melody.cuePoints[1].IsEnd());
    EXPECT_EQ(melody.cuePoints[1].tick, 356u);

    struct ControlRow {
        MfiControlKind kind;
        int value;
    };
    const std::vector<ControlRow> expected{
        {MfiControlKind::Program, 16},   {MfiControlKind::Program, 80},    {MfiControlKind::Volume, 101},
        {MfiControlKind::Pan, 64},       {MfiControlKind::BendRange, 2},   {MfiControlKind::PitchBend, 10240},
        {MfiControlKind::Expression, 81}, {MfiControlKind::Modulation, 20},
    };
    ASSERT_EQ(melody.controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(melody.controls[i].kind, expected[i].kind) << i;
        EXPECT_EQ(melody.controls[i].value, expected[i].value) << i;
        EXPECT_EQ(melody.controls[i].lane, 0) << i;
    }
}

TEST(MfiReader, HeaderLengthOfOnlyTheTypeBytesReadsTheSame)
{
    const std::string events = Tempo(0, 100) + Note(0, 0, 20, 10, 63) + End(10);
    const MfiMelody counted = ReadMfiMelody(MfiWriter().Info("titl", "T").FourByteNotes().Track(events).Bytes(), "a");
    const MfiMelody typeOnly = ReadMfiMelody(
        MfiWriter().Info("titl", "T").FourByteNotes().Track(events).Length(MfiWriter::HeaderLength::CountOnlyTypeBytes).Bytes(), "b");
    EXPECT_EQ(counted.title, "T");
    EXPECT_EQ(typeOnly.title, "T");
    ASSERT_EQ(typeOnly.notes.size(), 1u);
    EXPECT_EQ(typeOnly.notes[0].key, counted.notes[0].key);
}

TEST(MfiReader, ThreeByteNotesWithoutANoteChunk)
{
    const MfiMelody melody =
        ReadMfiMelody(MfiWriter().Info("vers", "0300").Track(Tempo(0, 120) + Note(0, 1, 27, 40) + End(48)).Bytes(), "x");
    EXPECT_EQ(melody.noteBytes, 3);
    ExpectNotes(melody, {{0, 40, 1, 72, 100}});
    EXPECT_FALSE(melody.partial);
}

// A key that still sounds on its lane is not struck again: the event sets its
// end. One that starts where the same key stops is a new note; other lanes
// and other keys are never merged; a rest (gate 0) is no note.
TEST(MfiReader, SameKeyRule)
{
    struct Case {
        const char* name;
        std::string events;
        std::vector<NoteRow> notes;
    };
    const std::vector<Case> cases{
        {"overlap extends", Note(0, 0, 10, 100, 63) + Note(50, 0, 10, 100, 63), {{0, 150, 0, 55, 127}}},
        {"overlap can shorten", Note(0, 0, 10, 200, 63) + Note(50, 0, 10, 10, 63), {{0, 60, 0, 55, 127}}},
        {"starts where it stops", Note(0, 0, 10, 50, 63) + Note(50, 0, 10, 50, 63),
         {{0, 50, 0, 55, 127}, {50, 50, 0, 55, 127}}},
        {"other lane", Note(0, 0, 10, 100, 63) + Note(50, 1, 10, 100, 63), {{0, 100, 0, 55, 127}, {50, 100, 1, 55, 127}}},
        {"other key", Note(0, 0, 10, 100, 63) + Note(50, 0, 11, 100, 63), {{0, 100, 0, 55, 127}, {50, 100, 0, 56, 127}}},
        {"same key by octave shift", Note(0, 0, 22, 100, 63, 0) + Note(50, 0, 10, 100, 63, 1), {{0, 150, 0, 67, 127}}},
        {"rest", Note(0, 0, 10, 0, 63) + Note(10, 0, 10, 5, 63), {{10, 5, 0, 55, 127}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ExpectNotes(ReadMfiMelody(MfiWriter().FourByteNotes().Track(c.events + End()).Bytes(), "x"), c.notes);
    }
}

TEST(MfiReader, TracksKeepTheirOwnTimeAndTheirOwnLanes)
{
    const MfiMelody melody = ReadMfiMelody(MfiWriter()
                                               .FourByteNotes()
                                               .Track(Note(100, 0, 10, 10, 63) + End())
                                               .Track(Note(5, 3, 10, 10, 63) + End())
                                               .Bytes(),
                                           "x");
    ExpectNotes(melody, {{5, 10, 7, 55, 127}, {100, 10, 0, 55, 127}});
}

TEST(MfiReader, TimebasesOfTheTempoCodes)
{
    const MfiMelody melody = ReadMfiMelody(
        MfiWriter().Track(Tempo(0, 60, 0x0) + Note(6, 0, 0, 6) + Tempo(0, 60, 0xD) + Note(240, 0, 1, 1) + End()).Bytes(), "x");
    ASSERT_EQ(melody.tempos.size(), 2u);
    EXPECT_EQ(melody.tempos[0].timebase, 6);
    EXPECT_EQ(melody.tempos[1].timebase, 480);
    // 6 ticks of 6 a quarter at 60 a minute: one second; then 240 of 480: half a second.
    EXPECT_NEAR(MfiSeconds(melody, melody.notes[1].start), 1.5, 1e-9);
    EXPECT_EQ(MfiMidiTick(melody, melody.notes[1].start), 1920u + 960u);
}

// Files that break off or contradict themselves: a message naming the place,
// what came before kept, never an exception or a read past the end.
TEST(MfiReader, BrokenFilesStopWithTheirPlace)
{
    const std::string good = MfiWriter().FourByteNotes().Track(Note(0, 0, 10, 10, 63) + Note(10, 0, 11, 10, 63) + End()).Bytes();
    struct Case {
        const char* name;
        std::string bytes;
        size_t notes;
        std::string placeText;
    };
    std::string hugeLength = good;
    const size_t trackAt = good.find("trac");
    hugeLength.replace(trackAt + 4, 4, BigEndian(0xFFFFFFFF, 4));
    std::string noEnd = MfiWriter().FourByteNotes().Track(Note(0, 0, 10, 10, 63)).Bytes();
    const std::vector<Case> cases{
        {"cut inside the second note", good.substr(0, trackAt + 8 + 6), 1, "trac"},
        {"4 GB track length", hugeLength, 2, "trac"},
        {"track without an end", noEnd, 1, "FF DF"},
        {"cut inside a chunk", good.substr(0, 20), 0, "note"},
        {"thousands of tracks claimed", MfiWriter().FourByteNotes().Track(End()).TrackCountByte(255).Bytes(), 0, "trac"},
        {"long event past the end", MfiWriter().Track(LongEvent(0, 0xFF, 0xF0, "abc").substr(0, 7)).Bytes(), 0, "trac"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MfiMelody melody = ReadMfiMelody(c.bytes, "broken.mld");
        EXPECT_TRUE(melody.partial);
        EXPECT_EQ(melody.notes.size(), c.notes);
        EXPECT_NE(melody.partialMessage.find("broken.mld"), std::string::npos);
        EXPECT_NE(melody.partialMessage.find(c.placeText), std::string::npos) << melody.partialMessage;
    }
}

TEST(MfiReader, EveryCutOfTheFullFileIsReadWithoutFault)
{
    const std::string whole = EveryFeatureFile();
    for (size_t size = 13; size < whole.size(); ++size) {
        const MfiMelody melody = ReadMfiMelody(std::string_view(whole).substr(0, size), "cut");
        EXPECT_LE(melody.notes.size(), 7u);
        for (const MfiNote& note : melody.notes) {
            EXPECT_LT(note.lane, MfiLaneCount);
        }
    }
}

TEST(MfiReader, NotAMelodyIsRefused)
{
    EXPECT_THROW(ReadMfiMelody("melo", "short"), QuaverlyError);
    EXPECT_THROW(ReadMfiMelody("MThd\0\0\0\x06\0\0\0\x01\0", "midi"), QuaverlyError);
}

TEST(MfiReader, TracksPastTheFourthAreCountedNotPlayed)
{
    MfiWriter writer;
    writer.FourByteNotes();
    for (int i = 0; i < 6; ++i) {
        writer.Track(Note(0, 0, 10, 10, 63) + End());
    }
    const MfiMelody melody = ReadMfiMelody(writer.Bytes(), "x");
    EXPECT_EQ(melody.notes.size(), 4u);
    EXPECT_EQ(melody.skipped.extraTracks, 2);
    EXPECT_FALSE(melody.partial);
}

TEST(MfiReader, MidiFileHasEveryLaneOnItsChannel)
{
    const std::string midi = MfiMidiFileBytes(ReadMfiMelody(EveryFeatureFile(), "every.mld"));
    ASSERT_EQ(midi.substr(0, 4), "MThd");
    // Conductor and the lanes 0, 1, 2, 3, 4, 9, 14.
    EXPECT_EQ(static_cast<unsigned char>(midi[11]), 8);
    EXPECT_EQ((static_cast<unsigned char>(midi[12]) << 8) | static_cast<unsigned char>(midi[13]), MfiMidiDivision);
    // Note-on of lane 9 on MIDI channel 9, key 35.
    EXPECT_NE(midi.find(std::string("\x99\x23", 2)), std::string::npos);
    // Tempo 60 at 100 %: a million microseconds a quarter.
    EXPECT_NE(midi.find(std::string("\xFF\x51\x03\x0F\x42\x40", 6)), std::string::npos);
    // The cue points as markers, the start before the end.
    const size_t cueStart = midi.find(std::string("\xFF\x06\x09" "cue start", 12));
    const size_t cueEnd = midi.find(std::string("\xFF\x06\x07" "cue end", 10));
    ASSERT_NE(cueStart, std::string::npos);
    ASSERT_NE(cueEnd, std::string::npos);
    EXPECT_LT(cueStart, cueEnd);
}

TEST(MfiReader, ImportFoldsTheLanesIntoVoices)
{
    const MfiMelody melody = ReadMfiMelody(EveryFeatureFile(), "every.mld");
    const ImportedMelody imported = ImportMfiMelody(melody, {1, 5});
    EXPECT_EQ(imported.title, "Every");
    EXPECT_EQ(imported.voices[0].channel, 1);
    EXPECT_EQ(imported.voices[0].tone, 81);  // program 80 of lane 0
    EXPECT_EQ(imported.voices[1].channel, 5);
    EXPECT_EQ(imported.report.notesKept[0], 1);
    EXPECT_EQ(imported.report.notesKept[1], 1);
    EXPECT_EQ(imported.report.notesOfOtherChannels, 5);
    MelodyStore store;
    BuildImportedMelody(store, imported);
    EXPECT_TRUE(store.IsMelodyImage());
}

}  // namespace
}  // namespace quaverly
