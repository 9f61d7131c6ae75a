#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>

#include <atomic>
#include <csignal>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "base/FileIO.h"
#include "base/Messages.h"

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

// A new file gets the mode the umask leaves of 0666, as any program's would.
TEST_F(WholeFileWriter, NewFileGetsTheModeTheUmaskLeaves)
{
    const mode_t old = ::umask(027);
    WriteWholeFile(Path("new.mld"), "bytes");
    ::umask(old);
    struct stat info {};
    ASSERT_EQ(::stat(Path("new.mld").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Writing a new file once cleared the process's umask for a moment, so a file
// another thread created meanwhile (the synthesizer's, a worker's) came out
// writable by everyone. Another thread creates files while new ones are
// written; none of its files may miss the umask.
TEST_F(WholeFileWriter, OtherThreadsNeverSeeTheUmaskCleared)
{
    // In memory where there is such a folder: a sync costs nothing there, so
    // many more writes fit in the time.
    std::string folder = m_folder;
    char pattern[] = "/dev/shm/quaverly-umask-XXXXXX";
    const bool inMemory = ::mkdtemp(pattern) != nullptr;
    if (inMemory) {
        folder = pattern;
    }
    const mode_t old = ::umask(022);
    std::atomic<bool> stop{false};
    std::atomic<int> unmasked{0};
    std::thread creator([&] {
        const std::string probe = folder + "/probe";
        while (!stop.load()) {
            const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
            if (fd < 0) {
                continue;
            }
            struct stat info {};
            if (::fstat(fd, &info) == 0 && (info.st_mode & 0022) != 0) {
                unmasked.fetch_add(1);
            }
            ::close(fd);
            ::unlink(probe.c_str());
        }
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
    for (int i = 0; std::chrono::steady_clock::now() < until && unmasked.load() == 0; ++i) {
        const std::string path = folder + "/song" + std::to_string(i % 8) + ".mld";
        ::unlink(path.c_str());  // a new file each time, the case that needs a creation mode
        WriteWholeFile(path, "x");
    }
    stop.store(true);
    creator.join();
    ::umask(old);
    if (inMemory) {
        std::system(("rm -rf '" + folder + "'").c_str());
    }
    EXPECT_EQ(unmasked.load(), 0);
}

// The readers' size caps: a file over the cap is refused before it is read
// (a sparse file of 1 GB costs nothing to make and would cost 1 GB to read),
// naming the file and the cap; one at the cap is read.
TEST_F(WholeFileWriter, FileOverItsCapIsRefusedUnread)
{
    const std::string huge = Path("huge.mld");
    WriteWholeFile(huge, "melo");
    ASSERT_EQ(::truncate(huge.c_str(), off_t{1} << 30), 0);
    try {
        ReadWholeFile(huge, size_t{2} << 20);
        FAIL() << "read a file over its cap";
    } catch (const FileError& error) {
        EXPECT_EQ(error.ErrorNumber(), EFBIG);
        const std::string message = error.what();
        EXPECT_NE(message.find(huge), std::string::npos);
        EXPECT_NE(message.find(std::string(Msg::ReasonTooBigCapHead) + "2" + std::string(Msg::ReasonTooBigCapTail)),
                  std::string::npos);
    }
    const std::string atCap = Path("at-cap.mld");
    WriteWholeFile(atCap, std::string(size_t{1} << 20, 'x'));
    EXPECT_EQ(ReadWholeFile(atCap, size_t{1} << 20).size(), size_t{1} << 20);
    EXPECT_THROW(ReadWholeFile(atCap, (size_t{1} << 20) - 1), FileError);
}

// A stream has no size to look at first: reading stops as soon as it gives
// more than the cap.
TEST_F(WholeFileWriter, StreamOverItsCapStopsAtTheCap)
{
    // The reader leaves before the writer is done.
    const auto oldPipeHandler = ::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    std::thread writer([&] {
        const std::string block(4096, 'x');
        for (int i = 0; i < 64; ++i) {
            if (::write(ends[1], block.data(), block.size()) < 0) {
                break;
            }
        }
        ::close(ends[1]);
    });
    EXPECT_THROW(ReadAllFrom(ends[0], "-", 100000), FileError);
    ::close(ends[0]);
    writer.join();
    ::signal(SIGPIPE, oldPipeHandler);
}

// The browser lists titles from the header alone.
TEST_F(WholeFileWriter, PrefixIsTheFirstBytesOrTheWholeShortFile)
{
    const std::string path = Path("short");
    WriteWholeFile(path, "melody");
    EXPECT_EQ(ReadFilePrefix(path, 4), "melo");
    EXPECT_EQ(ReadFilePrefix(path, 100), "melody");
    EXPECT_THROW(ReadFilePrefix(Path("missing"), 4), FileError);
}

namespace {

// The two ways a file is replaced: at once, and piece by piece as an audio
// export writes it.
void ReplaceAtOnce(const std::string& path, const std::string& bytes)
{
    WriteWholeFile(path, bytes);
}

void ReplacePieceByPiece(const std::string& path, const std::string& bytes)
{
    FileReplacement replacement(path);
    for (char byte : bytes) {
        ASSERT_EQ(::write(replacement.Fd(), &byte, 1), 1);
    }
    replacement.Commit();
}

struct Replacer {
    const char* name;
    void (*replace)(const std::string&, const std::string&);
};

constexpr Replacer Replacers[] = {{"at once", ReplaceAtOnce}, {"piece by piece", ReplacePieceByPiece}};

// A group other than the one a new file of this process gets, that this
// process may give a file; 0 when there is none.
gid_t OtherGroup()
{
    if (::geteuid() == 0) {
        return ::getegid() == 1 ? 2 : 1;
    }
    gid_t groups[256];
    const int count = ::getgroups(256, groups);
    for (int i = 0; i < count; ++i) {
        if (groups[i] != ::getegid()) {
            return groups[i];
        }
    }
    return 0;
}

}  // namespace

// An audio export over a file of mode 0644 left it 0600, the temporary file's
// mode: the piece-by-piece writer did not give the new file the old one's mode.
TEST_F(WholeFileWriter, EveryReplacementKeepsTheMode)
{
    for (const Replacer& replacer : Replacers) {
        for (const mode_t mode : {mode_t{0644}, mode_t{0600}, mode_t{0664}, mode_t{0755}}) {
            const std::string path = Path("export.wav");
            WriteWholeFile(path, "old");
            ASSERT_EQ(::chmod(path.c_str(), mode), 0);
            replacer.replace(path, "new sound");
            struct stat info {};
            ASSERT_EQ(::stat(path.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, mode) << replacer.name;
            EXPECT_EQ(ReadWholeFile(path), "new sound") << replacer.name;
        }
    }
}

// A replaced file got the saver's own group, so the people of the file's
// group lost what they were given.
TEST_F(WholeFileWriter, EveryReplacementKeepsTheGroup)
{
    const gid_t group = OtherGroup();
    if (group == 0) {
        GTEST_SKIP() << "this user may give a file no other group";
    }
    for (const Replacer& replacer : Replacers) {
        const std::string path = Path("shared.mld");
        WriteWholeFile(path, "old");
        ASSERT_EQ(::chown(path.c_str(), static_cast<uid_t>(-1), group), 0);
        ASSERT_EQ(::chmod(path.c_str(), 0664), 0);
        replacer.replace(path, "new");
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(info.st_gid, group) << replacer.name;
        EXPECT_EQ(info.st_mode & 07777, 0664u) << replacer.name;
    }
}
