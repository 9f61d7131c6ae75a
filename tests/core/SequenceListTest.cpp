#include "UnitMld/SequenceList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "SequenceLines.h"
#include "UnitMld/ScoreParser.h"
#include "UnitMld/SequenceText.h"

namespace quaverly {
namespace {

// Event lines are checked against printf in RoundTripTest.
TEST(SequenceList, RawLineHasBlankNoteAndGateColumns)
{
    EXPECT_EQ(FormatRawLine(48, 2, "0102"), "   48 2       0102");
    SequenceList list;
    list.AddRaw(7, 1, "00FFE230");
    list.AddEvent(1234, 2, 9, 120);
    EXPECT_EQ(LinesOf(list), (Lines{"    7 1       00FFE230", " 1234 2  9 120"}));
    EXPECT_TRUE(list[0].IsRaw());
    EXPECT_EQ(list.RawText(list[0]), "00FFE230");
    EXPECT_EQ(list.RawText(list[1]), "");
    EXPECT_EQ(list[0].Note(), 0);
    EXPECT_EQ(list[0].Gate(), 0);
}

TEST(SequenceList, TextOrderIsTimeThenVoiceWithBlankBeforeMinusBeforeDigits)
{
    SequenceList list = ListOf({FormatEventLine(96, 0, -1, 0), FormatEventLine(0, 1, 34, 94),
                                FormatEventLine(48, 0, 31, 46), FormatEventLine(0, 0, 27, 46),
                                FormatEventLine(96, 1, -1, 0), FormatEventLine(96, 0, 5, 0),
                                FormatEventLine(96, 0, 12, 0)});
    list.Sort();
    EXPECT_EQ(LinesOf(list), (Lines{"    0 0 27  46", "    0 1 34  94", "   48 0 31  46", "   96 0  5   0",
                                    "   96 0 -1   0", "   96 0 12   0", "   96 1 -1   0"}));
}

TEST(SequenceList, OrderIgnoresLetterCaseOfRawData)
{
    EXPECT_FALSE(SequenceTextLess("    0 0       ab", "    0 0       AB"));
    EXPECT_FALSE(SequenceTextLess("    0 0       AB", "    0 0       ab"));
    EXPECT_TRUE(SequenceTextLess("    0 0       AB", "    0 0       ac"));
    const SequenceList list = ListOf({"    0 0       ab", "    0 0       AB", "    0 0       ac"});
    EXPECT_FALSE(list.Less(list[0], list[1]));
    EXPECT_FALSE(list.Less(list[1], list[0]));
    EXPECT_TRUE(list.Less(list[1], list[2]));
}

// Entries of every shape the program can make, and beyond: times far outside
// the time column and negative, gates above 999, notes of other widths, raw
// data of every case and of odd characters, and many ties.
SequenceList RandomEntries(std::mt19937& random)
{
    auto between = [&random](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    static const std::string_view RawTexts[] = {"", "00", "0102", "01", "aBc", "AbC", "00FFE230", "ff", "FF", "0",
                                                "-1", " 1", "zz", "\t", "\x81\x5E", "g0"};
    SequenceList list;
    const int count = between(0, 80);
    for (int i = 0; i < count; ++i) {
        int time = 0;
        switch (between(0, 5)) {
        case 0: time = between(-20000, -1); break;
        case 1: time = between(99990, 1'200'000); break;
        case 2: time = between(0, 3); break;
        default: time = between(0, 99999); break;
        }
        const int voice = between(0, 9) < 8 ? between(0, 3) : between(0, 9);
        if (between(0, 4) == 0) {
            list.AddRaw(time, voice, RawTexts[between(0, std::size(RawTexts) - 1)]);
            continue;
        }
        const int note = between(0, 9) < 8 ? between(-1, 63) : between(-120, 120);
        const int gate = between(0, 3) == 0 ? between(0, 3) : (between(0, 3) == 0 ? between(990, 200000) : between(0, 255));
        list.AddEvent(time, voice, note, gate);
        if (between(0, 9) == 0) {
            list.AddEvent(time, voice, note, gate);  // an equal entry: the sort must keep both
        }
    }
    return list;
}

// The list's own order is the order of its text form: the lines sorted as
// text (stable) are the lines of the list sorted by entries.
TEST(SequenceList, OrderOfEntriesIsTheOrderOfTheirLines)
{
    for (unsigned seed = 1; seed <= 3000; ++seed) {
        std::mt19937 random(seed);
        SequenceList list = RandomEntries(random);
        Lines lines = LinesOf(list);
        std::stable_sort(lines.begin(), lines.end(), SequenceTextLess);
        list.Sort();
        ASSERT_EQ(LinesOf(list), lines) << "seed " << seed;
        ASSERT_TRUE(list.IsSorted()) << "seed " << seed;
    }
}

// Every entry of a page knows its characters; the end event has none.
TEST(SequenceList, PageEntriesKnowTheirCharacters)
{
    struct Case {
        const char* page;  // Shift-JIS
        bool extended;
        std::vector<std::string> covered;
    };
    const Case cases[] = {
        // ド４▲＊ レ, a blank between the head and its length
        {"\x83h\x82S\x81\xA3\x81\x96 \x83\x8C\x81@\x82W", false, {"\x83h\x82S\x81\xA3\x81\x96", "\x83\x8C\x81@\x82W"}},
        // half width: "do" is no head, but ﾄﾞ is ド and the ASCII length 8. is its length
        {"x\xC4\xDE" "8.*", false, {"\xC4\xDE" "8.*"}},
        // a rest with a length group, then a raw-data block
        {"\x81\x9C\x81i100\x81j\x81^01 02\x81^", true, {"\x81\x9C\x81i100\x81j", "\x81^01 02\x81^"}},
        // half-width raw block and a gate group
        {"/0102/ \x83~[10]", true, {"/0102/", "\x83~[10]"}},
    };
    for (const Case& c : cases) {
        SequenceList list;
        ParseScore(c.page, 2, list, c.extended);
        std::vector<std::string> covered;
        for (const SequenceEntry& entry : list) {
            const SourceSpan span = entry.Source();
            if (entry.IsEnd()) {
                EXPECT_FALSE(span.IsSet());
                continue;
            }
            ASSERT_EQ(span.page, 2);
            covered.push_back(std::string(c.page).substr(static_cast<size_t>(span.offset), static_cast<size_t>(span.length)));
            EXPECT_TRUE(span.Contains(span.offset));
            EXPECT_FALSE(span.Contains(span.offset + span.length));
        }
        EXPECT_EQ(covered, c.covered) << c.page;
    }
    // Entries that come from no page have no place.
    SequenceList list;
    list.AddEvent(0, 0, 27, 46);
    EXPECT_FALSE(list[0].Source().IsSet());
    EXPECT_FALSE(list[0].Source().Contains(0));
}

}  // namespace
}  // namespace quaverly
