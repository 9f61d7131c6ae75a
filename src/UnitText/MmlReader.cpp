#include "MmlReader.h"

#include <algorithm>

#include "MmlReading.h"
#include "TextMessages.h"
#include "base/Errors.h"

namespace quaverly {

using mml::IsBlank;
using mml::MmlReading;

TextMelodyRead ReadMml(std::string_view text, const std::string& name)
{
    MmlReading reading(text);
    TextMelodyRead read = reading.Run();
    if (read.notes == 0) {
        throw QuaverlyError(std::string(TextMsg::TextMelodyUnreadable) + name + "\r\n" + std::string(TextMsg::NoNotes));
    }
    return read;
}

bool LooksLikeMml(std::string_view text)
{
    MmlReading reading(text);
    const TextMelodyRead read = reading.Run();
    const size_t nonBlank = static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) { return !IsBlank(c); }));
    return read.notes > 0 && reading.SkippedBytes() * 4 <= nonBlank;
}

}  // namespace quaverly
