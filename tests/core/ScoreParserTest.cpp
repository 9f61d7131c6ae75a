#include <gtest/gtest.h>

#include "SequenceLines.h"

#include <random>
#include <string>
#include <vector>

#include "UnitMld/ScoreParser.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

// Inputs and canonical texts are written in UTF-8 here and converted to the
// Shift-JIS the parser reads.
std::string Sjis(std::string_view utf8)
{
    return Utf8ToSjis(utf8);
}

struct ParseCase {
    const char* name;
    const char* input;  // UTF-8
    int voice;
    bool extended;
    std::vector<std::string> lines;
    const char* canonical;  // UTF-8
};

const std::vector<ParseCase>& ParseCases()
{
    // clang-format off
    static const std::vector<ParseCase> cases{
        {"empty text", "", 0, false, {}, ""},
        {"no note heads", "abc C4 r2\r\n", 0, false, {}, ""},
        {"plain do", "ド", 0, false, {"    0 0 27  46", "   48 0 -1   0"}, "ド４"},
        {"notes, dots, staccato and a rest", "ド４　レ８．＊　●２", 1, false,
         {"    0 1 27  46", "   48 1 29  18", "   84 1 17   0", "  180 1 -1   0"}, "ド４レ８．＊●２"},
        {"whole note second spelling", "ド１", 0, false, {"    0 0 27 190", "  192 0 -1   0"}, "ド全"},
        {"longest duration spelling wins", "ド１６．ド１６３ド３２３ド６４", 0, false,
         {"    0 0 27  16", "   18 0 27   6", "   26 0 27   2", "   30 0 27   1", "   33 0 -1   0"},
         "ド１６．ド１６３ド３２３ド６４"},
        {"lowest note", "ラ▼▼▼ド▼▼▼", 0, false, {"    0 0  0  46", "   48 0  0  46", "   96 0 -1   0"}, "ラ▼▼▼４ラ▼▼▼４"},
        {"highest note in voice 1", "ド▲▲▲＃", 0, false, {"    0 0 63  46", "   48 0 -1   0"}, "ド▲▲▲４"},
        // Other readers take status 0x7F for a resource event: voice 2's note 63 would be one.
        {"highest note in voice 2 is 62", "ド▲▲▲", 1, false, {"    0 1 62  46", "   48 1 -1   0"}, "シ▲▲４"},
        {"highest note in voice 3 stays 63", "ド▲▲▲", 2, false, {"    0 2 63  46", "   48 2 -1   0"}, "ド▲▲▲４"},
        {"highest note in voice 4 is 62", "ド▲▲▲＃ド▲▲▲", 3, false,
         {"    0 3 62  46", "   48 3 62  46", "   96 3 -1   0"}, "シ▲▲４シ▲▲４"},
        {"flats are spelled as sharps", "シ♭ド♭", 0, false,
         {"    0 0 37  46", "   48 0 26  46", "   96 0 -1   0"}, "ラ＃４シ▼４"},
        {"alternative octave marks", "ド￣ド＿ド↑ド↓ド_ド#ミ♯", 0, false,
         {"    0 0 39  46", "   48 0 15  46", "   96 0 39  46", "  144 0 15  46", "  192 0 15  46", "  240 0 28  46",
          "  288 0 32  46", "  336 0 -1   0"}, "ド▲４ド▼４ド▲４ド▼４ド▼４ド＃４ファ４"},
        {"marks in any order, blanks between", "ド ▲　８ ＃", 0, false, {"    0 0 40  22", "   24 0 -1   0"}, "ド＃▲８"},
        {"arc is written as tie", "ソ８⌒", 0, false, {"    0 0 34  25", "   24 0 -1   0"}, "ソ８Ｔ"},
        {"last articulation wins", "ミ＊［10］ミ［10］＊", 0, false,
         {"    0 0 31  10", "   48 0 31  24", "   96 0 -1   0"}, "ミ４[10]ミ４＊"},
        {"length group", "レ（100）", 0, false, {"    0 0 29  98", "  100 0 -1   0"}, "レ(100)"},
        {"length group with a table length", "レ（48）", 0, false, {"    0 0 29  46", "   48 0 -1   0"}, "レ４"},
        {"half-width length group", "ド(100)", 0, false, {"    0 0 27  98", "  100 0 -1   0"}, "ド(100)"},
        {"length group replaces a duration", "ド４（100）", 0, false, {"    0 0 27  98", "  100 0 -1   0"}, "ド(100)"},
        {"duration after a length group is ignored", "ド（100）８", 0, false,
         {"    0 0 27  98", "  100 0 -1   0"}, "ド(100)"},
        {"signed full-width group", "ド（＋１００）", 0, false, {"    0 0 27  98", "  100 0 -1   0"}, "ド(100)"},
        {"unclosed length group", "ド（10", 0, false, {"    0 0 27  46", "   48 0 -1   0"}, "ド４"},
        {"group that is not a number", "ド（1 0）レ（１x）", 0, false,
         {"    0 0 27  46", "   48 0 29  46", "   96 0 -1   0"}, "ド４レ４"},
        {"group closed after the next note", "ド（100 レ）", 0, false,
         {"    0 0 27  46", "   48 0 29  46", "   96 0 -1   0"}, "ド４レ４"},
        {"gate group", "ミ［10］", 0, false, {"    0 0 31  10", "   48 0 -1   0"}, "ミ４[10]"},
        {"gate groups 0, -1 and -2 are the articulations", "ミ［0］ミ［-1］ミ［－２］", 0, false,
         {"    0 0 31  46", "   48 0 31  24", "   96 0 31  49", "  144 0 -1   0"}, "ミ４ミ４＊ミ４Ｔ"},
        {"negative gate group", "ミ［-5］", 0, false, {"    0 0 31   5", "   48 0 -1   0"}, "ミ４[-5]"},
        {"second duration ends the note", "ド４４", 0, false, {"    0 0 27  46", "   48 0 -1   0"}, "ド４"},
        {"every rest head", "休２Ｒ２R2○２△・", 2, false,
         {"    0 2 17   0", "   96 2 17   0", "  192 2 17   0", "  288 2 17   0", "  384 2 17   0", "  432 2 17   0",
          "  480 2 -1   0"}, "●２●２●２●２●４●４"},
        {"gate group on a rest", "●［10］＊", 0, false, {"    0 0 17   0", "   48 0 -1   0"}, "●４"},
        {"pitch mark on a rest makes a note", "●▲", 0, false, {"    0 0 10  46", "   48 0 -1   0"}, "ソ▼▼４"},
        {"line break ends the marks", "ド\r\n４レ\n８", 0, false,
         {"    0 0 27  46", "   48 0 29  46", "   96 0 -1   0"}, "ド４レ４"},
        {"tab ends the marks", "ド\t８", 0, false, {"    0 0 27  46", "   48 0 -1   0"}, "ド４"},
        {"letters are not note heads", "C4 ファ", 0, false, {"    0 0 32  46", "   48 0 -1   0"}, "ファ４"},
        {"lower-case r and t mean nothing", "ド t r", 0, false, {"    0 0 27  46", "   48 0 -1   0"}, "ド４"},
        {"half-width katakana heads", "ﾄﾞﾚ", 0, false, {"    0 0 27  46", "   48 0 29  46", "   96 0 -1   0"}, "ド４レ４"},
        // The longer spelling "４．" is found across the widths, not "４" alone.
        {"a half-width dot lengthens a full-width length", "ソ４.＊", 0, false,
         {"    0 0 34  36", "   72 0 -1   0"}, "ソ４．＊"},
        {"a full-width dot lengthens a half-width length", "ソ4．", 0, false,
         {"    0 0 34  70", "   72 0 -1   0"}, "ソ４．"},
        {"pending value 0 flushes nothing", "ド▼▼♭♭♭♭", 0, false, {}, ""},
        {"pending value 0 takes no duration", "ド▼▼♭♭♭♭４レ", 0, false, {"    0 0 29  46", "   48 0 -1   0"}, "レ４"},
        {"sharp on a rest cancels it", "●♯ミ", 0, false, {"    0 0 31  46", "   48 0 -1   0"}, "ミ４"},
        {"raw block between notes", "ド／0102／レ", 1, true,
         {"    0 1 27  46", "   48 1       0102", "   48 1 29  46", "   96 1 -1   0"}, "ド４/0102/レ４"},
        {"half-width raw block", "ド/0a0b/", 0, true, {"    0 0 27  46", "   48 0       0a0b"}, "ド４/0a0b/"},
        {"closed raw block at the end leaves no end line", "ド／0102／", 0, true,
         {"    0 0 27  46", "   48 0       0102"}, "ド４/0102/"},
        {"unclosed raw block is read as score", "ド／８レ", 0, true,
         {"    0 0 27  46", "   48 0 29  46", "   96 0 -1   0"}, "ド４レ４"},
        {"raw delimiter without extended notation", "ド／８", 0, false, {"    0 0 27  46", "   48 0 -1   0"}, "ド４"},
        {"negative length of a note", "ド（-5）", 0, false, {"    0 0 27   7", "    0 0 -1   0"}, "ド(0)"},
        {"negative staccato rounds toward zero", "ド（-25）＊", 0, false, {"    0 0 27  12", "    0 0 -1   0"}, "ド(0)＊"},
        {"negative length of a rest is kept", "●（-5）ド", 0, false,
         {"    0 0 17   0", "   -5 0 27  46", "   43 0 -1   0"}, "●(-5)ド４"},
    };
    // clang-format on
    return cases;
}

