// Numbers put into the system's message texts. The texts mark each place of a
// number with "%d", as the printf formats they were first written as; they
// are Shift-JIS, whose second bytes never hold "%" (0x25), so the marks are
// found byte by byte.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace quaverly {

// The text with its "%d" marks replaced by the numbers in turn, in decimal.
// Marks beyond the numbers stay as written; numbers beyond the marks are
// left out. What a number puts in is never searched again.
std::string WithNumbers(std::string_view format, std::initializer_list<int64_t> numbers);

inline std::string WithNumber(std::string_view format, int64_t number)
{
    return WithNumbers(format, {number});
}

}  // namespace quaverly
