// The rules about notes that the score, the melody file, the MIDI files and
// the imports share, each in one place.
#pragma once

#include <algorithm>

#include "MldLayout.h"

namespace quaverly {

// Note n sounds as MIDI key n + 45: the unmarked "ド", note 27, is key 72.
inline constexpr int MidiNoteOffset = 45;

// The note a rest line carries: a rest has no pitch, and the builder gives
// silent events a note of their own.
inline constexpr int RestNote = 17;

// The highest note of a voice is the melody file's rule: Mld::HighestNoteOfVoice.

// A voice's volume 0..63 is written to MIDI files as the velocity
// volume x 100 / 63, and read back as the volume whose velocity is nearest.
inline constexpr int HighestVolume = 63;
constexpr int VelocityOfVolume(int volume) { return std::clamp(volume, 0, HighestVolume) * 100 / HighestVolume; }
// The volume 1..63 whose velocity is nearest; the lower one on a tie (0
// only for a velocity nearer 0 than volume 1's).
constexpr int VolumeOfVelocity(double velocity)
{
    int best = 0;
    for (int volume = 1; volume <= HighestVolume; ++volume) {
        const double distance = VelocityOfVolume(volume) - velocity;
        const double bestDistance = VelocityOfVolume(best) - velocity;
        if ((distance < 0 ? -distance : distance) < (bestDistance < 0 ? -bestDistance : bestDistance)) {
            best = volume;
        }
    }
    return best;
}

}  // namespace quaverly
