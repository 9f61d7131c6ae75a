#include "UnitMld/MelodyStore.h"

#include <gtest/gtest.h>

#include "SequenceLines.h"
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "MelodyTestImages.h"
#include "base/Errors.h"
#include "UnitMld/EventWalk.h"
#include "UnitMld/MelodyControls.h"
#include "base/FileIO.h"
#include "base/LimitMessages.h"
#include "base/Messages.h"

namespace quaverly {
namespace {

using namespace testimages;

MelodyStore StoreWith(const std::string& image)
{
    MelodyStore store;
    store.MelodyImage() = image;
    return store;
}

TEST(MelodyStore, IsMelodyImageTestsOnlyTheMagic)
{
    const std::pair<std::string, bool> cases[] = {
        {"", false}, {"mel", false}, {"melo", true}, {"Melo", false}, {"MELO", false}, {"melody", true}, {" melo", false}};
    for (const auto& [image, expected] : cases) {
        EXPECT_EQ(StoreWith(image).IsMelodyImage(), expected) << '"' << image << '"';
    }
}

TEST(MelodyStore, HeaderChunksOfTheExample)
{
    MelodyStore store = StoreWith(ExampleImage);
    EXPECT_EQ(store.HeaderChunk("vers"), "0100");
    EXPECT_EQ(store.HeaderChunk("titl"), "A");
    EXPECT_EQ(store.HeaderChunk("sorc"), std::string(1, '\0'));
    EXPECT_EQ(store.HeaderChunk("copy"), "");
    EXPECT_EQ(store.HeaderChunk("TITL"), "");  // tags compare case-sensitively
    EXPECT_EQ(store.HeaderChunk("trac"), "");  // the track is no header chunk
}

TEST(MelodyStore, ChunksOfAnyOrderAndUnknownTagsAreFound)
{
    const std::string image = MakeImage(
        {{"zzzz", "skip me"}, {"copy", "(c)"}, {"titl", "Tune"}, {"date", "20240101"}, {"sorc", "\x03"}}, "");
    EXPECT_EQ(FindHeaderChunk(image, "titl"), "Tune");
    EXPECT_EQ(FindHeaderChunk(image, "date"), "20240101");
    EXPECT_EQ(FindHeaderChunk(image, "sorc"), "\x03");
    EXPECT_EQ(FindHeaderChunk(image, "zzzz"), "skip me");
}

TEST(MelodyStore, ChunkLookupEndsAtTheHeaderLength)
{
    std::string image = MakeImage({{"sorc", std::string(1, '\0')}, {"titl", "A"}}, "");
    // H now covers only the "sorc" chunk.
    PutBigEndian(image, 8, 3 + 7, 2);
    EXPECT_EQ(FindHeaderChunk(image, "sorc"), std::string(1, '\0'));
    EXPECT_EQ(FindHeaderChunk(image, "titl"), "");
}

TEST(MelodyStore, ChunkCutOffByTheEndGivesWhatItHas)
{
    std::string image = MakeImage({{"titl", "Melody"}}, "");
    image.resize(13 + 6 + 3);
    EXPECT_EQ(FindHeaderChunk(image, "titl"), "Mel");
    EXPECT_EQ(FindHeaderChunk("melo", "titl"), "");
    EXPECT_EQ(FindHeaderChunk("", "titl"), "");
}

struct TempoCase {
    const char* name;
    const char* events;
    int tempo;
};

TEST(MelodyStore, TempoFromTheFirstC3OrC2)
{
    const TempoCase cases[] = {
        {"C2 halved", "00 FF C2 F0 00 FF DF 00", 120},
        {"C2 before C3", "00 FF C2 F0 00 FF C3 64 00 FF DF 00", 120},
        {"C3 before C2", "00 FF C3 64 00 FF C2 F0 00 FF DF 00", 100},
        {"C2 80 without C3", "00 FF C2 80", 64},
        {"neither", "00 FF D0 00 00 1B 2E", 125},
        {"C3 pattern inside F0 data", "00 FF F0 00 03 FF C3 40 00 FF DF 00", 125},
        {"C3 data cut off", "00 FF D0 00 00 FF C3", 125},
    };
    for (const TempoCase& c : cases) {
        EXPECT_EQ(StoreWith(ImageWithEvents(c.events)).MelodyTempo(), c.tempo) << c.name;
    }
}

struct ToneCase {
    const char* name;
    const char* events;
    int voice;
    const char* text;  // UTF-8
};

TEST(MelodyStore, VoiceToneText)
{
    const ToneCase cases[] = {
        {"E0 without E1", "00 FF E0 21", 0, "1 - ピアノ"},
        {"tone table name", "00 FF E0 09 00 FF E1 03", 0, "74 - フルート"},
        {"instrument name", "00 FF E0 41 00 FF E1 42", 1, "2 - Bright Piano"},
        {"tone 99 on voice 2", "00 FF E0 A2 00 FF E1 83", 2, "99 - クリスタル"},
        {"tone 128", "00 FF E0 FF 00 FF E1 C3", 3, "128 - Gunshot"},
        {"E1 low bits zero means no tone", "00 FF E0 85 00 FF E1 80", 2, "1 - ピアノ"},
        {"last setting wins", "00 FF E0 00 00 FF E1 02 00 FF E0 09 00 FF E1 03", 0, "74 - フルート"},
        {"other voice's setting", "00 FF E0 49 00 FF E1 43", 0, "1 - ピアノ"},
        {"E0 pattern inside F0 data", "00 FF E0 00 00 FF E1 02 00 FF F0 00 04 0A FF E0 3C 00 FF DF 00", 0,
         "1 - ピアノ"},
        {"voice without any setting", "00 1B 2E", 3, "1 - ピアノ"},
    };
    for (const ToneCase& c : cases) {
        EXPECT_EQ(StoreWith(ImageWithEvents(c.events)).VoiceToneText(c.voice), Sjis(c.text)) << c.name;
    }
}

TEST(MelodyStore, VoiceVolumeFromTheFirstE2OfTheVoice)
{
    MelodyStore store = StoreWith(ImageWithEvents("00 FF E2 4A 00 FF E2 05 00 FF E2 07 00 FF E2 FF"));
    EXPECT_EQ(store.VoiceVolume(0), 5);
    EXPECT_EQ(store.VoiceVolume(1), 10);
    EXPECT_EQ(store.VoiceVolume(2), 63);  // none given
    EXPECT_EQ(store.VoiceVolume(3), 63);
}

TEST(MelodyStore, FFF0DataAsLowercaseHex)
{
    MelodyStore store = StoreWith(ImageWithEvents("00 FF F1 00 02 AA BB 00 FF F0 00 04 0A FF E0 3C 00 FF F0 00 01 99"));
    store.LoadFFF0Data();
    EXPECT_TRUE(store.fff0DataSet);
    EXPECT_EQ(store.fff0DataHex, "0affe03c");

    // A later image without FF F0 clears what the earlier one set.
    store.MelodyImage() = ExampleImage;
    store.LoadFFF0Data();
    EXPECT_FALSE(store.fff0DataSet);
    EXPECT_EQ(store.fff0DataHex, "");

    store.MelodyImage() = ImageWithEvents("00 FF F0 00 00");
    store.LoadFFF0Data();
    EXPECT_TRUE(store.fff0DataSet);
    EXPECT_EQ(store.fff0DataHex, "");

    // Data cut off by the end of the image is taken as far as it goes.
    store.MelodyImage() = ImageWithEvents("00 FF F0 00 29 01 02 03");
    store.LoadFFF0Data();
    EXPECT_EQ(store.fff0DataHex, "010203");
}

TEST(MelodyStore, ListSequenceOfTheExample)
{
    MelodyStore store = StoreWith(ExampleImage);
    store.ListSequence();
    EXPECT_EQ(LinesOf(store.Sequence()), (Lines{"    0 0 27  46", "   48 0 -1   0"}));
    store.ListSequence();  // appends: every event twice
    EXPECT_EQ(LinesOf(store.Sequence()), (Lines{"    0 0 27  46", "   48 0 -1   0", "    0 0 27  46", "   48 0 -1   0"}));
}

TEST(MelodyStore, ListSequenceCountsControlDeltasAndKeepsRestNotes)
{
    MelodyStore store = StoreWith(ImageWithEvents("05 FF D0 00 10 91 00 FF 7F 40 03 FF F1 00 01 FF 02 FF E2 3F 30 FF DF 00"));
    store.ListSequence();
    EXPECT_EQ(LinesOf(store.Sequence()), (Lines{"   21 2 17   0", "  276 1 63  64", "  329 0 -1   0"}));
}

// The load lists the events and reads the controls in one walk; both must
// come out as the listing alone and the controls alone give them, with
// controls before, between and after the notes and inside FF F0 data.
TEST(MelodyStore, ListingAndControlsInOneWalkGiveWhatEachGivesAlone)
{
    const char* const images[] = {
        "00 FF C3 64 00 FF E0 09 00 FF E1 03 00 FF E2 05 00 1B 2E 30 FF DF 00",
        "00 1B 2E 10 FF E2 4A 00 5D 16 20 FF C2 F0 00 FF E0 41 00 FF E1 42 30 FF DF 00 00 FF E2 07",
        "00 FF F0 00 03 1B 2E 30 05 1B 2E 00 FF F0 00 01 99 00 FF E1 C3 00 FF DF 00 07 9C 10",
        "00 1B 2E 00 FF C3",
    };
    for (const char* events : images) {
        MelodyStore fused = StoreWith(ImageWithEvents(events));
        MelodyStore alone = StoreWith(ImageWithEvents(events));
        const MelodyControls controls = fused.ListSequenceAndControls();
        alone.ListSequence();
        EXPECT_EQ(LinesOf(fused.Sequence()), LinesOf(alone.Sequence())) << events;
        const MelodyControls expected = ReadMelodyControls(alone.MelodyImage());
        EXPECT_EQ(controls.tempo, expected.tempo) << events;
        EXPECT_EQ(controls.toneLow, expected.toneLow) << events;
        EXPECT_EQ(controls.toneHigh, expected.toneHigh) << events;
        EXPECT_EQ(controls.volume, expected.volume) << events;
        EXPECT_EQ(controls.hasData, expected.hasData) << events;
        EXPECT_EQ(controls.data, expected.data) << events;
    }
}

TEST(MelodyStore, ListSequenceRefusesTimesBeyondTheTimeColumn)
{
    std::string events;
    for (int i = 0; i < 400; ++i) {
        events += "FF 1B 2E ";  // 400 x 255 ticks
    }
    MelodyStore store = StoreWith(ImageWithEvents(events));
    store.Sequence() = ListOf({"    7 0  1   1"});
    EXPECT_THROW(store.ListSequence(), MelodyLimitError);
    EXPECT_EQ(LinesOf(store.Sequence()), Lines{"    7 0  1   1"});
}

// Mended: zero-delta events never reach the time limit, so a crafted file
// used to be listed whole, some 60 bytes of memory for each byte of it.
TEST(MelodyStore, MemoryBlowUpOfZeroDeltaEventsIsRefused)
{
    constexpr size_t Cap = 1'500'000;
    std::string events;
    for (size_t i = 0; i < Cap + 1; ++i) {
        events.append("\x00\x1B\x2E", 3);
    }
    MelodyStore store = StoreWith(MakeImage({}, events));
    store.Sequence() = ListOf({"    7 0  1   1"});
    try {
        store.ListSequence();
        ADD_FAILURE() << "listed " << store.Sequence().size() << " lines";
    } catch (const MelodyLimitError& error) {
        EXPECT_EQ(std::string(error.what()), MelodyTooManyEventsMessage());
    }
    EXPECT_EQ(LinesOf(store.Sequence()), Lines{"    7 0  1   1"});

    // As many events as the cap are still listed.
    events.resize(3 * (Cap - 1));
    events.append("\x00\xFF\xDF\x00", 4);
    store = StoreWith(MakeImage({}, events));
    store.ListSequence();
    EXPECT_EQ(store.Sequence().size(), Cap);
    EXPECT_EQ(LinesOf(store.Sequence()).back(), "    0 0 -1   0");
}

// The walk's own rules, seen through the offsets it visits.
std::vector<size_t> WalkOffsets(const std::string& image)
{
    std::vector<size_t> offsets;
    EventWalk walk(image);
    MelodyEvent event;
    while (walk.Next(event)) {
        offsets.push_back(event.offset);
    }
    return offsets;
}

TEST(EventWalk, StepsOverEachEventKindWhole)
{
    // note 3, F0 with FF inside its data 5 + 3, F1 5 + 1, other control 4, note 3.
    const std::string image = ImageWithEvents("00 1B 2E 00 FF F0 00 03 FF DF 00 00 FF F1 00 01 FF 00 FF 42 07 00 1B 2E");
    const size_t first = 18 + 3 + 7 + 7;
    EXPECT_EQ(WalkOffsets(image), (std::vector<size_t>{first, first + 3, first + 11, first + 17, first + 21}));
}

// A note event read after a control event must not keep the control's code
// or data: the readers ask any event for its data byte.
TEST(EventWalk, NoteAfterAControlCarriesNoControlFields)
{
    const std::string image = ImageWithEvents("00 FF E2 4A 05 5B 2E 00 FF F0 00 02 AB CD 07 9C 10");
    EventWalk walk(image);
    MelodyEvent event;
    ASSERT_TRUE(walk.Next(event));
    EXPECT_TRUE(event.IsControl(0xE2));
    EXPECT_EQ(event.DataByte(), 0x4A);
    ASSERT_TRUE(walk.Next(event));
    EXPECT_EQ(event.kind, MelodyEventKind::Note);
    EXPECT_EQ(event.delta, 5);
    EXPECT_EQ(event.voice, 1);
    EXPECT_EQ(event.note, 0x1B);
    EXPECT_EQ(event.gate, 0x2E);
    EXPECT_EQ(event.code, 0);
    EXPECT_EQ(event.DataByte(), -1);
    ASSERT_TRUE(walk.Next(event));
    EXPECT_EQ(event.data, "\xAB\xCD");
    ASSERT_TRUE(walk.Next(event));
    EXPECT_EQ(event.kind, MelodyEventKind::Note);
    EXPECT_EQ(event.delta, 7);
    EXPECT_EQ(event.voice, 2);
    EXPECT_EQ(event.note, 0x1C);
    EXPECT_EQ(event.gate, 0x10);
    EXPECT_TRUE(event.data.empty());
    EXPECT_FALSE(walk.Next(event));
}

TEST(EventWalk, FileLengthFieldBoundsTheWalk)
{
    std::string image = ImageWithEvents("00 1B 2E 00 1D 2E 00 1F 2E");
    const size_t first = 18 + 3 + 7 + 7;
    // L + 8 just after the first event: the second is not visited.
    PutBigEndian(image, 4, first + 3 - 8, 4);
    EXPECT_EQ(WalkOffsets(image), std::vector<size_t>{first});
    // L + 8 before the first event: the first is still visited.
    PutBigEndian(image, 4, 0, 4);
    EXPECT_EQ(WalkOffsets(image), std::vector<size_t>{first});
    // L larger than the image: read only as far as the image goes.
    PutBigEndian(image, 4, 0xFFFFFFFF, 4);
    EXPECT_EQ(WalkOffsets(image), (std::vector<size_t>{first, first + 3, first + 6}));
}

TEST(EventWalk, EventWhoseFrameIsCutOffEndsTheWalk)
{
    const std::pair<const char*, size_t> cases[] = {
        {"00 1B 2E 00 1B", 1},           // note without its gate
        {"00 1B 2E 00 FF", 1},           // control without its code
        {"00 1B 2E 00 FF F0 00", 1},     // F0 without its whole length
        {"00 1B 2E 00 FF DF", 2},        // DF whose data byte is cut off: still an event
        {"00 1B 2E 00 FF F0 00 09 01", 2},  // F0 data cut off: taken as far as it goes
    };
    for (const auto& [events, count] : cases) {
        EXPECT_EQ(WalkOffsets(ImageWithEvents(events)).size(), count) << events;
    }
}

TEST(EventWalk, LyingHeaderLengthFindsNoEvents)
{
    std::string image = ExampleImage;
    PutBigEndian(image, 8, 0xFFFF, 2);
    EXPECT_TRUE(WalkOffsets(image).empty());
    MelodyStore store = StoreWith(image);
    EXPECT_EQ(store.MelodyTempo(), 125);
    store.ListSequence();
    EXPECT_TRUE(store.Sequence().empty());
}

// Every query on every prefix and on damaged length fields: defaults, never a read outside.
TEST(MelodyStore, TruncatedAndLyingImagesStayInBounds)
{
    std::vector<std::string> images;
    const std::string full = ImageWithEvents("00 FF C3 50 00 FF E0 09 00 FF E1 03 00 FF E2 20 00 FF F0 00 03 01 02 03 "
                                             "00 1B 2E 30 FF DF 00");
    for (size_t n = 0; n <= full.size(); ++n) {
        // A copy of exactly n bytes, so that the sanitizer sees any read past it.
        images.push_back(full.substr(0, n));
    }
    for (size_t field : {size_t{4}, size_t{8}, size_t{15}, size_t{17}}) {
        std::string lying = full;
        lying[field] = '\xFF';
        lying[field + 1] = '\xFF';
        images.push_back(lying);
    }
    for (const std::string& image : images) {
        MelodyStore store = StoreWith(image);
        (void)store.IsMelodyImage();
        (void)store.HeaderChunk("titl");
        (void)store.MelodyTempo();
        for (int voice = 0; voice < 4; ++voice) {
            (void)store.VoiceToneText(voice);
            (void)store.VoiceVolume(voice);
        }
        store.LoadFFF0Data();
        store.ListSequence();
    }
    MelodyStore cut = StoreWith(full.substr(0, full.size() - 7));  // up to the F0 data
    EXPECT_EQ(cut.MelodyTempo(), 0x50);
    EXPECT_EQ(cut.VoiceVolume(0), 0x20);
}

class MelodyFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quaverly-store-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_folder); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        std::string path = m_folder + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    std::string m_folder;
};

