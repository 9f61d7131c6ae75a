// The MML export of the four voices: one track a voice, separated by ";", in
// the dialect of mml2smf (o4 c is MIDI key 60, "<" an octave up, ">" down,
// "+" sharp, "^" a tie, "q1".."q8" the gate in eighths of the step, "v" the
// channel volume, "@" the program, "t" the tempo). Lengths are exact: every
// step's ticks (48 to the quarter note) are spelled as lengths 1..192 that
// divide the whole note, with dots and ties, so no time drifts.
#pragma once

#include <string>

#include "TextMelody.h"

namespace quaverly {

struct MmlExport {
    std::string text;           // ASCII, a track a line, CR LF
    int chordNotesDropped = 0;  // notes of one voice at one onset below the top one
};

MmlExport WriteMml(const TextMelody& melody);

// The MML lengths of ticks, longest first: each "n" or "n." or "n..", where
// n divides 192 and a dot adds half of the length before it in whole ticks.
std::vector<std::string> MmlLengths(int ticks);

// The mml2smf channel volume of a voice's volume 0..63, and back.
int MmlVolumeOf(int volume);
int VolumeOfMmlVolume(int mmlVolume);

}  // namespace quaverly
