// The RTTTL export: its name, its defaults, and every change it makes counted.
#include <gtest/gtest.h>

#include "UnitText/RtttlWriter.h"

namespace quaverly {
namespace {

// Steps of one voice: {length, note} with note -1 for a rest; gates normal.
VoiceNotes Voice(std::initializer_list<std::pair<int, int>> steps)
{
    VoiceNotes notes;
    int time = 0;
    for (const auto& [length, note] : steps) {
        notes.push_back({time, length, note < 0 ? 0 : note, note < 0 ? 0 : std::max(length - 2, 1)});
        time += length;
    }
    return notes;
}

TEST(RtttlWriterTest, NameIsTheTitlesAsciiOrTheFilesBaseName)
{
    struct Case {
        const char* title;  // Shift-JIS
        const char* base;
        const char* name;
    };
    const Case cases[] = {
        {"Hello, World:2026", "x", "Hello Worl"},
        {"\x82\x67\x82\x89 Song", "x", "Hi Song"},               // full-width letters made half-width
        {"\x82\xD3\x82\xE9\x82\xB3\x82\xC6", "furusato", "furusato"},  // no ASCII letter: the file's name
        {"  2026  ", "my:tune,1", "mytune1"},                    // digits alone are no name
        {"\x82\xD3", "\x82\xD3", "Melody"},
        {"A\x83\x5C" "B", "x", "AB"},                            // the trail byte of a double-byte character is no letter
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RtttlName(c.title, c.base), c.name) << c.title;
    }
}

TEST(RtttlWriterTest, DefaultsMakeTheTextShortest)
{
    // Eighth notes in octave 6 (keys 84.. = notes 39..).
    const RtttlExport exported = WriteRtttl(Voice({{24, 39}, {24, 41}, {24, 43}, {48, 44}}), "Tune", 140);
    EXPECT_EQ(exported.text, "Tune:d=8,o=6,b=140:c,d,e,4f");
    EXPECT_FALSE(exported.changes.Any());
}

TEST(RtttlWriterTest, DottedLengthsSharpsAndRests)
{
    // A dotted eighth C#5 (key 73 = note 28), a quarter rest, a dotted half A4.
    const RtttlExport exported = WriteRtttl(Voice({{36, 28}, {48, -1}, {144, 24}, {48, 27}}), "T", 125);
    EXPECT_EQ(exported.text, "T:d=4,o=5,b=125:8c#.,p,2a.4,c");
    EXPECT_FALSE(exported.changes.Any());
}

TEST(RtttlWriterTest, LengthsWithoutAnRtttlFormTakeTheirTimeFromTheNextRest)
{
    struct Case {
        const char* name;
        VoiceNotes notes;
        const char* text;
        int lengthsChanged;
        int restsChanged;
        int restsDropped;
        int onsetsMoved;
    };
    const Case cases[] = {
        // An eighth triplet (16) becomes a dotted sixteenth (18); the rest
        // after it gives the two ticks back: the next note keeps its onset.
        {"triplet", Voice({{16, 27}, {32, -1}, {48, 27}}), "T:d=4,o=5,b=60:16c.,8p,32p,c", 1, 1, 0, 0},
        // Three triplets without a rest: each onset after the first moves.
        {"no rest", Voice({{16, 27}, {16, 27}, {16, 27}, {48, 27}}), "T:d=16,o=5,b=60:c.,c.,c.,4c", 3, 0, 0, 3},
        // A length written longer: the next rest is used up entirely and the note after it starts late.
        {"long note", Voice({{280, 27}, {6, -1}, {48, 27}}), "T:d=1,o=5,b=60:c.,4c", 1, 0, 1, 1},
        // A rest of a length no single RTTTL length has is spelled as several: no change.
        {"long rest", Voice({{48, 27}, {60, -1}, {48, 27}}), "T:d=4,o=5,b=60:c,p,16p,c", 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const RtttlExport exported = WriteRtttl(c.notes, "T", 60);
        EXPECT_EQ(exported.text, c.text) << c.name;
        EXPECT_EQ(exported.changes.lengthsChanged, c.lengthsChanged) << c.name;
        EXPECT_EQ(exported.changes.restsChanged, c.restsChanged) << c.name;
        EXPECT_EQ(exported.changes.restsDropped, c.restsDropped) << c.name;
        EXPECT_EQ(exported.changes.onsetsMoved, c.onsetsMoved) << c.name;
    }
}

TEST(RtttlWriterTest, AVoiceOutsideOctavesFourToSevenMovesByOneShift)
{
    // Notes 0 and 12 (keys 45 and 57) are below octave 4: one octave up takes
    // 57 in, two take both: the voice moves two octaves, nothing clamped.
    RtttlExport exported = WriteRtttl(Voice({{48, 0}, {48, 12}}), "T", 120);
    EXPECT_EQ(exported.changes.octaveShift, 2);
    EXPECT_EQ(exported.changes.notesClamped, 0);
    EXPECT_EQ(exported.text, "T:d=4,o=4,b=120:a,a5");
    // A span wider than four octaves: the shift that keeps the most, the rest clamped.
    exported = WriteRtttl(Voice({{48, 0}, {48, 20}, {48, 63}}), "T", 120);
    EXPECT_EQ(exported.changes.octaveShift, 2);
    EXPECT_EQ(exported.changes.notesClamped, 1);
    EXPECT_EQ(exported.text, "T:d=4,o=4,b=120:a,f6,b7");
}

TEST(RtttlWriterTest, ASilenceAfterAGateOfAnRtttlLengthIsARest)
{
    // As the import of "4f,4p,g" gives it: a dotted quarter sounding a quarter, then a rest.
    const VoiceNotes notes{{0, 72, 32, 48}, {72, 24, 0, 0}, {96, 48, 34, 46}};
    const RtttlExport exported = WriteRtttl(notes, "T", 120);
    EXPECT_EQ(exported.text, "T:d=4,o=5,b=120:f,p,g");
    EXPECT_FALSE(exported.changes.Any());
    // A gate that is no RTTTL length, or leaves a silence no rest says exactly, stays one note.
    EXPECT_EQ(WriteRtttl({{0, 48, 27, 46}}, "T", 120).text, "T:d=4,o=5,b=120:c");
    EXPECT_EQ(WriteRtttl({{0, 52, 27, 48}, {52, 44, 27, 42}}, "T", 120).changes.lengthsChanged, 2);
}

TEST(RtttlWriterTest, AChordKeepsItsTopNote)
{
    VoiceNotes notes{{0, 0, 27, 2}, {0, 0, 31, 2}, {0, 48, 34, 46}, {48, 48, 27, 46}};
    const RtttlExport exported = WriteRtttl(notes, "T", 120);
    EXPECT_EQ(exported.text, "T:d=4,o=5,b=120:g,c");
    EXPECT_EQ(exported.changes.chordNotesDropped, 2);
}

TEST(RtttlWriterTest, EveryChangeIsInTheReport)
{
    RtttlChanges changes;
    EXPECT_NE(RtttlChangesText(changes, 2).find("\x95\xCF\x82\xA6\x82\xBD\x82\xC6\x82\xB1\x82\xEB\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1"),
              std::string::npos);  // 「変えたところはありません」
    changes.lengthsChanged = 3;
    changes.octaveShift = -1;
    changes.chordNotesDropped = 7;
    const std::string text = RtttlChangesText(changes, 2);
    EXPECT_NE(text.find("3\x8C\xC2"), std::string::npos);  // 「3個」
    EXPECT_NE(text.find("7\x8C\xC2"), std::string::npos);
    EXPECT_NE(text.find("\x89\xBA\x82\xB0\x82\xBD"), std::string::npos);  // 「下げた」
    EXPECT_EQ(text.find("0\x8C\xC2"), std::string::npos);  // nothing said of what did not happen
}

}  // namespace
}  // namespace quaverly
