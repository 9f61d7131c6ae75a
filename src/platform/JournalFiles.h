// Where crash journals live and whose they are. Each running window keeps its
// journal as "<process id>.journal" in the journal folder: the process id in
// the name is the journal's lock. A journal whose process still runs belongs
// to another open window and is never offered; one whose process has ended
// was left by a crash or a kill.
#pragma once

#include <QString>
#include <QStringList>

namespace quaverly {

// The per-user data folder's "journal" folder (XDG_DATA_HOME on Linux).
QString DefaultJournalFolder();

// This process's journal in the folder.
QString OwnJournalPath(const QString& folder);

// Where this process keeps a journal of an ended session that it has taken
// over, from the moment it takes it until the user has answered whether to
// restore it: "<process id>.taken.journal". Like the own journal, it belongs
// to this process while it runs and is offered again once it has ended, so a
// crash before the answer, or during the restore, loses nothing.
QString TakenJournalPath(const QString& folder);

// Journals in the folder whose process no longer runs, the newest first. A
// journal older than the system's start counts as ended whatever process has
// its id now. The process id is the name up to its first dot.
QStringList OrphanedJournals(const QString& folder);

// Whether a process with that id runs now.
bool JournalOwnerRunning(qint64 processId);

// Renames a journal that cannot be read so that it is neither offered again
// nor lost; returns the new path (the old one when the rename failed).
QString SetJournalAside(const QString& path);

}  // namespace quaverly
