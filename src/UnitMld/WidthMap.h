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

// Offsets into MapWidth(text, Full) turned back into offsets into text, for
// telling which characters the user typed made what a scan of the mapped
// text found. Walks the text once: the offsets asked for must not decrease.
// An offset inside a mapped character gives the start of its characters.
class FullWidthOffsets {
public:
    explicit FullWidthOffsets(std::string_view text) : m_text(text) {}
    size_t SourceOffset(size_t mappedOffset);

private:
    std::string_view m_text;
    size_t m_source = 0;
    size_t m_mapped = 0;
};

}  // namespace quaverly
