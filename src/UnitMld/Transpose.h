// 音階シフト: the notes of a page, or of part of it, moved up or down by
// semitones and rewritten in canonical form.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "SequenceList.h"

namespace quaverly {

struct TransposedPage {
    std::string text;  // the page with the moved notes rewritten (Shift-JIS, line breaks kept)
    int moved = 0;
    // The notes that would leave the voice's range: they stay as they were.
    // Places in the page given, in page order.
    std::vector<SourceSpan> left;
};

// Moves by semitones every note of the page whose characters meet the bytes
// [from, to), or every note when from == to. A moved note's characters are
// rewritten as the parser writes the note back (its canonical name, length
// and articulation); rests, raw data and everything else stay as typed.
TransposedPage TransposePage(std::string_view page, int voice, int semitones, size_t from, size_t to,
                             bool extendedNotation);

}  // namespace quaverly
