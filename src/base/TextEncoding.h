// Conversion between the system's Shift-JIS (code page 932, Windows-31J) and
// UTF-8, for the command-line tool's output and for file paths in messages.
// The window converts with the same code page at its own edge.
#pragma once

#include <string>
#include <string_view>

namespace quaverly {

// Exact conversions: throw QuaverlyError when the text is not valid in the source encoding.
std::string SjisToUtf8(std::string_view sjis);
std::string Utf8ToSjis(std::string_view utf8);

// Never fail: a byte or character that does not convert becomes "?".
std::string SjisToUtf8Lenient(std::string_view sjis);
std::string Utf8ToSjisLenient(std::string_view utf8);

}  // namespace quaverly
