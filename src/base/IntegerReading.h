// The one way this system reads an integer that a person typed (tempo, tone,
// volume, tempo adjustment) and every number field of a sequence line:
// leading blanks, an optional sign, then decimal digits or hexadecimal digits
// after "$", "x", "X", "0x" or "0X"; nothing may follow the digits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quaverly {

// The value, or nothing when the text is not an integer of 32 bits.
std::optional<int32_t> ReadInteger(std::string_view text);

// As ReadInteger, but a failure throws ConversionError naming the text.
int32_t ReadIntegerOrThrow(std::string_view text);

// Removes blanks and control characters (bytes up to 0x20) on both sides.
std::string_view TrimBlanks(std::string_view text);

}  // namespace quaverly
