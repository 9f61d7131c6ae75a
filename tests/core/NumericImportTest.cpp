#include <gtest/gtest.h>

#include "SequenceLines.h"

#include "base/Errors.h"
#include "UnitMld/MelodyBuilder.h"
#include "UnitMld/OwnText.h"
#include "base/LimitMessages.h"
#include "base/Messages.h"
#include "UnitNum/NumericImport.h"

namespace quaverly {
namespace {

// The image the importer must make: the given event lines built with its
// fixed inputs.
std::string ImageOf(const Lines& lines)
{
    MelodyStore store;
    store.Sequence() = ListOf(lines);
    MelodySettings settings;
    settings.scores = {" ", " ", " ", " "};
    BuildMelody(store, settings, MelodyFileInfo{});
    return store.MelodyImage();
}

struct ImportCase {
    const char* name;
    std::string text;
    Lines lines;
};

TEST(NumericImport, RecordsBecomeEventLines)
{
    const ImportCase cases[] = {
        {"two records", "72,480,0\r\n74,240,0", {"    0 0 27  46", "   48 0 29  22", "   72 0 -1   0"}},
        {"a part's end sends the time back",
         "72,480,0\r\n0,-1,0\r\n60,960,1\r\n",
         {"    0 0 27  46", "   48 0 -1   0", "    0 1 15  94", "   96 0 -1   0"}},
        {"negative channel is voice 0", "72,480,-3", {"    0 0 27  46", "   48 0 -1   0"}},
        {"comments and lines without commas",
         "!comment,1,2\r\n@x,y\r\n72 480 0\r\n\r\n 72 , 480 , 0 \r\n",
         {"    0 0 27  46", "   48 0 -1   0"}},
        {"empty text", "", {"    0 0 -1   0"}},
        {"LfLineEndsImportEveryRecord", "72,480,0\n74,240,0\n", {"    0 0 27  46", "   48 0 29  22", "   72 0 -1   0"}},
        {"CrLineEndsKeepTheNextByte", "72,480,0\r74,240,0\r", {"    0 0 27  46", "   48 0 29  22", "   72 0 -1   0"}},
        {"NotesOutsideTheMelodyRangeAreClamped",
         "30,480,0\r\n120,480,1\r\n108,480,3\r\n",
         {"    0 0  0  46", "   48 1 63  46", "   96 3 62  46", "  144 0 -1   0"}},
        {"NegativeGateBecomesItsAbsoluteValue",
         "72,10,0\r\n72,0,0\r\n74,480,0",
         {"    0 0 27   1", "    1 0 27   2", "    1 0 29  46", "   49 0 -1   0"}},
        {"NegativeLengthNeverMovesTimeBeforeTheStart",
         "72,-500,0\r\n74,480,0",
         {"    0 0 27  52", "    0 0 29  46", "   48 0 -1   0"}},
    };
    for (const ImportCase& c : cases) {
        MelodyStore store;
        EXPECT_EQ(ImportNumericText(store, c.text), 125) << c.name;
        EXPECT_EQ(store.MelodyImage(), ImageOf(c.lines)) << c.name;
        EXPECT_TRUE(store.Sequence().empty()) << c.name;
    }
}

TEST(NumericImport, EmptyTextGivesAllVoicesWithDefaults)
{
    MelodyStore store;
    ImportNumericText(store, "");
    EXPECT_EQ(store.MelodyTempo(), 125);
    for (int voice = 0; voice < 4; ++voice) {
        EXPECT_EQ(store.VoiceVolume(voice), 63);
        EXPECT_EQ(store.VoiceToneText(voice).substr(0, 4), "1 - ");
    }
    EXPECT_EQ(store.HeaderChunk("titl"), "");
    EXPECT_EQ(store.HeaderChunk("vers"), "0100");
}

// Every refused text leaves the image as it was and the list empty.
template <typename Error>
void ExpectRefused(const std::string& text, const std::string& inMessage)
{
    MelodyStore store;
    store.MelodyImage() = "previous image";
    try {
        ImportNumericText(store, text);
        ADD_FAILURE() << "accepted: " << text;
    } catch (const Error& error) {
        EXPECT_NE(std::string(error.what()).find(inMessage), std::string::npos) << error.what();
    }
    EXPECT_EQ(store.MelodyImage(), "previous image") << text;
    EXPECT_TRUE(store.Sequence().empty()) << text;
}

TEST(NumericImport, RefusedTextsChangeNothing)
{
    ExpectRefused<ConversionError>("72,480,0\r\n72,abc,0", "72,abc,0");
    ExpectRefused<ConversionError>("72,480,0\r\n72,480", "72,480");
    ExpectRefused<ConversionError>("72,480,0,1", "72,480,0,1");
    ExpectRefused<ConversionError>(",480,0", ",480,0");
    ExpectRefused<ConversionError>("72,480,0\n74,240,0 1", "74,240,0 1");
    ExpectRefused<MelodyLimitError>("72,999990,0\r\n72,480,0", MelodyTooLongMessage());
    ExpectRefused<QuaverlyError>("72,480,0\r\n74,240,4\r\n", std::string(Msg::ChannelOutOfRange) + "74,240,4");
    // Numeric text is decimal: the hexadecimal forms of typed fields were taken as numbers.
    ExpectRefused<ConversionError>("x48,480,0", "x48,480,0");
    ExpectRefused<ConversionError>("0x48,480,0", "0x48,480,0");
    ExpectRefused<ConversionError>("72,$1E0,0", "72,$1E0,0");
}

}  // namespace
}  // namespace quaverly
