#include "UnitMld/MelodyBuilder.h"

#include <gtest/gtest.h>

#include "SequenceLines.h"

#include <algorithm>

#include "MelodyTestImages.h"
#include "base/Errors.h"
#include "base/LimitMessages.h"
#include "base/Messages.h"
#include "UnitMld/ScoreParser.h"

namespace quaverly {
namespace {

using namespace testimages;

// The voice-0 set-up events of tone 1 and volume 63 after D0 and C3 7D.
const std::string SetupVoice0 = "00 FF D0 00 00 FF C3 7D 00 FF E0 00 00 FF E1 02 00 FF E2 3F ";

MelodySettings OneVoice(std::string title = "A")
{
    MelodySettings settings;
    settings.title = std::move(title);
    settings.scores = {"x", "", "", ""};
    return settings;
}

// The track events of the built image (after "trac" and its length).
std::string TrackEvents(const std::string& image)
{
    const size_t headerLength = (static_cast<unsigned char>(image[8]) << 8) | static_cast<unsigned char>(image[9]);
    return image.substr(18 + headerLength);
}

std::string Encoded(const Lines& lines)
{
    SequenceList list = ListOf(lines);
    return ToHex(EncodeTrack(list));
}

TEST(MelodyBuilder, TheSeventyTwoByteExample)
{
    MelodyStore store;
    store.Sequence() = ListOf({"    0 0 27  46", "   48 0 -1   0"});
    BuildMelody(store, OneVoice(), MelodyFileInfo{});
    EXPECT_EQ(ToHex(store.MelodyImage()), ToHex(ExampleImage));
    EXPECT_EQ(store.MelodyImage().size(), 72u);
}

TEST(MelodyBuilder, HeaderChunksInTheirOrder)
{
    MelodyStore store;
    MelodyFileInfo info;
    info.sorc = true;
    info.date = "20240102";
    info.copyright = "(c)";
    BuildMelody(store, OneVoice(""), info);
    const std::string expected = HexBytes("73 6F 72 63 00 01 01 74 69 74 6C 00 00 76 65 72 73 00 04") + "0100" +
                                 HexBytes("64 61 74 65 00 08") + "20240102" + HexBytes("63 6F 70 79 00 03") + "(c)";
    EXPECT_EQ(store.MelodyImage().substr(13, expected.size()), expected);
    EXPECT_EQ(store.MelodyImage().substr(13 + expected.size(), 4), "trac");

    info.version.clear();
    BuildMelody(store, OneVoice(""), info);
    EXPECT_EQ(store.MelodyImage().find("vers"), std::string::npos);
}

TEST(MelodyBuilder, ToneAndVolumeEventsOfUsedVoicesOnly)
{
    MelodyStore store;
    store.Sequence() = ListOf({"    0 1 27  46", "   48 1 -1   0"});  // voice 1 has lines but an empty text
    MelodySettings settings;
    settings.tones = {1, 50, 99, 128};
    settings.volumes = {63, 10, 20, 0};
    settings.scores = {"", "", "x", "y"};
    BuildMelody(store, settings, MelodyFileInfo{});
    EXPECT_EQ(ToHex(TrackEvents(store.MelodyImage())),
              "00 FF D0 00 00 FF C3 7D 00 FF E0 A2 00 FF E1 83 00 FF E0 FF 00 FF E1 C3 00 FF E2 94 00 FF E2 C0 "
              "00 5B 2E 30 FF DF 00");
}

TEST(MelodyBuilder, VoicesShareOneRunningTime)
{
    EXPECT_EQ(Encoded({"    0 0 27  46", "   48 0 31  46", "   96 0 -1   0", "    0 1 34  94", "   96 1 -1   0"}),
              "00 1B 2E 00 62 5E 30 1F 2E 30 FF DF 00");
}

TEST(MelodyBuilder, RestsCarryTheVoicesFirstSoundingNote)
{
    EXPECT_EQ(Encoded({"    0 0 17   0", "   48 0 27  46", "   96 0 -1   0"}), "00 1B 00 30 1B 2E 30 FF DF 00");
    // A voice with rests only writes note 17.
    EXPECT_EQ(Encoded({"    0 2 17   0", "   48 2 17   0", "   96 2 -1   0"}), "00 91 00 30 91 00 30 FF DF 00");
}

TEST(MelodyBuilder, LastLineEndsTheTrack)
{
    EXPECT_EQ(Encoded({"    0 0 27  46", "   48 0 -1   0", "    0 1 29  94", "   96 1 -1   0"}),
              "00 1B 2E 00 5D 5E 60 FF DF 00");
    EXPECT_EQ(Encoded({}), "");
    // A raw line last: its bytes and no end event.
    EXPECT_EQ(Encoded({"    0 0 27  46", "   48 0       0102"}), "00 1B 2E 01 02");
}

// Mended: the last line in time order used to give way to the end event
// whatever it held, so a melody whose last voice has no end line lost its last
// note. The note is now written, and the track ends when its gate does.
TEST(MelodyBuilder, LostLastNoteWithoutEndLineIsKept)
{
    struct Case {
        Lines lines;
        const char* events;
    };
    const Case cases[] = {
        // Numeric import: the last line is a note.
        {{"    0 0 27  46", "   48 0 29  46"}, "00 1B 2E 30 1D 2E 2E FF DF 00"},
        // Its gap runs from the last note event; a gate above 255 is clamped.
        {{"    0 0 27  46", "   48 0 -1   0", "   60 1 34 300"}, "00 1B 2E 3C 62 FF FF FF DF 00"},
        // A rest last: a silent event, and the end at once.
        {{"    0 0 27  46", "   48 0 17   0"}, "00 1B 2E 30 1B 00 00 FF DF 00"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Encoded(c.lines), c.events) << c.lines.back();
    }
    // A note at the end of the time column ends the track there, so that the
    // melody still loads.
    MelodyStore store;
    store.Sequence() = ListOf({"99990 0 27  46"});
    BuildMelody(store, OneVoice(), MelodyFileInfo{});
    EXPECT_EQ(ToHex(store.MelodyImage().substr(store.MelodyImage().size() - 6)), "1B 2E 09 FF DF 00");
    store.Sequence().clear();
    store.ListSequence();
    EXPECT_EQ(LinesOf(store.Sequence()).back(), "99999 0 -1   0");
}

// The same fault through the parser: a page whose closing rest its sharp
// cancels has no end line, and a zero-length last note sorts after its end line.
TEST(MelodyBuilder, LostLastNoteOfPagesWithoutClosingEndLine)
{
    struct Case {
        const char* page;  // UTF-8
        const char* events;
    };
    const Case cases[] = {
        {"ド●＃", "00 1B 2E 2E FF DF 00"},
        {"レ８ド●＃", "00 1D 16 18 1B 2E 2E FF DF 00"},
        {"レ４ド（0）", "00 1D 2E 30 1B 02 02 FF DF 00"},
    };
    for (const Case& c : cases) {
        MelodyStore store;
        ParseScore(Sjis(c.page), 0, store.Sequence(), false);
        BuildMelody(store, OneVoice(), MelodyFileInfo{});
        const std::string track = TrackEvents(store.MelodyImage());
        EXPECT_EQ(ToHex(track.substr(std::min<size_t>(20, track.size()))), c.events) << c.page;
    }
    // What loads back holds the note with its gate.
    MelodyStore store;
    ParseScore(Sjis("ド●＃"), 0, store.Sequence(), false);
    BuildMelody(store, OneVoice(), MelodyFileInfo{});
    store.Sequence().clear();
    store.ListSequence();
    EXPECT_EQ(LinesOf(store.Sequence()), (Lines{"    0 0 27  46", "   46 0 -1   0"}));
}

TEST(MelodyBuilder, RawLineBytesGoInPlaceWithoutDelta)
{
    EXPECT_EQ(Encoded({"    0 0 27  46", "   48 0       00FFE230", "   96 0 29  46", "  144 0 -1   0"}),
              "00 1B 2E 00 FF E2 30 60 1D 2E 30 FF DF 00");
    // An odd last character is a one-digit byte; letters in either case.
    EXPECT_EQ(Encoded({"    0 0       aBc", "   48 0 -1   0"}), "AB 0C 30 FF DF 00");
}

TEST(MelodyBuilder, ListIsLeftSorted)
{
    MelodyStore store;
    store.Sequence() = ListOf({"   96 0 -1   0", "    0 1 34  94", "   48 0 31  46", "    0 0 27  46", "   96 1 -1   0"});
    BuildMelody(store, OneVoice(), MelodyFileInfo{});
    EXPECT_EQ(LinesOf(store.Sequence()),
              (Lines{"    0 0 27  46", "    0 1 34  94", "   48 0 31  46", "   96 0 -1   0", "   96 1 -1   0"}));
}

TEST(MelodyBuilder, FFF0DataFromHexPairs)
{
    struct Case {
        const char* hex;
        const char* firstBytes;
    };
    const Case cases[] = {{"0102", "01 02 00"}, {"zz01", "00 01 00"}, {"AB", "AB 00"}, {"ab", "AB 00"}, {"1", "00 00"}};
    for (const Case& c : cases) {
        MelodyStore store;
        store.fff0DataSet = true;
        store.fff0DataHex = c.hex;
        BuildMelody(store, OneVoice(), MelodyFileInfo{});
        const std::string events = TrackEvents(store.MelodyImage());
        const std::string prefix = HexBytes(SetupVoice0 + "00 FF F0 00 29");
        ASSERT_EQ(events.substr(0, prefix.size()), prefix) << c.hex;
        const std::string data = events.substr(prefix.size(), 41);
        const std::string first = HexBytes(c.firstBytes);
        EXPECT_EQ(ToHex(data.substr(0, first.size())), ToHex(first)) << c.hex;
        EXPECT_EQ(data.substr(first.size()), std::string(41 - first.size(), '\0')) << c.hex;
        EXPECT_EQ(events.size(), prefix.size() + 41) << c.hex;
    }
    // Characters beyond the 82nd are ignored.
    MelodyStore store;
    store.fff0DataSet = true;
    store.fff0DataHex = std::string(82, 'f') + "0102";
    BuildMelody(store, OneVoice(), MelodyFileInfo{});
    EXPECT_EQ(TrackEvents(store.MelodyImage()).substr(HexBytes(SetupVoice0).size() + 5), std::string(41, '\xFF'));
}

// Mended: a failed build used to leave a header-only image behind.
TEST(MelodyBuilder, FailedBuildLeavesThePreviousImage)
{
    MelodyStore store;
    store.MelodyImage() = ExampleImage;
    store.Sequence() = ListOf({"    0 0 27  46", "   48 0       0Z", "   96 0 -1   0"});
    EXPECT_THROW(BuildMelody(store, OneVoice(), MelodyFileInfo{}), MelodyLimitError);
    EXPECT_EQ(store.MelodyImage(), ExampleImage);
}

// Mended: a raw line that is not hexadecimal pairs gets a message naming the text.
TEST(MelodyBuilder, RawLineThatIsNotHexIsRefusedByName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"   48 0       0102zz", "0102zz"},
        {"   48 0       01 02", "01 02"},
        {"   48 0       -1", "-1"},
        {"   48 0       ", "   48 0       "},  // nothing from column 15 on
    };
    for (const auto& [line, named] : cases) {
        SequenceList list = ListOf({line, "   96 0 -1   0"});
        try {
            EncodeTrack(list);
            ADD_FAILURE() << line;
        } catch (const MelodyLimitError& error) {
            EXPECT_EQ(std::string(error.what()), std::string(Msg::NotHexData) + "'" + named + "'");
        }
    }
}

