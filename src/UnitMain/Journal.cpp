// The crash journal's side of the window: what it gives the journal
// (DocumentJournal) and how a restored journal fills the controls.
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QStatusBar>

#include "TFormMain.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

void TFormMain::SetUpJournal()
{
    DocumentJournal::Hooks hooks;
    hooks.collect = [this] { return m_document.Journal(m_pages->CollectEditorTexts()); };
    hooks.holdsUnsavedWork = [this] { return HoldsUnsavedWork(); };
    hooks.restore = [this](const JournalContent& content) { RestoreJournal(content); };
    hooks.showWriteFailure = [this](const QString& message) { m_ui->StatusBar1->showMessage(message); };
    m_journal = new DocumentJournal(m_services.messageBoxes, std::move(hooks), this);
}

void TFormMain::RestoreJournal(const JournalContent& content)
{
    ResetEditor();
    m_ui->ComboBoxTempo->setEditText(FromSjis(content.texts.tempo));
    m_ui->EditTitle->setText(FromSjis(content.texts.title));
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice - 1);
        m_pages->Tone(voice)->setEditText(FromSjis(content.texts.tones[i]));
        m_pages->Volume(voice)->setText(FromSjis(content.texts.volumes[i]));
        SetMemoText(voice, content.texts.scores[i]);
    }
    // Last: the controls' change notices above have set the state meanwhile.
    FillSequenceRows(m_document.Restore(content));
    m_ui->mnSave1->setEnabled(!m_document.CurrentFileName().empty());
}

}  // namespace quaverly
