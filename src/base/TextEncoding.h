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

// The code page 932 form of one UTF-16 code unit outside the surrogates,
// appended to out: the number of bytes appended, 0 when the character has
// none. A table made once from the conversion above answers it: the window
// converts whole pages of up to some 200,000 characters at every pause in
// typing, and the conversion library takes some 40 ns a character.
size_t AppendSjisOfUnit(char16_t unit, std::string& out);

}  // namespace quaverly
