// The score analysis ("音譜解析(&A)") as a function of the editor's texts:
// tempo check, the four parses, tone and volume checks in their order with
// their exact messages, the build, the canonical pages, the rows and the report.
// The window and `quaverly-cli build` both call it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MelodyFileInfo.h"
#include "MelodyStore.h"
#include "MelodyToScore.h"

namespace quaverly {

// The editor's texts as typed (Shift-JIS), voice 1 first.
struct EditorTexts {
    std::string tempo;
    std::string title;
    std::array<std::string, 4> tones;
    std::array<std::string, 4> volumes;
    std::array<std::string, 4> scores;
};

struct AnalysisResult {
    // Set when a check refused: the message to show (Shift-JIS); nothing else is valid.
    std::optional<std::string> refusal;
    std::array<std::string, 4> canonicalScores;
    std::vector<SequenceRow> sequenceRows;
    std::string report;
};

// Runs the whole command on the store. Errors raised by the build (MelodyLimitError)
// propagate to the caller's error display, as do any other QuaverlyError.
AnalysisResult AnalyseScore(MelodyStore& store, const EditorTexts& texts, const MelodyFileInfo& info,
                            bool extendedNotation);

// The three checks, shared with the MIDI commands. Each returns the refusal
// message (Shift-JIS) or nothing, and sets the value(s) on success.
std::optional<std::string> CheckTempoText(std::string_view text, int& tempo);
std::optional<std::string> CheckToneTexts(const std::array<std::string, 4>& texts, std::array<int, 4>& tones);
std::optional<std::string> CheckVolumeTexts(const std::array<std::string, 4>& texts, std::array<int, 4>& volumes);

// "音譜解析結果" report: image size and each voice's note range.
std::string AnalysisReport(const MelodyStore& store);

}  // namespace quaverly
