// The first stage of the MIDI import: the file's notes paired from their
// note-on and note-off events, with the programs, channel volumes, tempos and
// texts that the melody settings come from. Only this is kept of the file.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "MidiFileReader.h"

namespace quaverly {

// 16 bytes a note: with the file itself, what the import holds of it.
struct MidiNote {
    int64_t on = 0;       // file ticks
    uint32_t length = 0;  // file ticks to its note-off (held at the longest a field holds)
    uint8_t channel = 0;  // 0..15
    uint8_t key = 0;
    uint8_t velocity = 0;
    bool hanging : 1 = false;    // no note-off before its track's end
    bool discarded : 1 = false;  // a velocity-0 note-on that turned out to be a note-off

    int64_t Off() const { return on + length; }
    void EndAt(int64_t tick) { length = static_cast<uint32_t>(std::min<int64_t>(tick - on, UINT32_MAX)); }
};

struct MidiContent {
    MidiHeader header;
    std::vector<MidiNote> notes;               // in the order they started, track by track
    std::array<int, 16> program;               // first program change per channel, -1 without one
    std::array<int, 16> channelVolume;         // first controller 7 per channel, -1 without one
    std::vector<std::pair<int64_t, uint32_t>> tempos;  // tick, microseconds per quarter; in file order
    std::string title;                         // as the file has it
    std::string copyright;
    // The layout this program's MIDI writer gives its files: format 1, 480
    // ticks, a conductor track whose "Setup" marker opens a one-bar set-up
    // and whose "Start" marker closes it. Its melody ends one bar before the
    // conductor track does.
    bool quaverlyLayout = false;
    int64_t melodyEndTick = -1;  // in a file of that layout; -1 otherwise
    // Its first voice's track closes with a note-off of key 72 at the
    // melody's end, unless the melody has no event at all.
    bool endMarkerSeen = false;
    // What a reader of another score format tells the import report, whole
    // Shift-JIS lines: what it wrote out, and what it could not bring.
    std::vector<std::string> readerNotes;
    std::vector<std::string> readerLosses;

    MidiContent()
    {
        program.fill(-1);
        channelVolume.fill(-1);
    }
};

// Reads and pairs. Throws MidiFileError.
MidiContent CollectMidiContent(std::string_view bytes, const std::string& name);

}  // namespace quaverly
