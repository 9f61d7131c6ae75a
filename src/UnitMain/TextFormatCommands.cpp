// The melody as the text people share: "RTTTL書き出し" (the voice of the page
// shown, or the first voice with notes), "MML書き出し" (the four voices), and
// the import of ".rtttl", ".mml" and ".txt" files from 他形式読み込み and a
// drop. The import reads, asks for the voices in the MIDI read dialog and
// builds before the editor is touched, and binds the result to no file.
#include <algorithm>

#include "NativePath.h"
#include "SuggestedFileName.h"
#include "TFormMain.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitText/MmlWriter.h"
#include "UnitText/RtttlWriter.h"
#include "UnitText/TextMelodyImport.h"
#include "UnitText/TextMessages.h"
#include "base/FileIO.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

namespace {

std::string BaseNameOf(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return ToSjis(dot > 0 ? name.left(dot) : name);
}

}  // namespace

std::optional<TextMelody> TFormMain::TextMelodyForExport()
{
    if (m_document.Foreign() != nullptr) {
        ShowNotSupported();
        return std::nullopt;
    }
    const std::optional<SettingValues> values = ReadSettingsOrRefuse();
    if (!values || !AnalyseBeforeUse()) {
        return std::nullopt;
    }
    const std::optional<MidiSettings> settings = MidiRequest(*values, false);
    TextMelody melody;
    melody.title = settings->title;
    melody.tempo = settings->tempo;
    melody.tones = settings->tones;
    melody.volumes = settings->volumes;
    melody.voices = VoiceNotesOf(m_store.Sequence());
    return melody;
}

std::optional<QString> TFormMain::AskTextExportFile(const QString& filter, const QString& extension)
{
    FileDialogOptions options;
    options.filter = filter;
    options.defaultSuffix = extension.mid(1);
    options.initialFile = ChangeExtension(SuggestedFileName(DocumentFileName(), ToSjis(m_ui->EditTitle->text())), extension);
    return m_services.fileDialogs.SaveFile(options);
}

void TFormMain::mnExportRtttlClick()
{
    RunCommand([this] {
        const std::optional<TextMelody> melody = TextMelodyForExport();
        if (!melody) {
            return;
        }
        int voice = FirstVoiceWithNotes(*melody);
        for (int shown = 1; shown <= VoiceCount; ++shown) {
            if (m_ui->PageControl1->currentWidget() == m_pages->Page(shown)) {
                voice = shown - 1;
            }
        }
        const VoiceNotes& notes = melody->voices[static_cast<size_t>(std::max(voice, 0))];
        if (voice < 0 || std::none_of(notes.begin(), notes.end(), [](const TextNote& note) { return !note.IsRest(); })) {
            m_services.messageBoxes.Warning(FromSjis(std::string(TextMsg::EmptyVoice) + std::to_string(std::max(voice, 0) + 1) +
                                                     std::string(TextMsg::VoiceTail)));
            return;
        }
        const std::optional<QString> chosen =
            AskTextExportFile(QStringLiteral("RTTTL着メロ(*.rtttl)"), QStringLiteral(".rtttl"));
        if (!chosen) {
            return;
        }
        const RtttlExport exported = WriteRtttl(notes, RtttlName(melody->title, BaseNameOf(*chosen)), melody->tempo);
        WriteWholeFile(NativePath(*chosen), exported.text + "\r\n");
        m_services.messageBoxes.Information(FromSjis(RtttlChangesText(exported.changes, voice + 1)));
    });
}

void TFormMain::mnExportMmlClick()
{
    RunCommand([this] {
        const std::optional<TextMelody> melody = TextMelodyForExport();
        if (!melody) {
            return;
        }
        const std::optional<QString> chosen = AskTextExportFile(QStringLiteral("MML(*.mml)"), QStringLiteral(".mml"));
        if (!chosen) {
            return;
        }
        const MmlExport exported = WriteMml(*melody);
        WriteWholeFile(NativePath(*chosen), exported.text);
        std::string report = std::string(TextMsg::MmlWritten) + "\r\n";
        if (exported.chordNotesDropped > 0) {
            report += std::string(TextMsg::ChordNotesDroppedMml) + std::to_string(exported.chordNotesDropped) +
                      std::string(TextMsg::Pieces) + "\r\n";
        }
        m_services.messageBoxes.Information(FromSjis(report));
    });
}

void TFormMain::ImportTextMelodyIntoEditor(const QString& path, bool askLossQuestion)
{
    const std::string text = ReadWholeFile(NativePath(path), MaxTextMelodyFileSize);
    TextMelodyRead read = ReadTextMelody(text, NativePath(path), ToSjis(path));
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const std::string problems = TextProblemsText(read, ToSjis(name));
    ImportNotesIntoEditor(std::move(read.content), askLossQuestion, QStringLiteral("RTTTL・MML読み込み"), problems);
}

}  // namespace quaverly
