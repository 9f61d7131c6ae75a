// Import of numeric melody text (".c99"): lines of MIDI note, length (480 to
// the quarter) and channel, each channel's part closed by length -1.
#pragma once

#include <string_view>

#include "UnitMld/MelodyStore.h"

namespace quaverly {

// Builds a new MelodyImage from the text through BuildMelody and returns the
// tempo 125. The store's SequenceList must be empty on entry and is empty
// afterwards. A field that is not an integer throws ConversionError and a
// channel above 3 throws QuaverlyError naming the line; the image is then unchanged.
int ImportNumericText(MelodyStore& store, std::string_view text);

}  // namespace quaverly
