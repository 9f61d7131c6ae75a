// A melody as the text formats (RTTTL, MML) write it: the four voices as
// lists of timed notes and rests, with the settings that go with them. It is
// made from the SequenceList that the analysis or a load gives, so the text
// exports read exactly what play and the MIDI export read.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "UnitMld/MldLayout.h"
#include "UnitMld/SequenceList.h"

namespace quaverly {

// One step of a voice in melody ticks (48 to the quarter note). A gate of 0
// is a rest. length is the time to the voice's next step (or to its end).
struct TextNote {
    int time = 0;
    int length = 0;
    int note = 0;  // 0..63 (MIDI key note + 45); meaningless for a rest
    int gate = 0;
    bool IsRest() const { return gate <= 0; }
    bool operator==(const TextNote&) const = default;
};

using VoiceNotes = std::vector<TextNote>;

struct TextMelody {
    std::string title;  // Shift-JIS
    int tempo = 125;    // the written tempo, 1..255
    std::array<int, VoiceCount> tones{1, 1, 1, 1};       // 1..128
    std::array<int, VoiceCount> volumes{63, 63, 63, 63};  // 0..63
    std::array<VoiceNotes, VoiceCount> voices;
};

// The voices' steps, each in time order. A voice's last step lasts to its end
// line; without one, as long as it sounds.
std::array<VoiceNotes, VoiceCount> VoiceNotesOf(const SequenceList& list);

// The steps with one onset made one: a chord keeps its top note and lasts to
// the next onset; adjacent rests become one. chordNotesDropped counts the
// notes left out.
VoiceNotes SingleLine(const VoiceNotes& notes, int& chordNotesDropped);

// The first voice (0..3) with a note, or -1 when no voice has one.
int FirstVoiceWithNotes(const TextMelody& melody);

}  // namespace quaverly
