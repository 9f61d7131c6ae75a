// How long a Standard MIDI File lasts: its last event's tick over all tracks
// (end-of-track events included, so the conductor's closing bar counts) and
// that tick in seconds through the file's tempo changes. The player uses it to
// know when a play has reached the end; the renderer to know how much audio to
// make. The file is read by the import's reader (ReadMidiFile), so that every
// program part takes and refuses the same files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quaverly {

struct MidiFileTiming {
    int division = 0;        // ticks to the quarter note
    int64_t totalTicks = 0;  // the last event's tick over all tracks
    double seconds = 0.0;    // totalTicks at the file's tempos (120 per minute until the first)
};

// Throws MidiFileError ("MIDIファイルの形式が異常です：" + name + the reason)
// for bytes that are not a Standard MIDI File with ticks to the quarter note.
MidiFileTiming ReadMidiTiming(std::string_view bytes, const std::string& name);

}  // namespace quaverly
