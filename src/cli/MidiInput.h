// What `quaverly-cli midi`, `wav` and `render` share: the Standard MIDI
// File made from an input file as the window's MIDI export makes it (a melody
// file opened as the window opens one, or a melody text file analysed), with
// the same refusals, and the options that say how. The wav and render
// subcommands render exactly these bytes.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "CliSupport.h"
#include "UnitMidi/MidiWriter.h"

namespace quaverly::cli {

// The shared options as typed on the command line.
struct MidiInputOptions {
    std::string editTempo = EditTempoDefault;  // --edit-tempo (UTF-8)
    std::string voices = "1234";   // --voices: digits 1 to 4, or "none"
    bool extended = false;         // --extended, for a .tml input
    bool editTempoGiven = false;   // --edit-tempo was typed (a melody of another maker says it ignored it)
    // For the audio: a melody of another maker with a loop is written as its
    // intro and then its loop section this many times (0: as it is).
    int loopPasses = 0;
    double loopFadeSeconds = 0;  // and then plays on this long, fading out
};

// The MIDI file's bytes. Throws UsageError for bad options and QuaverlyError
// for the system's refusals.
// loopUnrolled, when given, tells whether a loop was written out (loopPasses).
std::string MidiBytesForInput(const std::string& input, const MidiInputOptions& options, bool* loopUnrolled = nullptr);

// The option rules of a subcommand that makes the MIDI file: -o, the three
// options above, and the subcommand's own.
std::vector<OptionRule> MidiInputOptionRules(std::initializer_list<OptionRule> own);
// The three options as typed, with their defaults.
MidiInputOptions ReadMidiInputOptions(const Arguments& arguments);

// What wav and render read alike: the input, the audio file to write (a file,
// not "-"), the MIDI options and the soundfont ("" for the default search).
struct RenderInput {
    std::string input;
    std::string output;
    MidiInputOptions options;
    std::string soundFont;
};
// The option rules of wav and render: those above, --soundfont and the
// subcommand's own.
std::vector<OptionRule> RenderOptionRules(std::initializer_list<OptionRule> own);
// Throws UsageError naming command for "-o -" or a missing -o.
RenderInput ReadRenderInput(const Arguments& arguments, std::string_view command);

}  // namespace quaverly::cli
