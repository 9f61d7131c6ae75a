// Melody files of other makers of 40 MB, four tracks each, through every
// command of the tool that reads them: info, seq, midi, import, and render
// when the synthesizer is built. Peak memory stays within four times the
// file and 16 MB: the reader keeps at most its caps (Limits.h), and what is
// made of the notes is made from those.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "BigMfiFile.h"
#include "base/Limits.h"

namespace {

namespace fs = std::filesystem;
using quaverly::mfitest::WriteFourTrackFile;

constexpr size_t FileBytes = quaverly::mfitest::BigFileBytes;
constexpr long SlackKb = 16 * 1024;

// The peak resident size in KB of a shell running the command (it includes
// the tool it waited for), and whether the tool ended as expected (any
// exit status for a negative expectedExit).
long PeakKbOf(const std::string& command, int expectedExit)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    EXPECT_TRUE(WIFEXITED(status)) << command;
    if (expectedExit >= 0) {
        EXPECT_EQ(WEXITSTATUS(status), expectedExit) << command;
    }
    return usage.ru_maxrss;
}

class BigForeignTest : public ::testing::TestWithParam<bool> {};

TEST_P(BigForeignTest, EveryCommandStaysWithinFourTimesTheFile)
{
    const bool dense = GetParam();
    const fs::path folder = fs::temp_directory_path() / ("quaverly-big-foreign-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path input = folder / "big.mld";
    WriteFourTrackFile(input, dense);
    const long idleKb = PeakKbOf("exit 0", 0);
    const std::string cli = std::string("'") + QUAVERLY_CLI + "' ";
    const std::string in = "'" + input.string() + "'";
    const struct {
        std::string args;
        int exit;
    } runs[] = {
        {"info " + in, 0},
        {"seq " + in, 0},
        {"midi " + in + " -o '" + (folder / "big.mid").string() + "'", 0},
        // Too long for the own layout: the import keeps what fits, or refuses.
        {"import " + in + " -o '" + (folder / "big-import.mld").string() + "'", -1},
    };
    const long allowedKb = static_cast<long>(4 * FileBytes / 1024) + SlackKb;
    for (const auto& run : runs) {
        SCOPED_TRACE(run.args);
        // The shell itself counts in the empty run's peak.
        const long peakKb = PeakKbOf(cli + run.args + " >/dev/null 2>'" + (folder / "err").string() + "'; exit $?",
                                     run.exit) - idleKb;
        EXPECT_LT(peakKb, allowedKb);
        std::printf("[   INFO   ] %s: peak %ld KB for a %zu KB file\n", run.args.substr(0, run.args.find(' ')).c_str(),
                    peakKb, FileBytes / 1024);
    }
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Files, BigForeignTest, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "DenseNotesOverTheCap" : "EveryTrackReadWhole"); });

}  // namespace
