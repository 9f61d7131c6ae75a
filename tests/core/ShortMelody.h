// The player's tests' melody: two quarters on the first voice at tempo 250
// with the tempo adjustment at 20 %, six quarters of 48 ms as a MIDI file
// (0.288 s of play), short enough to play to its end in every test.
#pragma once

#include <string>

#include "UnitMidi/MidiWriter.h"

namespace quaverly {

inline std::string ShortMelodyMidi()
{
    MidiSettings settings;
    settings.tempo = 250;
    settings.editTempo = "20";
    SequenceList list;
    list.AddEvent(0, 0, 27, 48);
    list.AddEvent(48, 0, 30, 48);
    list.AddEvent(96, 0, -1, 0);
    return MidiFileBytes(list, settings);
}

}  // namespace quaverly
