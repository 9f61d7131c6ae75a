// DocumentJournal: the main window's crash journal. About a second after the
// last edit the editor's whole state goes to this session's journal file,
// through the same whole-file writer as every saved file; a save that leaves
// nothing unsaved, New and a clean end remove it. At start, a journal left by
// a session that no longer runs is offered for restoring. It owns the
// folder, the timer and a restored journal kept aside; the window gives it
// the editor's content and takes a restored one back through its hooks.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "UnitMld/CrashJournal.h"
#include "platform/MessageBoxes.h"

class QTimer;

namespace quaverly {

class DocumentJournal : public QObject {
    Q_OBJECT

public:
    // What the journal needs of the window.
    struct Hooks {
        std::function<JournalContent()> collect;          // the editor's whole state
        std::function<bool()> holdsUnsavedWork;           // what the title bar marks
        std::function<void(const JournalContent&)> restore;  // back into the editor
        std::function<void(const QString&)> showWriteFailure;  // not a box at every pause in typing
    };
    DocumentJournal(MessageBoxes& messageBoxes, Hooks hooks, QObject* parent);

    // The per-user data folder in the program, a temporary one in tests;
    // empty means no journal.
    void SetFolder(const QString& folder) { m_folder = folder; }
    const QString& Folder() const { return m_folder; }
    // This session's journal file; empty without a folder.
    QString FileName() const;
    // The time from the last edit to the journal write (1 s).
    void SetDelay(int milliseconds);

    // After every edit: the write waits for the delay, restarted by the next edit.
    void Schedule();
    // Writes or removes the journal as the document asks, at once.
    void Update();
    // The work is saved or given up: no journal, this session's or a restored one.
    void Remove();
    // At start: a journal of a session that no longer runs is offered for
    // restoring ("Quaverly" question); a damaged one is reported and set aside.
    void OfferRestore();

private:
    MessageBoxes& m_messageBoxes;
    Hooks m_hooks;
    QString m_folder;
    QTimer* m_timer = nullptr;  // single shot, restarted by every edit
    // A restored journal kept because this session's copy could not be written.
    QString m_restoredJournal;
};

}  // namespace quaverly
