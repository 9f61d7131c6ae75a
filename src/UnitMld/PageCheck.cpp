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
        AnalysisResult analysis = AnalyseScore(store, texts, info, extendedNotation, ViewRows::Skip, &diagnostics);
        result.refusal = analysis.refusal;
        result.refusalReason = analysis.refusalReason;
    } catch (const QuaverlyError& error) {
        // What the file cannot hold (a melody too long); the pages were parsed.
        result.refusal = error.what();
    }
    if (result.refusalReason.field == RefusedField::Tempo) {
        // The chain stops before the pages are read; their diagnostics still count.
        for (int voice = 0; voice < VoiceCount; ++voice) {
            ParseScore(texts.scores[static_cast<size_t>(voice)], voice, store.Sequence(), extendedNotation, &diagnostics);
        }
    }
    result.diagnostics = std::move(diagnostics.Items());
    for (const Diagnostic& diagnostic : result.diagnostics) {
        if (diagnostic.span.page >= 0 && diagnostic.span.page < VoiceCount) {
            ++result.diagnosticsPerPage[static_cast<size_t>(diagnostic.span.page)];
        }
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
