#include "UnitMld/ScoreAnalysis.h"

#include <gtest/gtest.h>

#include "SequenceLines.h"

#include "MelodyTestImages.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using namespace testimages;

EditorTexts DefaultTexts()
{
    EditorTexts texts;
    texts.tempo = "125";
    texts.title = "A";
    texts.tones.fill(Sjis("1 - ピアノ"));
    texts.volumes.fill("63");
    return texts;
}

TEST(ScoreAnalysis, TempoCheck)
{
    const std::pair<const char*, int> cases[] = {{"1", 1},    {"255", 255}, {"125", 125}, {" 125", 125}, {"$7D", 125},
                                                 {"0", -1},   {"256", -1},  {"abc", -1},  {"", -1},      {"125 ", -1},
                                                 {"-5", -1}};
    for (const auto& [text, expected] : cases) {
        int tempo = -1;
        const std::optional<std::string> refusal = CheckTempoText(text, tempo);
        if (expected < 0) {
            EXPECT_EQ(refusal, std::string(Msg::TempoRefused) + text) << '"' << text << '"';
        } else {
            EXPECT_FALSE(refusal) << text;
            EXPECT_EQ(tempo, expected) << text;
        }
    }
}

TEST(ScoreAnalysis, ToneCheckReadsThePartBeforeTheFirstBlank)
{
    const std::pair<const char*, int> cases[] = {{"1 - ピアノ", 1}, {"108 - 琴", 108}, {"5", 5},  {"128", 128},
                                                 {"129", -1},      {"0", -1},        {"ピアノ", -1}, {" 5", -1},
                                                 {"", -1}};
    for (const auto& [utf8, expected] : cases) {
        const std::string text = Sjis(utf8);
        std::array<std::string, 4> texts{"1", "2", text, "4"};
        std::array<int, 4> tones{9, 9, 9, 9};
        const std::optional<std::string> refusal = CheckToneTexts(texts, tones);
        if (expected < 0) {
            EXPECT_EQ(refusal, std::string(Msg::ToneRefused) + text) << utf8;
            EXPECT_EQ(tones, (std::array<int, 4>{9, 9, 9, 9})) << utf8;
        } else {
            EXPECT_FALSE(refusal) << utf8;
            EXPECT_EQ(tones, (std::array<int, 4>{1, 2, expected, 4})) << utf8;
        }
    }
}

TEST(ScoreAnalysis, VolumeCheckTrimsButQuotesTheTextAsTyped)
{
    const std::pair<const char*, int> cases[] = {{" 63 ", 63}, {"0", 0}, {"64", -1}, {"-1", -1}, {" x ", -1}, {"", -1}};
    for (const auto& [text, expected] : cases) {
        std::array<std::string, 4> texts{"1", text, "3", "4"};
        std::array<int, 4> volumes{};
        const std::optional<std::string> refusal = CheckVolumeTexts(texts, volumes);
        if (expected < 0) {
            EXPECT_EQ(refusal, std::string(Msg::VolumeRefused) + text) << '"' << text << '"';
        } else {
            EXPECT_FALSE(refusal) << text;
            EXPECT_EQ(volumes[1], expected) << text;
        }
    }
}

struct OrderCase {
    const char* name;
    void (*spoil)(EditorTexts&);
    std::string refusal;
    bool listFilled;  // the four pages were parsed before the refusal
};

TEST(ScoreAnalysis, ChecksStopAtTheFirstBadValueInTheirOrder)
{
    const OrderCase cases[] = {
        {"tempo before tones",
         [](EditorTexts& t) {
             t.tempo = "0";
             t.tones[0] = "0";
         },
         std::string(Msg::TempoRefused) + "0", false},
        {"tones before volumes",
         [](EditorTexts& t) {
             t.volumes[0] = "99";
             t.tones[2] = "300";
         },
         std::string(Msg::ToneRefused) + "300", true},
        {"tone of voice 2 before voice 4",
         [](EditorTexts& t) {
             t.tones[3] = "x";
             t.tones[1] = "y";
         },
         std::string(Msg::ToneRefused) + "y", true},
        {"volume of voice 2 before voice 4",
         [](EditorTexts& t) {
             t.volumes[3] = "70";
             t.volumes[1] = "65";
         },
         std::string(Msg::VolumeRefused) + "65", true},
    };
    for (const OrderCase& c : cases) {
        EditorTexts texts = DefaultTexts();
        texts.scores = {Sjis("ド"), Sjis("レ"), "", Sjis("ミ")};
        c.spoil(texts);
        MelodyStore store;
        store.MelodyImage() = ExampleImage;
        store.Sequence() = ListOf({"    7 0  1   1"});  // a stale entry
        const AnalysisResult result = AnalyseScore(store, texts, MelodyFileInfo{}, false);
        EXPECT_EQ(result.refusal, c.refusal) << c.name;
        EXPECT_TRUE(store.MelodyImage().empty()) << c.name;
        EXPECT_TRUE(result.sequenceRows.empty()) << c.name;
        EXPECT_EQ(store.Sequence().size(), c.listFilled ? 6u : 0u) << c.name;
    }
}

