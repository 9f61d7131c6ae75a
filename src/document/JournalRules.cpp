#include "JournalRules.h"

namespace quaverly {

JournalUpdate DecideJournalUpdate(bool hasFolder, bool holdsUnsavedWork)
{
    if (!hasFolder) {
        return JournalUpdate::Nothing;
    }
    return holdsUnsavedWork ? JournalUpdate::Write : JournalUpdate::Remove;
}

TakenJournal AfterRestoreOffer(bool restored, bool ownJournalWritten)
{
    return restored && !ownJournalWritten ? TakenJournal::KeepUntilSaved : TakenJournal::Remove;
}

}  // namespace quaverly
