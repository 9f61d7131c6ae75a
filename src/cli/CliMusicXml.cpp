// quaverly-cli musicxml: a melody as a MusicXML score for notation programs,
// from a melody file opened as the window opens one or from a melody text
// file after the score analysis, as the window's MusicXML export writes it.
#include "CliSupport.h"
#include "Subcommands.h"
#include "UnitMld/FileKind.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitXml/MusicXmlWriter.h"
#include "base/FileIO.h"
#include "base/Messages.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli musicxml SONG -o OUT.musicxml|OUT.mxl [--extended]\n"
    "\n"
    "Writes the melody as a MusicXML score (partwise, version 3.1): one part per\n"
    "voice with notes, named after its tone, the title and the tempo, in 4/4.\n"
    "Lengths become note values (dotted, triplets) tied across bar lines; a\n"
    "length no single value gives becomes tied values, nothing rounded. Notes\n"
    "keep the sharps and flats typed in a melody text file (a melody file holds\n"
    "no spelling: sharps). OUT ending in .mxl is the compressed container.\n"
    "SONG is a melody file (.mld, .pmr, or \"-\" for an image on standard input)\n"
    "or a melody text file (.tml), analysed as \"build\" does. Refusals (exit 1):\n"
    "another extension, a file that is not a melody, a refused analysis.\n"
    "\n"
    "  -o FILE      the score to write (\"-\": uncompressed to standard output)\n"
    "  --extended   the extended notation, for a .tml input\n";

int RunMusicXml(const std::vector<std::string>& args)
{
    Arguments arguments(args, {{"-o", true}, {"--extended", false}}, 1, 1);
    const std::string input = arguments.Positional()[0];
    const std::string output = arguments.Required("-o");
    MelodyStore store;
    MelodyFileInfo info;
    const EditorTexts texts = LoadSong(input, arguments.Has("--extended"), store, info);
    MusicXmlSource source;
    if (std::optional<std::string> refusal = MakeMusicXmlSource(texts, store.Sequence(), source)) {
        Refuse(*refusal);
    }
    WriteOutput(output, UpperExtension(output) == ".MXL" ? MxlBytes(source) : MusicXmlBytes(source));
    return ExitSuccess;
}

}  // namespace

extern const Subcommand MusicXmlCommand{"musicxml", "write a melody as a MusicXML score (.musicxml, .mxl)", Help,
                                        RunMusicXml};

}  // namespace quaverly::cli
