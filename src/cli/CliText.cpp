// quaverly-cli text: a melody file (or pocket-melody file) back into melody
// text, exactly as the window's text export writes it right after opening it.
#include "BatchRunner.h"
#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli text SONG.mld|SONG.pmr... [-o SONG.tml | -d OUTDIR] [--jobs N]\n"
    "\n"
    "Opens the melody as the window does (a .pmr file skips its 192-byte header;\n"
    "\"-\" reads a melody image from standard input), turns it back into score\n"
    "text and writes the melody text file. A file that is not a melody is\n"
    "refused (exit 1).\n"
    "\n"
    "  -o FILE   the melody text file to write, in Shift-JIS with CR LF line ends\n"
    "            (\"-\": the same bytes to standard output). Without -o the text\n"
    "            is printed in UTF-8 with LF line ends.\n"
    "  -d OUTDIR several inputs: write OUTDIR/NAME.tml for each, go on past a\n"
    "            file that fails (a line with its reason), end with a summary;\n"
    "            exit 1 when any failed\n"
    "  --jobs N  inputs converted at once (default: every processor)\n";

// The melody text file's bytes of one input.
std::string TextOf(const std::string& input)
{
    MelodyStore store;
    MelodyFileInfo info;
    EditorFields fields = LoadMelody(store, info, input);
    EditorTexts texts{.tempo = fields.tempoText,
                      .title = fields.title,
                      .tones = fields.toneTexts,
                      .volumes = fields.volumeTexts,
                      .scores = fields.scoreTexts};
    return MelodyTextBytes(texts, info);
}

int RunText(const std::vector<std::string>& args)
{
    Arguments arguments(args, WithBatchOptionRules({{"-o", true}}), 1, SIZE_MAX);
    const BatchPlan plan = ReadBatchPlan(arguments);
    if (IsBatch(plan)) {
        // With -d OUTDIR/NAME.tml each; else the texts on standard output in order.
        return RunBatch(plan, [&](const std::string& input) {
            const std::string bytes = TextOf(input);
            if (plan.outDir.empty()) {
                return BatchResult{ForPerson(bytes), {}};
            }
            WriteOutput(BatchOutputPath(plan, input, ".tml"), bytes);
            return BatchResult{};
        });
    }
    std::string bytes = TextOf(arguments.Positional()[0]);
    if (arguments.Has("-o")) {
        WriteOutput(arguments.Value("-o", ""), bytes);
    } else {
        Print(stdout, bytes);
    }
    return ExitSuccess;
}

}  // namespace

extern const Subcommand TextCommand{"text", "turn a melody file (.mld, .pmr) into melody text (.tml)", Help, RunText};

}  // namespace quaverly::cli
