#include <gtest/gtest.h>

#include "MelodyTestImages.h"
#include "UnitMld/CrashJournal.h"
#include "UnitMld/MelodyDefects.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using testimages::ExampleImage;
using testimages::HexBytes;
using testimages::ImageWithEvents;
using testimages::Sjis;

JournalContent FullContent()
{
    JournalContent content;
    content.texts.tempo = "145";
    content.texts.title = Sjis("かえるの歌");
    for (size_t i = 0; i < 4; ++i) {
        content.texts.tones[i] = Sjis("1 - ピアノ");
        content.texts.volumes[i] = std::to_string(60 + i);
    }
    // Line ends, a record-like line and the key separator inside values must survive.
    content.texts.scores[0] = Sjis("ドレミ\r\nend 0\n");
    content.texts.scores[3] = "tempo 3\n\n";
    content.info.version = "0201";
    content.info.copyright = Sjis("著作者");
    content.info.date = "20261207";
    content.info.sorc = true;
    content.fff0DataSet = true;
    content.fff0DataHex = "0A0B";
    content.melodyImage = ExampleImage;
    content.boundFile = "/home/user/\xE3\x81\x8B\xE3\x81\x88\xE3\x82\x8B.mld";
    return content;
}

TEST(CrashJournal, RoundTripKeepsEveryField)
{
    const JournalContent written = FullContent();
    const JournalContent read = ParseJournal(WriteJournal(written));
    EXPECT_EQ(read.texts.tempo, written.texts.tempo);
    EXPECT_EQ(read.texts.title, written.texts.title);
    EXPECT_EQ(read.texts.tones, written.texts.tones);
    EXPECT_EQ(read.texts.volumes, written.texts.volumes);
    EXPECT_EQ(read.texts.scores, written.texts.scores);
    EXPECT_EQ(read.info.version, written.info.version);
    EXPECT_EQ(read.info.copyright, written.info.copyright);
    EXPECT_EQ(read.info.date, written.info.date);
    EXPECT_TRUE(read.info.sorc);
    EXPECT_TRUE(read.fff0DataSet);
    EXPECT_EQ(read.fff0DataHex, written.fff0DataHex);
    EXPECT_EQ(read.melodyImage, written.melodyImage);
    EXPECT_EQ(read.boundFile, written.boundFile);
}

TEST(CrashJournal, UnknownRecordsAreSkipped)
{
    std::string text = WriteJournal(FullContent());
    text.insert(std::string("QUAVERLY-JOURNAL 1\n").size(), "later 3\nabc\n");
    EXPECT_EQ(ParseJournal(text).texts.tempo, "145");
}

// A journal cut anywhere (a crash of the writer's machine, a full disk) is
// refused as a whole: it never restores half a melody or reads past its end.
TEST(CrashJournal, EveryCutShortJournalIsRefused)
{
    const std::string whole = WriteJournal(FullContent());
    for (size_t length = 0; length < whole.size(); ++length) {
        EXPECT_THROW(ParseJournal(std::string_view(whole).substr(0, length)), JournalError) << length;
    }
}

TEST(CrashJournal, DamagedJournalsAreRefused)
{
    const struct {
        const char* name;
        std::string text;
    } cases[] = {
        {"other format", "QUAVERLY-JOURNAL 2\nend 0\n\n"},
        {"no length", "QUAVERLY-JOURNAL 1\ntempo\n125\nend 0\n\n"},
        {"length not decimal", "QUAVERLY-JOURNAL 1\ntempo 0x3\n125\nend 0\n\n"},
        {"length past the end", "QUAVERLY-JOURNAL 1\ntempo 99\n125\nend 0\n\n"},
        {"huge length", "QUAVERLY-JOURNAL 1\ntempo 99999999999999999999999\n125\nend 0\n\n"},
        {"value not closed by a line end", "QUAVERLY-JOURNAL 1\ntempo 2\n125\nend 0\n\n"},
        {"empty key", "QUAVERLY-JOURNAL 1\n 3\n125\nend 0\n\n"},
        {"no end record", "QUAVERLY-JOURNAL 1\ntempo 3\n125\n"},
    };
    for (const auto& c : cases) {
        EXPECT_THROW(ParseJournal(c.text), JournalError) << c.name;
    }
}

TEST(CrashJournal, RefusalNamesTheJournalFormat)
{
    try {
        ParseJournal("nonsense");
        FAIL();
    } catch (const JournalError& error) {
        EXPECT_EQ(std::string(error.what()).rfind(Msg::JournalBroken, 0), 0u);
    }
}

TEST(MelodyDefects, WholeImagesAndNonMelodiesLackNothing)
{
    EXPECT_EQ(MissingMelodyParts(ExampleImage), "");
    EXPECT_EQ(MissingMelodyParts(ImageWithEvents("00 10 30 00 FF DF 00")), "");
    EXPECT_EQ(MissingMelodyParts("MThd"), "");
}

TEST(MelodyDefects, CutShortImagesNameWhatIsMissing)
{
    const std::string whole = ImageWithEvents("00 10 30 00 FF F0 00 04 01 02 03 04");
    const struct {
        const char* name;
        std::string image;
        std::string_view part;
    } cases[] = {
        {"inside the header", whole.substr(0, 12), Msg::MissingHeader},
        {"no track", HexBytes("6D 65 6C 6F 00 00 00 0D 00 03 01 01 01 6E 6F 74 72 00 00 00 00"), Msg::MissingTrack},
        {"bytes short of the length field", whole.substr(0, whole.size() - 2), " 2 "},
        {"last event cut",
         [&] {
             std::string image = whole;
             image[image.size() - 5] = 0x10;  // the FF F0 event now claims 16 data bytes
             return image;
         }(),
         Msg::MissingEventEnd},
    };
    for (const auto& c : cases) {
        const std::string text = MissingMelodyParts(c.image);
        EXPECT_EQ(text.rfind(Msg::MelodyPartsMissing, 0), 0u) << c.name;
        EXPECT_NE(text.find(c.part), std::string::npos) << c.name;
    }
}

}  // namespace
}  // namespace quaverly
