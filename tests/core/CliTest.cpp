// quaverly-cli as a user runs it: the built program in a shell, each test in
// its own temporary folder. Covers the exit codes (0, refusal 1, usage 2),
// that a refusal writes nothing, the round trips through the file formats and
// what is printed for a person.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolderTest.h"

namespace {

namespace fs = std::filesystem;

const std::string Corpus = std::string(QUAVERLY_CORPUS_DIR) + "/cli/";

struct CliRun {
    int exitCode;
    std::string out;
    std::string err;
};

using quaverly::testfiles::ReadBytes;

void WriteBytes(const fs::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

class CliTest : public quaverly::testfiles::TempFolderTest {
protected:
    // Runs "quaverly-cli ARGS" (ARGS as shell words) with the given standard
    // input; standard output goes to outPath when one is given.
    CliRun Run(const std::string& args, const std::string& input = {}, const std::string& outPath = {}) const
    {
        WriteBytes(Path("stdin"), input);
        std::string command = std::string("'") + QUAVERLY_CLI + "' " + args + " <'" + Path("stdin") + "' >'" +
                              (outPath.empty() ? Path("stdout") : outPath) + "' 2>'" + Path("stderr") + "'";
        int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadBytes(Path("stdout")), ReadBytes(Path("stderr"))};
    }

    // Builds a corpus melody text into the temporary folder and returns the melody file's path.
    std::string Build(const std::string& tml, const std::string& name = "song.mld") const
    {
        CliRun run = Run("build '" + tml + "' -o '" + Path(name) + "'");
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return Path(name);
    }
};

// The corpus song and every example song.
std::vector<std::string> Songs()
{
    std::vector<std::string> songs{Corpus + "song.tml"};
    if (fs::is_directory(QUAVERLY_EXAMPLES_DIR)) {
        for (const auto& entry : fs::directory_iterator(QUAVERLY_EXAMPLES_DIR)) {
            if (entry.path().extension() == ".tml") {
                songs.push_back(entry.path().string());
            }
        }
    }
    return songs;
}

const std::vector<std::string> SubcommandNames{"build", "parse", "text",   "seq",    "info",  "midi",
                                               "mail",  "unmail", "import", "ktm", "rtttl", "mml"};

TEST_F(CliTest, HelpOfTheToolAndOfEverySubcommand)
{
    CliRun top = Run("--help");
    EXPECT_EQ(top.exitCode, 0);
    for (const std::string& name : SubcommandNames) {
        EXPECT_NE(top.out.find("  " + name + " "), std::string::npos) << name;
        CliRun run = Run(name + " --help");
        EXPECT_EQ(run.exitCode, 0) << name;
        EXPECT_EQ(run.out.rfind("Usage: quaverly-cli " + name + " ", 0), 0u) << run.out;
        EXPECT_EQ(run.err, "");
    }
    CliRun version = Run("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("quaverly-cli ", 0), 0u);
}

TEST_F(CliTest, UsageErrorsExitTwoWithUsageOnStandardError)
{
    const std::string song = "'" + Corpus + "song.tml' ";
    const std::string out = "-o '" + Path("out.mld") + "' ";
    // One of each kind: no or unknown subcommand, a missing operand, too many
    // operands, a bad option value, an unknown option, a missing option value.
    const std::vector<std::string> cases{
        "",
        "nosuch",
        "build " + song,
        "build " + song + song + out,
        "build " + song + out + "--fff0 zz",
        "build " + song + out + "--bogus",
        "build " + song + "-o",
        "parse --voice 5",
        "midi " + song + out + "--voices 15",
        "import a.c99",
    };
    for (const std::string& args : cases) {
        CliRun run = Run(args);
        EXPECT_EQ(run.exitCode, 2) << args;
        EXPECT_EQ(run.out, "") << args;
        EXPECT_NE(run.err.find("quaverly-cli"), std::string::npos) << args;
    }
    EXPECT_FALSE(fs::exists(Path("out.mld")));
}

TEST_F(CliTest, BuildWritesTheMelodyAndPrintsTheReport)
{
    for (const std::string& song : Songs()) {
        CliRun run = Run("build '" + song + "' -o '" + Path("out.mld") + "'");
        ASSERT_EQ(run.exitCode, 0) << song << run.err;
        std::string image = ReadBytes(Path("out.mld"));
        EXPECT_EQ(image.substr(0, 4), "melo") << song;
        std::vector<std::string> report = Lines(run.out);
        ASSERT_GE(report.size(), 2u) << song;
        EXPECT_EQ(report[0], "音譜解析結果");
        EXPECT_EQ(report[1], "　サイズ： " + std::to_string(image.size()) + " バイト");
        EXPECT_EQ(run.out.find('\r'), std::string::npos);
        if (song == Corpus + "song.tml") {
            EXPECT_EQ(report, (std::vector<std::string>{report[0], report[1], "　第1音の範囲：ド～ラ",
                                                        "　第2音の範囲：ド▼～ソ▼"}));
        }
    }
}

// Each refusal prints the window's message, exits 1 and leaves an existing
// output file as it was; the tone check comes before the volume check.
TEST_F(CliTest, RefusalsPrintTheMessageAndWriteNothing)
{
    struct Case {
        std::string args;
        std::string message;
    };
    const std::string out = " -o '" + Path("out") + "'";
    // The refusals themselves are the core units' tests; here one of each
    // message class shows the exit code, the text and the untouched output.
    const std::vector<Case> cases{
        {"build '" + Corpus + "tempo_refused.tml'" + out, "このテンポは指定できません\n  0\n"},
        {"build '" + Corpus + "tone_checked_before_volume.tml'" + out, "この音色は指定できません\n  ピアノ\n"},
        {"midi '" + Corpus + "song.txt'" + out, "未サポートです\n"},
        {"text '" + Corpus + "not_a_melody.mld'" + out, "データ形式が異常です\n"},
    };
    for (const Case& test : cases) {
        WriteBytes(Path("out"), "old");
        CliRun run = Run(test.args);
        EXPECT_EQ(run.exitCode, 1) << test.args;
        EXPECT_EQ(run.err, test.message) << test.args;
        EXPECT_EQ(ReadBytes(Path("out")), "old") << test.args;
    }
}

TEST_F(CliTest, MissingInputFileIsAnErrorNamingTheFile)
{
    CliRun run = Run("build '" + Path("nothere.tml") + "' -o '" + Path("out.mld") + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("nothere.tml"), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("out.mld")));
}

// Files over a reader's cap are refused unread with the cap in the message
// (sparse files: the 300 MB cost nothing to make).
TEST_F(CliTest, FilesOverTheirCapAreRefusedNamingTheCap)
{
    WriteBytes(Path("huge.mld"), "melo");
    WriteBytes(Path("huge.mid"), "MThd");
    fs::resize_file(Path("huge.mld"), 300u << 20);
    fs::resize_file(Path("huge.mid"), 300u << 20);
    const struct {
        std::string args;
        std::string cap;
    } runs[] = {
        {"info '" + Path("huge.mld") + "'", "（128 MB まで）"},
        {"import '" + Path("huge.mid") + "' -o '" + Path("out.mld") + "'", "（64 MB まで）"},
    };
    for (const auto& test : runs) {
        CliRun run = Run(test.args);
        EXPECT_EQ(run.exitCode, 1) << test.args;
        EXPECT_NE(run.err.find(test.cap), std::string::npos) << run.err;
    }
    EXPECT_FALSE(fs::exists(Path("out.mld")));
}

TEST_F(CliTest, BuildTextBuildGivesTheSameBytes)
{
    for (const std::string& song : Songs()) {
        std::string first = Build(song, "first.mld");
        CliRun text = Run("text '" + first + "' -o '" + Path("song.tml") + "'");
        ASSERT_EQ(text.exitCode, 0) << text.err;
        std::string second = Build(Path("song.tml"), "second.mld");
        EXPECT_EQ(ReadBytes(first), ReadBytes(second)) << song;
    }
    std::string first = Build(Corpus + "song.tml", "first.mld");
    ASSERT_EQ(Run("text '" + first + "' -o '" + Path("song.tml") + "'").exitCode, 0);

    // Printed for a person, the same text is UTF-8 with LF line ends.
    CliRun printed = Run("text '" + first + "'");
    ASSERT_EQ(printed.exitCode, 0);
    EXPECT_EQ(printed.out.rfind("$T\nテスト曲\n$t\n120\n$C\nFernwick\n$D\n20240102\n$1\n-1 - ピアノ\n-63\n", 0), 0u)
        << printed.out;
    EXPECT_EQ(ReadBytes(Path("song.tml")).substr(0, 10), "$T\r\n\x83\x65\x83\x58\x83\x67");
}

TEST_F(CliTest, BuildOptionsSetProtectVersionAndFff0)
{
    std::string image = Path("song.mld");
    CliRun build = Run("build '" + Corpus + "song.tml' -o '" + image + "' --protect --version-text ０２ --fff0 0aFF");
    ASSERT_EQ(build.exitCode, 0) << build.err;
    EXPECT_NE(ReadBytes(image).find(std::string("vers\0\x04\x82\x4f\x82\x51", 10)), std::string::npos);
    std::vector<std::string> info = Lines(Run("info '" + image + "'").out);
    const std::vector<std::string> expected{
        "Title: テスト曲",         "Tempo: 120",
        "Voice 1 tone: 1 - ピアノ", "Voice 1 volume: 63",
        "Voice 2 tone: 74 - フルート", "Voice 2 volume: 40",
        "Voice 3 tone: 1 - ピアノ", "Voice 3 volume: 63",
        "Voice 4 tone: 1 - ピアノ", "Voice 4 volume: 63",
        "Copyright: Fernwick",      "Date: 20240102",
        "Protect: yes",             "FFF0: 0aff" + std::string(78, '0'),
    };
    EXPECT_EQ(info, expected);
    EXPECT_EQ(Lines(Run("info '" + Build(Corpus + "song.tml") + "'").out).back(), "FFF0: none");
}

TEST_F(CliTest, MailThenUnmailGivesTheSameBytes)
{
    std::string image = Build(Corpus + "song.tml");
    CliRun mail = Run("mail '" + image + "'");
    ASSERT_EQ(mail.exitCode, 0) << mail.err;
    EXPECT_EQ(mail.out.rfind("--B:M\r\n", 0), 0u);
    WriteBytes(Path("mail.txt"), mail.out);
    ASSERT_EQ(Run("unmail '" + Path("mail.txt") + "' -o '" + Path("back.mld") + "'").exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("back.mld")), ReadBytes(image));
    // Standard input and output stand for the files.
    CliRun piped = Run("unmail -o -", mail.out);
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_EQ(piped.out, ReadBytes(image));
}

