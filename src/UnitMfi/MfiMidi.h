// A Standard MIDI File from a melody of another maker: format 1, 1920 ticks a
// quarter note (every timebase of the format divides it, so no time is
// rounded), a conductor track with the title, the copyright and the tempo
// map, then one track per lane that has a note or a control, on MIDI channel
// = lane (lane 9 is the percussion lane and General MIDI's percussion channel).
#pragma once

#include <cstdint>

#include "base/Limits.h"
#include <string>
#include <vector>

#include "MfiMelody.h"

namespace quaverly {

inline constexpr int MfiMidiDivision = 1920;

// What part of the melody the file holds, and how often.
struct MfiMidiShape {
    enum class Kind {
        Whole,        // the melody as it is, its loop marked (markers loopStart/loopEnd, controller 111)
        Unrolled,     // the intro, then the loop section passes times (no loop: the whole melody);
                      // a counted loop: its own count of passes, then the rest of the melody
        LoopSection,  // the loop section once, opened by the lanes' controls and the tempo at its start
    };
    Kind kind = Kind::Whole;
    int passes = 1;  // Unrolled: 1..MaxLoopUnroll
    // Unrolled: the loop plays on this long after the passes, its channels'
    // volume falling to nothing (0..MaxFadeOutSeconds).
    double fadeSeconds = 0;
};

// The file plays at the melody's own tempo map exactly: the tempo adjustment
// of this program's own melodies does not apply. The loop is the outermost
// one (MfiMainLoop). Throws QuaverlyError naming the cap when the file would
// hold more channel events than its cap (Limits.h; a melody as the reader
// keeps it never does when whole).
std::string MfiMidiFileBytes(const MfiMelody& melody, const MfiMidiShape& shape = {});
// Whether the melody has a loop section the shapes above unroll or cut out.
bool MfiHasLoop(const MfiMelody& melody);
// Whether that loop plays for ever (count 0): repeat play and the fade are for such a loop.
bool MfiLoopsForever(const MfiMelody& melody);

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
