// A melody file of another maker (several tracks, sixteen channels, 4-byte
// notes) is shown as it is: the four pages cannot hold it, so they stay empty
// and read-only with one line that says how to edit it; the roll shows every
// channel and play sounds every channel from the all-channel MIDI file.
// 「編集用に取り込む」 folds it into four voices the way a MIDI file is
// imported, with the MIDI read dialog's channel choice; the result is bound to
// no file, so the other maker's file is never saved over without a name
// being chosen.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "TFormMain.h"
#include "UnitMfi/MfiImport.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitRoll/TPianoRoll.h"
#include "base/Messages.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

std::optional<StagedMelody> TFormMain::StageOtherMakersMelody(const QString& path, std::string_view image)
{
    StagedMelody staged;
    staged.foreign = ReadMfiMelody(image, ToSjis(path));
    return staged;
}

QString TFormMain::DocumentFileName() const
{
    return m_foreign ? m_foreign->path : CurrentFileName();
}

void TFormMain::EnterForeignView(MfiMelody melody, const QString& path)
{
    m_foreign = ForeignView{std::move(melody), path};
    m_ui->EditTitle->setText(FromSjis(m_foreign->melody.title));
    m_roll->SetForeignMelody(m_foreign->melody);
    UpdateControlsForView();
    ShowForeignSettings();
}

void TFormMain::LeaveForeignView()
{
    if (!m_foreign) {
        return;
    }
    m_foreign.reset();
    m_roll->SetEvents(SequenceList(), {1, 1, 1, 1});
    UpdateControlsForView();
}

void TFormMain::UpdateControlsForView()
{
    const bool own = !m_foreign;
    // The line is a placeholder, never page text: nothing of it can be analysed or saved.
    const QString line = own ? QString() : FromSjis(Msg::MfiForeignPage);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        VoiceMemo(voice)->setPlaceholderText(line);
        VoiceMemo(voice)->setReadOnly(!own);
        VoiceTone(voice)->setEnabled(own);
        VoiceVolume(voice)->setEnabled(own);
        if (own) {
            // The channel each greyed box stood for (ShowForeignSettings).
            VoiceTone(voice)->setToolTip(QString());
            VoiceVolume(voice)->setToolTip(QString());
        }
    }
    m_ui->ComboBoxTempo->setEnabled(own);
    m_ui->EditTitle->setReadOnly(!own);
    // Read-only looks read-only: no field that seems to take typing ignores it.
    m_ui->EditTitle->setStyleSheet(own ? QString() : QStringLiteral("QLineEdit { background: palette(window); }"));
    // The meter measures the pages, which hold nothing of a melody shown as it is.
    if (auto* meter = findChild<QLabel*>(QStringLiteral("LabelMeter"))) {
        meter->setVisible(own);
    }
    // Nor is there anything to list about them: the greyed boxes show the
    // file's own values (ShowForeignSettings), which no analysis reads.
    if (auto* list = findChild<QWidget*>(QStringLiteral("ListDiagnostics"))) {
        list->setVisible(own);
    }
    UpdateCommandsForView();
}

void TFormMain::UpdateCommandsForView()
{
    const bool own = !m_foreign;
    // The commands of the four voices' pages make no sense for a melody shown as it is.
    for (QAction* action :
         {m_ui->mnMakeMld, m_ui->mnF0Data, m_ui->mnCreateMail, m_ui->mnMeloP, m_ui->mnMeloM, m_ui->mnExport}) {
        action->setEnabled(own);
    }
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        VoicePlayItem(voice)->setEnabled(own);
    }
    for (const char* name : {"mnPlayFromCursor", "mnSolo"}) {
        if (auto* action = findChild<QAction*>(QString::fromLatin1(name))) {
            action->setEnabled(own);
        }
        if (auto* menu = findChild<QMenu*>(QString::fromLatin1(name))) {
            menu->setEnabled(own);
        }
    }
    m_ui->mnImportForEditing->setEnabled(!own);
}

bool TFormMain::RefusedInForeignView()
{
    if (!m_foreign) {
        return false;
    }
    m_services.messageBoxes.Information(FromSjis(Msg::MfiViewOnly));
    return true;
}

std::string TFormMain::ForeignMidiBytes()
{
    // The melody's own tempo map: the adjustment is for this program's own melodies.
    return MfiMidiFileBytes(m_foreign->melody);
}

namespace {

// The import report headed as what it reports: a fold for editing, not a MIDI file read.
std::string ForEditingReport(std::string report)
{
    if (report.starts_with(Msg::MidiReportHead)) {
        report.replace(0, Msg::MidiReportHead.size(), ToSjis(QStringLiteral("編集用に取り込んだ結果\r\n")));
    }
    return report;
}

}  // namespace

std::optional<StagedMelody> TFormMain::FoldForeignMelody()
{
    const MfiMelody& melody = m_foreign->melody;
    MidiSurvey survey = SurveyMfiMelody(melody);
    survey.dialogTitle = ToSjis(QStringLiteral("編集用に取り込む"));
    const std::optional<std::vector<int>> channels = m_services.dialogs.RunMidiChannels(survey);
    if (!channels) {
        return std::nullopt;
    }
    const ImportedMelody imported = ImportMfiMelody(melody, *channels);
    MelodyStore candidate = CandidateStore(m_store);
    BuildImportedMelody(candidate, imported);
    std::optional<StagedMelody> staged = StageOrRefuse(std::move(candidate));
    if (staged) {
        staged->otherMakerReport = std::string(Msg::MfiOpenedForEditing) +
                                   (melody.partial ? melody.partialMessage + "\r\n" : std::string()) +
                                   ForEditingReport(MidiImportReportText(imported.report));
    }
    return staged;
}

void TFormMain::mnImportForEditingClick()
{
    RunCommand([this] {
        if (!m_foreign) {
            return;
        }
        // The shown melody is no work of the person's: folding it loses nothing, so no question.
        std::optional<StagedMelody> staged = FoldForeignMelody();
        if (staged) {
            AdoptStagedMelody(std::move(*staged), QString(), true);
        }
    });
}

void TFormMain::SaveForeignMelody()
{
    // No (the default and Escape) writes nothing.
    if (!m_services.messageBoxes.Question(FromSjis(Msg::MfiSaveQuestion), SafeAnswer::No)) {
        return;
    }
    std::optional<StagedMelody> staged = FoldForeignMelody();
    if (!staged) {
        return;
    }
    AdoptStagedMelody(std::move(*staged), QString(), true);
    // Bound to no file: Save As asks for a name, and its dialog asks before
    // it writes over any file, the other maker's too.
    RunSaveAs();
}

}  // namespace quaverly
