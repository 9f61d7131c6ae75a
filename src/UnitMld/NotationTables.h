// The fixed, ordered vocabulary of the score notation, as Shift-JIS bytes.
// Matching walks a table from its first entry and takes the first match;
// canonical spelling takes the first entry with a given value.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace quaverly {

struct TMLDConst {
    std::string_view text;
    int32_t value;
};

// Note heads: pitch value (note number + 1), -1 a rest, -2 the raw-data delimiter "／".
extern const std::array<TMLDConst, 14> NoteHeadTable;
// Durations in ticks (48 to the quarter note); longer spellings come first.
extern const std::array<TMLDConst, 18> DurationTable;
// Pitch marks: semitones added to the pending pitch value.
extern const std::array<TMLDConst, 9> PitchMarkTable;
// Articulation: 1 staccato, 2 tie.
extern const std::array<TMLDConst, 3> ArticulationTable;
// The sixteen tones offered in the tone boxes: Japanese name, 0-based program.
extern const std::array<TMLDConst, 16> ToneTable;
// The eleven tempos offered in the tempo box: speed word, tempo.
extern const std::array<TMLDConst, 11> TempoTable;

// Canonical name of note number 0..63 ("ラ▼▼▼" .. "ド▲▲▲"); the note is clamped.
std::string_view NoteName(int note);
// Name of a 1-based General MIDI program 1..128 ("Grand Piano" ..); clamped.
std::string_view InstrumentName(int program);

}  // namespace quaverly
