// The RTTTL export of one voice ("name:d=4,o=5,b=125:8e6,8d6,f#,..."), the
// ringtone text of older phones and of today's buzzer boards. RTTTL has six
// lengths with one dot, four octaves and one note at a time: what it cannot
// say is changed as little as it can be and every change is counted.
#pragma once

#include <string>
#include <string_view>

#include "TextMelody.h"

namespace quaverly {

struct RtttlChanges {
    int lengthsChanged = 0;     // notes given the nearest RTTTL length
    int restsChanged = 0;       // rests lengthened or shortened to keep later onsets
    int restsDropped = 0;       // rests taken up whole by the notes before them
    int onsetsMoved = 0;        // notes that still start elsewhere than they did
    int octaveShift = 0;        // whole octaves the voice moved (+ up)
    int notesClamped = 0;       // notes still outside octaves 4..7, put at the nearest end
    int chordNotesDropped = 0;  // notes of chords below the top note
    bool Any() const;
};

struct RtttlExport {
    std::string text;  // ASCII, one line, no line end
    RtttlChanges changes;
};

// The tune's name: the title's ASCII letters, digits and signs (full-width
// ones made half-width), without ":" and ",", at most ten characters; a title
// with no ASCII letter gives way to the file's base name made the same way,
// and that to "Melody".
std::string RtttlName(std::string_view sjisTitle, std::string_view fileBaseName);

// The voice's steps as RTTTL at the written tempo (b=), with the defaults
// (d=, o=) that make the text shortest.
RtttlExport WriteRtttl(const VoiceNotes& notes, std::string_view name, int tempo);

// What the export changed, for a person (Shift-JIS, CR LF): voice 1..4.
std::string RtttlChangesText(const RtttlChanges& changes, int voice);

}  // namespace quaverly
