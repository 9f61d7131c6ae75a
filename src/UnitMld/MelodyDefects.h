// What a cut-short melody image lacks. Such an image still opens (every query
// of the store stays inside the bytes it has), but the user is told in the
// status bar what was missing, so a damaged file is not taken for a whole one.
#pragma once

#include <string>
#include <string_view>

namespace quaverly {

// Empty for a whole image; otherwise "メロディファイルの一部が欠けています："
// followed by each missing part, as Shift-JIS text. An image that does not
// start with "melo" is not a melody at all and is not described here.
std::string MissingMelodyParts(std::string_view image);

}  // namespace quaverly