// A damaged mail text decoded silently into another tune; a whole mail
// with headers and quoting was refused.
TEST_F(CliTest, UnmailFindsTheBlockAndWarnsOfCharactersThatAreNotBase64)
{
    const std::string image = Build(Corpus + "song.tml");
    std::string mail = Run("mail '" + image + "'").out;
    std::string quoted = "Subject: song\r\n\r\n> ";
    for (char c : mail) {
        quoted += c;
        quoted += c == '\n' ? "> " : "";
    }
    WriteBytes(Path("whole.txt"), quoted + "\r\n\r\n-- \r\nTaro\r\n");
    CliRun whole = Run("unmail '" + Path("whole.txt") + "' -o '" + Path("whole.mld") + "'");
    ASSERT_EQ(whole.exitCode, 0) << whole.err;
    EXPECT_EQ(whole.err, "");
    EXPECT_EQ(ReadBytes(Path("whole.mld")), ReadBytes(image));

    // A character of the last notes, so that the image stays a melody.
    const size_t index = (ReadBytes(image).size() - 8) * 4 / 3;
    mail[7 + index / 76 * 78 + index % 76] = '!';
    CliRun damaged = Run("unmail -o '" + Path("damaged.mld") + "'", mail);
    ASSERT_EQ(damaged.exitCode, 0) << damaged.err;
    EXPECT_EQ(damaged.err, "-:" + std::to_string(2 + index / 76) + ":" + std::to_string(index % 76 + 1) +
                               ": warning: Base64 の文字でない文字があります（全部で 1 個）。音譜が壊れているかもしれません\n");
}