TEST_F(MelodyFiles, PocketMelodyHeaderIsSkippedByExtensionInAnyCase)
{
    const std::string body = "melo\x01\x02\x03\x04";
    const std::string file = std::string(192, 'p') + body;
    const std::pair<const char*, std::string> cases[] = {
        {"TUNE.pmr", body}, {"tune.PmR", body}, {"tune.mld", file}, {"tune.txt", file}, {"pmr", file}, {"a.pmr.mld", file}};
    for (const auto& [name, expected] : cases) {
        MelodyStore store;
        store.OpenMelodyFile(Write(name, file));
        EXPECT_EQ(store.MelodyImage(), expected) << name;
    }
    MelodyStore store;
    store.OpenMelodyFile(Write("short.pmr", "melo"));
    EXPECT_EQ(store.MelodyImage(), "");
}

TEST_F(MelodyFiles, FailedOpenLeavesNoStaleImage)
{
    MelodyStore store = StoreWith(ExampleImage);
    EXPECT_THROW(store.OpenMelodyFile(m_folder + "/missing.mld"), FileError);
    EXPECT_EQ(store.MelodyImage(), "");
    EXPECT_THROW(store.OpenMelodyFile(m_folder), FileError);  // a folder
    EXPECT_EQ(store.MelodyImage(), "");
}

