// What `quaverly-cli midi` and `quaverly-cli wav` share: the Standard MIDI
// File made from an input file as the window's MIDI export makes it (a melody
// file opened as the window opens one, or a melody text file analysed), with
// the same refusals. The wav subcommand renders exactly these bytes.
#pragma once

#include <string>

namespace quaverly::cli {

// The shared options as typed on the command line.
struct MidiInputOptions {
    std::string editTempo = "95";  // --edit-tempo (UTF-8)
    std::string voices = "1234";   // --voices: digits 1 to 4, or "none"
    bool extended = false;         // --extended, for a .tml input
};

// The MIDI file's bytes. Throws UsageError for bad options and QuaverlyError
// for the system's refusals.
std::string MidiBytesForInput(const std::string& input, const MidiInputOptions& options);

}  // namespace quaverly::cli
