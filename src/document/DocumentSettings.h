// The settings of a melody as values: the tempo, the four tones and the four
// volumes, read once from the boxes' texts where a command begins, and the
// tempo adjustment, read once from its stored text. Every use after that
// reads the values; none parses a text again.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "UnitMld/MldLayout.h"
#include "UnitMld/ScoreAnalysis.h"

namespace quaverly {

// The boxes read once: their values, or the first refusal of the check chain
// (the tempo, then the tones, then the volumes) with the box at fault.
struct SettingsReading {
    std::optional<SettingValues> values;
    std::string refusal;  // Shift-JIS, when values is nothing
    RefusalReason reason;
};
SettingsReading ReadSettings(const EditorTexts& boxes);

// The tempo adjustment in percent: a positive whole number as typed, or
// nothing, where the melody's own tempo (100 %) is played.
struct TempoAdjustment {
    std::optional<int32_t> percent;
    bool operator==(const TempoAdjustment&) const = default;
};
TempoAdjustment ReadTempoAdjustment(std::string_view text);

}  // namespace quaverly
