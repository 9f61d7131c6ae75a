// How long a Standard MIDI File sounds: the time of its last channel event
// (the last note's end) through the tempo changes of every track (500000
// microseconds to the quarter until the first one, as the format says).
#pragma once

#include <string_view>

namespace quaverly {

// Seconds from the start to the last channel event of any track. Throws
// MidiFileError as the reader does for what is no MIDI file.
double MidiFileSeconds(std::string_view bytes);

}  // namespace quaverly
