// quaverly-cli rtttl, mml and the import of their texts, as a user runs them:
// exit codes, what goes to standard output and error, and that a refusal
// writes nothing.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "TempFolderTest.h"

namespace {

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class CliTextFormatsTest : public quaverly::testfiles::TempFolderTest {
protected:
    CliRun Run(const std::string& args) const
    {
        const std::string command = std::string("'") + QUAVERLY_CLI + "' " + args + " </dev/null >'" + Path("stdout") +
                                    "' 2>'" + Path("stderr") + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(Path("stdout")), ReadText(Path("stderr"))};
    }
    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }
};

const std::string Kaeru = std::string(QUAVERLY_EXAMPLES_DIR) + "/kaeru.tml";

TEST_F(CliTextFormatsTest, RtttlOfAVoiceToStandardOutputWithTheReportOnStandardError)
{
    const CliRun run = Run("rtttl '" + Kaeru + "' --voice 1");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.rfind("kaeru:d=4,o=5,b=125:c,d,e,f,e,d,c,p,", 0), 0u) << run.out;
    EXPECT_NE(run.err.find("RTTTLに書き出しました（第1音）"), std::string::npos) << run.err;
}

TEST_F(CliTextFormatsTest, BadVoicesAreRefused)
{
    EXPECT_EQ(Run("rtttl '" + Kaeru + "' --voice 5").exitCode, 2);
    // A voice without notes: refused, nothing written.
    const std::string tml = Write("one.tml", "$T\r\nOne\r\n$t\r\n125\r\n$C\r\n\r\n$D\r\n\r\n$1\r\n-1\r\n-63\r\n\x83h\r\n"
                                                "$2\r\n-1\r\n-63\r\n\r\n$3\r\n-1\r\n-63\r\n\r\n$4\r\n-1\r\n-63\r\n\r\n");
    const CliRun run = Run("rtttl '" + tml + "' --voice 2 -o '" + Path("out.rtttl") + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("第2音"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(Path("out.rtttl")));
}

TEST_F(CliTextFormatsTest, MmlAndBackGiveTheSameScore)
{
    ASSERT_EQ(Run("mml '" + Kaeru + "' -o '" + Path("kaeru.mml") + "'").exitCode, 0);
    ASSERT_EQ(Run("import '" + Path("kaeru.mml") + "' -o '" + Path("back.mld") + "'").exitCode, 0);
    ASSERT_EQ(Run("build '" + Kaeru + "' -o '" + Path("kaeru.mld") + "'").exitCode, 0);
    // The notes of the four voices: the listing's time, voice and note columns.
    const auto notes = [this](const std::string& mld) {
        std::istringstream lines(Run("seq '" + mld + "'").out);
        std::string listed;
        for (std::string line; std::getline(lines, line);) {
            if (line.size() >= 14 && line.substr(11, 3) != "  0") {
                listed += line.substr(0, 10) + "\n";
            }
        }
        return listed;
    };
    EXPECT_EQ(notes(Path("back.mld")), notes(Path("kaeru.mld")));
}

TEST_F(CliTextFormatsTest, ImportListsWhatItCouldNotReadAndRefusesOtherText)
{
    const std::string mml = Write("song.txt", "t100 o5 l8 cdefgab<c\n  xyz e");
    CliRun run = Run("import '" + mml + "' -o '" + Path("song.mld") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("song.txt:2:3: 「xyz」は読めないので飛ばしました"), std::string::npos) << run.err;
    const std::string letter = Write("letter.txt", "Dear friend: how are you: fine");
    run = Run("import '" + letter + "' -o '" + Path("letter.mld") + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("letter.txt"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Path("letter.mld")));
}

}  // namespace
