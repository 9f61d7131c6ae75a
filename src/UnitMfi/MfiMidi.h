// A Standard MIDI File from a melody of another maker: format 1, 1920 ticks a
// quarter note (every timebase of the format divides it, so no time is
// rounded), a conductor track with the title, the copyright and the tempo
// map, then one track per lane that has a note or a control, on MIDI channel
// = lane (lane 9 is the percussion lane and General MIDI's percussion channel).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MfiMelody.h"

namespace quaverly {

inline constexpr int MfiMidiDivision = 1920;

// adjustment: the tempo adjustment in percent, as the MIDI export applies it
// (quarter notes last adjustment x 600000 / tempo microseconds).
std::string MfiMidiFileBytes(const MfiMelody& melody, int64_t adjustment);

// The MIDI tick of a melody tick, through the timebases of the tempo map.
uint64_t MfiMidiTick(const MfiMelody& melody, uint64_t tick);

// The same for many ticks: the tempo map's segments made once.
class MfiMidiClock {
public:
    explicit MfiMidiClock(const MfiMelody& melody);
    uint64_t Tick(uint64_t tick) const;

private:
    struct Segment {
        uint64_t tick = 0;
        uint64_t midiTick = 0;
        uint64_t factor = MfiMidiDivision / 48;
    };
    std::vector<Segment> m_segments;
};

}  // namespace quaverly
