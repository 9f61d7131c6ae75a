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

// Entries in runs already in order, as the pages of a melody come: the
// sort merges them. Equal lines must keep the order they had (told apart by
// their places), and edges of every column must order as their texts.
TEST(SequenceList, RunsMergeInTheOrderOfTheirLinesAndKeepEqualEntriesInOrder)
{
    struct Field {
        int time;
        int voice;
        int note;
        int gate;
    };
    // Values at the edges of the columns: notes whose texts order blank,
    // minus, digits; gates of three digits and beyond; times at the column's end.
    // Lists only of values inside the columns order by numbers; with one value beyond, by texts.
    const std::vector<int> plainNotes{-9, -2, -1, 0, 1, 9, 10, 11, 63, 99};
    const std::vector<int> plainGates{0, 9, 10, 99, 100, 999};
    const std::vector<int> plainTimes{0, 3, 99999};
    const std::vector<int> wideNotes{-10, -1, 0, 9, 10, 100};
    const std::vector<int> wideGates{-1, 0, 99, 1000};
    const std::vector<int> wideTimes{0, 99999, 100000};
    for (const bool plain : {true, false})
    for (const int runCount : {1, 2, 4, 8, 9}) {
        SCOPED_TRACE(plain ? "fields inside their columns" : "fields beyond their columns");
        const std::vector<int>& notes = plain ? plainNotes : wideNotes;
        const std::vector<int>& gates = plain ? plainGates : wideGates;
        const std::vector<int>& times = plain ? plainTimes : wideTimes;
        std::mt19937 random(static_cast<unsigned>(runCount));
        std::vector<std::vector<Field>> runs(static_cast<size_t>(runCount));
        for (auto& run : runs) {
            for (int i = 0; i < 60; ++i) {
                run.push_back({times[random() % times.size()], static_cast<int>(random() % 3),
                               notes[random() % notes.size()], gates[random() % gates.size()]});
            }
        }
        SequenceList list;
        int place = 0;
        std::vector<std::pair<std::string, int>> expected;
        for (auto& run : runs) {
            SequenceList one;
            for (const Field& f : run) {
                one.AddEvent(f.time, f.voice, f.note, f.gate);
            }
            one.Sort();  // each run in order on its own first
            for (const SequenceEntry& entry : one) {
                list.AddEvent(entry.Time(), entry.Voice(), entry.Note(), entry.Gate(), {0, place, 1});
                expected.emplace_back(FormatSequenceLine(list, list.back()), place);
                ++place;
            }
        }
        std::stable_sort(expected.begin(), expected.end(),
                         [](const auto& a, const auto& b) { return SequenceTextLess(a.first, b.first); });
        list.Sort();
        ASSERT_EQ(list.size(), expected.size());
        for (size_t i = 0; i < list.size(); ++i) {
            ASSERT_EQ(FormatSequenceLine(list, list[i]), expected[i].first) << runCount << " runs, line " << i;
            ASSERT_EQ(list[i].Source().offset, expected[i].second) << runCount << " runs, line " << i;
        }
    }
}

// Raw data is kept in one block: each entry must still give its own text,
// after a sort moved the entries, after an append and after clear.
TEST(SequenceList, RawTextsStayWithTheirEntries)
{
    const std::vector<std::string> texts{"", "0102", "ff", "", "00FFE230", "a", "0", "0102"};
    SequenceList list;
    for (size_t i = 0; i < texts.size(); ++i) {
        list.AddRaw(static_cast<int>(texts.size() - i), 0, texts[i]);
        list.AddEvent(static_cast<int>(i), 1, 27, 46);
    }
    SequenceList appended;
    appended.AddRaw(0, 3, "zz");
    appended.Append(list);
    list.Sort();
    for (const SequenceList* each : {&list, &appended}) {
        std::vector<std::string> seen;
        for (const SequenceEntry& entry : *each) {
            if (entry.IsRaw()) {
                seen.emplace_back(each->RawText(entry));
            } else {
                EXPECT_EQ(each->RawText(entry), "");
            }
        }
        std::vector<std::string> want = texts;
        if (each == &list) {
            std::reverse(want.begin(), want.end());  // later texts were added at earlier times
        } else {
            want.insert(want.begin(), "zz");
        }
        EXPECT_EQ(seen, want);
    }
    list.clear();
    list.AddRaw(0, 0, "07");
    EXPECT_EQ(list.RawText(list[0]), "07");
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
        // full width only, read as typed: い has a trail byte among the
        // half-width kana, ド and レ printable ASCII ones, and a lead byte ends the page
        {"\x82\xA2\x83h\x82S\x81@\x83\x8C\x83", false, {"\x83h\x82S", "\x83\x8C"}},
        // the same with one half-width blank at the very end, which must be mapped
        {"\x82\xA2\x83h\x82S\x81@\x83\x8C ", false, {"\x83h\x82S", "\x83\x8C"}},
        // a raw block in full width among full-width notes, and one in half width after a blank
        {"\x83h\x81^\x82O\x82P\x81^\x83\x8C", true, {"\x83h", "\x81^\x82O\x82P\x81^", "\x83\x8C"}},
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