TEST_F(CliTest, MidiWritesTheSelectedVoiceTracks)
{
    std::string image = Build(Corpus + "song.tml");
    struct Case {
        std::string input;
        std::string voices;
        char tracks;
    };
    const std::vector<Case> cases{
        {image, "", 6}, {image, " --voices 13", 4}, {image, " --voices none", 2}, {Corpus + "song.tml", "", 6}};
    for (const Case& test : cases) {
        CliRun run = Run("midi '" + test.input + "' -o '" + Path("out.mid") + "'" + test.voices);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        std::string midi = ReadBytes(Path("out.mid"));
        ASSERT_GE(midi.size(), 14u);
        EXPECT_EQ(midi.substr(0, 4), "MThd");
        EXPECT_EQ(midi.substr(10, 2), std::string({0, test.tracks})) << test.input << test.voices;
    }
}

TEST_F(CliTest, ParsePrintsTheSequenceLinesThenTheCanonicalText)
{
    const std::string expected = "    0 1 27  46\n   48 1 29  46\n   96 1 31  46\n  144 1 -1   0\nド４レ４ミ４\n";
    CliRun sjis = Run("parse --voice 2", "\x83h\x81@\x83\x8C\r\n\x83~");
    EXPECT_EQ(sjis.exitCode, 0) << sjis.err;
    EXPECT_EQ(sjis.out, expected);
    CliRun utf8 = Run("parse --voice 2 --utf8 -", "\xEF\xBB\xBFド　レ\r\nミ");
    EXPECT_EQ(utf8.out, expected);
    CliRun empty = Run("parse", "");
    EXPECT_EQ(empty.out, "\n");
    CliRun extended = Run("parse --extended --utf8", "ド／0102／レ");
    EXPECT_EQ(Lines(extended.out)[1], "   48 0       0102");
}

