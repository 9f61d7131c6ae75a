#include "ScoreAnalysis.h"

#include <algorithm>

#include "base/IntegerReading.h"
#include "MelodyBuilder.h"
#include "base/Messages.h"
#include "NotationTables.h"
#include "ScoreParser.h"
#include "MldLayout.h"

namespace quaverly {

namespace {

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

std::optional<std::string> CheckToneTexts(const std::array<std::string, VoiceCount>& texts, std::array<int, VoiceCount>& tones,
                                          int* refusedVoice)
{
    std::array<int, VoiceCount> read{};
    for (size_t i = 0; i < texts.size(); ++i) {
        // The tone boxes show "n - name": the number is the part before the first blank.
        const std::string_view text = texts[i];
        const std::optional<int32_t> value = ReadInteger(text.substr(0, text.find(' ')));
        if (!value || *value < 1 || *value > 128) {
            if (refusedVoice != nullptr) {
                *refusedVoice = static_cast<int>(i);
            }
            return Refusal(Msg::ToneRefused, text);
        }
        read[i] = *value;
    }
    tones = read;
    return std::nullopt;
}

std::optional<std::string> CheckVolumeTexts(const std::array<std::string, VoiceCount>& texts, std::array<int, VoiceCount>& volumes,
                                            int* refusedVoice)
{
    std::array<int, VoiceCount> read{};
    for (size_t i = 0; i < texts.size(); ++i) {
        const std::optional<int32_t> value = ReadInteger(TrimBlanks(texts[i]));
        if (!value || *value < 0 || *value > 63) {
            if (refusedVoice != nullptr) {
                *refusedVoice = static_cast<int>(i);
            }
            return Refusal(Msg::VolumeRefused, texts[i]);
        }
        read[i] = *value;
    }
    volumes = read;
    return std::nullopt;
}

std::optional<std::string> CheckSettingTexts(const EditorTexts& texts, SettingValues& values, RefusalReason* reason)
{
    SettingValues read;
    RefusalReason refused;
    auto refuse = [&](std::string refusal, RefusedField field) {
        refused.field = field;
        if (reason != nullptr) {
            *reason = refused;
        }
        return std::optional<std::string>(std::move(refusal));
    };
    if (auto refusal = CheckTempoText(texts.tempo, read.tempo)) {
        return refuse(std::move(*refusal), RefusedField::Tempo);
    }
    if (auto refusal = CheckToneTexts(texts.tones, read.tones, &refused.voice)) {
        return refuse(std::move(*refusal), RefusedField::Tone);
    }
    if (auto refusal = CheckVolumeTexts(texts.volumes, read.volumes, &refused.voice)) {
        return refuse(std::move(*refusal), RefusedField::Volume);
    }
    values = read;
    return std::nullopt;
}

namespace {

// The command's steps around the parse, which readPages does: it appends the
// four pages' entries to the store's list, sets their canonical texts and
// hands their diagnostics to the sink.
template <typename ReadPages>
AnalysisResult Analyse(MelodyStore& store, const EditorTexts& texts, const MelodyFileInfo& info, ViewRows rows,
                       DiagnosticSink* diagnostics, PagesOnTempoRefusal pagesOnTempoRefusal, ReadPages readPages)
{
    AnalysisResult result;
    store.ClearMelody();

    MelodySettings settings;
    settings.title = texts.title;
    SettingValues values;
    result.refusal = CheckSettingTexts(texts, values, &result.refusalReason);
    const bool tempoRefused = result.refusal && result.refusalReason.field == RefusedField::Tempo;
    if (!tempoRefused || pagesOnTempoRefusal == PagesOnTempoRefusal::Parse) {
        readPages(settings.scores);
    }
    if (result.refusal) {
        return result;
    }
    settings.tempo = values.tempo;
    settings.tones = values.tones;
    settings.volumes = values.volumes;

    if (diagnostics == nullptr) {
        BuildMelody(store, settings, info);
    } else {
        // The builder quotes the pages its diagnostics point at; they join
        // the parser's in the order of their places.
        diagnostics->QuoteFrom(texts.scores);
        BuildMelody(store, settings, info, diagnostics);
        std::stable_sort(diagnostics->Items().begin(), diagnostics->Items().end(),
                         [](const Diagnostic& a, const Diagnostic& b) {
                             return a.span.page != b.span.page ? a.span.page < b.span.page : a.span.offset < b.span.offset;
                         });
    }
    if (rows == ViewRows::Fill) {
        FillSequenceView(store.Sequence(), result.sequenceRows);
    }
    result.canonicalScores = std::move(settings.scores);
    result.report = AnalysisReport(store);
    return result;
}

}  // namespace

AnalysisResult AnalyseScore(MelodyStore& store, const EditorTexts& texts, const MelodyFileInfo& info,
                            bool extendedNotation, ViewRows rows, DiagnosticSink* diagnostics,
                            PagesOnTempoRefusal pagesOnTempoRefusal)
{
    return Analyse(store, texts, info, rows, diagnostics, pagesOnTempoRefusal,
                   [&](std::array<std::string, VoiceCount>& canonical) {
                       // The four pages, into room for the most entries they can make:
                       // memory reserved beyond the events is never touched.
                       size_t room = store.Sequence().size();
                       for (const std::string& score : texts.scores) {
                           room += MostEntriesOfScore(score);
                       }
                       store.Sequence().reserve(room);
                       for (int voice = 0; voice < VoiceCount; ++voice) {
                           const auto i = static_cast<size_t>(voice);
                           canonical[i] = ParseScore(texts.scores[i], voice, store.Sequence(), extendedNotation, diagnostics);
                       }
                   });
}

ParsedPage ParsePage(std::string_view text, int voice, bool extendedNotation)
{
    ParsedPage page;
    DiagnosticSink sink;
    page.canonical = ParseScore(text, voice, page.entries, extendedNotation, &sink);
    page.diagnostics = std::move(sink.Items());
    page.diagnosticCount = sink.Count(voice);
    return page;
}

AnalysisResult AnalyseParsedScore(MelodyStore& store, const EditorTexts& texts,
                                  const std::array<const ParsedPage*, VoiceCount>& pages, const MelodyFileInfo& info,
                                  ViewRows rows, DiagnosticSink* diagnostics, PagesOnTempoRefusal pagesOnTempoRefusal)
{
    return Analyse(store, texts, info, rows, diagnostics, pagesOnTempoRefusal,
                   [&](std::array<std::string, VoiceCount>& canonical) {
                       size_t room = store.Sequence().size();
                       for (const ParsedPage* page : pages) {
                           room += page->entries.size();
                       }
                       store.Sequence().reserve(room);
                       for (int voice = 0; voice < VoiceCount; ++voice) {
                           const ParsedPage& page = *pages[static_cast<size_t>(voice)];
                           store.Sequence().Append(page.entries);
                           canonical[static_cast<size_t>(voice)] = page.canonical;
                           if (diagnostics != nullptr) {
                               diagnostics->TakeCounted(voice, page.diagnostics, page.diagnosticCount);
                           }
                       }
                   });
}

std::string AnalysisReport(const MelodyStore& store)
{
    std::string report(Msg::ReportHead);
    report += Msg::ReportSize;
    report += std::to_string(store.MelodyImage().size());
    report += Msg::ReportBytes;
    report += "\r\n";

    std::array<int, VoiceCount> lowest{64, 64, 64, 64};
    std::array<int, VoiceCount> highest{-1, -1, -1, -1};
    for (const SequenceEntry& entry : store.Sequence()) {
        const int voice = entry.Voice();
        const int note = entry.Note();
        if (entry.IsRaw() || voice < 0 || voice >= VoiceCount || entry.IsEnd() || entry.Gate() == 0) {
            continue;  // raw data, end lines and rests have no pitch
        }
        const auto i = static_cast<size_t>(voice);
        lowest[i] = std::min(lowest[i], note);
        highest[i] = std::max(highest[i], note);
    }
    for (size_t i = 0; i < VoiceCount; ++i) {
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
