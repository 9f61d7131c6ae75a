// "MIDI読み込み" and the drop of a ".mid" file: the file is read, its
// channels chosen in the MIDI read dialog and the melody built, all before
// the editor is touched, so a bad file or a Cancel leaves the document as it
// was. Then the melody replaces the editor's and the import report is shown.
#include "NativePath.h"
#include "SuggestedFileName.h"
#include "TFormMain.h"
#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiMelody.h"
#include "base/FileIO.h"
#include "platform/SjisText.h"

namespace quaverly {

namespace {

const QString MidiFilter = QStringLiteral("標準MIDIファイル(*.mid *.midi)");

}  // namespace

bool IsMidiFileName(const QString& path)
{
    const QString extension = UpperExtension(path);
    return extension == QLatin1String(".MID") || extension == QLatin1String(".MIDI");
}

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
            ImportMidiIntoEditor(*chosen);
        }
    });
}

void TFormMain::ImportMidiIntoEditor(const QString& path)
{
    const std::string bytes = ReadWholeFile(NativePath(path));
    const std::string name = ToSjis(path);
    const MidiSurvey survey = SurveyMidiFile(bytes, name);
    const std::optional<std::vector<int>> channels = m_services.dialogs.RunMidiChannels(survey);
    if (!channels) {
        return;
    }
    const ImportedMelody melody = ImportMidiFile(bytes, name, *channels);
    MelodyStore built;
    BuildImportedMelody(built, melody);

    // Nothing above changed the document; from here the import replaces it.
    ResetEditor();
    m_store.MelodyImage() = std::move(built.MelodyImage());
    LoadMelodyIntoControls();
    m_editState = EditState::Current;
    m_services.messageBoxes.Information(FromSjis(MidiImportReportText(melody.report)));
}

}  // namespace quaverly
