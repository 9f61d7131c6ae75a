// A melody of another maker made into a melody of four voices: its notes are
// handed to the MIDI import's notes-to-voices stage as MIDI channel = lane + 1,
// so the channel choice, the chord splitting and the loss report are the
// MIDI import's own.
#pragma once

#include <vector>

#include "MfiMelody.h"
#include "UnitMidi/MidiImport.h"

namespace quaverly {

// channels: up to four channels 1..16 (lane + 1) in voice order, or empty
// for the automatic choice. Throws QuaverlyError for a bad choice, and naming
// the cap for more notes than MaxMfiFoldNotes.
// Its channels and the automatic choice, as the MIDI read dialog shows them.
MidiSurvey SurveyMfiMelody(const MfiMelody& melody);
ImportedMelody ImportMfiMelody(const MfiMelody& melody, const std::vector<int>& channels = {});

}  // namespace quaverly