// Mended: a gap above 255 ticks used to wrap its delta byte and shift everything after it.
TEST(MelodyBuilder, GapAbove255TicksIsBridgedBySilentEvents)
{
    // Voice 1's first sounding note 34 is the bridge note (0x40 + 0x22).
    EXPECT_EQ(Encoded({"    0 0 27 255", "    0 1 34  46", "  600 1 36  46", "  648 1 -1   0"}),
              "00 1B FF 00 62 2E FF 62 00 FF 62 00 5A 64 2E 30 FF DF 00");
    // The end event's delta too, with the ending voice's bridge note.
    EXPECT_EQ(Encoded({"    0 3 27  46", "  300 3 -1   0"}), "00 DB 2E FF DB 00 2D FF DF 00");

    MelodyStore store;
    store.Sequence() = ListOf({"    0 0 27 255", "  700 0 -1   0"});
    BuildMelody(store, OneVoice(), MelodyFileInfo{});
    store.Sequence().clear();
    store.ListSequence();
    EXPECT_EQ(LinesOf(store.Sequence()), (Lines{"    0 0 27 255", "  255 0 27   0", "  510 0 27   0", "  700 0 -1   0"}));
}

// Mended: a gate above 255 used to keep only its low byte.
TEST(MelodyBuilder, GateAbove255IsClampedTo255)
{
    EXPECT_EQ(Encoded({"    0 0 27 256", "   48 0 29 1000", "  300 0 -1   0"}), "00 1B FF 30 1D FF FC FF DF 00");
}

