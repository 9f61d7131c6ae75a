#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "UnitMld/NotationTables.h"
#include "UnitMld/ScoreParser.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

// What each symbol of the notation does when a page is read: the note it
// names, the pitch it moves to, the gate it gives, the length it lasts.
TEST(NotationTables, EachSymbolReadsAsWhatItMeans)
{
    struct Case {
        const char* score;  // UTF-8
        int note;           // of the first event; a rest's is its placeholder
        int gate;           // 0 for a rest
        int length;         // the time of the next event
    };
    const Case cases[] = {
        // note heads, with the default quarter note (gate two ticks short)
        {"ド", 27, 46, 48}, {"レ", 29, 46, 48}, {"ミ", 31, 46, 48}, {"ファ", 32, 46, 48},
        {"ソ", 34, 46, 48}, {"ラ", 36, 46, 48}, {"シ", 38, 46, 48},
        // the rest's spellings
        {"●", 17, 0, 48}, {"・", 17, 0, 48}, {"△", 17, 0, 48}, {"○", 17, 0, 48}, {"休", 17, 0, 48}, {"Ｒ", 17, 0, 48},
        // pitch marks: a semitone, an octave, both ways, in every spelling
        {"ド＃", 28, 46, 48}, {"ド♯", 28, 46, 48}, {"ド♭", 26, 46, 48},
        {"ド▲", 39, 46, 48}, {"ド￣", 39, 46, 48}, {"ド↑", 39, 46, 48},
        {"ド▼", 15, 46, 48}, {"ド＿", 15, 46, 48}, {"ド↓", 15, 46, 48},
        // articulation: staccato half the length, a tie one tick over
        {"ド＊", 27, 24, 48}, {"ドＴ", 27, 49, 48}, {"ド⌒", 27, 49, 48},
        // lengths: whole, dotted, triplets, the shortest
        {"ド全", 27, 190, 192}, {"ド１", 27, 190, 192}, {"ド２．", 27, 142, 144}, {"ド４３", 27, 30, 32},
        {"ド８", 27, 22, 24}, {"ド１６．", 27, 16, 18}, {"ド３２３", 27, 2, 4}, {"ド６４", 27, 1, 3},
        {"ド８．＊", 27, 18, 36},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.score);
        SequenceList list;
        ParseScore(Utf8ToSjis(c.score), 0, list, false);
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].Note(), c.note);
        EXPECT_EQ(list[0].Gate(), c.gate);
        EXPECT_EQ(list[1].Time(), c.length);
    }
}

// Each duration spelling, read after a note, gives its own length: no
// earlier entry may take a prefix of a later one.
TEST(NotationTables, EveryDurationSpellingReadsAsItsOwnLength)
{
    for (const TMLDConst& entry : DurationTable) {
        SequenceList list;
        ParseScore(std::string(NoteHeadTable[0].text) + std::string(entry.text), 0, list, false);
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[1].Time(), entry.value) << SjisToUtf8(entry.text);
    }
}

TEST(NotationTables, NoteNamesFollowTheOctaveRule)
{
    const std::vector<std::pair<int, const char*>> names{
        {0, "ラ▼▼▼"},    {1, "ラ＃▼▼▼"}, {2, "シ▼▼▼"},  {3, "ド▼▼"},   {4, "ド＃▼▼"},   {8, "ファ▼▼"},
        {9, "ファ＃▼▼"}, {14, "シ▼▼"},   {15, "ド▼"},   {26, "シ▼"},   {27, "ド"},      {28, "ド＃"},
        {32, "ファ"},    {37, "ラ＃"},   {38, "シ"},    {39, "ド▲"},   {45, "ファ＃▲"}, {50, "シ▲"},
        {51, "ド▲▲"},    {62, "シ▲▲"},   {63, "ド▲▲▲"}, {-5, "ラ▼▼▼"}, {64, "ド▲▲▲"}};
    for (const auto& [note, name] : names) {
        EXPECT_EQ(SjisToUtf8(NoteName(note)), name) << note;
    }
}

// Every canonical name is distinct and reads back as its own note number.
TEST(NotationTables, EveryNoteNameParsesToItsNote)
{
    std::set<std::string_view> seen;
    for (int note = 0; note < 64; ++note) {
        EXPECT_TRUE(seen.insert(NoteName(note)).second) << note;
        SequenceList list;
        ParseScore(NoteName(note), 0, list, false);
        ASSERT_EQ(list.size(), 2u);
        EXPECT_EQ(list[0].Note(), note);
    }
}

TEST(NotationTables, InstrumentNamesByProgramNumber)
{
    EXPECT_EQ(InstrumentName(1), "Grand Piano");
    EXPECT_EQ(InstrumentName(74), "Flute");
    EXPECT_EQ(InstrumentName(87), "Fifths Lesd");
    EXPECT_EQ(InstrumentName(108), "Koto");
    EXPECT_EQ(InstrumentName(128), "Gunshot");
    EXPECT_EQ(InstrumentName(0), "Grand Piano");
    EXPECT_EQ(InstrumentName(129), "Gunshot");
    std::set<std::string_view> names;
    for (int program = 1; program <= 128; ++program) {
        names.insert(InstrumentName(program));
    }
    EXPECT_EQ(names.size(), 128u);
}

}  // namespace
}  // namespace quaverly

namespace quaverly {
namespace {

// Programs the tone boxes offer are named as the boxes name them, in
// Japanese; the others by their General MIDI name.
TEST(NotationTables, ToneNamesAreTheToneBoxesNames)
{
    const struct {
        int program;
        const char* name;  // UTF-8
    } cases[] = {
        {1, "ピアノ"}, {29, "Muted Guitar"}, {25, "ギター"}, {108, "琴"}, {0, "ピアノ"}, {200, "Gunshot"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SjisToUtf8(ToneName(c.program)), c.name) << c.program;
    }
}

}  // namespace
}  // namespace quaverly
