// An imported melody as its own score text builds it. An importer places
// events where it likes; the way back to score text spells them (a silence
// before a voice's first note as a rest, a voice's last note stretched to the
// end), and compiling that text places its own events. Settling the image on
// its text makes what the window shows, what Save writes and what the text
// compiles to one and the same melody.
#pragma once

#include "MelodyStore.h"

namespace quaverly {

// Replaces store.MelodyImage() by the melody its own score text compiles to
// (the tempo, title, tones, volumes and file information it holds), repeated
// until the text of the result compiles to the same bytes. The store's
// SequenceList is left empty. An image that is not a melody, or whose text
// the analysis would refuse, stays as it is.
void SettleOnOwnText(MelodyStore& store);

}  // namespace quaverly
