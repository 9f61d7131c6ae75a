// The width mapping of Shift-JIS text in the Japanese code page 932 locale,
// as our own table: printable ASCII to the full-width forms and back, the
// blank to the ideographic space and back, half-width katakana to full-width
// katakana and back (voiced marks joined when mapping to full width).
#pragma once

#include <string>
#include <string_view>

namespace quaverly {

enum class WidthDirection { Full, Half };

// Characters without a counterpart, line breaks and invalid bytes pass through unchanged.
std::string MapWidth(std::string_view text, WidthDirection direction);

}  // namespace quaverly
