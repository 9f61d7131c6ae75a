// How the notes of one voice become timed events that the way back to score
// text spells in the plain forms where they fit: the normal gate (two ticks
// short of the duration), staccato (half of it), a tie (one tick over), with
// a rest filling the silence after a note; otherwise a bracketed gate. A gate
// longer than a melody event holds becomes tied whole notes of the same key,
// which the MIDI writer joins again into the one long note.
#pragma once

#include <vector>

#include "MidiImport.h"

namespace quaverly {

struct PlacedNote {
    int time = 0;  // melody ticks
    int note = 0;  // 0..63
    int gate = 1;  // ticks, at least 1
};

struct SpellingLosses {
    int notesCut = 0;
    int largestCut = 0;
};

// The longest gate of one melody event.
inline constexpr int MaxEventGate = 255;

// notes: in time order (notes of equal time are a chord kept in one voice).
// endTime: the melody's end, not before the last note's time. A note that
// still sounds when the next one of the same key starts, or whose gate is
// beyond MaxEventGate while another note starts, is cut at that start;
// with keepSameKeyOverlaps (this program's own files, whose writer already
// joined what it joins) only the second.
std::vector<VoiceEvent> SpellVoice(const std::vector<PlacedNote>& notes, int endTime, bool keepSameKeyOverlaps,
                                   SpellingLosses& losses);

// Whether a length has its own spelling in the duration table.
bool IsTableDuration(int ticks);

}  // namespace quaverly
