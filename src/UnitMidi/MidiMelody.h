// The imported melody as a melody image: the one place where the importer's
// voice events meet the SequenceList that the builder reads.
#pragma once

#include "MidiImport.h"
#include "UnitMld/MelodyStore.h"
#include "UnitMld/SequenceList.h"

namespace quaverly {

// The event lines of the four voices and one end line at the melody's end.
SequenceList ImportedMelodyLines(const ImportedMelody& melody);

// Builds the melody (title, tempo, tones, volumes, copyright, version "0100")
// and puts it in the store's MelodyImage; the store's SequenceList is left
// empty, as after any import. The store changes only when the build succeeds.
void BuildImportedMelody(MelodyStore& store, const ImportedMelody& melody);

}  // namespace quaverly
