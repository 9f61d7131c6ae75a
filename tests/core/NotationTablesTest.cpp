#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "UnitMld/NotationTables.h"
#include "UnitMld/ScoreParser.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

struct Entry {
    const char* text;  // UTF-8
    int32_t value;
};

// The tables hold Shift-JIS bytes written as escapes; here the same texts are
// written in UTF-8 and converted by the system's code page conversion.
template <size_t N>
void ExpectTable(const std::array<TMLDConst, N>& table, const std::vector<Entry>& expected)
{
    ASSERT_EQ(table.size(), expected.size());
    for (size_t i = 0; i < N; ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(table[i].text, Utf8ToSjis(expected[i].text));
        EXPECT_EQ(table[i].value, expected[i].value);
    }
}

TEST(NotationTables, TablesHoldTheNotationInMatchingOrder)
{
    ExpectTable(NoteHeadTable, {{"ド", 28},
                                {"レ", 30},
                                {"ミ", 32},
                                {"ファ", 33},
                                {"ソ", 35},
                                {"ラ", 37},
                                {"シ", 39},
                                {"●", -1},
                                {"・", -1},
                                {"△", -1},
                                {"○", -1},
                                {"休", -1},
                                {"Ｒ", -1},
                                {"／", -2}});
    ExpectTable(DurationTable, {{"全", 192},
                                {"２．", 144},
                                {"２３", 64},
                                {"２", 96},
                                {"４．", 72},
                                {"４３", 32},
                                {"４", 48},
                                {"８．", 36},
                                {"８３", 16},
                                {"８", 24},
                                {"１６．", 18},
                                {"１６３", 8},
                                {"１６", 12},
                                {"３２．", 9},
                                {"３２３", 4},
                                {"３２", 6},
                                {"６４", 3},
                                {"１", 192}});
    ExpectTable(
        PitchMarkTable,
        {{"＃", 1}, {"▲", 12}, {"▼", -12}, {"￣", 12}, {"＿", -12}, {"↑", 12}, {"↓", -12}, {"♯", 1}, {"♭", -1}});
    ExpectTable(ArticulationTable, {{"＊", 1}, {"Ｔ", 2}, {"⌒", 2}});
    ExpectTable(ToneTable, {{"ピアノ", 0},
                            {"てっきん", 9},
                            {"オルゴール", 10},
                            {"もっきん", 12},
                            {"オルガン", 16},
                            {"アコーディオン", 21},
                            {"ギター", 24},
                            {"ベース", 32},
                            {"バイオリン", 40},
                            {"ハープ", 46},
                            {"トランペット", 56},
                            {"アルトサックス", 65},
                            {"クラリネット", 71},
                            {"フルート", 73},
                            {"クリスタル", 98},
                            {"琴", 107}});
    ExpectTable(TempoTable, {{"遅い", 35},
                             {"遅い", 45},
                             {"遅い", 65},
                             {"遅い", 85},
                             {"遅い", 105},
                             {"標準", 125},
                             {"速い", 145},
                             {"速い", 165},
                             {"速い", 185},
                             {"速い", 205},
                             {"速い", 225}});
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
