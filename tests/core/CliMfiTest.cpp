// quaverly-cli on melody files of other makers (MFi), made by the test-side
// writer: info, midi, seq and import read them; text refuses them with the
// way to import them; a file that breaks off is shown as far as it goes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "MfiWriter.h"
#include "TempFolderTest.h"
#include "UnitMld/MelodyOrigin.h"

namespace {

namespace fs = std::filesystem;

using quaverly::testfiles::ReadBytes;

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

class CliMfiTest : public quaverly::testfiles::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        std::ofstream(Path("every.mld"), std::ios::binary) << quaverly::mfitest::EveryFeatureFile();
    }
    CliRun Run(const std::string& args) const
    {
        const std::string command = std::string("'") + QUAVERLY_CLI + "' " + args + " </dev/null >'" + Path("stdout") +
                                    "' 2>'" + Path("stderr") + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(Path("stdout")), ReadBytes(Path("stderr"))};
    }
};

TEST_F(CliMfiTest, InfoShowsWhatTheFileIs)
{
    const CliRun run = Run("info '" + Path("every.mld") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* line : {"Title: Every\n", "Version: 0301\n", "Copyright: (c) test\n", "Tracks: 4 (header: 4)\n",
                             "Note bytes: 4\n", "Channel 1 (track 1 voice 1): 1 notes\n",
                             "Channel 10 (track 3 voice 2, percussion): 1 notes\n", "Complete: yes\n",
                             "Cue points: cue start at 0.000 s (tick 0), cue end at "}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << run.out;
    }
    EXPECT_NE(run.out.find("audio chunks (not played) 1"), std::string::npos) << run.out;
}

TEST_F(CliMfiTest, AFileThatBreaksOffIsShownAsFarAsItGoes)
{
    const std::string whole = quaverly::mfitest::EveryFeatureFile();
    std::ofstream(Path("cut.mld"), std::ios::binary) << whole.substr(0, whole.size() / 2);
    const CliRun run = Run("info '" + Path("cut.mld") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("warning: "), std::string::npos);
    EXPECT_NE(run.out.find("Complete: no"), std::string::npos) << run.out;
}

TEST_F(CliMfiTest, MidiAndSeqHaveEveryChannel)
{
    const CliRun midi = Run("midi '" + Path("every.mld") + "' -o '" + Path("every.mid") + "' --edit-tempo 100");
    ASSERT_EQ(midi.exitCode, 0) << midi.err;
    EXPECT_EQ(ReadBytes(Path("every.mid")).substr(0, 4), "MThd");

    const CliRun seq = Run("seq '" + Path("every.mld") + "'");
    ASSERT_EQ(seq.exitCode, 0) << seq.err;
    EXPECT_EQ(seq.out.substr(0, seq.out.find('\n')), "         0  1  72     48 127");
    EXPECT_EQ(std::count(seq.out.begin(), seq.out.end(), '\n'), 7);
}

TEST_F(CliMfiTest, ImportMakesAnOwnMelody)
{
    const CliRun run = Run("import '" + Path("every.mld") + "' -o '" + Path("own.mld") + "' --channels 1,5");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string own = ReadBytes(Path("own.mld"));
    EXPECT_EQ(own.substr(0, 4), "melo");
    EXPECT_FALSE(quaverly::IsForeignMelodyImage(own));
    EXPECT_EQ(Run("info '" + Path("own.mld") + "'").exitCode, 0);

    const CliRun text = Run("import '" + Path("every.mld") + "' -o - --text");
    ASSERT_EQ(text.exitCode, 0) << text.err;
    EXPECT_NE(text.out.find("Every"), std::string::npos);
}

TEST_F(CliMfiTest, TextRefusesWithTheWayToImport)
{
    const CliRun run = Run("text '" + Path("every.mld") + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("quaverly-cli import"), std::string::npos) << run.err;
}

}  // namespace
