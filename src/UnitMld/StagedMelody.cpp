#include "StagedMelody.h"

#include "MelodyDefects.h"

namespace quaverly {

MelodyStore CandidateStore(const MelodyStore& document)
{
    MelodyStore candidate;
    candidate.fff0DataSet = document.fff0DataSet;
    candidate.fff0DataHex = document.fff0DataHex;
    return candidate;
}

std::optional<StagedMelody> StageMelody(MelodyStore candidate, const MelodyFileInfo& documentInfo)
{
    StagedMelody staged{std::move(candidate), documentInfo, {}, {}, {}, {}};
    std::optional<EditorFields> fields = LoadMelodyIntoEditor(staged.store, staged.info);
    if (!fields) {
        return std::nullopt;
    }
    staged.fields = std::move(*fields);
    staged.missing = MissingMelodyParts(staged.store.MelodyImage());
    return staged;
}

}  // namespace quaverly