TEST(ScoreParser, ParsesTheNotation)
{
    for (const ParseCase& c : ParseCases()) {
        SCOPED_TRACE(c.name);
        SequenceList list;
        const std::string canonical = ParseScore(Sjis(c.input), c.voice, list, c.extended);
        EXPECT_EQ(LinesOf(list), c.lines);
        EXPECT_EQ(SjisToUtf8(canonical), c.canonical);
    }
}

TEST(ScoreParser, CanonicalTextParsesToTheSameEvents)
{
    for (const ParseCase& c : ParseCases()) {
        const std::string_view name = c.name;
        // Negative lengths are written as length 0, and an unused voice stays unused.
        if (name.starts_with("negative") || std::string_view(c.canonical).empty()) {
            continue;
        }
        SCOPED_TRACE(c.name);
        SequenceList first;
        SequenceList second;
        const std::string canonical = ParseScore(Sjis(c.input), c.voice, first, c.extended);
        EXPECT_EQ(ParseScore(canonical, c.voice, second, c.extended), canonical);
        EXPECT_EQ(LinesOf(second), LinesOf(first));
    }
}

TEST(ScoreParser, AppendsToTheListWithoutClearingIt)
{
    SequenceList list = ListOf({"    7 0  1   1"});
    ParseScore(Sjis("ド"), 0, list, false);
    ParseScore(Sjis("レ"), 1, list, false);
    EXPECT_EQ(LinesOf(list), (Lines{"    7 0  1   1", "    0 0 27  46", "   48 0 -1   0", "    0 1 29  46", "   48 1 -1   0"}));
}

