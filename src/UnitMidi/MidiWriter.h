// The Standard MIDI File writer (format 1, 480 ticks to the quarter note):
// a conductor track with a one-bar set-up, a "System Setup" track and one
// channel track per voice of the PlayMask, from the SequenceList's events.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "UnitMld/MldLayout.h"
#include "UnitMld/SequenceList.h"

namespace quaverly {

// The tempo adjustment in percent when none is set: the stored setting's
// default, the command-line tool's and the writer's.
inline constexpr char EditTempoDefault[] = "95";

struct MidiSettings {
    std::string title;                 // Shift-JIS, written as it is
    int tempo = 125;                   // 1..255, validated by the caller
    std::array<int, VoiceCount> tones{1, 1, 1, 1};
    std::array<int, VoiceCount> volumes{63, 63, 63, 63};
    std::array<bool, VoiceCount> playMask{true, true, true, true};
    std::string editTempo = EditTempoDefault;  // the tempo adjustment text; not an integer counts as 100
};

// The tempo adjustment in percent the writer applies: the text's value when
// it is a positive integer (used as typed, without an upper limit), otherwise
// nothing, and the writer takes 100 (the melody's own tempo).
std::optional<int32_t> TypedTempoAdjustment(std::string_view editTempo);

// The file's bytes.
std::string MidiFileBytes(const SequenceList& list, const MidiSettings& settings);
// Writes them atomically. Throws FileError naming the path and the reason.
void WriteMidiFile(const std::string& path, const SequenceList& list, const MidiSettings& settings);

}  // namespace quaverly