TEST_F(MelodyFiles, SaveWritesTheImageExactly)
{
    MelodyStore store = StoreWith(ExampleImage);
    const std::string path = Write("old.mld", "previous contents that are longer than the image ...");
    store.SaveMelodyFile(path);
    EXPECT_EQ(ReadWholeFile(path), ExampleImage);
    EXPECT_THROW(store.SaveMelodyFile(m_folder + "/no/such/folder/x.mld"), FileError);
}

// An empty store (New, or a refused analysis) once saved as a 0-byte file
// over the user's song. Neither an empty image nor bytes that are no melody
// reach a file, and the file there stays as it was.
TEST_F(MelodyFiles, SaveRefusesWhatIsNoMelodyAndKeepsTheFile)
{
    const std::string path = Write("song.mld", ExampleImage);
    for (const std::string& image : {std::string(), std::string("melo"), std::string("MThd\0\0\0\x06")}) {
        MelodyStore store = StoreWith(image);
        try {
            store.SaveMelodyFile(path);
            ADD_FAILURE() << "saved an image of " << image.size() << " bytes";
        } catch (const FileError&) {
            ADD_FAILURE() << "refused as a file error";
        } catch (const QuaverlyError& error) {
            EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << "the message names the file";
        }
        EXPECT_EQ(ReadWholeFile(path), ExampleImage);
    }
}

TEST_F(MelodyFiles, ReadMelodyTitle)
{
    EXPECT_EQ(ReadMelodyTitle(Write("a.mld", ExampleImage)), "A");
    EXPECT_EQ(ReadMelodyTitle(Write("b.mld", "melo")), "");
    EXPECT_EQ(ReadMelodyTitle(Write("c.mld", MakeImage({{"sorc", "x"}}, ""))), "");
    EXPECT_THROW(ReadMelodyTitle(m_folder + "/missing.mld"), FileError);
}

}  // namespace
}  // namespace quaverly
