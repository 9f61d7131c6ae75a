#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "base/Errors.h"
#include "base/FileIO.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreParser.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

std::string Sjis(std::string_view utf8)
{
    return Utf8ToSjis(utf8);
}

EditorTexts SampleTexts()
{
    EditorTexts texts;
    texts.title = Sjis("ふるさと");
    texts.tempo = "105";
    texts.tones = {Sjis("1 - ピアノ"), Sjis("74 - フルート"), "5", ""};
    texts.volumes = {"63", "50", "63", "0"};
    texts.scores = {Sjis("ドレミ\r\nファソ"), Sjis("●全"), "", Sjis("ソ")};
    return texts;
}

void ExpectSameTexts(const EditorTexts& a, const EditorTexts& b)
{
    EXPECT_EQ(a.title, b.title);
    EXPECT_EQ(a.tempo, b.tempo);
    EXPECT_EQ(a.tones, b.tones);
    EXPECT_EQ(a.volumes, b.volumes);
    EXPECT_EQ(a.scores, b.scores);
}

TEST(MelodyText, WritesTheFieldsAsTaggedLines)
{
    MelodyFileInfo info;
    const std::string expected = Sjis(
        "$T\r\nふるさと\r\n$t\r\n105\r\n$C\r\n\r\n$D\r\n\r\n"
        "$1\r\n-1 - ピアノ\r\n-63\r\nドレミ\r\nファソ\r\n"
        "$2\r\n-74 - フルート\r\n-50\r\n●全\r\n"
        "$3\r\n-5\r\n-63\r\n\r\n"
        "$4\r\n-\r\n-0\r\nソ\r\n");
    EXPECT_EQ(MelodyTextBytes(SampleTexts(), info), expected);

    info.copyright = "(C) 2024";
    info.date = "20240101";
    EXPECT_NE(MelodyTextBytes(SampleTexts(), info).find("$C\r\n(C) 2024\r\n$D\r\n20240101\r\n"), std::string::npos);
}

// The file holds the text's bytes; reading sets only what the text holds.
TEST(MelodyText, FileHoldsTheBytesAndReadKeepsVersionAndProtection)
{
    const std::filesystem::path path = std::filesystem::path(::testing::TempDir()) / "melody_text_test.tml";
    MelodyFileInfo info;
    info.date = "20240401";
    WriteMelodyText(path.string(), SampleTexts(), info);
    EXPECT_EQ(ReadWholeFile(path.string()), MelodyTextBytes(SampleTexts(), info));
    std::filesystem::remove(path);

    EditorTexts texts;
    MelodyFileInfo read;
    read.version = "0200";
    read.sorc = true;
    ReadMelodyText(MelodyTextBytes(SampleTexts(), info), texts, read);
    EXPECT_EQ(read.date, info.date);
    EXPECT_EQ(read.version, "0200");
    EXPECT_TRUE(read.sorc);
}

// Pages of every shape that a tag line does not end early.
TEST(MelodyText, PagesOfEveryShapeRoundTrip)
{
    const std::vector<std::array<std::string, 4>> pages{
        {"", "", "", ""},
        {"\r\n", "\n", "\r", "\r\n\r\n"},
        {"$2x", "$1", "$2\r\n$3x", "$1\r\n$2\r\n$3\r\n$4\r\n"},  // "$" lines that are not the next tag
        {"ド\n", "ド\r", "\nド", "ド\r\n"},
        {"-", "$", "$T\r\n$t", "$3"},
        {"ド\r\r\n$2\r", "x\n$3 ", "$4\t", "\r\n\r\n$4"},
    };
    for (const auto& scores : pages) {
        EditorTexts texts = SampleTexts();
        texts.scores = scores;
        texts.title = "a\r";
        texts.tones[2] = "-";
        texts.volumes[3] = "\r";
        EditorTexts read;
        MelodyFileInfo info;
        ReadMelodyText(MelodyTextBytes(texts, info), read, info);
        ExpectSameTexts(read, texts);
    }
}

TEST(MelodyText, ReadsTextsWithLineFeedsAlone)
{
    const std::string bytes = Sjis(
        "$T\nかえる\n$t\n125\n$C\n\n$D\n20240101\n"
        "$1\n-1 - ピアノ\n-63\nドレミファ\nミレド\n"
        "$2\n-1\n-63\n\n$3\n-1\n-63\n●全\n$4\n-1\n-63\nド\n");
    EditorTexts texts;
    MelodyFileInfo info;
    ReadMelodyText(bytes, texts, info);
    EXPECT_EQ(texts.title, Sjis("かえる"));
    EXPECT_EQ(texts.tempo, "125");
    EXPECT_EQ(info.date, "20240101");
    EXPECT_EQ(texts.tones[0], Sjis("1 - ピアノ"));
    EXPECT_EQ(texts.scores, (std::array<std::string, 4>{Sjis("ドレミファ\nミレド"), "", Sjis("●全"), Sjis("ド")}));
}

TEST(MelodyText, LastPageRunsToTheEndOfTheText)
{
    const std::string head =
        "$T\r\n\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n\r\n$1\r\n-1\r\n-63\r\n\r\n$2\r\n-1\r\n-63\r\n\r\n"
        "$3\r\n-1\r\n-63\r\n\r\n$4\r\n-1\r\n-63\r\n";
    const std::vector<std::pair<std::string, std::string>> endings{
        {"", ""}, {"x", "x"}, {"x\r\n", "x"}, {"x\n", "x"}, {"x\r", "x\r"}, {"x\r\n\r\n", "x\r\n"}};
    for (const auto& [ending, score] : endings) {
        EditorTexts texts;
        MelodyFileInfo info;
        ReadMelodyText(head + ending, texts, info);
        EXPECT_EQ(texts.scores[3], score);
    }
}

