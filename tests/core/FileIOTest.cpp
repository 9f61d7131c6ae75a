#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "base/FileIO.h"

using namespace quaverly;

namespace {

class WholeFileWriter : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/quaverly-fileio-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { std::system(("rm -rf '" + m_folder + "'").c_str()); }
    std::string Path(const std::string& name) const { return m_folder + "/" + name; }

    std::string m_folder;
};

}  // namespace

TEST_F(WholeFileWriter, ReplacesFileAndKeepsItsMode)
{
    const std::string path = Path("song.mld");
    WriteWholeFile(path, "old");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    WriteWholeFile(path, "new bytes");
    EXPECT_EQ(ReadWholeFile(path), "new bytes");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Writing "-o /dev/null" used to rename a plain file over the device.
TEST_F(WholeFileWriter, DeviceTargetIsWrittenIntoNotReplaced)
{
    WriteWholeFile("/dev/null", "discarded");
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// A link to a melody file used to be replaced by a plain file, leaving the
// file it pointed at unchanged.
TEST_F(WholeFileWriter, LinkStaysAndItsTargetGetsTheBytes)
{
    const std::string target = Path("real.mld");
    const std::string link = Path("link.mld");
    WriteWholeFile(target, "old");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    WriteWholeFile(link, "new");
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadWholeFile(target), "new");
}
