// The width mapping of Shift-JIS text in the Japanese code page 932 locale,
// as our own table: printable ASCII to the full-width forms and back, the
// blank to the ideographic space and back, half-width katakana to full-width
// katakana and back (voiced marks joined when mapping to full width).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quaverly {

enum class WidthDirection { Full, Half };

// Characters without a counterpart, line breaks and invalid bytes pass through unchanged.
std::string MapWidth(std::string_view text, WidthDirection direction);

// One character of the full-width direction at text[i], where a character
// of text starts: how many bytes of text it takes, and the two bytes it
// becomes, lead byte high (0: its bytes stay as they are). A half-width kana
// and the voiced mark after it are one character. Lets a scan read the page
// as the user typed it and still see it in full width, without a mapped copy.
struct FullWidthStep {
    size_t sourceLength = 1;
    uint16_t code = 0;
};
FullWidthStep FullWidthStepAt(std::string_view text, size_t i);

}  // namespace quaverly