// Mended: a time that does not fit the five-digit column used to be misread from shifted columns.
TEST(MelodyBuilder, TimeBeyondTheTimeColumnRefusesTheBuild)
{
    for (const std::string& line : {FormatEventLine(100000, 0, 27, 46), FormatEventLine(123456, 1, -1, 0),
                                    FormatRawLine(100000, 0, "00")}) {
        MelodyStore store;
        store.MelodyImage() = ExampleImage;
        store.Sequence() = ListOf({"    0 0 27  46", line});
        try {
            BuildMelody(store, OneVoice(), MelodyFileInfo{});
            ADD_FAILURE() << line;
        } catch (const MelodyLimitError& error) {
            EXPECT_EQ(std::string(error.what()), MelodyTooLongMessage());
        }
        EXPECT_EQ(store.MelodyImage(), ExampleImage);
    }
    SequenceList longest = ListOf({FormatEventLine(99999, 0, 27, 46), FormatEventLine(99999, 0, -1, 0)});
    EXPECT_NO_THROW(EncodeTrack(longest));
}

// Mended: header texts above 65535 bytes used to wrap their two-byte length.
TEST(MelodyBuilder, HeaderTextAbove65535BytesIsRefused)
{
    struct Case {
        const char* tag;
        MelodySettings settings;
        MelodyFileInfo info;
    };
    const std::string tooLong(65536, 'x');
    std::vector<Case> cases(4, Case{"", OneVoice(), MelodyFileInfo{}});
    cases[0].tag = "titl";
    cases[0].settings.title = tooLong;
    cases[1].tag = "vers";
    cases[1].info.version = tooLong;
    cases[2].tag = "date";
    cases[2].info.date = tooLong;
    cases[3].tag = "copy";
    cases[3].info.copyright = tooLong;
    for (const Case& c : cases) {
        MelodyStore store;
        try {
            BuildMelody(store, c.settings, c.info);
            ADD_FAILURE() << c.tag;
        } catch (const MelodyLimitError& error) {
            EXPECT_EQ(std::string(error.what()), HeaderTextTooLongMessage("") + c.tag);
        }
        EXPECT_TRUE(store.MelodyImage().empty());
    }
    // The header length H counts the "sorc" chunk and the title's frame as well.
    MelodyFileInfo noVersion;
    noVersion.version.clear();
    MelodyStore store;
    EXPECT_NO_THROW(BuildMelody(store, OneVoice(std::string(65535 - 3 - 7 - 6, 'x')), noVersion));
    EXPECT_THROW(BuildMelody(store, OneVoice(std::string(65535 - 3 - 7 - 5, 'x')), noVersion), MelodyLimitError);
}

