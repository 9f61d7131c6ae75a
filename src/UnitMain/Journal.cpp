// The crash journal of the main window: about a second after the last edit
// the editor's whole state goes to this session's journal file, through the
// same whole-file writer as every saved file; a save that leaves nothing
// unsaved, New and a clean end remove it. At start, a journal left by a
// session that no longer runs is offered for restoring.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>

#include "NativePath.h"
#include "SequenceRowModel.h"
#include "TFormMain.h"
#include "UnitMld/CrashJournal.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "platform/JournalFiles.h"
#include "platform/SjisText.h"
#include "ui_TFormMain.h"

namespace quaverly {

QString TFormMain::JournalFileName() const
{
    return m_journalFolder.isEmpty() ? QString() : OwnJournalPath(m_journalFolder);
}

void TFormMain::SetJournalDelay(int milliseconds)
{
    m_journalTimer->setInterval(milliseconds);
}

JournalContent TFormMain::CollectJournal() const
{
    JournalContent content;
    content.texts = CollectEditorTexts();
    content.info = m_document.FileInfo();
    content.fff0DataSet = m_store.fff0DataSet;
    content.fff0DataHex = m_store.fff0DataHex;
    content.melodyImage = m_store.MelodyImage();
    content.boundFile = CurrentFileName().toUtf8().toStdString();
    return content;
}

void TFormMain::UpdateJournal()
{
    m_journalTimer->stop();
    if (m_journalFolder.isEmpty()) {
        return;
    }
    if (!HoldsUnsavedWork()) {
        RemoveJournal();
        return;
    }
    try {
        QDir().mkpath(m_journalFolder);
        WriteWholeFile(NativePath(JournalFileName()), WriteJournal(CollectJournal()));
    } catch (const std::exception& error) {
        // Not a box at every pause in typing: the status bar says it until the next write.
        m_ui->StatusBar1->showMessage(FromSjis(std::string(Msg::JournalWriteFailed) + error.what()));
    }
}

void TFormMain::RemoveJournal()
{
    if (m_journalTimer != nullptr) {
        m_journalTimer->stop();
    }
    if (!m_journalFolder.isEmpty()) {
        QFile::remove(JournalFileName());
    }
    // A restored journal whose copy under this session could not be written
    // is kept until the work it holds is saved or given up.
    if (!m_restoredJournal.isEmpty()) {
        QFile::remove(m_restoredJournal);
        m_restoredJournal.clear();
    }
}

void TFormMain::RestoreJournal(const JournalContent& content)
{
    ResetEditor();
    m_ui->ComboBoxTempo->setEditText(FromSjis(content.texts.tempo));
    m_ui->EditTitle->setText(FromSjis(content.texts.title));
    for (int voice = 1; voice <= VoiceCount; ++voice) {
        const auto i = static_cast<size_t>(voice - 1);
        VoiceTone(voice)->setEditText(FromSjis(content.texts.tones[i]));
        VoiceVolume(voice)->setText(FromSjis(content.texts.volumes[i]));
        SetMemoText(voice, content.texts.scores[i]);
    }
    m_document.FileInfo() = content.info;
    m_store.fff0DataSet = content.fff0DataSet;
    m_store.fff0DataHex = content.fff0DataHex;
    m_store.MelodyImage() = content.melodyImage;
    // The sequence view of the journaled image, read on a copy so that
    // nothing of the restored pages and settings is overwritten.
    MelodyStore listing = m_store;
    MelodyFileInfo scratchInfo = content.info;
    try {
        if (std::optional<EditorFields> fields = LoadMelodyIntoEditor(listing, scratchInfo)) {
            FillSequenceRows(std::move(fields->sequenceRows));
            m_store.Sequence() = std::move(listing.Sequence());
        }
    } catch (const QuaverlyError&) {
        // A melody too long for the view: the pages are restored all the same.
    }
    m_document.Bind(NativePath(QString::fromUtf8(content.boundFile)));
    m_ui->mnSave1->setEnabled(!m_document.CurrentFileName().empty());
    // Restored, not saved: every question asks again until the next save.
    m_document.SetState(EditState::ScoreEdited);
}

void TFormMain::OfferJournalRestore()
{
    if (m_journalFolder.isEmpty()) {
        return;
    }
    for (const QString& orphan : OrphanedJournals(m_journalFolder)) {
        // Taken over by renaming it to this session's taken name: of two
        // windows started together only one gets it, and should this one end
        // before the user answers or during the restore, it is again a
        // journal of an ended session. It is not this session's own journal,
        // which the journal's timer writes or removes meanwhile.
        const QString path = TakenJournalPath(m_journalFolder);
        if (!QFile::rename(orphan, path)) {
            continue;
        }
        JournalContent content;
        try {
            content = ParseJournal(ReadWholeFile(NativePath(path)));
        } catch (const QuaverlyError& error) {
            const QString aside = SetJournalAside(path);
            m_services.messageBoxes.Warning(FromSjis(std::string(Msg::JournalDamaged)) + QStringLiteral("\n") + aside +
                                            QStringLiteral("\n") + FromSjis(error.what()));
            continue;
        }
        // Enter and Escape restore: nothing is lost by restoring.
        if (m_services.messageBoxes.Question(FromSjis(Msg::JournalRestoreQuestion), SafeAnswer::Yes)) {
            RestoreJournal(content);
            // Written again at once as this session's journal; only then is
            // the taken one given up.
            UpdateJournal();
            if (QFile::exists(JournalFileName())) {
                QFile::remove(path);
            } else {
                m_restoredJournal = path;
            }
        } else {
            QFile::remove(path);
        }
        // One journal per start: an older one waits for the next.
        break;
    }
    DocumentChanged();
}

}  // namespace quaverly
