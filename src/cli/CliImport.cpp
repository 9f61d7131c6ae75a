// quaverly-cli import: numeric melody text (".c99") or a pocket-melody file
// (".pmr") into a melody file, as the window's import command reads them.
#include "CliSupport.h"
#include "base/FileIO.h"
#include "Subcommands.h"
#include "UnitMld/FileKind.h"
#include "UnitMld/MelodyStore.h"
#include "base/Messages.h"
#include "UnitNum/NumericImport.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli import FILE.c99|FILE.pmr -o SONG.mld\n"
    "\n"
    "Reads numeric melody text (.c99: lines of MIDI note, length and channel)\n"
    "or a pocket-melody file (.pmr: a melody behind a 192-byte header) and\n"
    "writes the melody file. Other extensions are refused as the window\n"
    "refuses them, and so is a result that is not a melody (exit 1).\n"
    "\n"
    "  -o FILE   the melody file to write (\"-\": standard output)\n";

int RunImport(const std::vector<std::string>& args)
{
    Arguments arguments(args, {{"-o", true}}, 1, 1);
    std::string input = arguments.Positional()[0];
    std::string output = arguments.Required("-o");
    MelodyStore store;
    const FileKind kind = FileKindOf(input);
    if (kind == FileKind::NumericText) {
        ImportNumericText(store, ReadInput(input));
    } else if (kind == FileKind::PocketMelody) {
        store.OpenMelodyFile(input);
    } else {
        Refuse(Msg::NotSupported);
    }
    if (!store.IsMelodyImage()) {
        Refuse(Msg::DataFormatAbnormal);
    }
    SaveImage(store, output);
    return ExitSuccess;
}

}  // namespace

extern const Subcommand ImportCommand{"import", "turn numeric text (.c99) or a pocket melody (.pmr) into a melody file",
                                      Help, RunImport};

}  // namespace quaverly::cli
