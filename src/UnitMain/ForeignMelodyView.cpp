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
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStatusBar>

#include "ForeignMelodyView.h"
#include "TFormMain.h"
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

bool RefusedAsViewOnly(const DocumentController& document, MessageBoxes& messageBoxes)
{
    if (document.Foreign() == nullptr) {
        return false;
    }
    messageBoxes.Information(FromSjis(Msg::MfiViewOnly));
    return true;
}

QString TFormMain::DocumentFileName() const
{
    return QFile::decodeName(QByteArray::fromStdString(m_document.TitleFileName()));
}

void TFormMain::UpdateControlsForView()
{
    const MfiMelody* foreign = m_document.Foreign();
    const bool own = foreign == nullptr;
    if (foreign != nullptr) {
        m_ui->EditTitle->setText(FromSjis(foreign->title));
        m_roll->SetForeignMelody(*foreign);
    } else {
        m_roll->SetEvents(SequenceList(), {1, 1, 1, 1});
    }
    // The line is a placeholder, never page text: nothing of it can be analysed or saved.
    const QString line = own ? QString() : FromSjis(Msg::MfiForeignPage);
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        m_pages->Memo(voice)->setPlaceholderText(line);
        m_pages->Memo(voice)->setReadOnly(!own);
        m_pages->Tone(voice)->setEnabled(own);
        m_pages->Volume(voice)->setEnabled(own);
        if (own) {
            // The channel each greyed box stood for (ShowForeignSettings).
            m_pages->Tone(voice)->setToolTip(QString());
            m_pages->Volume(voice)->setToolTip(QString());
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
    if (!own) {
        ShowForeignSettings();
    }
}

void TFormMain::UpdateCommandsForView()
{
    const bool own = m_document.Foreign() == nullptr;
    // The commands of the four voices' pages make no sense for a melody shown as it is.
    for (QAction* action :
         {m_ui->mnMakeMld, m_ui->mnF0Data, m_ui->mnCreateMail, m_ui->mnMeloP, m_ui->mnMeloM, m_ui->mnExport}) {
        action->setEnabled(own);
    }
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        m_pages->PlayItem(voice)->setEnabled(own);
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

std::optional<StagedMelody> TFormMain::StageForeignForEditing()
{
    const std::optional<std::vector<int>> channels = m_services.dialogs.RunMidiChannels(m_document.ForeignSurvey());
    if (!channels) {
        return std::nullopt;
    }
    ForeignFold fold = m_document.FoldForeign(*channels);
    std::optional<StagedMelody> staged = StageOrRefuse(std::move(fold.candidate));
    if (staged) {
        staged->otherMakerReport = std::move(fold.report);
    }
    return staged;
}

void TFormMain::mnImportForEditingClick()
{
    RunCommand([this] {
        if (m_document.Foreign() == nullptr) {
            return;
        }
        // The shown melody is no work of the person's: folding it loses nothing, so no question.
        std::optional<StagedMelody> staged = StageForeignForEditing();
        if (staged) {
            AdoptStagedMelody(std::move(*staged), QString(), true);
        }
    });
}

}  // namespace quaverly
