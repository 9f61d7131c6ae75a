// A melody text file (".tml", as the text export writes it) read as a
// melody: its fields compiled by the score analysis into a staged melody,
// with the places of the file where its pages are not taken as written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "StagedMelody.h"

namespace quaverly {

struct StagedMelodyText {
    std::optional<StagedMelody> staged;  // nothing when refused or not a melody
    std::optional<std::string> refusal;  // the analysis's refusal of a tempo, tone or volume (Shift-JIS)
    // Each diagnostic as "LINE行COLUMN列: message", LINE and COLUMN counted in
    // the file (a double-byte character is one column), in the file's order.
    std::vector<std::string> diagnostics;
};

// Throws QuaverlyError when the bytes are not laid out as a melody text and
// MelodyLimitError for a melody longer than the time column. The document is
// never touched; the staged melody keeps its version, as a load does.
StagedMelodyText StageMelodyText(std::string_view bytes, const MelodyStore& document,
                                 const MelodyFileInfo& documentInfo, bool extendedNotation);

}  // namespace quaverly
