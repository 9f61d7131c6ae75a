// The crash journal's decisions, apart from the files and the timer that
// carry them out: what an update does with this session's journal, and what
// becomes of a journal taken over from an ended session once its restore
// has been offered.
#pragma once

namespace quaverly {

// What an update of the journal does: without a folder nothing; a document
// that holds no unsaved work leaves no journal; any other is written whole.
enum class JournalUpdate { Nothing, Remove, Write };
JournalUpdate DecideJournalUpdate(bool hasFolder, bool holdsUnsavedWork);

// The journal taken over from an ended session, once its question is
// answered: declined, it goes; restored, it goes only once this session's
// own journal holds the work, and is kept until that work is saved or given
// up otherwise (a crash before then must not lose it).
enum class TakenJournal { Remove, KeepUntilSaved };
TakenJournal AfterRestoreOffer(bool restored, bool ownJournalWritten);

}  // namespace quaverly
