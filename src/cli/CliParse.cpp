// quaverly-cli parse: one voice's score text through the score parser; prints
// the sequence lines it appends and then its canonical text.
#include "CliDiagnostics.h"
#include "CliSupport.h"
#include "Subcommands.h"
#include "base/Errors.h"
#include "base/Messages.h"
#include "UnitMld/ScoreParser.h"
#include "UnitMld/SequenceText.h"
#include "base/TextEncoding.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli parse [--voice N] [--extended] [--utf8] [--werror] [--quiet] [FILE|-]\n"
    "\n"
    "Reads one voice's score text (Shift-JIS; standard input when FILE is\n"
    "missing or \"-\"), prints each sequence line that the score parser appends,\n"
    "one a line, and then one last line holding the canonical score text.\n"
    "Every place not taken as written is printed on standard error as\n"
    "\"FILE:LINE:COLUMN: warning: MESSAGE\" (\"-\" for standard input; a\n"
    "double-byte character is one column).\n"
    "\n"
    "  --voice N    the voice page 1..4 (default 1)\n"
    "  --extended   the extended notation (the window's /D switch)\n"
    "  --utf8       the score text is UTF-8 instead of Shift-JIS\n"
    "  --werror     any warning refuses: exit 1, nothing printed on standard output\n"
    "  --quiet      print no warnings\n";

int VoiceNumber(const std::string& text)
{
    if (text.size() != 1 || text[0] < '1' || text[0] > '4') {
        throw UsageError("--voice must be 1, 2, 3 or 4");
    }
    return text[0] - '0';
}

std::string ScoreFromUtf8(std::string_view utf8, const std::string& path)
{
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (utf8.starts_with(ByteOrderMark)) {
        utf8.remove_prefix(ByteOrderMark.size());
    }
    try {
        return Utf8ToSjis(utf8);
    } catch (const QuaverlyError&) {
        Refuse(std::string(Msg::NotUtf8Text) + Utf8ToSjisLenient(path));
    }
}

int RunParse(const std::vector<std::string>& args)
{
    Arguments arguments(args, {{"--voice", true}, {"--extended", false}, {"--utf8", false}, {"--werror", false}, {"--quiet", false}}, 0, 1);
    int voice = VoiceNumber(arguments.Value("--voice", "1"));
    std::string path = arguments.PositionalOr(0, "-");
    std::string text = ReadInput(path);
    if (arguments.Has("--utf8")) {
        text = ScoreFromUtf8(text, path);
    }
    SequenceList list;
    // The page is the whole input, whichever voice it is.
    const std::array<size_t, VoiceCount> pageOffsets{};
    const DiagnosticOptions options{arguments.Has("--quiet"), arguments.Has("--werror")};
    DiagnosticSink diagnostics;
    StreamDiagnostics(diagnostics, stderr, path, text, pageOffsets, options);
    std::string canonical = ParseScore(text, voice - 1, list, arguments.Has("--extended"), &diagnostics);
    if (FinishDiagnostics(stderr, path, diagnostics, options)) {
        return ExitRefused;
    }
    for (const SequenceEntry& entry : list) {
        PrintLine(stdout, FormatSequenceLine(list, entry));
    }
    PrintLine(stdout, canonical);
    return ExitSuccess;
}

}  // namespace

extern const Subcommand ParseCommand{"parse", "parse one voice's score text: sequence lines and canonical text", Help,
                                     RunParse};

}  // namespace quaverly::cli
