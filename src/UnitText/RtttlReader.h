// The RTTTL reader: "name:d=4,o=5,b=125:8e6,8d6,f#,..." as notes on one
// channel. It takes the forms the tunes circulate in: blanks and line breaks
// anywhere, either letter case, settings missing or in any order (d=4, o=6,
// b=63 without them), "p" rests, "h" for b, a dot before or after the octave,
// lengths up to 64 and octaves 0..9. A note it cannot read is skipped and
// listed; a text that is not RTTTL at all is refused.
#pragma once

#include <string>
#include <string_view>

#include "TextMelodyRead.h"

namespace quaverly {

// Throws QuaverlyError naming the file for a text without the three parts or
// without a note.
TextMelodyRead ReadRtttl(std::string_view text, const std::string& name);

// Whether the text's first line looks like RTTTL: a name, a colon, settings
// (letters, "=", digits, commas) and a second colon.
bool LooksLikeRtttl(std::string_view text);

}  // namespace quaverly
