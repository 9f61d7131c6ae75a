// "MIDI読み込み" and the drop of a ".mid" file: the file is read, its
// channels chosen in the MIDI read dialog and the melody built, all before
// the editor is touched, so a bad file or a Cancel leaves the document as it
// was. Then the melody replaces the editor's and the import report is shown.
#include <utility>

#include "NativePath.h"
#include "SuggestedFileName.h"
#include "TFormMain.h"
#include "UnitMidi/MidiFileReader.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiMelody.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

namespace quaverly {

namespace {

const QString MidiFilter = QStringLiteral("標準MIDIファイル(*.mid *.midi)");

}  // namespace

void TFormMain::mnGetMidiClick()
{
    RunCommand([this] {
        if (!AskLossQuestion()) {
            return;
        }
        FileDialogOptions options;
        options.filter = MidiFilter;
        const std::optional<QString> chosen = m_services.fileDialogs.OpenFile(options);
        if (chosen) {
            ImportMidiIntoEditor(*chosen, false);
        }
    });
}

void TFormMain::ImportMidiIntoEditor(const QString& path, bool askLossQuestion)
{
    // The file is read and its notes collected once, for the survey the
    // channel dialog shows and for the import.
    MidiContent content = CollectMidiContent(ReadWholeFile(NativePath(path), MaxMidiFileSize), ToSjis(path));
    ImportNotesIntoEditor(std::move(content), askLossQuestion, QStringLiteral("MIDI読み込み"));
}

void TFormMain::ImportNotesIntoEditor(MidiContent content, bool askLossQuestion, const QString& what,
                                      const std::string& readerProblems)
{
    MidiSurvey survey = SurveyMidiContent(content);
    survey.dialogTitle = ToSjis(what);
    const std::optional<std::vector<int>> channels = m_services.dialogs.RunMidiChannels(survey);
    if (!channels) {
        return;
    }
    const ImportedMelody melody = ImportMidiContent(std::move(content), *channels);
    MelodyStore candidate = CandidateStore(m_store);
    BuildImportedMelody(candidate, melody);
    std::optional<StagedMelody> staged = StageOrRefuse(std::move(candidate));
    // Nothing above changed the document; a drop asks only now that there is
    // a melody to take, the menu command asked before its file dialog.
    if (!staged || (askLossQuestion && !AskLossQuestion())) {
        return;
    }
    // No file holds the imported melody: Save asks for a name.
    AdoptStagedMelody(std::move(*staged), QString(), false);
    // The report is headed as what it reports: a MusicXML score is no MIDI file.
    std::string report = MidiImportReportText(melody.report);
    if (report.starts_with(Msg::MidiReportHead)) {
        report.replace(0, Msg::MidiReportHead.size(), ToSjis(what + QStringLiteral("結果\r\n")));
    }
    m_services.messageBoxes.Information(FromSjis(readerProblems + report));
}

}  // namespace quaverly
