// The crash journal's decisions: what an update does, what becomes of a
// journal taken over from an ended session; and the document's journal
// content taken back whole.
#include <gtest/gtest.h>

#include "document/DocumentController.h"
#include "document/JournalRules.h"

namespace quaverly {
namespace {

TEST(JournalRules, UpdateWritesOnlyUnsavedWorkAndNothingWithoutAFolder)
{
    EXPECT_EQ(DecideJournalUpdate(false, true), JournalUpdate::Nothing);
    EXPECT_EQ(DecideJournalUpdate(false, false), JournalUpdate::Nothing);
    EXPECT_EQ(DecideJournalUpdate(true, false), JournalUpdate::Remove);
    EXPECT_EQ(DecideJournalUpdate(true, true), JournalUpdate::Write);
}

// A restore whose own journal could not be written must not lose the taken one.
TEST(JournalRules, TakenJournalIsKeptOnlyWhenItsWorkHasNoOtherJournal)
{
    EXPECT_EQ(AfterRestoreOffer(false, false), TakenJournal::Remove);
    EXPECT_EQ(AfterRestoreOffer(false, true), TakenJournal::Remove);
    EXPECT_EQ(AfterRestoreOffer(true, true), TakenJournal::Remove);
    EXPECT_EQ(AfterRestoreOffer(true, false), TakenJournal::KeepUntilSaved);
}

TEST(DocumentJournalContent, RestoredDocumentIsTheJournaledOneAndAsksAgain)
{
    MelodyStore store;
    DocumentController document(store);
    EditorTexts texts;
    texts.tempo = "125";
    texts.tones = {"1", "1", "1", "1"};
    texts.volumes = {"63", "63", "63", "63"};
    texts.scores = {"\x83h\x83\x8C", "", "", ""};  // 「ドレ」
    ASSERT_FALSE(document.Analyse(texts, false).refusal);
    document.FileInfo().version = "0100";
    document.Bind("/m/song.mld");
    const JournalContent content = document.Journal(texts);
    EXPECT_EQ(content.texts.scores, texts.scores);
    EXPECT_EQ(content.boundFile, "/m/song.mld");
    EXPECT_EQ(content.melodyImage, store.MelodyImage());

    MelodyStore otherStore;
    DocumentController restored(otherStore);
    const std::vector<SequenceRow> rows = restored.Restore(content);
    EXPECT_FALSE(rows.empty());
    EXPECT_EQ(otherStore.MelodyImage(), store.MelodyImage());
    EXPECT_EQ(restored.FileInfo().version, "0100");
    EXPECT_EQ(restored.CurrentFileName(), "/m/song.mld");
    EXPECT_EQ(restored.State(), EditState::ScoreEdited);
    // A journal whose image is no melody restores the pages without rows.
    JournalContent broken = content;
    broken.melodyImage = "no melody";
    EXPECT_TRUE(restored.Restore(broken).empty());
}

}  // namespace
}  // namespace quaverly
