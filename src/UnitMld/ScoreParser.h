// ParseScore compiles one voice's score text into SequenceList lines and its
// canonical text: a single left-to-right scan that recognises the notation's
// vocabulary and silently skips everything else. It never fails.
#pragma once

#include <string>
#include <string_view>

#include "SequenceList.h"

namespace quaverly {

// Appends the voice's lines to the list (it does not clear it) and returns the
// CanonicalScore. text: Shift-JIS, may hold line breaks; voice: 0..3.
// extendedNotation: the "/D" switch, which makes "／" open a raw-data block.
std::string ParseScore(std::string_view text, int voice, SequenceList& list, bool extendedNotation);

// The text of the first DurationTable entry of that length, else "(n)".
std::string DurationText(int ticks);

}  // namespace quaverly