// Diagnostics are printed as compilers print theirs, with the line and column
// in the input file; --werror refuses and writes nothing, --quiet prints none.
TEST_F(CliTest, DiagnosticsNameTheLineAndColumnOfTheInputFile)
{
    const std::string tml = Path("warn.tml");
    WriteBytes(tml, "$T\r\nt\r\n$t\r\n120\r\n$C\r\n\r\n$D\r\n\r\n"
                    "$1\r\n-1\r\n-63\r\n\x83h\x83\x8CX\r\n"                        // ドレX
                    "$2\r\n-1\r\n-63\r\n\r\n"
                    "$3\r\n-1\r\n-63\r\n\x83h\r\n\x81\x40\x83\x7E\x81\x69\x82\x81\x81\x6A\r\n"  // ド / 　ミ（ａ）
                    "$4\r\n-1\r\n-63\r\n\x83h\x81\xA3\x81\xA3\x81\xA3\x81\xA3\r\n");      // ド▲▲▲▲
    const std::vector<std::string> expected{
        tml + ":12:3: warning: 「X」は意味のない文字なので飛ばしました",
        tml + ":21:3: warning: 「（ａ）」は長さ・ゲートの指定として読めないので飛ばしました",
        tml + ":25:1: warning: 「ド▲▲▲▲」は音域の外なので「シ▲▲」にしました",
    };
    CliRun build = Run("build '" + tml + "' -o '" + Path("warn.mld") + "'");
    EXPECT_EQ(build.exitCode, 0);
    EXPECT_EQ(Lines(build.err), expected);
    EXPECT_TRUE(fs::exists(Path("warn.mld")));

    CliRun quiet = Run("build --quiet '" + tml + "' -o '" + Path("quiet.mld") + "'");
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_TRUE(fs::exists(Path("quiet.mld")));

    CliRun refused = Run("build --werror '" + tml + "' -o '" + Path("refused.mld") + "'");
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(Lines(refused.err), expected);
    EXPECT_FALSE(fs::exists(Path("refused.mld")));

    CliRun clean = Run("build --werror '" + Corpus + "song.tml' -o '" + Path("clean.mld") + "'");
    EXPECT_EQ(clean.exitCode, 0) << clean.err;
    EXPECT_EQ(clean.err, "");

    struct ParseCase {
        std::string args;
        std::string input;
        int exitCode;
        std::string out;
        std::string err;
    };
    const std::vector<ParseCase> cases{
        {"parse --utf8", "ド\r\n　ミ?", 0, "    0 0 27  46\n   48 0 31  46\n   96 0 -1   0\nド４ミ４\n",
         "-:2:3: warning: 「?」は意味のない文字なので飛ばしました\n"},
        {"parse --utf8 --quiet", "ド?", 0, "    0 0 27  46\n   48 0 -1   0\nド４\n", ""},
        {"parse --utf8 --werror", "ド?", 1, "", "-:1:2: warning: 「?」は意味のない文字なので飛ばしました\n"},
        {"parse --utf8 --werror", "ド", 0, "    0 0 27  46\n   48 0 -1   0\nド４\n", ""},
    };
    for (const ParseCase& c : cases) {
        CliRun run = Run(c.args, c.input);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args << " " << c.input;
        EXPECT_EQ(run.out, c.out) << c.args << " " << c.input;
        EXPECT_EQ(run.err, c.err) << c.args << " " << c.input;
    }
}

