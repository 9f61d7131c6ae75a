// What the file information shows of a melody of another maker: its title,
// tracks, length, the channels that have notes with their counts (the
// percussion channel named), and where a cut-short file stopped.
#include <gtest/gtest.h>

#include <string>

#include "MfiWriter.h"
#include "UnitMfi/MfiFacts.h"
#include "UnitMfi/MfiMelody.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using namespace mfitest;

std::string Channel(int channel, int track, bool percussion, int notes)
{
    return std::string(Msg::MfiFactChannel) + " " + std::to_string(channel) + " (" + std::string(Msg::MfiFactTrack) +
           " " + std::to_string(track) + (percussion ? ", " + std::string(Msg::MfiFactPercussion) : std::string()) +
           "): " + std::to_string(notes) + " " + std::string(Msg::MfiFactNotesUnit) + "\r\n";
}

TEST(MfiFacts, EveryFeatureFile)
{
    const std::string text = MfiFactsText(ReadMfiMelody(EveryFeatureFile(), "every.mld"));
    EXPECT_NE(text.find(std::string(Msg::MfiFactTitle) + ": Every\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(Msg::MfiFactTracks) + ": 4\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(Msg::MfiFactNotes) + ": 7\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(std::string(Msg::MfiFactCue) + ": " + std::string(Msg::MfiFactCueStart) + " 0.0 "),
              std::string::npos)
        << text;
    EXPECT_NE(text.find(", " + std::string(Msg::MfiFactCueEnd) + " "), std::string::npos) << text;
    // Channels in order; the percussion lane is channel 10, track 3.
    const size_t first = text.find(Channel(1, 1, false, 1));
    const size_t percussion = text.find(Channel(10, 3, true, 1));
    const size_t last = text.find(Channel(15, 4, false, 1));
    ASSERT_NE(first, std::string::npos) << text;
    ASSERT_NE(percussion, std::string::npos) << text;
    ASSERT_NE(last, std::string::npos) << text;
    EXPECT_LT(first, percussion);
    EXPECT_LT(percussion, last);
    // Channels without notes are not listed.
    EXPECT_EQ(text.find(std::string(Msg::MfiFactChannel) + " 6 "), std::string::npos) << text;
    EXPECT_EQ(text.find(Msg::MfiFactPartial), std::string::npos);
}

TEST(MfiFacts, CutShortFileSaysWhereItStopped)
{
    const std::string bytes = EveryFeatureFile();
    const MfiMelody melody = ReadMfiMelody(bytes.substr(0, bytes.find("trac") + 62), "cut.mld");
    ASSERT_TRUE(melody.partial);
    const std::string text = MfiFactsText(melody);
    EXPECT_NE(text.find(std::string(Msg::MfiFactPartial) + melody.partialMessage), std::string::npos) << text;
}

TEST(MfiFacts, MelodyWithoutNotes)
{
    const std::string text =
        MfiFactsText(ReadMfiMelody(MfiWriter().Info("titl", "Quiet").Track(End(0)).Bytes(), "quiet.mld"));
    EXPECT_NE(text.find(std::string(Msg::MfiFactNotes) + ": 0\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(Msg::MfiFactChannel), std::string::npos) << text;
}

}  // namespace
}  // namespace quaverly
