// Reads a Standard MIDI File event by event. Every length is checked against
// its chunk and the file before a byte is read: chunks, variable-length
// quantities, running status, meta and system-exclusive lengths. The events
// are handed to a sink in file order, track by track, with their absolute
// tick, so that a caller keeps only what it needs instead of a copy of the
// whole file. Bad bytes end the reading with MidiFileError.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/Errors.h"
#include "base/Limits.h"

namespace quaverly {

// "MIDIファイルの形式が異常です：" + file name + CR LF + the reason.
class MidiFileError : public QuaverlyError {
public:
    MidiFileError(std::string_view reason, const std::string& name);
};


struct MidiHeader {
    int format = 0;      // 0 or 1
    int trackCount = 0;  // MTrk chunks read
    int division = 0;    // ticks to the quarter note
};

struct MidiEvent {
    int64_t tick = 0;     // absolute, from the start of its track
    uint8_t status = 0;   // channel status (with its channel), 0xFF meta, 0xF0 or 0xF7 system exclusive
    uint8_t data1 = 0;    // first data byte; the type of a meta event
    uint8_t data2 = 0;    // second data byte (0 for one-byte messages)
    std::string_view body;  // data of a meta or system-exclusive event

    int Channel() const { return status & 0x0F; }
    int Kind() const { return status & 0xF0; }
};

class MidiEventSink {
public:
    virtual ~MidiEventSink() = default;
    // The file's header, read and checked, before the first track.
    virtual void Header(const MidiHeader& /*header*/) {}
    virtual void TrackStart(int /*track*/) {}
    virtual void Event(int track, const MidiEvent& event) = 0;
    // The tick of the track's last event (its end-of-track event if it has one).
    virtual void TrackEnd(int /*track*/, int64_t /*tick*/) {}
};

// Reads the whole file into the sink. Format 2, SMPTE time division and every
// malformed structure throw MidiFileError naming the file and the reason;
// the sink may then have seen part of the file.
MidiHeader ReadMidiFile(std::string_view bytes, const std::string& name, MidiEventSink& sink);

}  // namespace quaverly
