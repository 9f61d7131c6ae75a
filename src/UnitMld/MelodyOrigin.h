// Which reader an MLD image goes to: this program's own layout (one track of
// 3-byte notes right after the header, read by the document store) or a
// melody file of another maker (read whole by UnitMfi/MfiMelody.h). The rule
// lives here and nowhere else; every reader that opens a file asks it.
//
// An image that starts with "melo" is in the own layout unless one of these
// shows it is not, none of which an image this program writes can show:
//  1. its track-count byte (offset 12) is above 1;
//  2. it is long enough to hold a track tag at 10 + H, and "trac" is not there;
//  3. a "note" chunk before the track says 1: every note has a fourth byte;
//  4. the first track ends, by its length field, inside the image and a
//     chunk follows it (a further track, audio data).
// A cut-short own image stays own: the rules only look at bytes it has.
#pragma once

#include <string_view>

namespace quaverly {

bool IsForeignMelodyImage(std::string_view image);

}  // namespace quaverly
