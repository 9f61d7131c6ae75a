#include "DocumentJournal.h"

#include <QDir>
#include <QFile>
#include <QTimer>

#include "NativePath.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "document/JournalRules.h"
#include "platform/JournalFiles.h"
#include "platform/SjisText.h"

namespace quaverly {

namespace {
// From the last edit to the journal write: long enough that typing does not
// write at every key, short enough that a crash loses little.
constexpr int JournalDelayMilliseconds = 1000;
}  // namespace

DocumentJournal::DocumentJournal(MessageBoxes& messageBoxes, Hooks hooks, QObject* parent)
    : QObject(parent), m_messageBoxes(messageBoxes), m_hooks(std::move(hooks)), m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(JournalDelayMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &DocumentJournal::Update);
}

QString DocumentJournal::FileName() const
{
    return m_folder.isEmpty() ? QString() : OwnJournalPath(m_folder);
}

void DocumentJournal::SetDelay(int milliseconds)
{
    m_timer->setInterval(milliseconds);
}

void DocumentJournal::Schedule()
{
    if (!m_folder.isEmpty()) {
        m_timer->start();
    }
}

void DocumentJournal::Update()
{
    m_timer->stop();
    switch (DecideJournalUpdate(!m_folder.isEmpty(), m_hooks.holdsUnsavedWork())) {
        case JournalUpdate::Nothing:
            return;
        case JournalUpdate::Remove:
            Remove();
            return;
        case JournalUpdate::Write:
            break;
    }
    try {
        QDir().mkpath(m_folder);
        WriteWholeFile(NativePath(FileName()), WriteJournal(m_hooks.collect()));
    } catch (const std::exception& error) {
        // Said until the next write.
        m_hooks.showWriteFailure(FromSjis(std::string(Msg::JournalWriteFailed) + error.what()));
    }
}

void DocumentJournal::Remove()
{
    m_timer->stop();
    if (!m_folder.isEmpty()) {
        QFile::remove(FileName());
    }
    if (!m_restoredJournal.isEmpty()) {
        QFile::remove(m_restoredJournal);
        m_restoredJournal.clear();
    }
}

void DocumentJournal::OfferRestore()
{
    if (m_folder.isEmpty()) {
        return;
    }
    for (const QString& orphan : OrphanedJournals(m_folder)) {
        // Taken over by renaming it to this session's taken name: of two
        // windows started together only one gets it, and should this one end
        // before the user answers or during the restore, it is again a
        // journal of an ended session. It is not this session's own journal,
        // which the timer writes or removes meanwhile.
        const QString path = TakenJournalPath(m_folder);
        if (!QFile::rename(orphan, path)) {
            continue;
        }
        JournalContent content;
        try {
            content = ParseJournal(ReadWholeFile(NativePath(path)));
        } catch (const QuaverlyError& error) {
            const QString aside = SetJournalAside(path);
            m_messageBoxes.Warning(FromSjis(std::string(Msg::JournalDamaged)) + QStringLiteral("\n") + aside +
                                   QStringLiteral("\n") + FromSjis(error.what()));
            continue;
        }
        // Enter and Escape restore: nothing is lost by restoring.
        const bool restored = m_messageBoxes.Question(FromSjis(Msg::JournalRestoreQuestion), SafeAnswer::Yes);
        if (restored) {
            m_hooks.restore(content);
            // Written again at once as this session's journal; only then is
            // the taken one given up.
            Update();
        }
        switch (AfterRestoreOffer(restored, QFile::exists(FileName()))) {
            case TakenJournal::Remove:
                QFile::remove(path);
                break;
            case TakenJournal::KeepUntilSaved:
                m_restoredJournal = path;
                break;
        }
        // One journal per start: an older one waits for the next.
        break;
    }
}

}  // namespace quaverly
