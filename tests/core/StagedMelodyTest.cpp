// The staged melody: what a reader builds beside the document must carry the
// document's FF F0 data, as a build into the document itself would, and a
// staged load must leave the document alone.
#include "UnitMld/StagedMelody.h"

#include <gtest/gtest.h>

#include "MelodyTestImages.h"
#include "UnitMld/MelodyControls.h"
#include "UnitNum/NumericImport.h"

namespace quaverly {
namespace {

using namespace testimages;

struct FF0Case {
    const char* name;
    bool dataSet;
    const char* dataHex;
    bool expectedSet;
    const char* expectedPrefix;  // of the FF F0 data the staged image carries, as hex text
};

// The numeric text import builds its image in the candidate store, so the
// document's FF F0 data is what decides whether the built melody carries one.
TEST(StagedMelody, ImportBuiltBesideTheDocumentCarriesItsFF0Data)
{
    const FF0Case cases[] = {
        {"data set", true, "0102", true, "0102"},
        {"data set, lower case", true, "abcd", true, "abcd"},
        {"data set but empty", true, "", true, "00"},
        {"data kept but not set", false, "0102", false, ""},
    };
    for (const FF0Case& c : cases) {
        SCOPED_TRACE(c.name);
        MelodyStore document;
        document.fff0DataSet = c.dataSet;
        document.fff0DataHex = c.dataHex;
        MelodyStore candidate = CandidateStore(document);
        EXPECT_EQ(candidate.fff0DataSet, c.dataSet);
        EXPECT_EQ(candidate.fff0DataHex, c.dataHex);
        EXPECT_TRUE(candidate.MelodyImage().empty());

        ImportNumericText(candidate, "72,480,0\r\n74,240,0\r\n");
        const MelodyControls built = ReadMelodyControls(candidate.MelodyImage());
        EXPECT_EQ(built.hasData, c.expectedSet);

        const std::optional<StagedMelody> staged = StageMelody(std::move(candidate), MelodyFileInfo{});
        ASSERT_TRUE(staged);
        EXPECT_EQ(staged->store.fff0DataSet, c.expectedSet);
        EXPECT_EQ(staged->store.fff0DataHex.substr(0, std::string(c.expectedPrefix).size()), c.expectedPrefix);
        // The document is never touched by staging.
        EXPECT_EQ(document.fff0DataSet, c.dataSet);
        EXPECT_EQ(document.fff0DataHex, c.dataHex);
        EXPECT_TRUE(document.MelodyImage().empty());
    }
}

// A file's image read into the candidate has the last word: its own FF F0
// data, or none, whatever the document had.
TEST(StagedMelody, ImageReadIntoTheCandidateDecidesTheFF0Data)
{
    MelodyStore document;
    document.fff0DataSet = true;
    document.fff0DataHex = "0102";
    const struct {
        const char* name;
        std::string image;
        bool expectedSet;
        const char* expectedHex;
    } cases[] = {
        {"image without FF F0", ExampleImage, false, ""},
        {"image with FF F0", MakeImage({{"titl", "T"}}, HexBytes("00 FF F0 00 02 AB CD 00 1B 2E 30 FF DF 00")), true,
         "abcd"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MelodyStore candidate = CandidateStore(document);
        candidate.MelodyImage() = c.image;
        const std::optional<StagedMelody> staged = StageMelody(std::move(candidate), MelodyFileInfo{});
        ASSERT_TRUE(staged);
        EXPECT_EQ(staged->store.fff0DataSet, c.expectedSet);
        EXPECT_EQ(staged->store.fff0DataHex, c.expectedHex);
        EXPECT_TRUE(document.fff0DataSet);
        EXPECT_EQ(document.fff0DataHex, "0102");
    }
}

}  // namespace
}  // namespace quaverly