// A page line that is exactly the next voice's tag ends the page: the format
// cannot tell it from the tag.
TEST(MelodyText, PageLineEqualToTheNextTagEndsThePage)
{
    EditorTexts texts = SampleTexts();
    texts.scores[0] = "a\r\n$2\r\nb";
    EditorTexts read;
    MelodyFileInfo info;
    EXPECT_THROW(ReadMelodyText(MelodyTextBytes(texts, info), read, info), QuaverlyError);
}

struct BrokenText {
    const char* name;
    const char* text;     // UTF-8
    const char* missing;  // UTF-8: the missing line and its line number as the message names them
};

TEST(MelodyText, TextWithoutTheLayoutNamesWhatIsMissing)
{
    const std::vector<BrokenText> cases{
        {"empty file", "", "$T（1 行目）"},
        {"title missing", "$T\r\n", "タイトルの行（2 行目）"},
        {"tempo tag missing", "$T\r\nx\r\n125\r\n", "$t（3 行目）"},
        {"tempo missing", "$T\r\nx\r\n$t\r\n", "テンポの行（4 行目）"},
        {"copyright missing", "$T\r\nx\r\n$t\r\n125\r\n$C", "著作権の行（6 行目）"},
        {"date missing", "$T\r\nx\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n", "日付の行（8 行目）"},
        {"first voice missing", "$T\r\nx\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n\r\n", "$1（9 行目）"},
        {"tone without its mark", "$T\r\nx\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n\r\n$1\r\n1\r\n-63\r\n",
         "第1音の音色の行（\"-\" で始まる行）（10 行目）"},
        {"volume missing", "$T\r\nx\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n\r\n$1\r\n-1\r\n",
         "第1音の音量の行（\"-\" で始まる行）（11 行目）"},
        {"second voice missing", "$T\r\nx\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n\r\n$1\r\n-1\r\n-63\r\nド\r\nレ\r\n",
         "$2（14 行目）"},
    };
    for (const BrokenText& c : cases) {
        SCOPED_TRACE(c.name);
        EditorTexts texts = SampleTexts();
        MelodyFileInfo info;
        info.copyright = "kept";
        try {
            ReadMelodyText(Sjis(c.text), texts, info);
            ADD_FAILURE() << "read without error";
        } catch (const QuaverlyError& error) {
            EXPECT_EQ(SjisToUtf8(error.what()),
                      std::string("iメロディテキストの形式が正しくありません。見つからない行：") + c.missing);
        }
        // A failed read changes nothing.
        ExpectSameTexts(texts, SampleTexts());
        EXPECT_EQ(info.copyright, "kept");
    }
}

TEST(MelodyText, CutAndDamagedTextsFailCleanlyOrRoundTrip)
{
    MelodyFileInfo info;
    const std::string whole = MelodyTextBytes(SampleTexts(), info);
    std::vector<std::string> texts;
    for (size_t n = 0; n <= whole.size(); ++n) {
        texts.push_back(whole.substr(0, n));
    }
    std::mt19937 random(4242);
    for (int round = 0; round < 500; ++round) {
        std::string damaged = whole;
        for (int i = 0; i < 3; ++i) {
            damaged[random() % damaged.size()] = "\r\n$-1234x"[random() % 9];
        }
        texts.push_back(damaged);
    }
    for (const std::string& text : texts) {
        EditorTexts read;
        MelodyFileInfo readInfo;
        try {
            ReadMelodyText(text, read, readInfo);
        } catch (const QuaverlyError&) {
            continue;
        }
        EditorTexts again;
        MelodyFileInfo againInfo;
        ReadMelodyText(MelodyTextBytes(read, readInfo), again, againInfo);
        ExpectSameTexts(again, read);
        EXPECT_EQ(againInfo.copyright, readInfo.copyright);
        EXPECT_EQ(againInfo.date, readInfo.date);
    }
}

struct ExampleSong {
    const char* file;
    const char* title;            // UTF-8
    std::array<int, 4> endTimes;  // ticks at the end of each voice, 0 for an unused one
};

// The example songs are melody texts with CR LF line ends whose voices are
// whole bars: 3/4 in ふるさと (144 ticks a bar), 4/4 elsewhere (192), with the
// voices of the round entering two bars apart.
TEST(MelodyText, ExampleSongsAreMelodyTextsOfWholeBars)
{
    const std::vector<ExampleSong> songs{
        {"furusato.tml", "ふるさと", {16 * 144, 16 * 144, 0, 0}},
        {"kaeru.tml", "かえるの合唱", {8 * 192, 10 * 192, 12 * 192, 14 * 192}},
        {"kirakira.tml", "きらきら星", {12 * 192, 12 * 192, 0, 0}},
    };
    for (const ExampleSong& song : songs) {
        SCOPED_TRACE(song.file);
        const std::string bytes = ReadWholeFile(std::string(QUAVERLY_EXAMPLES_DIR) + "/" + song.file);
        for (size_t i = 0; i < bytes.size(); ++i) {
            ASSERT_TRUE(bytes[i] != '\n' || (i > 0 && bytes[i - 1] == '\r')) << "line feed without CR at " << i;
        }
        EditorTexts texts;
        MelodyFileInfo info;
        ReadMelodyText(bytes, texts, info);
        EXPECT_EQ(SjisToUtf8(texts.title), song.title);
        for (int voice = 0; voice < 4; ++voice) {
            SequenceList list;
            ParseScore(texts.scores[voice], voice, list, false);
            const int end = list.empty() ? 0 : list.back().Time();
            EXPECT_EQ(end, song.endTimes[voice]) << "voice " << voice + 1;
        }
    }
}

}  // namespace
}  // namespace quaverly
