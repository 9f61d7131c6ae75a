// The import report as a person reads it.
#include <cstdio>

#include "MidiImport.h"
#include "base/Limits.h"
#include "base/Messages.h"

namespace quaverly {

namespace {

template <typename... Values>
void AppendFormatted(std::string& text, std::string_view format, Values... values)
{
    char line[256];
    const std::string pattern(format);
    std::snprintf(line, sizeof line, pattern.c_str(), values...);
    text += line;
}

}  // namespace

std::string MidiImportReportText(const MidiImportReport& report)
{
    std::string text(Msg::MidiReportHead);
    AppendFormatted(text, Msg::MidiReportRead, report.notesRead);
    for (int voice = 0; voice < 4; ++voice) {
        const size_t v = static_cast<size_t>(voice);
        if (report.channels[v] == 0) {
            AppendFormatted(text, Msg::MidiReportVoiceEmpty, voice + 1);
        } else {
            AppendFormatted(text, Msg::MidiReportVoice, voice + 1, report.notesKept[v], report.channels[v]);
        }
    }
    for (const std::string& line : report.readerNotes) {
        text += line;
    }
    if (report.LostNothing()) {
        text += Msg::MidiReportNoLoss;
        return text;
    }
    text += Msg::MidiReportLossHead;
    const std::pair<int, std::string_view> counts[] = {
        {report.notesOfOtherChannels, Msg::MidiLossChannels}, {report.chordNotesDropped, Msg::MidiLossChords},
        {report.notesClamped, Msg::MidiLossClamped},          {report.tempoChanges, Msg::MidiLossTempo},
        {report.textsReplaced, Msg::MidiLossText},
    };
    for (const auto& [count, format] : counts) {
        if (count > 0) {
            AppendFormatted(text, format, count);
        }
    }
    // The longest time is named from its cap.
    for (const auto& [count, format] : {std::pair{report.notesTooLate, Msg::MidiLossTooLong},
                                        std::pair{report.notesEndedAtLimit, Msg::MidiLossEndCut}}) {
        if (count > 0) {
            AppendFormatted(text, format, MaxSequenceTime, count);
        }
    }
    for (const std::string& line : report.readerLosses) {
        text += line;
    }
    if (report.notesCut > 0) {
        AppendFormatted(text, Msg::MidiLossOverlaps, report.notesCut, report.largestCut);
    }
    if (report.notesMoved > 0) {
        AppendFormatted(text, Msg::MidiLossQuantised, report.notesMoved, report.largestMoveTenths / 10,
                        report.largestMoveTenths % 10);
    }
    return text;
}

}  // namespace quaverly
