#include "ScoreAnalysis.h"

#include "base/IntegerReading.h"
#include "MelodyBuilder.h"
#include "base/Messages.h"
#include "NotationTables.h"
#include "ScoreParser.h"
#include "SequenceLineFields.h"

namespace quaverly {

namespace {

constexpr int Voices = 4;

std::string Refusal(std::string_view message, std::string_view boxText)
{
    return std::string(message) + std::string(boxText);
}

}  // namespace

std::optional<std::string> CheckTempoText(std::string_view text, int& tempo)
{
    const std::optional<int32_t> value = ReadInteger(text);
    if (!value || *value <= 0 || *value >= 256) {
        return Refusal(Msg::TempoRefused, text);
    }
    tempo = *value;
    return std::nullopt;
}

std::optional<std::string> CheckToneTexts(const std::array<std::string, 4>& texts, std::array<int, 4>& tones)
{
    std::array<int, 4> read{};
    for (size_t i = 0; i < texts.size(); ++i) {
        // The tone boxes show "n - name": the number is the part before the first blank.
        const std::string_view text = texts[i];
        const std::optional<int32_t> value = ReadInteger(text.substr(0, text.find(' ')));
        if (!value || *value < 1 || *value > 128) {
            return Refusal(Msg::ToneRefused, text);
        }
        read[i] = *value;
    }
    tones = read;
    return std::nullopt;
}

std::optional<std::string> CheckVolumeTexts(const std::array<std::string, 4>& texts, std::array<int, 4>& volumes)
{
    std::array<int, 4> read{};
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::optional<int32_t> value = ReadInteger(TrimBlanks(texts[i]));
        if (!value || *value < 0 || *value > 63) {
            return Refusal(Msg::VolumeRefused, texts[i]);
        }
        read[i] = *value;
    }
    volumes = read;
    return std::nullopt;
}

AnalysisResult AnalyseScore(MelodyStore& store, const EditorTexts& texts, const MelodyFileInfo& info,
                            bool extendedNotation)
{
    AnalysisResult result;
    store.ClearMelody();

    MelodySettings settings;
    settings.title = texts.title;
    if (auto refusal = CheckTempoText(texts.tempo, settings.tempo)) {
        result.refusal = std::move(refusal);
        return result;
    }
    // All four pages are parsed before any tone or volume is checked.
    for (int voice = 0; voice < Voices; ++voice) {
        const auto i = static_cast<size_t>(voice);
        settings.scores[i] = ParseScore(texts.scores[i], voice, store.Sequence(), extendedNotation);
    }
    if (auto refusal = CheckToneTexts(texts.tones, settings.tones)) {
        result.refusal = std::move(refusal);
        return result;
    }
    if (auto refusal = CheckVolumeTexts(texts.volumes, settings.volumes)) {
        result.refusal = std::move(refusal);
        return result;
    }

    BuildMelody(store, settings, info);
    FillSequenceView(store.Sequence(), result.sequenceRows);
    result.canonicalScores = settings.scores;
    result.report = AnalysisReport(store);
    return result;
}

std::string AnalysisReport(const MelodyStore& store)
{
    std::string report(Msg::ReportHead);
    report += Msg::ReportSize;
    report += std::to_string(store.MelodyImage().size());
    report += Msg::ReportBytes;
    report += "\r\n";

    std::array<int, Voices> lowest{64, 64, 64, 64};
    std::array<int, Voices> highest{-1, -1, -1, -1};
    for (const std::string& line : store.Sequence()) {
        const SequenceLineFields fields = ReadSequenceLineFields(line);
        const int voice = fields.voice;
        const int note = fields.note;
        if (fields.raw || voice < 0 || voice >= Voices || note == -1 || fields.gate == 0) {
            continue;  // raw data, end lines and rests have no pitch
        }
        const auto i = static_cast<size_t>(voice);
        lowest[i] = std::min(lowest[i], note);
        highest[i] = std::max(highest[i], note);
    }
    for (size_t i = 0; i < Voices; ++i) {
        if (highest[i] >= lowest[i]) {
            report += Msg::ReportVoice;
            report += std::to_string(i + 1);
            report += Msg::ReportRange;
            report += NoteName(lowest[i]);
            report += Msg::ReportTo;
            report += NoteName(highest[i]);
            report += "\r\n";
        }
    }
    return report;
}

}  // namespace quaverly