// Each page's first thousand diagnostics are printed, then how many more there
// were; --quiet prints none and --werror still refuses.
TEST_F(CliTest, DiagnosticsBeyondAThousandAreCounted)
{
    std::string page;
    for (int i = 0; i < 1003; ++i) {
        page += "X\x83h";  // Xド
    }
    WriteBytes(Path("many.txt"), page);
    CliRun run = Run("parse '" + Path("many.txt") + "'");
    EXPECT_EQ(run.exitCode, 0);
    const std::vector<std::string> lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 1001u);
    EXPECT_EQ(lines[999], Path("many.txt") + ":1:1999: warning: 「X」は意味のない文字なので飛ばしました");
    EXPECT_EQ(lines[1000], Path("many.txt") + ": warning: ほか 3 件");
    CliRun quiet = Run("parse --quiet --werror '" + Path("many.txt") + "'");
    EXPECT_EQ(quiet.exitCode, 1);
    EXPECT_EQ(quiet.err, "");
}

TEST_F(CliTest, ParseRefusesTextThatIsNotUtf8)
{
    CliRun run = Run("parse --utf8", "\x83h");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("UTF-8 のテキストとして読めません：", 0), 0u) << run.err;
}

// The imported melody is checked through seq, which shows its whole list.
TEST_F(CliTest, ImportNumericTextAndPocketMelody)
{
    ASSERT_EQ(Run("import '" + Corpus + "numbers.c99' -o '" + Path("n.mld") + "'").exitCode, 0);
    EXPECT_EQ(Run("seq '" + Path("n.mld") + "'").out, "    0 0 27  46\n   48 0 29  22\n   72 0 -1   0\n");

    std::string image = ReadBytes(Build(Corpus + "song.tml"));
    WriteBytes(Path("pocket.pmr"), std::string(192, 'h') + image);
    ASSERT_EQ(Run("import '" + Path("pocket.pmr") + "' -o '" + Path("p.mld") + "'").exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("p.mld")), image);

    WriteBytes(Path("short.pmr"), std::string(192, 'h'));
    CliRun run = Run("import '" + Path("short.pmr") + "' -o '" + Path("s.mld") + "'");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, "データ形式が異常です\n");
    EXPECT_FALSE(fs::exists(Path("s.mld")));
}

