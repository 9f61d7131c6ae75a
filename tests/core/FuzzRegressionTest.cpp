// Replays every input the fuzzers ever crashed on, kept in
// tests/corpus/fuzz-regressions/<target>/ and named after its defect, through
// the same entry logic as the fuzz target (fuzz/FuzzEntries.h), so that the
// ordinary build with the sanitizers keeps each mended fault mended. The seed
// corpora go through the same entries, which keeps the entries themselves honest.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
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

// Every regular file anywhere under root: what a replay must have fed.
size_t FilesUnder(const fs::path& root)
{
    size_t count = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        count += entry.is_regular_file() ? 1 : 0;
    }
    return count;
}

struct ReplayCount {
    size_t total = 0;
    std::vector<std::pair<std::string, size_t>> perTarget;  // only targets with a folder
};

// Feeds each file of <root>/<target>/ to the target's entry and counts them.
ReplayCount Replay(const fs::path& root)
{
    ReplayCount count;
    for (const NamedEntry& named : Entries()) {
        const fs::path folder = root / named.target;
        if (!fs::is_directory(folder)) {
            continue;
        }
        size_t fed = 0;
        for (const fs::path& file : FilesIn(folder)) {
            SCOPED_TRACE(file.string());
            const std::string bytes = ReadWholeFile(file.string());
            EXPECT_NO_THROW(named.entry(bytes));
            ++fed;
        }
        count.perTarget.emplace_back(std::string(named.target), fed);
        count.total += fed;
    }
    return count;
}

// A replay that feeds nothing passes for any reader, so each of the two
// folders must exist, every file in it must have gone through an entry (none
// lies in a folder no target reads, or one level too deep), and a target's
// folder holds at least one input.
void ExpectEveryFileReplayed(const fs::path& root)
{
    ASSERT_TRUE(fs::is_directory(root)) << root << " is missing: no input was replayed";
    const ReplayCount count = Replay(root);
    EXPECT_GT(count.total, 0u) << root;
    EXPECT_EQ(count.total, FilesUnder(root)) << "files under " << root << " that no target read";
    for (const auto& [target, fed] : count.perTarget) {
        EXPECT_GT(fed, 0u) << root / target << " holds no input";
    }
}

TEST(FuzzRegressionTest, EveryKeptCrashInputIsHandled)
{
    ExpectEveryFileReplayed(fs::path(QUAVERLY_CORPUS_DIR) / "fuzz-regressions");
}

TEST(FuzzRegressionTest, EverySeedIsHandled)
{
    ExpectEveryFileReplayed(fs::path(QUAVERLY_FUZZ_SEEDS_DIR));
}

// Every folder of kept inputs belongs to a target, so none is silently skipped.
TEST(FuzzRegressionTest, EveryRegressionFolderNamesATarget)
{
    const fs::path root = fs::path(QUAVERLY_CORPUS_DIR) / "fuzz-regressions";
    ASSERT_TRUE(fs::is_directory(root)) << root;
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
