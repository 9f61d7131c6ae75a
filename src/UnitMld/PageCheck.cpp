#include "PageCheck.h"

#include <algorithm>

#include "base/Errors.h"
#include "MelodyStore.h"
#include "ScoreParser.h"

namespace quaverly {

namespace {

constexpr double TicksPerQuarter = 48.0;

}  // namespace

PageCheckResult CheckPages(const EditorTexts& texts, const MelodyFileInfo& info, bool extendedNotation)
{
    PageCheckResult result;
    MelodyStore store;
    DiagnosticSink diagnostics;
    try {
        AnalysisResult analysis = AnalyseScore(store, texts, info, extendedNotation, ViewRows::Skip, &diagnostics,
                                               PagesOnTempoRefusal::Parse);
        result.refusal = analysis.refusal;
        result.refusalReason = analysis.refusalReason;
    } catch (const QuaverlyError& error) {
        // What the file cannot hold (a melody too long); the pages were parsed.
        result.refusal = error.what();
    }
    result.diagnostics = std::move(diagnostics.Items());
    for (int page = 0; page < VoiceCount; ++page) {
        result.diagnosticsPerPage[static_cast<size_t>(page)] = static_cast<int>(diagnostics.Count(page));
    }
    if (!result.refusal) {
        result.imageBytes = store.MelodyImage().size();
    }
    int tempo = 0;
    const bool tempoKnown = !CheckTempoText(texts.tempo, tempo);
    for (const SequenceEntry& entry : store.Sequence()) {
        result.lengthTicks = std::max(result.lengthTicks, entry.Time());
        if (!entry.IsRaw() && !entry.IsEnd() && entry.Gate() != 0 && entry.Voice() >= 0 && entry.Voice() < VoiceCount) {
            ++result.notesPerVoice[static_cast<size_t>(entry.Voice())];
        }
    }
    if (tempoKnown) {
        result.lengthSeconds = result.lengthTicks / TicksPerQuarter * 60.0 / tempo;
    }
    result.sequence = std::move(store.Sequence());
    return result;
}

}  // namespace quaverly