TEST(ScoreParser, HugeGroupsSaturateInsteadOfOverflowing)
{
    SequenceList list;
    const std::string canonical =
        ParseScore(Sjis("ド（2147483647）Ｔド（2147483647）ミ［-2147483648］ミ（2147483648）"), 0, list, false);
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(LinesOf(list)[0], "    0 0 27 2147483647");
    EXPECT_EQ(LinesOf(list)[1], "2147483647 0 27 2147483645");
    EXPECT_EQ(LinesOf(list)[2], "2147483647 0 31 2147483647");
    EXPECT_EQ(LinesOf(list)[3], "2147483647 0 31  46");  // 2147483648 is not a 32-bit number: the group is skipped
    EXPECT_EQ(SjisToUtf8(canonical), "ド(2147483647)Ｔド(2147483647)ミ４[-2147483648]ミ４");
}

TEST(ScoreParser, DurationTextSpellsTheFirstEntryOrTheTicks)
{
    EXPECT_EQ(SjisToUtf8(DurationText(192)), "全");
    EXPECT_EQ(SjisToUtf8(DurationText(144)), "２．");
    EXPECT_EQ(SjisToUtf8(DurationText(3)), "６４");
    EXPECT_EQ(DurationText(100), "(100)");
    EXPECT_EQ(DurationText(0), "(0)");
    EXPECT_EQ(DurationText(-7), "(-7)");
}

// Many opening brackets that never close: a search for the closing bracket
// from each of them would take hours on this text.
TEST(ScoreParser, UnclosedBracketsStayLinear)
{
    std::string text;
    const std::string unit = Sjis("ド（１［２");
    while (text.size() < 1'000'000) {
        text += unit;
    }
    text += Sjis("／");
    SequenceList list;
    const std::string canonical = ParseScore(text, 0, list, true);
    // One note per unit; the unclosed "／" at the end takes the last note's end line away.
    EXPECT_EQ(list.size(), text.size() / unit.size());
}

TEST(ScoreParser, RandomAndTruncatedBytesNeverFail)
{
    const std::string rich = Sjis("ド▲＃８．＊［10］レ（100）●２ﾄﾞ／0102／ファ\r\n(5)[") + "\x81";
    for (size_t n = 0; n <= rich.size(); ++n) {
        for (bool extended : {false, true}) {
            SequenceList list;
            ParseScore(std::string_view(rich).substr(0, n), 3, list, extended);
        }
    }
    // Bytes drawn mostly from the notation's lead and trail bytes, so that
    // symbols, groups and blocks meet in every half-finished way.
    const std::string alphabet = "\x81\x82\x83\x8B\x91\x5E\x69\x6A\x6D\x6E\x68\x44\x51\x53\x94\x96(-)[]/5 \r\n\xB6\xDE";
    std::mt19937 random(12345);
    std::uniform_int_distribution<size_t> pick(0, alphabet.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        const int length = round % 64;
        for (int i = 0; i < length; ++i) {
            text.push_back(round % 4 == 0 ? static_cast<char>(byte(random)) : alphabet[pick(random)]);
        }
        SequenceList list;
        ParseScore(text, round % 4, list, round % 2 == 0);
        for (const std::string& line : LinesOf(list)) {
            ASSERT_GE(line.size(), 14u);
        }
    }
}

}  // namespace
}  // namespace quaverly
