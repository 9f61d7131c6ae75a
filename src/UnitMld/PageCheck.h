// What the pages would compile to, worked out while the user types: the
// diagnostics of every page, the meter's figures (size of the melody file,
// its length at the tempo, notes per voice), whether the analysis would
// refuse the pages and why, and the SequenceList they make. The pages are
// not touched; the melody is built aside.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "Diagnostic.h"
#include "MelodyFileInfo.h"
#include "ScoreAnalysis.h"
#include "SequenceList.h"

namespace quaverly {

struct PageCheckResult {
    // In page order, then place: each page's first DiagnosticSink::KeptPerPage.
    std::vector<Diagnostic> diagnostics;
    // Every diagnostic of each page, also those beyond the ones kept.
    std::array<int, VoiceCount> diagnosticsPerPage{};
    // Set when the analysis would refuse: its message (Shift-JIS), and the
    // box at fault (RefusedField::None for a melody too long for the file).
    std::optional<std::string> refusal;
    RefusalReason refusalReason;
    size_t imageBytes = 0;
    int lengthTicks = 0;      // the time the last voice ends
    double lengthSeconds = 0;  // at the tempo (a quarter note is 48 ticks)
    std::array<int, VoiceCount> notesPerVoice{};
    SequenceList sequence;
};

PageCheckResult CheckPages(const EditorTexts& texts, const MelodyFileInfo& info, bool extendedNotation);

}  // namespace quaverly