// Mended: texts that fit one by one but not together used to wrap the header length H.
TEST(MelodyBuilder, HeaderLengthAbove65535IsRefused)
{
    MelodyStore store;
    MelodyFileInfo info;
    info.copyright = std::string(40000, 'c');
    try {
        BuildMelody(store, OneVoice(std::string(40000, 't')), info);
        ADD_FAILURE();
    } catch (const MelodyLimitError& error) {
        EXPECT_EQ(std::string(error.what()), HeaderTextTooLongMessage("") + "copy");
    }
}

// Mended: out-of-range voices and notes used to spill into each other's bits,
// and voice 3 with note 63 made the control status 0xFF.
TEST(MelodyBuilder, VoiceAndNoteBitsNeverOverflow)
{
    EXPECT_EQ(Encoded({"    0 3 63  46", "   48 3 -1   0"}), "00 FE 2E 30 FF DF 00");
    // Status 0x7F opens a resource event to other readers: voice 1's note 63 is written as 62.
    EXPECT_EQ(Encoded({"    0 1 63  46", "   48 1 -1   0"}), "00 7E 2E 30 FF DF 00");
    EXPECT_EQ(Encoded({"    0 0 63  46", "    0 2 63  46", "   48 2 -1   0"}), "00 3F 2E 00 BF 2E 30 FF DF 00");
    // A rest of voice 3 whose first sounding note is 63.
    EXPECT_EQ(Encoded({"    0 3 63  46", "   48 3 17   0", "   96 3 -1   0"}), "00 FE 2E 30 FE 00 30 FF DF 00");
    EXPECT_EQ(Encoded({"    0 5 27  46", "    0 6 70  46", "   48 6 -1   0"}), "00 5B 2E 00 86 2E 30 FF DF 00");

    MelodyStore store;
    MelodySettings settings;
    settings.scores = {"", "", "", "x"};
    settings.tones = {1, 1, 1, 1000};
    settings.volumes = {63, 63, 63, 100};
    BuildMelody(store, settings, MelodyFileInfo{});
    EXPECT_EQ(ToHex(TrackEvents(store.MelodyImage())), "00 FF D0 00 00 FF C3 7D 00 FF E0 E7 00 FF E1 C3 00 FF E2 E4");
}

// Mended: a line with a negative time (a rest of negative length) used to wrap its delta.
TEST(MelodyBuilder, NegativeTimeNeverWrapsTheDelta)
{
    EXPECT_EQ(Encoded({"    0 0 27  46", "   48 0 17   0", "  -10 0 29  46", " 1000 0 -1   0"}),
              "00 1B 2E 30 1B 00 00 1D 2E FF 1B 00 FF 1B 00 FF 1B 00 BB FF DF 00");
}

}  // namespace
}  // namespace quaverly
