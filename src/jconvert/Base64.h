// Base64 of RFC 4648 with "=" fill, as the mail attachment text uses it.
#pragma once

#include <string>
#include <string_view>

namespace quaverly {

// Appends the separator after every complete 76-character line.
std::string Base64Encode(std::string_view data, std::string_view separator);
// Groups of four characters; CR and LF between groups are skipped; a slot
// that no character has set yet counts as 0. Never reads or writes out of bounds.
std::string Base64Decode(std::string_view text);

}  // namespace quaverly
