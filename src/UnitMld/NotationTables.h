// The fixed, ordered vocabulary of the score notation, as Shift-JIS bytes.
// Matching walks a table from its first entry and takes the first match;
// canonical spelling takes the first entry with a given value.
#pragma once

#include <array>
#include <cstdint>
#include <string>
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

// The articulation rules, both ways. A note of length d sounds for d - 2
// ticks, staccato ("＊") for d / 2, tied ("Ｔ") for d + 1; a gate group
// "[g]" gives the gate g itself.
inline constexpr int NormalArticulation = 0;
inline constexpr int StaccatoArticulation = 1;
inline constexpr int TieArticulation = 2;
// The gate of a note of duration ticks with an articulation 0..2.
int64_t ArticulatedGate(int64_t duration, int articulation);
// The way back, for each articulation 0..2 in that order: the duration whose
// plain form ("", "＊", "Ｔ") gives the gate (staccato the even one of the two).
std::array<int64_t, 3> ArticulatedDurations(int64_t gate);
// Whether some articulation's plain form of that duration gives the gate.
bool IsPlainForm(int64_t duration, int64_t gate);
// "", "＊" or "Ｔ": the canonical mark of an articulation 0..2.
std::string_view ArticulationMark(int articulation);
// "[g]": the canonical text of a gate group.
std::string GateGroupText(int64_t gate);
// The way back: the mark of the first rule that gives gate from duration
// ("", "＊", "Ｔ"), else the gate group "[gate]".
std::string GateSuffix(int duration, int gate);
// The sixteen tones offered in the tone boxes: Japanese name, 0-based program.
extern const std::array<TMLDConst, 16> ToneTable;
// The eleven tempos offered in the tempo box: speed word, tempo.
extern const std::array<TMLDConst, 11> TempoTable;

// Canonical name of note number 0..63 ("ラ▼▼▼" .. "ド▲▲▲"); the note is clamped.
std::string_view NoteName(int note);
// Name of a 1-based General MIDI program 1..128 ("Grand Piano" ..); clamped.
std::string_view InstrumentName(int program);
// Name of a 1-based program as the tone boxes name it: the ToneTable's
// Japanese name when it offers the program, else InstrumentName; clamped.
std::string_view ToneName(int program);

}  // namespace quaverly
