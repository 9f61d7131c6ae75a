// quaverly-cli on many files at once: midi, info, text and import take
// several inputs and -d OUTDIR, go on past a bad file with a line naming it,
// end with a summary and exit 1 when any failed; and a melody of another
// maker keeps its own tempo, with a note when --edit-tempo was given.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "MfiWriter.h"
#include "TempFolderTest.h"

namespace {

namespace fs = std::filesystem;
using namespace quaverly::mfitest;
using quaverly::testfiles::ReadBytes;

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

class CliBatchTest : public quaverly::testfiles::TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        std::ofstream(Path("a.mld"), std::ios::binary) << EveryFeatureFile();
        std::ofstream(Path("b.mld"), std::ios::binary)
            << MfiWriter().Info("titl", "B").FourByteNotes().Track(Tempo(0, 90) + Note(0, 0, 10, 48, 40) + End(48)).Bytes();
        std::ofstream(Path("bad.mld"), std::ios::binary) << "not a melody at all";
        fs::create_directory(Path("out"));
    }
    CliRun Run(const std::string& args) const
    {
        const std::string command = std::string("cd '") + Path("") + "' && '" + QUAVERLY_CLI + "' " + args +
                                    " </dev/null >'" + Path("stdout") + "' 2>'" + Path("stderr") + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(Path("stdout")), ReadBytes(Path("stderr"))};
    }
};

TEST_F(CliBatchTest, EachCommandGoesOnPastABadFileAndSumsUp)
{
    const struct {
        const char* args;
        const char* outputs[2];  // written into out/ for a.mld and b.mld
    } cases[] = {
        {"midi a.mld bad.mld b.mld -d out --jobs 2", {"out/a.mid", "out/b.mid"}},
        {"import a.mld bad.mld b.mld -d out", {"out/a.mld", "out/b.mld"}},
        {"import a.mld bad.mld b.mld -d out --text", {"out/a.tml", "out/b.tml"}},
        {"info a.mld bad.mld b.mld -d out --jobs 1", {"out/a.txt", "out/b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        fs::remove_all(Path("out"));
        fs::create_directory(Path("out"));
        const CliRun run = Run(c.args);
        EXPECT_EQ(run.exitCode, 1) << run.err;
        for (const char* output : c.outputs) {
            EXPECT_GT(fs::file_size(Path(output)), 0u) << output;
        }
        // One line for the bad file with its reason, and the summary: 3 inputs, 2 done, 1 failed.
        EXPECT_NE(run.err.find("失敗：bad.mld: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("3 件中 2 件を変換しました（失敗 1 件）"), std::string::npos) << run.err;
    }
    const CliRun good = Run("midi a.mld b.mld -d out");
    EXPECT_EQ(good.exitCode, 0) << good.err;
    EXPECT_NE(good.err.find("2 件を変換しました"), std::string::npos) << good.err;
}

TEST_F(CliBatchTest, ReportsComeInTheInputsOrder)
{
    const CliRun run = Run("info b.mld a.mld --jobs 2");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const size_t b = run.out.find("==> b.mld <==\nTitle: B\n");
    const size_t a = run.out.find("==> a.mld <==\nTitle: Every\n");
    ASSERT_NE(b, std::string::npos) << run.out;
    ASSERT_NE(a, std::string::npos) << run.out;
    EXPECT_LT(b, a);
}

TEST_F(CliBatchTest, ABadCommandLineIsRefused)
{
    for (const char* args : {"midi a.mld b.mld -o x.mid", "midi a.mld -d out -o x.mid", "midi a.mld -d missing",
                             "info a.mld --jobs 0", "import a.mld b.mld"}) {
        SCOPED_TRACE(args);
        EXPECT_EQ(Run(args).exitCode, 2);
    }
}

// Mended: --edit-tempo (95 by default) made the MIDI file of another maker's
// melody 5 % short. It plays at the file's tempo, and says it ignored the option.
TEST_F(CliBatchTest, AnotherMakersMelodyKeepsItsTempo)
{
    const CliRun plain = Run("midi b.mld -o plain.mid");
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_EQ(plain.err, "");
    const CliRun adjusted = Run("midi b.mld -o adjusted.mid --edit-tempo 95");
    ASSERT_EQ(adjusted.exitCode, 0) << adjusted.err;
    EXPECT_NE(adjusted.err.find("--edit-tempo は使いませんでした：b.mld"), std::string::npos) << adjusted.err;
    EXPECT_EQ(ReadBytes(Path("adjusted.mid")), ReadBytes(Path("plain.mid")));
    // 90 a minute: 666,666 microseconds a quarter note.
    EXPECT_NE(ReadBytes(Path("plain.mid")).find(std::string("\xFF\x51\x03\x0A\x2C\x2A", 6)), std::string::npos);
}

// The audio of a melody with a loop: the intro once (0.5 s), the loop section
// (0.5 s) as many times as --repeat says, then the loop on for the fade.
TEST_F(CliBatchTest, RenderPlaysTheIntroTheLoopAsOftenAsAskedAndTheFade)
{
    std::string notes = Tempo(0, 120);
    for (int i = 0; i < 8; ++i) {
        notes += Note(i == 0 ? 0 : 12, 0, 20 + i, 10, 40);
    }
    std::ofstream(Path("loop.mld"), std::ios::binary)
        << MfiWriter().FourByteNotes().Track(notes + End(12)).Track(Control(48, 0xDD, 0) + Control(48, 0xDD, 1) + End()).Bytes();
    const CliRun run = Run("render loop.mld -o loop.wav --repeat 3 --fade 1.5");
    if (run.exitCode == 2 || run.err.find("SoundFont") != std::string::npos) {
        GTEST_SKIP() << "no synthesizer here: " << run.err;
    }
    ASSERT_EQ(run.exitCode, 0) << run.err;
    // 44.1 kHz, 16-bit stereo after a 44-byte header.
    const double seconds = static_cast<double>(ReadBytes(Path("loop.wav")).size() - 44) / 4 / 44100;
    EXPECT_NEAR(seconds, 0.5 + 3 * 0.5 + 1.5, 0.01);
}

}  // namespace
