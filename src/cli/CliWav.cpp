// quaverly-cli wav: what the window's play would sound, as a WAV file. The
// MIDI file is the one `midi` writes for the same input and options; it is
// rendered through the player's synthesizer faster than real time into
// 44.1 kHz 16-bit stereo by the synthesizer module (audio/SynthModule.h), which
// is loaded here and in `render` only. Built only with the synthesizer.
#ifdef QUAVERLY_HAVE_SYNTH_MODULE

#include "CliSupport.h"
#include "MidiInput.h"
#include "audio/SynthModule.h"
#include "Subcommands.h"
#include "base/Errors.h"

namespace quaverly::cli {

namespace {

constexpr std::string_view Help =
    "Usage: quaverly-cli wav INPUT -o OUT.wav [--edit-tempo TEXT] [--voices DIGITS|none] [--soundfont FILE] "
    "[--extended]\n"
    "\n"
    "Renders the melody as play sounds it, into a WAV file (44.1 kHz, 16-bit,\n"
    "stereo) as long as the MIDI file that \"midi\" writes for the same INPUT\n"
    "and options: the notes, then one silent bar. INPUT and the refusals are\n"
    "those of \"midi\".\n"
    "\n"
    "  -o FILE            the WAV file to write\n"
    "  --edit-tempo TEXT  the tempo adjustment in percent (default 95)\n"
    "  --voices DIGITS    the voices to sound, e.g. 13 (default 1234);\n"
    "                     \"none\" renders silence\n"
    "  --soundfont FILE   the General MIDI soundfont (default: the environment\n"
    "                     variable QUAVERLY_SOUNDFONT, else the system's)\n"
    "  --extended         the extended notation, for a .tml input\n";

int RunWav(const std::vector<std::string>& args)
{
    Arguments arguments(args, RenderOptionRules({}), 1, 1);
    const RenderInput read = ReadRenderInput(arguments, "wav");
    // A melody of another maker with a loop: the intro, then the loop section once.
    MidiInputOptions options = read.options;
    options.loopPasses = 1;
    const std::string midi = MidiBytesForInput(read.input, options);
    const SynthModule module;
    module.RenderWav({midi.data(), midi.size(), read.input.c_str(), read.output.c_str(), read.soundFont.c_str()});
    return ExitSuccess;
}

}  // namespace

extern const Subcommand WavCommand{"wav", "render a melody as play sounds it into a WAV file", Help, RunWav};

}  // namespace quaverly::cli

#endif  // QUAVERLY_HAVE_SYNTH_MODULE
