// The rule that tells this program's own melody layout from a melody file of
// another maker, from both sides, with files that look alike.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MelodyTestImages.h"
#include "MfiWriter.h"
#include "UnitMld/MelodyFileInfo.h"
#include "UnitMld/MelodyOrigin.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreAnalysis.h"
#include "base/FileIO.h"

namespace quaverly {
namespace {

using testimages::ExampleImage;
using testimages::MakeImage;

// Own images: the example, and every example song compiled with the file
// information a person may type (any version text, a copyright, a date).
std::vector<std::string> OwnImages()
{
    std::vector<std::string> images{ExampleImage};
    for (const auto& entry : std::filesystem::directory_iterator(QUAVERLY_EXAMPLES_DIR)) {
        EditorTexts texts;
        MelodyFileInfo info;
        ReadMelodyText(ReadWholeFile(entry.path().string()), texts, info);
        for (const char* version : {"0100", "0300", "0301", "0501"}) {
            info.version = version;
            info.copyright = "(c) someone";
            info.date = "20240101";
            MelodyStore store;
            if (!AnalyseScore(store, texts, info, false).refusal) {
                images.push_back(store.MelodyImage());
            }
        }
    }
    return images;
}

TEST(MelodyOrigin, EveryOwnImageAndEveryCutOfItIsOwn)
{
    const std::vector<std::string> images = OwnImages();
    ASSERT_GT(images.size(), 4u);
    for (const std::string& image : images) {
        for (size_t size = 0; size <= image.size(); ++size) {
            ASSERT_FALSE(IsForeignMelodyImage(std::string_view(image).substr(0, size))) << size;
        }
    }
}

// Files of another maker that differ from an own image in one respect each.
TEST(MelodyOrigin, LookAlikesOfAnotherMakerAreForeign)
{
    using namespace mfitest;
    const std::string events = Tempo(0, 120) + Note(0, 0, 27, 46) + End(48);
    struct Case {
        const char* name;
        std::string image;
        bool foreign;
    };
    std::string fourTracksByte = ExampleImage;
    fourTracksByte[12] = 4;
    std::string trailingTrack = ExampleImage + "trac" + BigEndian(4, 4) + End();
    const std::vector<Case> cases{
        {"track count byte 4", fourTracksByte, true},
        {"a second track after the first", trailingTrack, true},
        {"4-byte notes", MfiWriter().Info("vers", "0300").FourByteNotes().Track(Note(0, 0, 27, 46, 63) + End()).Bytes(), true},
        {"header length of the type bytes only",
         MfiWriter().Info("titl", "A").Track(events).Length(MfiWriter::HeaderLength::CountOnlyTypeBytes).Bytes(), true},
        {"four tracks", MfiWriter().Info("vers", "0301").Info("copy", "c").Track(events).Track(End()).Track(End()).Track(End()).Bytes(), true},
        {"every feature", EveryFeatureFile(), true},
        // One track of 3-byte notes right after a header that counts its
        // chunks: the own layout exactly, read by the own readers as always.
        {"one track of 3-byte notes", MfiWriter().Info("vers", "0300").Info("titl", "A").Track(events).Bytes(), false},
        {"own with a note chunk saying 3 bytes", MakeImage({{"note", std::string("\0\0", 2)}}, events), false},
        {"not a melody", "MThd", false},
        // A chunk head that ends right at the file's end still follows the track.
        {"one empty chunk head at the end", ExampleImage + "adat" + BigEndian(0, 4), true},
        {"a chunk head cut a byte short", ExampleImage + "adat" + BigEndian(0, 3), false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsForeignMelodyImage(c.image), c.foreign) << c.name;
    }
}

// The browser lists a melody of another maker by its title, also when its
// header length counts only the type bytes.
TEST(MelodyOrigin, TitleOfAMelodyOfAnotherMaker)
{
    using namespace mfitest;
    const std::string path = (std::filesystem::temp_directory_path() / "quaverly-origin-title.mld").string();
    WriteWholeFile(path, MfiWriter().Info("vers", "0501").Info("titl", "Ring").FourByteNotes().Track(End())
                             .Length(MfiWriter::HeaderLength::CountOnlyTypeBytes).Bytes());
    EXPECT_EQ(ReadMelodyTitle(path), "Ring");
    std::filesystem::remove(path);
}

// Files written before this program stopped writing status 0x7F hold it as
// voice 1's note 63: they are own files and read as they always did.
TEST(MelodyOrigin, OldOwnFileWithStatus7FReadsItAsANote)
{
    const std::string image = testimages::ImageWithEvents("00 FF C3 7D 00 7F 2E 30 FF DF 00");
    EXPECT_FALSE(IsForeignMelodyImage(image));
    MelodyStore store;
    store.MelodyImage() = image;
    store.ListSequence();
    ASSERT_EQ(store.Sequence().size(), 2u);
    EXPECT_EQ(store.Sequence()[0].Voice(), 1);
    EXPECT_EQ(store.Sequence()[0].Note(), 63);
}

}  // namespace
}  // namespace quaverly
