// Replays every input the fuzzers ever crashed on, kept in
// tests/corpus/fuzz-regressions/<target>/ and named after its defect, through
// the same entry logic as the fuzz target (fuzz/FuzzEntries.h), so that the
// ordinary build with the sanitizers keeps each mended fault mended. The seed
// corpora go through the same entries, which keeps the entries themselves honest.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzEntries.h"
#include "base/FileIO.h"

namespace quaverly::fuzz {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> FilesIn(const fs::path& folder)
{
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Feeds each file of <root>/<target>/ to the target's entry; returns how many.
size_t Replay(const fs::path& root)
{
    size_t count = 0;
    for (const NamedEntry& named : Entries()) {
        for (const fs::path& file : FilesIn(root / named.target)) {
            SCOPED_TRACE(file.string());
            const std::string bytes = ReadWholeFile(file.string());
            EXPECT_NO_THROW(named.entry(bytes));
            ++count;
        }
    }
    return count;
}

TEST(FuzzRegressionTest, EveryKeptCrashInputIsHandled)
{
    Replay(fs::path(QUAVERLY_CORPUS_DIR) / "fuzz-regressions");
}

TEST(FuzzRegressionTest, EverySeedIsHandled)
{
    EXPECT_GT(Replay(fs::path(QUAVERLY_FUZZ_SEEDS_DIR)), 0u);
}

// Every folder of kept inputs belongs to a target, so none is silently skipped.
TEST(FuzzRegressionTest, EveryRegressionFolderNamesATarget)
{
    const fs::path root = fs::path(QUAVERLY_CORPUS_DIR) / "fuzz-regressions";
    if (!fs::is_directory(root)) {
        return;
    }
    for (const fs::directory_entry& folder : fs::directory_iterator(root)) {
        if (!folder.is_directory()) {
            continue;
        }
        bool known = false;
        for (const NamedEntry& named : Entries()) {
            known = known || folder.path().filename() == named.target;
        }
        EXPECT_TRUE(known) << folder.path();
    }
}

}  // namespace
}  // namespace quaverly::fuzz
