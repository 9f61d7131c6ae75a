#include "UnitMld/SequenceList.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <iterator>
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
// the time column and negative, gates above 999 and beyond what a packed
// entry holds, notes of other widths, voices beyond 0..3, places in the
// voice's own page and in others, raw data of every case and of odd
// characters, and many ties.
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
        const int voice = between(0, 9) < 8 ? between(0, 3) : between(-2, 9);
        // Each place is told apart by its offset, so that the order of equal lines shows.
        SourceSpan source;
        switch (between(0, 5)) {
        case 0: source = {voice, i, between(0, 3)}; break;
        case 1: source = {voice, i + (1 << 24), 1}; break;
        case 2: source = {(voice + 1) & 3, i, 1}; break;
        case 3: source = {voice, i, between(120, 300)}; break;
        default: break;
        }
        if (between(0, 4) == 0) {
            list.AddRaw(time, voice, RawTexts[between(0, std::size(RawTexts) - 1)], source);
            continue;
        }
        int note = between(0, 9) < 8 ? between(-1, 63) : between(-120, 120);
        if (between(0, 19) == 0) {
            note = between(0, 1) == 0 ? between(-40000, -129) : between(128, 40000);
        }
        int gate = between(0, 3) == 0 ? between(0, 3) : (between(0, 3) == 0 ? between(990, 200000) : between(0, 255));
        if (between(0, 19) == 0) {
            gate = between(0, 1) == 0 ? between(INT_MIN, -1) : between((1 << 21) - 2, INT_MAX);
        }
        list.AddEvent(time, voice, note, gate, source);
        if (between(0, 9) == 0) {
            list.AddEvent(time, voice, note, gate, source);  // an equal entry: the sort must keep both
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
        // The whole entries sorted by their lines: each place and raw text must move with its entry.
        std::vector<std::pair<std::string, SequenceEntry>> entries;
        for (const SequenceEntry& entry : list) {
            entries.emplace_back(FormatSequenceLine(list, entry), entry);
        }
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& a, const auto& b) { return SequenceTextLess(a.first, b.first); });
        list.Sort();
        ASSERT_EQ(LinesOf(list), lines) << "seed " << seed;
        ASSERT_TRUE(list.IsSorted()) << "seed " << seed;
        for (size_t i = 0; i < list.size(); ++i) {
            ASSERT_EQ(list[i], entries[i].second) << "seed " << seed << ", entry " << i;
        }
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

