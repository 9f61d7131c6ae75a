// The score analysis ("音譜解析(&A)") as a function of the editor's texts:
// tempo check, the four parses, tone and volume checks in their order with
// their exact messages, the build, the canonical pages, the rows and the report.
// The window and `quaverly-cli build` both call it.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Diagnostic.h"
#include "MldLayout.h"
#include "MelodyFileInfo.h"
#include "MelodyStore.h"
#include "MelodyToScore.h"

namespace quaverly {

// The editor's texts as typed (Shift-JIS), voice 1 first.
struct EditorTexts {
    std::string tempo;
    std::string title;
    std::array<std::string, VoiceCount> tones;
    std::array<std::string, VoiceCount> volumes;
    std::array<std::string, VoiceCount> scores;
};

// Which box a refusal of the check chain is about, for leading the user to
// it: the tempo, or the tone or volume of a voice.
enum class RefusedField { None, Tempo, Tone, Volume };
struct RefusalReason {
    RefusedField field = RefusedField::None;
    int voice = -1;  // 0..3 for a tone or volume
    bool operator==(const RefusalReason&) const = default;
};

struct AnalysisResult {
    // Set when a check refused: the message to show (Shift-JIS); nothing else is valid.
    std::optional<std::string> refusal;
    RefusalReason refusalReason;
    std::array<std::string, VoiceCount> canonicalScores;
    std::vector<SequenceRow> sequenceRows;
    std::string report;
};

// Whether the pages are read when the tempo is refused: the command stops
// there; the live check reads them all the same, for their diagnostics.
enum class PagesOnTempoRefusal { Skip, Parse };

// Runs the whole command on the store, in one pass: the boxes are checked,
// then the four pages are parsed once, then the melody is built when nothing
// was refused. Errors raised by the build (MelodyLimitError) propagate to the
// caller's error display, as do any other QuaverlyError.
// diagnostics: when given, receives the parser's and the builder's
// diagnostics of the four pages.
AnalysisResult AnalyseScore(MelodyStore& store, const EditorTexts& texts, const MelodyFileInfo& info,
                            bool extendedNotation, ViewRows rows = ViewRows::Fill,
                            DiagnosticSink* diagnostics = nullptr,
                            PagesOnTempoRefusal pagesOnTempoRefusal = PagesOnTempoRefusal::Skip);

// One page as the parser leaves it: its entries (with their places), its
// canonical text and its diagnostics, the first DiagnosticSink::KeptPerPage
// of them and the count of all. A check that keeps these per page parses
// again only the pages whose text changed.
struct ParsedPage {
    SequenceList entries;
    std::string canonical;
    std::vector<Diagnostic> diagnostics;
    size_t diagnosticCount = 0;
};
ParsedPage ParsePage(std::string_view text, int voice, bool extendedNotation);

// AnalyseScore with the four pages parsed before: pages[i] is ParsePage of
// texts.scores[i] for voice i with the same switch. The store, the result
// and the diagnostics (kept by a sink of the default bound) are those
// AnalyseScore gives.
AnalysisResult AnalyseParsedScore(MelodyStore& store, const EditorTexts& texts,
                                  const std::array<const ParsedPage*, VoiceCount>& pages, const MelodyFileInfo& info,
                                  ViewRows rows = ViewRows::Fill, DiagnosticSink* diagnostics = nullptr,
                                  PagesOnTempoRefusal pagesOnTempoRefusal = PagesOnTempoRefusal::Skip);

// The values of the tempo, tone and volume boxes.
struct SettingValues {
    int tempo = 125;
    std::array<int, VoiceCount> tones{1, 1, 1, 1};
    std::array<int, VoiceCount> volumes{63, 63, 63, 63};
};

// The check chain of every command that uses the boxes (the analysis, play,
// MIDI export, `quaverly-cli midi`): the tempo, then the four tones, then the
// four volumes. Returns the first refusal message (Shift-JIS), or nothing
// with values set. reason, when given, is set to the box that refused.
std::optional<std::string> CheckSettingTexts(const EditorTexts& texts, SettingValues& values,
                                             RefusalReason* reason = nullptr);

// The links of the chain. Each returns the refusal message (Shift-JIS) or
// nothing, and sets the value(s) on success; refusedVoice, when given, is set
// to the voice whose box refused.
std::optional<std::string> CheckTempoText(std::string_view text, int& tempo);
std::optional<std::string> CheckToneTexts(const std::array<std::string, VoiceCount>& texts, std::array<int, VoiceCount>& tones,
                                          int* refusedVoice = nullptr);
std::optional<std::string> CheckVolumeTexts(const std::array<std::string, VoiceCount>& texts, std::array<int, VoiceCount>& volumes,
                                            int* refusedVoice = nullptr);

// "音譜解析結果" report: image size and each voice's note range.
std::string AnalysisReport(const MelodyStore& store);

}  // namespace quaverly
