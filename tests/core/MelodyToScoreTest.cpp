#include "UnitMld/MelodyToScore.h"

#include <gtest/gtest.h>

#include "SequenceLines.h"

#include "MelodyTestImages.h"
#include "base/Errors.h"

namespace quaverly {
namespace {

using namespace testimages;

TEST(MelodyToScore, LoadOfTheExample)
{
    MelodyStore store;
    store.MelodyImage() = ExampleImage;
    MelodyFileInfo info;
    info.version = "0203";
    info.copyright = "old";
    info.date = "old";
    info.sorc = true;
    const std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->title, "A");
    EXPECT_EQ(fields->tempoText, "125");
    const std::string piano = Sjis("1 - ピアノ");
    EXPECT_EQ(fields->toneTexts, (std::array<std::string, 4>{piano, piano, piano, piano}));
    EXPECT_EQ(fields->volumeTexts, (std::array<std::string, 4>{"63", "63", "63", "63"}));
    EXPECT_EQ(fields->scoreTexts, (std::array<std::string, 4>{Sjis("ド４"), "", "", ""}));
    EXPECT_EQ(fields->sequenceRows, (std::vector<SequenceRow>{{"0", "0", "27", "46"}, {"48", "0", "-1", "0"}}));
    EXPECT_EQ(LinesOf(store.Sequence()), (Lines{"    0 0 27  46", "   48 0 -1   0"}));
    EXPECT_FALSE(store.fff0DataSet);
    // The version is the program's own; the other fields come from the image.
    EXPECT_EQ(info.version, "0203");
    EXPECT_EQ(info.copyright, "");
    EXPECT_EQ(info.date, "");
    EXPECT_FALSE(info.sorc);
}

TEST(MelodyToScore, SorcFlagIsBitZeroOfTheSorcChunk)
{
    const std::pair<Chunks, bool> cases[] = {
        {{{"sorc", "\x03"}}, true}, {{{"sorc", "\x02"}}, false}, {{{"titl", "x"}}, false}, {{{"sorc", ""}}, false}};
    for (const auto& [chunks, expected] : cases) {
        MelodyStore store;
        store.MelodyImage() = MakeImage(chunks, HexBytes("00 1B 2E 30 FF DF 00"));
        MelodyFileInfo info;
        info.sorc = !expected;
        ASSERT_TRUE(LoadMelodyIntoEditor(store, info));
        EXPECT_EQ(info.sorc, expected);
    }
}

TEST(MelodyToScore, ImageThatIsNoMelodyChangesNothing)
{
    MelodyStore store;
    store.MelodyImage() = "MELO" + ExampleImage.substr(4);
    store.Sequence() = ListOf({"    7 0  1   1"});
    store.fff0DataSet = true;
    MelodyFileInfo info;
    info.copyright = "kept";
    EXPECT_FALSE(LoadMelodyIntoEditor(store, info));
    EXPECT_EQ(LinesOf(store.Sequence()), Lines{"    7 0  1   1"});
    EXPECT_TRUE(store.fff0DataSet);
    EXPECT_EQ(info.copyright, "kept");
}

TEST(MelodyToScore, MelodyLongerThanTheTimeColumnIsRefusedBeforeAnythingChanges)
{
    std::string events = "00 FF F0 00 01 07 ";
    for (int i = 0; i < 400; ++i) {
        events += "FF 1B 2E ";
    }
    MelodyStore store;
    store.MelodyImage() = MakeImage({{"copy", "new"}}, HexBytes(events));
    MelodyFileInfo info;
    info.copyright = "kept";
    EXPECT_THROW(LoadMelodyIntoEditor(store, info), MelodyLimitError);
    EXPECT_EQ(info.copyright, "kept");
    EXPECT_FALSE(store.fff0DataSet);
    EXPECT_TRUE(store.Sequence().empty());
}

TEST(MelodyToScore, GateSuffixRulesInOrder)
{
    struct Case {
        int duration;
        int gate;
        const char* suffix;  // UTF-8
    };
    const Case cases[] = {
        {48, 46, ""},    {48, 24, "＊"}, {48, 49, "Ｔ"},   {48, 10, "[10]"}, {4, 2, ""},  // d = g + 2 before d = 2g
        {30, 28, ""},    {255, 255, "[255]"}, {2, 1, "＊"}, {0, 1, "Ｔ"}, {5, 1, "[1]"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GateSuffix(c.duration, c.gate), Sjis(c.suffix)) << c.duration << "/" << c.gate;
    }
}

struct ScoreCase {
    const char* name;
    Lines lines;
    int voice;
    const char* text;  // UTF-8
};

TEST(MelodyToScore, VoiceScoreText)
{
    const ScoreCase cases[] = {
        {"gate suffixes",
         {"    0 0 27  46", "   48 0 31  24", "   96 0 34  49", "  144 0 36  10", "  192 0 -1   0"},
         0,
         "ド４ミ４＊ソ４Ｔラ４[10]"},
        {"first note at 96", {"   96 1 27  46", "  144 0 -1   0"}, 1, "●２ド４"},
        {"length without a table entry", {"    0 0 27  28", "   30 0 -1   0"}, 0, "ド(30)"},
        {"gate-0 event then a note", {"    0 0 27   0", "   48 0 29  46", "   96 0 -1   0"}, 0, "●４レ４"},
        {"two gate-0 events", {"    0 0 27   0", "   24 0 27   0", "   96 0 -1   0"}, 0, "●８●４．"},
        {"last note stretched to the end",
         {"    0 0 27 190", "    0 1 31  46", "   48 1 34  46", "  192 0 -1   0"},
         1,
         "ミ４ソ２．[46]"},
        {"voice without lines", {"    0 0 27  46", "   48 0 -1   0"}, 2, ""},
        {"unsorted list", {"   48 0 -1   0", "    0 0 27  46"}, 0, "ド４"},
        {"raw line of the voice has no length", {"    0 0 27  46", "   24 0       0102", "   48 0 -1   0"}, 0, "ド４"},
        {"same length, another gate", {"    0 0 27  46", "   48 0 29  24", "   96 0 31  46", "  144 0 -1   0"}, 0,
         "ド４レ４＊ミ４"},
        {"rest and note of the same length", {"    0 0 27   0", "   48 0 29  46", "   96 0 27   0", "  144 0 -1   0"},
         0, "●４レ４●４"},
        {"note and rest of the same length", {"    0 0 29  46", "   48 0 27   0", "   96 0 29  46", "  144 0 -1   0"},
         0, "レ４●４レ４"},
        {"spelling longer than sixteen bytes", {"    0 0 27 123456789", "99999 0 -1   0"}, 0, "ド(99999)[123456789]"},
        {"notes beyond the names clamp", {"    0 0 99  46", "   48 0 -5  46", "   96 0 -1   0"}, 0, "ド▲▲▲４ラ▼▼▼４"},
    };
    for (const ScoreCase& c : cases) {
        SequenceList list = ListOf(c.lines);
        EXPECT_EQ(VoiceScoreText(list, c.voice), Sjis(c.text)) << c.name;
    }
}

// A page's text is written into room made ahead from an even share of the
// list: a voice with far more events than its share must grow without losing
// or repeating a byte, and one with far fewer must still read right.
TEST(MelodyToScore, PageFarLongerThanItsShare)
{
    // ド６４, ファ６４ and ド▲▲▲６４: names of 2, 4 and 8 bytes.
    const int notes[] = {27, 32, 63};
    SequenceList list;
    list.AddEvent(0, 1, 27, 46);
    const int count = 3000;
    for (int k = 0; k < count; ++k) {
        list.AddEvent(3 * k, 0, notes[k % 3], 1);
    }
    list.AddEvent(3 * count, 0, EndNote, 0);
    std::string expected;
    for (int k = 0; k < count / 3; ++k) {
        expected += Sjis("ド６４ファ６４ド▲▲▲６４");
    }
    const std::array<std::string, 4> texts = VoiceScoreTexts(list);
    EXPECT_EQ(texts[0], expected);
    EXPECT_EQ(texts[1], Sjis("ド(9000)[46]"));
    EXPECT_EQ(texts[2], "");
    EXPECT_EQ(texts[3], "");
}

// Mended: a voice whose only line is the track's end line (listed on voice 0)
// came back as one long rest, and the next analysis made it a used voice.
TEST(MelodyToScore, EndLineAloneMakesNoVoice)
{
    SequenceList list = ListOf({"    0 1 27  46", "   48 1 29  46", "   96 0 -1   0"});
    EXPECT_EQ(VoiceScoreText(list, 0), "");
    EXPECT_EQ(VoiceScoreText(list, 1), Sjis("ド４レ４"));
}

// Mended: lines of a voice after its end line added one rest, then the same rest again.
TEST(MelodyToScore, VoiceEndsAtItsEndLine)
{
    SequenceList list = ListOf({"    0 0 27  46", "   48 0 -1   0", "   96 0 29  46", "  144 0 -1   0"});
    EXPECT_EQ(VoiceScoreText(list, 0), Sjis("ド４"));
}

TEST(MelodyToScore, SortingAnAlreadySortedListKeepsIt)
{
    SequenceList list = ListOf({"    0 0 27  46", "    0 1 27  46", "   48 0 -1   0", "   48 1 -1   0"});
    const SequenceList before = list;
    for (int voice = 0; voice < 4; ++voice) {
        VoiceScoreText(list, voice);
    }
    EXPECT_EQ(list, before);
}

TEST(MelodyToScore, SequenceViewRows)
{
    const SequenceList list = ListOf({"    0 0 27  46", "   48 0 -1   0", "   48 1       00FFE230", "   96 1 -1   0"});
    std::vector<SequenceRow> rows{{"old", "", "", ""}};
    FillSequenceView(list, rows);
    EXPECT_EQ(rows, (std::vector<SequenceRow>{{"old", "", "", ""},
                                              {"0", "0", "27", "46"},
                                              {"48", "1", "", "/00FFE230/"},
                                              {"96", "1", "-1", "0"}}));
}

TEST(MelodyToScore, LoadGivesEveryVoiceItsSettings)
{
    MelodyStore store;
    store.MelodyImage() = MakeImage(
        {{"titl", "Tune"}, {"copy", "(c)"}, {"date", "20240101"}},
        HexBytes("00 FF C3 40 00 FF E0 09 00 FF E1 03 00 FF E0 41 00 FF E1 42 00 FF E2 10 00 FF E2 4A 00 FF F0 00 02 AB CD "
                 "00 1B 2E 00 5D 16 30 1B 2E 30 FF DF 00"));
    MelodyFileInfo info;
    const std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->title, "Tune");
    EXPECT_EQ(fields->tempoText, "64");
    EXPECT_EQ(fields->toneTexts[0], Sjis("74 - フルート"));
    EXPECT_EQ(fields->toneTexts[1], "2 - Bright Piano");
    EXPECT_EQ(fields->volumeTexts, (std::array<std::string, 4>{"16", "10", "63", "63"}));
    EXPECT_EQ(fields->scoreTexts, (std::array<std::string, 4>{Sjis("ド４ド４"), Sjis("レ２[22]"), "", ""}));
    EXPECT_EQ(info.copyright, "(c)");
    EXPECT_EQ(info.date, "20240101");
    EXPECT_TRUE(store.fff0DataSet);
    EXPECT_EQ(store.fff0DataHex, "abcd");
}

}  // namespace
}  // namespace quaverly
