#include "StagedMelodyText.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "Diagnostic.h"
#include "MelodyText.h"
#include "ScoreAnalysis.h"
#include "base/Messages.h"

namespace quaverly {

StagedMelodyText StageMelodyText(std::string_view bytes, const MelodyStore& document,
                                 const MelodyFileInfo& documentInfo, bool extendedNotation)
{
    StagedMelodyText result;
    EditorTexts texts;
    MelodyFileInfo info = documentInfo;
    std::array<size_t, VoiceCount> pageOffsets{};
    ReadMelodyText(bytes, texts, info, &pageOffsets);
    MelodyStore candidate = CandidateStore(document);
    DiagnosticSink sink;
    const AnalysisResult analysis = AnalyseScore(candidate, texts, info, extendedNotation, ViewRows::Skip, &sink);
    if (analysis.refusal) {
        result.refusal = analysis.refusal;
        return result;
    }
    for (const Diagnostic& diagnostic : sink.Items()) {
        const int page = diagnostic.span.page;
        const size_t offset = (page >= 0 && page < VoiceCount ? pageOffsets[static_cast<size_t>(page)] : 0) +
                              static_cast<size_t>(diagnostic.span.offset);
        const TextPlace place = PlaceInText(bytes, std::min(offset, bytes.size()));
        std::array<char, 64> where{};
        std::snprintf(where.data(), where.size(), std::string(Msg::FilePlace).c_str(), place.line, place.column);
        result.diagnostics.push_back(std::string(where.data()) + diagnostic.message);
    }
    // The load lists the compiled image's events again.
    candidate.Sequence().clear();
    result.staged = StageMelody(std::move(candidate), info);
    return result;
}

}  // namespace quaverly
