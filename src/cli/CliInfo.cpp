// quaverly-cli info: what the window shows of a melody file after opening it:
// title, tempo, each voice's tone and volume, and the file information.
#include <string>

#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MldLayout.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli info SONG.mld|SONG.pmr|-\n"
    "\n"
    "Prints the melody's title, tempo, the tone and volume of voices 1 to 4,\n"
    "copyright, date, the protect flag and the FF F0 data (hexadecimal, or\n"
    "\"none\" when the melody has no FF F0 event), one labelled line each.\n"
    "A file that is not a melody is refused (exit 1).\n";

void PrintField(std::string_view label, std::string_view sjisValue)
{
    PrintLine(stdout, std::string(label) + ": " + std::string(sjisValue));
}

int RunInfo(const std::vector<std::string>& args)
{
    Arguments arguments(args, {}, 1, 1);
    MelodyStore store;
    MelodyFileInfo info;
    EditorFields fields = LoadMelody(store, info, arguments.Positional()[0]);
    PrintField("Title", fields.title);
    PrintField("Tempo", fields.tempoText);
    for (int voice = 0; voice < VoiceCount; ++voice) {
        std::string label = "Voice " + std::to_string(voice + 1);
        PrintField(label + " tone", fields.toneTexts[voice]);
        PrintField(label + " volume", fields.volumeTexts[voice]);
    }
    PrintField("Copyright", info.copyright);
    PrintField("Date", info.date);
    PrintField("Protect", info.sorc ? "yes" : "no");
    PrintField("FFF0", store.fff0DataSet ? store.fff0DataHex : "none");
    return ExitSuccess;
}

}  // namespace

extern const Subcommand InfoCommand{"info", "show a melody file's title, tempo, tones, volumes and file information",
                                    Help, RunInfo};

}  // namespace quaverly::cli