TEST_F(CliTest, ImportMidiFileWritesTheMelodyAndReportsOnStandardError)
{
    // This program's own MIDI file comes back to the same MIDI file.
    const std::string song = Build(Corpus + "song.tml");
    ASSERT_EQ(Run("midi '" + song + "' -o '" + Path("song.mid") + "' --edit-tempo 100").exitCode, 0);
    CliRun run = Run("import '" + Path("song.mid") + "' -o '" + Path("back.mld") + "'");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.err).front(), "MIDI読み込み結果");
    EXPECT_NE(run.err.find("すべての音符をそのまま読みました"), std::string::npos) << run.err;
    ASSERT_EQ(Run("midi '" + Path("back.mld") + "' -o '" + Path("back.mid") + "' --edit-tempo 100").exitCode, 0);
    EXPECT_EQ(ReadBytes(Path("back.mid")), ReadBytes(Path("song.mid")));

    // ".midi" in any case, melody text with --text, a channel choice.
    fs::copy_file(Path("song.mid"), Path("SONG.MIDI"));
    run = Run("import '" + Path("SONG.MIDI") + "' -o - --text --channels 2,1");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, 4), "$T\r\n");

    struct Refusal {
        std::string args;
        int exitCode;
    };
    WriteBytes(Path("cut.mid"), ReadBytes(Path("song.mid")).substr(0, 40));
    const std::string target = " -o '" + Path("x.mld") + "'";
    for (const Refusal& refusal : {Refusal{"'" + Path("cut.mid") + "'" + target, 1},
                                   Refusal{"'" + Path("song.mid") + "'" + target + " --channels 1,17", 1},
                                   Refusal{"'" + Path("song.mid") + "'" + target + " --channels 1,,2", 2},
                                   Refusal{"'" + Corpus + "numbers.c99'" + target + " --channels 1", 2}}) {
        EXPECT_EQ(Run("import " + refusal.args).exitCode, refusal.exitCode) << refusal.args;
        EXPECT_FALSE(fs::exists(Path("x.mld"))) << refusal.args;
    }
    EXPECT_NE(Run("import '" + Path("cut.mid") + "' -o '" + Path("x.mld") + "'").err.find("ファイルが途中で終わっています"),
              std::string::npos);
}

TEST_F(CliTest, KtmListsTheSongsAndStopsAtACutRecord)
{
    CliRun run = Run("ktm '" + Corpus + "two_songs.ktm'");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "さくら\t日本古謡\tラ４ラ４シ２");
    EXPECT_EQ(lines[1].substr(0, 15), "Song B\tSomeone\t");

    CliRun cut = Run("ktm '" + Corpus + "ktm_ends_inside_record.ktm'");
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_EQ(cut.out, lines[0] + "\n");
    EXPECT_NE(cut.err.find("ktm_ends_inside_record.ktm"), std::string::npos);
}

// A report or file that could not be written in full must not look like success.
TEST_F(CliTest, WriteFailuresExitOne)
{
    std::string song = Corpus + "song.tml";
    EXPECT_EQ(Run("build '" + song + "' -o '" + Path("out.mld") + "'", "", "/dev/full").exitCode, 1);
    EXPECT_EQ(Run("build '" + song + "' -o -", "", "/dev/full").exitCode, 1);
    EXPECT_EQ(Run("text '" + Build(song) + "'", "", "/dev/full").exitCode, 1);
}

}  // namespace
