#include "DocumentSettings.h"

#include "UnitMidi/MidiWriter.h"

namespace quaverly {

SettingsReading ReadSettings(const EditorTexts& boxes)
{
    SettingsReading reading;
    SettingValues values;
    if (std::optional<std::string> refusal = CheckSettingTexts(boxes, values, &reading.reason)) {
        reading.refusal = std::move(*refusal);
        return reading;
    }
    reading.values = values;
    return reading;
}

TempoAdjustment ReadTempoAdjustment(std::string_view text)
{
    return {TypedTempoAdjustment(text)};
}

}  // namespace quaverly
