// quaverly-cli build: a melody text file through the window's score analysis
// into a melody file, with the analysis report printed.
#include <cctype>

#include "CliDiagnostics.h"
#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreAnalysis.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli build SONG.tml -o SONG.mld [--extended] [--protect] [--version-text TEXT] [--fff0 HEX]\n"
    "                          [--werror] [--quiet]\n"
    "\n"
    "Reads a melody text file, runs the score analysis on it (the same checks,\n"
    "in the same order, with the same messages as the window), writes the melody\n"
    "file and prints the analysis report. A refused tempo, tone or volume prints\n"
    "its message and writes nothing (exit 1).\n"
    "\n"
    "Every place of a score page that is not taken as written (characters with\n"
    "no meaning, a malformed length or gate group, notes beyond the range, an\n"
    "ignored raw-data block, a value the melody file cannot hold) is printed on\n"
    "standard error as \"FILE:LINE:COLUMN: warning: MESSAGE\", LINE and COLUMN\n"
    "counted in the .tml file (a double-byte character is one column).\n"
    "\n"
    "  -o FILE              the melody file to write (\"-\": standard output; the\n"
    "                       report then goes to standard error)\n"
    "  --extended           the extended notation (the window's /D switch):\n"
    "                       \"／\" opens a raw-data block\n"
    "  --protect            set the protect flag (the \"sorc\" chunk)\n"
    "  --version-text TEXT  the version text (default 0100)\n"
    "  --fff0 HEX           write the FF F0 event with this data (up to 41 bytes\n"
    "                       as pairs of hexadecimal digits; missing bytes are 0)\n"
    "  --werror             any warning refuses the build: exit 1, nothing written\n"
    "  --quiet              print no warnings\n";

// The FF F0 event holds 41 bytes; the builder reads them as hexadecimal pairs.
constexpr size_t Fff0DataBytes = 41;

std::string CheckedFff0Hex(const std::string& hex)
{
    bool allHex = true;
    for (char c : hex) {
        allHex = allHex && std::isxdigit(static_cast<unsigned char>(c)) != 0;
    }
    if (!allHex || hex.size() % 2 != 0 || hex.size() > 2 * Fff0DataBytes) {
        throw UsageError("--fff0 needs pairs of hexadecimal digits, at most 41 bytes");
    }
    return hex;
}

int RunBuild(const std::vector<std::string>& args)
{
    Arguments arguments(args,
                        {{"-o", true},
                         {"--extended", false},
                         {"--protect", false},
                         {"--version-text", true},
                         {"--fff0", true},
                         {"--werror", false},
                         {"--quiet", false}},
                        1, 1);
    std::string output = arguments.Required("-o");
    MelodyFileInfo info;
    info.version = ArgumentToSjis(arguments.Value("--version-text", "0100"), "--version-text");
    info.sorc = arguments.Has("--protect");
    MelodyStore store;
    if (arguments.Has("--fff0")) {
        store.fff0DataSet = true;
        store.fff0DataHex = CheckedFff0Hex(arguments.Value("--fff0", ""));
    }

    EditorTexts texts;
    const std::string& path = arguments.Positional()[0];
    const std::string bytes = ReadInput(path);
    std::array<size_t, VoiceCount> pageOffsets{};
    ReadMelodyText(bytes, texts, info, &pageOffsets);
    const DiagnosticOptions options{arguments.Has("--quiet"), arguments.Has("--werror")};
    DiagnosticSink diagnostics;
    StreamDiagnostics(diagnostics, stderr, path, bytes, pageOffsets, options);
    AnalysisResult result =
        AnalyseScore(store, texts, info, arguments.Has("--extended"), ViewRows::Skip, &diagnostics);
    if (result.refusal) {
        Refuse(*result.refusal);
    }
    if (FinishDiagnostics(stderr, path, diagnostics, options)) {
        return ExitRefused;
    }
    SaveImage(store, output);
    Print(output == "-" ? stderr : stdout, result.report);
    return ExitSuccess;
}

}  // namespace

extern const Subcommand BuildCommand{"build", "compile a melody text file (.tml) into a melody file", Help, RunBuild};

}  // namespace quaverly::cli
