// What the file information shows of a melody of another maker beside its
// version, copyright and date: its title, tracks, length, and the channels
// that have notes with their counts, one fact a line (Shift-JIS, CR LF).
#pragma once

#include <string>

#include "MfiMelody.h"

namespace quaverly {

std::string MfiFactsText(const MfiMelody& melody);

}  // namespace quaverly
