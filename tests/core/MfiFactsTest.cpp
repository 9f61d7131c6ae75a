// What the file information shows of a melody of another maker: its title,
// tracks, length, the channels that have notes with their counts (the
// percussion channel named), and where a cut-short file stopped.
#include <gtest/gtest.h>

#include <string>

#include "MfiWriter.h"
#include "UnitMfi/MfiFacts.h"
#include "UnitMfi/MfiMelody.h"
#include "base/TextEncoding.h"

namespace quaverly {
namespace {

using namespace mfitest;

// The facts are stated here as a person reads them, not rebuilt from the
// program's own texts: a changed or swapped label must fail.
std::string Sjis(const char* utf8)
{
    return Utf8ToSjis(utf8);
}

TEST(MfiFacts, EveryFeatureFile)
{
    const std::string text = MfiFactsText(ReadMfiMelody(EveryFeatureFile(), "every.mld"));
    EXPECT_NE(text.find(Sjis("タイトル: Every\r\n")), std::string::npos) << text;
    EXPECT_NE(text.find(Sjis("トラック数: 4\r\n")), std::string::npos) << text;
    EXPECT_NE(text.find(Sjis("音符数: 7\r\n")), std::string::npos) << text;
    EXPECT_NE(text.find(Sjis("キューポイント: 開始 0.0 ")),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(Sjis(", 終了 ")), std::string::npos) << text;
    // Channels in order; the percussion lane is channel 10, track 3.
    const size_t first = text.find(Sjis("チャンネル 1 (トラック 1): 1 音\r\n"));
    const size_t percussion = text.find(Sjis("チャンネル 10 (トラック 3, 打楽器): 1 音\r\n"));
    const size_t last = text.find(Sjis("チャンネル 15 (トラック 4): 1 音\r\n"));
    ASSERT_NE(first, std::string::npos) << text;
    ASSERT_NE(percussion, std::string::npos) << text;
    ASSERT_NE(last, std::string::npos) << text;
    EXPECT_LT(first, percussion);
    EXPECT_LT(percussion, last);
    // Channels without notes are not listed.
    EXPECT_EQ(text.find(Sjis("チャンネル 6 ")), std::string::npos) << text;
    EXPECT_EQ(text.find(Sjis("読めたところまで：")), std::string::npos);
}

TEST(MfiFacts, CutShortFileSaysWhereItStopped)
{
    const std::string bytes = EveryFeatureFile();
    const MfiMelody melody = ReadMfiMelody(bytes.substr(0, bytes.find("trac") + 62), "cut.mld");
    ASSERT_TRUE(melody.partial);
    const std::string text = MfiFactsText(melody);
    EXPECT_NE(text.find(Sjis("読めたところまで：") + melody.partialMessage), std::string::npos) << text;
}

TEST(MfiFacts, MelodyWithoutNotes)
{
    const std::string text =
        MfiFactsText(ReadMfiMelody(MfiWriter().Info("titl", "Quiet").Track(End(0)).Bytes(), "quiet.mld"));
    EXPECT_NE(text.find(Sjis("音符数: 0\r\n")), std::string::npos) << text;
    EXPECT_EQ(text.find(Sjis("チャンネル")), std::string::npos) << text;
}

}  // namespace
}  // namespace quaverly