// Lists of a few runs in order, as pages come, with raw data or a note wider
// than its columns among plain events: raw data's blank note columns put it
// before every event of its time and voice, whatever its text or index, and a
// wide note shifts the gate, so neither orders by numbers.
TEST(SequenceList, FewRunsWithEntriesBeyondTheColumnsOrderByTheirLines)
{
    const Lines cases[] = {
        {"    0 0  0   0", "    0 0       01"},
        {"    0 0  0   0", "    0 0  0   1", "    0 0       00", "    0 0       01"},
        {"    0 0  0   5", "    3 1 27  46", "    0 0       01", "    0 0       00", "    3 1       ff"},
        {"    0 1 -1   0", "    0 0       01", "    0 0  0   0"},
        {"   96 3 10 999", "   96 3       0102", "    0 0  9   9", "   96 3  9   9"},
        {"    0 0 10   3", "    0 0 -10   5"},
        {"    0 0 99   5", "    0 0 100   0"},
        {"    0 0 -9   5", "    0 0 -10   0", "    0 0  0   0"},
        {"    0 0  5 999", "    0 0  5 1000"},
        {"99999 0  5   0", "100000 0  5   0"},
        {"    0 0  5   0", "   -1 0  5   0"},
    };
    for (const Lines& lines : cases) {
        SequenceList list = ListOf(lines);
        Lines expected = lines;
        std::stable_sort(expected.begin(), expected.end(), SequenceTextLess);
        list.Sort();
        EXPECT_EQ(LinesOf(list), expected) << lines.front();
        EXPECT_TRUE(list.IsSorted()) << lines.front();
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

static_assert(std::random_access_iterator<SequenceList::const_iterator>);

constexpr int Mebi16 = 1 << 24;
constexpr int GateBound = 1 << 21;

// What an entry reads back as: the values given, with the note held to
// -32768..32767, the voice to -128..127 and pages beyond 0..6 taken as none.
struct Expected {
    int time;
    int voice;
    int note;
    int gate;
    SourceSpan source;
};

struct EventCase {
    const char* what;
    int time;
    int voice;
    int note;
    int gate;
    SourceSpan source;
    Expected expected;
};

// Values at and just beyond every bound of a compact entry, and far beyond.
const EventCase EventCases[] = {
    {"plain", 96, 1, 27, 46, {}, {96, 1, 27, 46, {}}},
    {"lowest time", INT_MIN, 0, 27, 46, {}, {INT_MIN, 0, 27, 46, {}}},
    {"time -1", -1, 0, 27, 46, {}, {-1, 0, 27, 46, {}}},
    {"time 0", 0, 0, 27, 46, {}, {0, 0, 27, 46, {}}},
    {"last time of the column", MaxSequenceTime, 3, 27, 46, {}, {MaxSequenceTime, 3, 27, 46, {}}},
    {"highest time", INT_MAX, 0, 27, 46, {}, {INT_MAX, 0, 27, 46, {}}},
    {"gate -1", 0, 0, 27, -1, {}, {0, 0, 27, -1, {}}},
    {"gate 0", 0, 0, 27, 0, {}, {0, 0, 27, 0, {}}},
    {"highest compact gate", 0, 2, 27, GateBound - 1, {}, {0, 2, 27, GateBound - 1, {}}},
    {"gate just beyond", 0, 2, 27, GateBound, {}, {0, 2, 27, GateBound, {}}},
    {"highest gate", 0, 0, 27, INT_MAX, {}, {0, 0, 27, INT_MAX, {}}},
    {"lowest gate", 0, 0, 27, INT_MIN, {}, {0, 0, 27, INT_MIN, {}}},
    {"end of voice", 5, 3, EndNote, 0, {}, {5, 3, EndNote, 0, {}}},
    {"note -128", 0, 0, -128, 1, {}, {0, 0, -128, 1, {}}},
    {"note -129", 0, 0, -129, 1, {}, {0, 0, -129, 1, {}}},
    {"note 127", 0, 0, 127, 1, {}, {0, 0, 127, 1, {}}},
    {"note 128", 0, 0, 128, 1, {}, {0, 0, 128, 1, {}}},
    {"note held at the lowest short", 0, 0, INT16_MIN - 1, 1, {}, {0, 0, INT16_MIN, 1, {}}},
    {"note held at the highest short", 0, 0, INT_MAX, 1, {}, {0, 0, INT16_MAX, 1, {}}},
    {"note at the highest short", 0, 0, INT16_MAX, 1, {}, {0, 0, INT16_MAX, 1, {}}},
    {"voice -1", 0, -1, 27, 46, {}, {0, -1, 27, 46, {}}},
    {"voice 4", 0, 4, 27, 46, {}, {0, 4, 27, 46, {}}},
    {"voice held at 127", 0, 200, 27, 46, {}, {0, 127, 27, 46, {}}},
    {"voice held at -128", 0, -200, 27, 46, {}, {0, -128, 27, 46, {}}},
    {"place in the voice's page", 7, 2, 27, 46, {2, 40, 4}, {7, 2, 27, 46, {2, 40, 4}}},
    {"place in another page", 7, 2, 27, 46, {1, 40, 4}, {7, 2, 27, 46, {1, 40, 4}}},
    {"place in page 6", 7, 2, 27, 46, {6, 40, 4}, {7, 2, 27, 46, {6, 40, 4}}},
    {"page 7 is no page", 7, 2, 27, 46, {7, 40, 4}, {7, 2, 27, 46, {}}},
    {"page -2 is no page", 7, 2, 27, 46, {-2, 40, 4}, {7, 2, 27, 46, {}}},
    {"place of a voice beyond 0..3", 7, 5, 27, 46, {5, 40, 4}, {7, 5, 27, 46, {5, 40, 4}}},
    {"last compact offset", 7, 0, 27, 46, {0, Mebi16 - 1, 1}, {7, 0, 27, 46, {0, Mebi16 - 1, 1}}},
    {"offset 16 MiB", 7, 0, 27, 46, {0, Mebi16, 1}, {7, 0, 27, 46, {0, Mebi16, 1}}},
    {"highest offset", 7, 0, 27, 46, {0, INT_MAX, 1}, {7, 0, 27, 46, {0, INT_MAX, 1}}},
    {"negative offset", 7, 0, 27, 46, {0, -1, 1}, {7, 0, 27, 46, {0, -1, 1}}},
    {"length 0", 7, 0, 27, 46, {0, 9, 0}, {7, 0, 27, 46, {0, 9, 0}}},
    {"length 127", 7, 0, 27, 46, {0, 9, 127}, {7, 0, 27, 46, {0, 9, 127}}},
    {"length 128", 7, 0, 27, 46, {0, 9, 128}, {7, 0, 27, 46, {0, 9, 128}}},
    {"negative length", 7, 0, 27, 46, {0, 9, -1}, {7, 0, 27, 46, {0, 9, -1}}},
    {"last offset with length 127", 7, 3, 27, 46, {3, Mebi16 - 1, 127}, {7, 3, 27, 46, {3, Mebi16 - 1, 127}}},
    {"everything beyond", INT_MIN, 200, INT_MIN, INT_MIN, {6, INT_MAX, INT_MAX},
     {INT_MIN, 127, INT16_MIN, INT_MIN, {6, INT_MAX, INT_MAX}}},
};

struct RawCase {
    const char* what;
    int time;
    int voice;
    const char* hex;
    SourceSpan source;
    Expected expected;  // note and gate 0
};

const RawCase RawCases[] = {
    {"plain", 48, 2, "0102", {}, {48, 2, 0, 0, {}}},
    {"empty text", 0, 0, "", {}, {0, 0, 0, 0, {}}},
    {"voice 3 in its page", INT_MAX, 3, "00FFE230", {3, 100, 10}, {INT_MAX, 3, 0, 0, {3, 100, 10}}},
    {"voice -1", INT_MIN, -1, "ff", {}, {INT_MIN, -1, 0, 0, {}}},
    {"voice 4", 0, 4, "ff", {4, 0, 4}, {0, 4, 0, 0, {4, 0, 4}}},
    {"voice held at 127", 0, 200, "ff", {}, {0, 127, 0, 0, {}}},
    {"long block", 9, 1, "0102030405", {1, 77, 4000}, {9, 1, 0, 0, {1, 77, 4000}}},
    {"block in another page", 9, 1, "01", {0, 77, 4}, {9, 1, 0, 0, {0, 77, 4}}},
    {"block beyond 16 MiB", 9, 1, "01", {1, Mebi16, 4}, {9, 1, 0, 0, {1, Mebi16, 4}}},
};

void ExpectEntry(const SequenceEntry& entry, const Expected& want, bool raw, const char* what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(entry.Time(), want.time);
    EXPECT_EQ(entry.Voice(), want.voice);
    EXPECT_EQ(entry.Note(), want.note);
    EXPECT_EQ(entry.Gate(), want.gate);
    EXPECT_EQ(entry.IsRaw(), raw);
    EXPECT_EQ(entry.IsEnd(), !raw && want.note == EndNote);
    EXPECT_EQ(entry.Source(), want.source);
}

// The cases one after the other, each between two plain entries, so that an
// entry read from the wrong place or with another's values shows.
SequenceList ListOfAllCases()
{
    SequenceList list;
    for (const EventCase& c : EventCases) {
        list.AddEvent(1, 0, 2, 3);
        list.AddEvent(c.time, c.voice, c.note, c.gate, c.source);
    }
    for (const RawCase& c : RawCases) {
        list.AddEvent(1, 0, 2, 3);
        list.AddRaw(c.time, c.voice, c.hex, c.source);
    }
    list.AddEvent(1, 0, 2, 3);
    return list;
}

void ExpectAllCases(const SequenceList& list, size_t first)
{
    const size_t count = std::size(EventCases) + std::size(RawCases);
    ASSERT_EQ(list.size(), first + 2 * count + 1);
    auto at = list.begin() + static_cast<std::ptrdiff_t>(first);
    for (size_t k = 0; k <= count; ++k) {
        ExpectEntry(list[first + 2 * k], {1, 0, 2, 3, {}}, false, "plain entry between the cases");
    }
    for (const EventCase& c : EventCases) {
        const SequenceEntry entry = at[1];
        ExpectEntry(entry, c.expected, false, c.what);
        // What the list hands out is what the entry of these values is.
        EXPECT_EQ(entry, SequenceEntry::Event(c.time, c.voice, c.note, c.gate, c.source)) << c.what;
        EXPECT_EQ(list.RawText(entry), "") << c.what;
        at += 2;
    }
    for (const RawCase& c : RawCases) {
        const SequenceEntry entry = *(at + 1);
        ExpectEntry(entry, c.expected, true, c.what);
        EXPECT_EQ(list.RawText(entry), c.hex) << c.what;
        at += 2;
    }
    EXPECT_EQ(at + 1, list.end());
}

TEST(SequenceList, EntriesReadBackWithTheirValuesAtEveryBound)
{
    const SequenceList list = ListOfAllCases();
    ExpectAllCases(list, 0);
    for (const EventCase& c : EventCases) {
        SequenceList one;
        one.AddEvent(c.time, c.voice, c.note, c.gate, c.source);
        ExpectEntry(one.back(), c.expected, false, c.what);
        ExpectEntry(*one.begin(), c.expected, false, c.what);
    }
    // Appended behind entries of its own, wide ones among them, each entry keeps its values.
    SequenceList appended;
    appended.AddEvent(0, 9, 1000, -5, {3, -1, 1});
    appended.AddRaw(0, 0, "zz", {0, 0, 999});
    appended.Append(list);
    ExpectEntry(appended[0], {0, 9, 1000, -5, {3, -1, 1}}, false, "first of its own");
    EXPECT_EQ(appended.RawText(appended[1]), "zz");
    ExpectAllCases(appended, 2);
    // Cleared, then filled again: nothing of before is read.
    appended.clear();
    EXPECT_TRUE(appended.empty());
    appended.Append(list);
    ExpectAllCases(appended, 0);
}

TEST(SequenceList, IteratorWalksEveryWay)
{
    const SequenceList list = ListOfAllCases();
    const auto size = static_cast<std::ptrdiff_t>(list.size());
    EXPECT_EQ(list.end() - list.begin(), size);
    EXPECT_EQ(std::ranges::distance(list), size);
    auto it = list.end();
    for (std::ptrdiff_t k = size - 1; k >= 0; --k) {
        --it;
        ASSERT_EQ(*it, list[static_cast<size_t>(k)]);
        ASSERT_EQ(list.begin()[k], list[static_cast<size_t>(k)]);
        ASSERT_EQ(*(list.begin() + k), *(k + list.begin()));
    }
    EXPECT_EQ(it, list.begin());
    EXPECT_LT(list.begin(), list.end());
    EXPECT_EQ(list.back(), *(list.end() - 1));
    EXPECT_EQ(SequenceList{}.begin(), SequenceList{}.end());
}

// Lists equal by their values whatever order their side tables and raw
// texts were filled in; unequal by any one value, also of a wide entry.
TEST(SequenceList, ListsCompareByValuesNotByHowTheyAreKept)
{
    const SequenceList cases = ListOfAllCases();
    // Each entry again at the time of its place, added first to last or last to first and sorted.
    auto copied = [&cases](bool lastFirst) {
        SequenceList list;
        for (size_t k = 0; k < cases.size(); ++k) {
            const size_t i = lastFirst ? cases.size() - 1 - k : k;
            const SequenceEntry entry = cases[i];
            const int time = static_cast<int>(i + 1);
            if (entry.IsRaw()) {
                list.AddRaw(time, entry.Voice(), cases.RawText(entry), entry.Source());
            } else {
                list.AddEvent(time, entry.Voice(), entry.Note(), entry.Gate(), entry.Source());
            }
        }
        list.Sort();
        return list;
    };
    EXPECT_TRUE(copied(true) == copied(false));

    struct Change {
        const char* what;
        Expected before;
        Expected after;
    };
    const Change changes[] = {
        {"time of a compact entry", {1, 0, 2, 3, {0, 0, 1}}, {2, 0, 2, 3, {0, 0, 1}}},
        {"time of a wide entry", {1, 9, 2, 3, {}}, {2, 9, 2, 3, {}}},
        {"gate of a wide entry", {1, 0, 2, GateBound, {}}, {1, 0, 2, GateBound + 1, {}}},
        {"note of a wide entry", {1, 0, 129, 3, {}}, {1, 0, 130, 3, {}}},
        {"voice of a compact entry", {1, 1, 2, 3, {}}, {1, 2, 2, 3, {}}},
        {"page of a wide entry", {1, 0, 2, 3, {1, 0, 1}}, {1, 0, 2, 3, {2, 0, 1}}},
        {"place or none", {1, 0, 2, 3, {0, 0, 0}}, {1, 0, 2, 3, {}}},
        {"offset of a wide entry", {1, 0, 2, 3, {0, Mebi16, 1}}, {1, 0, 2, 3, {0, Mebi16 + 1, 1}}},
        {"length of a compact entry", {1, 0, 2, 3, {0, 0, 1}}, {1, 0, 2, 3, {0, 0, 2}}},
    };
    for (const Change& change : changes) {
        SequenceList before;
        SequenceList after;
        for (const auto& [list, v] : {std::pair{&before, change.before}, std::pair{&after, change.after}}) {
            list->AddEvent(0, 0, 200, -1);  // a wide entry ahead, the same in both
            list->AddEvent(v.time, v.voice, v.note, v.gate, v.source);
        }
        EXPECT_FALSE(before == after) << change.what;
    }
    SequenceList rawA;
    rawA.AddRaw(0, 5, "0102");
    SequenceList rawB;
    rawB.AddRaw(0, 5, "0103");
    EXPECT_FALSE(rawA == rawB);
    rawB.clear();
    rawB.AddRaw(0, 5, "0102");
    EXPECT_TRUE(rawA == rawB);
}

}  // namespace
}  // namespace quaverly