TEST(ScoreAnalysis, SuccessfulAnalysis)
{
    EditorTexts texts = DefaultTexts();
    texts.scores = {Sjis("ド　レ\r\nミ"), "", Sjis("●２"), Sjis("ラ▼８ド▲▲▲")};
    MelodyStore store;
    const AnalysisResult result = AnalyseScore(store, texts, MelodyFileInfo{}, false);
    ASSERT_FALSE(result.refusal);
    EXPECT_EQ(result.canonicalScores, (std::array<std::string, 4>{Sjis("ド４レ４ミ４"), "", Sjis("●２"), Sjis("ラ▼８シ▲▲４")}));
    EXPECT_TRUE(store.IsMelodyImage());
    EXPECT_EQ(store.MelodyTempo(), 125);
    // A voice of rests only has no range line.
    EXPECT_EQ(result.report, Sjis("音譜解析結果\r\n　サイズ： " + std::to_string(store.MelodyImage().size()) +
                                  " バイト\r\n　第1音の範囲：ド～ミ\r\n　第4音の範囲：ラ▼～シ▲▲\r\n"));
    // Nine lines; the end lines of voices 3 and 4 are not the last line and get no row.
    ASSERT_EQ(result.sequenceRows.size(), 7u);
    EXPECT_EQ(result.sequenceRows.front(), (SequenceRow{"0", "0", "27", "46"}));
    EXPECT_EQ(result.sequenceRows.back(), (SequenceRow{"144", "0", "-1", "0"}));
    const Lines lines = LinesOf(store.Sequence());
    EXPECT_TRUE(std::is_sorted(lines.begin(), lines.end(),
                               [](const std::string& a, const std::string& b) { return SequenceTextLess(a, b); }));
}

TEST(ScoreAnalysis, FourEmptyPagesBuildAMelodyWithoutVoices)
{
    MelodyStore store;
    const AnalysisResult result = AnalyseScore(store, DefaultTexts(), MelodyFileInfo{}, false);
    ASSERT_FALSE(result.refusal);
    EXPECT_EQ(ToHex(store.MelodyImage().substr(store.MelodyImage().size() - 8)), "00 FF D0 00 00 FF C3 7D");
    EXPECT_EQ(result.report, Sjis("音譜解析結果\r\n　サイズ： 53 バイト\r\n"));
    EXPECT_TRUE(result.sequenceRows.empty());
}

TEST(ScoreAnalysis, ReportSkipsRawEndAndRestLines)
{
    MelodyStore store;
    store.MelodyImage() = std::string(10, 'x');
    store.Sequence() = ListOf({"    0 1       0102", "    0 1 17   0", "    0 1 40  10", "   10 1  5  10",
                        "   20 1 -1   0",     "    0 2 63   0", "    0 3 62   1"});
    EXPECT_EQ(AnalysisReport(store), Sjis("音譜解析結果\r\n　サイズ： 10 バイト\r\n　第2音の範囲：レ▼▼～ド＃▲\r\n"
                                          "　第4音の範囲：シ▲▲～シ▲▲\r\n"));
}

TEST(ScoreAnalysis, RawDataNeedsTheExtendedNotation)
{
    EditorTexts texts = DefaultTexts();
    texts.scores[0] = Sjis("ド／00FFE230／レ");
    MelodyStore plain;
    ASSERT_FALSE(AnalyseScore(plain, texts, MelodyFileInfo{}, false).refusal);
    MelodyStore extended;
    const AnalysisResult result = AnalyseScore(extended, texts, MelodyFileInfo{}, true);
    ASSERT_FALSE(result.refusal);
    EXPECT_EQ(result.canonicalScores[0], Sjis("ド４/00FFE230/レ４"));
    EXPECT_EQ(extended.MelodyImage().size(), plain.MelodyImage().size() + 4);
}

}  // namespace
}  // namespace quaverly
