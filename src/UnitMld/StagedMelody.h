// A melody read beside the open document. Every open and import path reads
// and checks its input into a StagedMelody first; only a complete one replaces
// the document, so a file or text that is not a melody leaves the pages, the
// store and the file information exactly as they were.
//
// How a reader uses it: take CandidateStore(document), fill its image (open a
// file, decode a text, build from another format), then StageMelody; on
// nothing show "データ形式が異常です" and stop, otherwise ask the loss
// question and hand the staged melody to the window, which adopts it whole.
#pragma once

#include <optional>
#include <string>

#include "MelodyFileInfo.h"
#include "UnitMfi/MfiMelody.h"
#include "MelodyStore.h"
#include "MelodyToScore.h"

namespace quaverly {

struct StagedMelody {
    MelodyStore store;    // the new image, its SequenceList and FFF0 data
    MelodyFileInfo info;  // the document's version, the image's other fields
    EditorFields fields;  // what the controls receive
    std::string missing;  // what a cut-short image lacked (Shift-JIS), or empty
    // A melody file of another maker folded into four voices: what the import
    // kept and lost, for the person (Shift-JIS). Such a melody is bound to no
    // file, so Save asks for a name and never writes over the other maker's file.
    std::string otherMakerReport;
    // A melody file of another maker read whole, to be shown and played as it
    // is: the store and the fields are then empty, and the window holds the
    // melody until the person folds it into voices or opens another.
    std::optional<MfiMelody> foreign;
};

// An empty store for a reader to fill, carrying the document's FFF0 data: a
// load keeps it where the new image has none, as loading into the document does.
MelodyStore CandidateStore(const MelodyStore& document);

// Loads the filled candidate as LoadMelodyIntoEditor would load the document.
// Nothing when its image is not a melody image; MelodyLimitError for a melody
// longer than the time column. The document is never touched.
std::optional<StagedMelody> StageMelody(MelodyStore candidate, const MelodyFileInfo& documentInfo);

}  // namespace quaverly
