#include "PageCheck.h"

#include <algorithm>

#include "base/Errors.h"
#include "MelodyStore.h"
#include "ScoreParser.h"

namespace quaverly {

namespace {

constexpr double TicksPerQuarter = 48.0;

}  // namespace

namespace {

// The result from an analysis run into a fresh store with a sink of its own.
template <typename Analyse>
PageCheckResult CheckWith(const EditorTexts& texts, Analyse analyse, const Fff0Data& fff0 = {})
{
    PageCheckResult result;
    MelodyStore store;
    store.fff0DataSet = fff0.set;
    store.fff0DataHex = fff0.hex;
    DiagnosticSink diagnostics;
    try {
        AnalysisResult analysis = analyse(store, diagnostics);
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

}  // namespace

PageCheckResult CheckPages(const EditorTexts& texts, const MelodyFileInfo& info, bool extendedNotation)
{
    return CheckWith(texts, [&](MelodyStore& store, DiagnosticSink& diagnostics) {
        return AnalyseScore(store, texts, info, extendedNotation, ViewRows::Skip, &diagnostics,
                            PagesOnTempoRefusal::Parse);
    });
}

PageCheckResult PageChecker::Check(const EditorTexts& texts, const MelodyFileInfo& info, bool extendedNotation,
                                   const Fff0Data& fff0)
{
    const std::lock_guard lock(m_mutex);
    m_pagesParsed = 0;
    std::array<const ParsedPage*, VoiceCount> pages{};
    for (int voice = 0; voice < VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice);
        KeptPage& kept = m_pages[i];
        if (!kept.valid || kept.extendedNotation != extendedNotation || kept.text != texts.scores[i]) {
            // Forgotten first: a parse that fails leaves no page kept.
            kept.valid = false;
            kept.parsed = ParsePage(texts.scores[i], voice, extendedNotation);
            kept.text = texts.scores[i];
            kept.extendedNotation = extendedNotation;
            kept.valid = true;
            ++m_pagesParsed;
        }
        pages[i] = &kept.parsed;
    }
    return CheckWith(texts, [&](MelodyStore& store, DiagnosticSink& diagnostics) {
        return AnalyseParsedScore(store, texts, pages, info, ViewRows::Skip, &diagnostics, PagesOnTempoRefusal::Parse);
    }, fff0);
}

int PageChecker::PagesParsed() const
{
    const std::lock_guard lock(m_mutex);
    return m_pagesParsed;
}

}  // namespace quaverly
