// A melody of another maker shown as it is, as the document holds it: no
// work of the person's, never written by Save, folded into four voices with
// the channels chosen, and gone with the next new document.
#include <gtest/gtest.h>

#include "../core/MfiWriter.h"
#include "UnitMfi/MfiMidi.h"
#include "base/Messages.h"
#include "document/DocumentController.h"

namespace quaverly {
namespace {

MfiMelody EveryFeatureMelody()
{
    return ReadMfiMelody(mfitest::EveryFeatureFile(), "ring.mld");
}

TEST(ForeignMelody, ShownMelodyHoldsNoWorkAndSaveFoldsItInsteadOfWriting)
{
    MelodyStore store;
    DocumentController document(store);
    document.Bind("/m/own.mld");
    document.PageEdited();
    document.ShowForeign(EveryFeatureMelody(), "/m/ring.mld");
    ASSERT_NE(document.Foreign(), nullptr);
    EXPECT_EQ(document.ForeignPath(), "/m/ring.mld");
    EXPECT_EQ(document.TitleFileName(), "/m/ring.mld");
    EXPECT_EQ(document.CurrentFileName(), "");  // the other maker's file is never bound
    EXPECT_EQ(document.State(), EditState::Current);
    EXPECT_FALSE(document.HoldsUnsavedWork());
    EXPECT_EQ(document.RouteSave(), SaveRoute::FoldForeign);
    // Whatever state the controls' notices leave, nothing of it is the person's work.
    document.SettingEdited();
    EXPECT_FALSE(document.HoldsUnsavedWork());

    document.Reset();
    EXPECT_EQ(document.Foreign(), nullptr);
    EXPECT_EQ(document.ForeignPath(), "");
    EXPECT_EQ(document.RouteSave(), SaveRoute::AskName);
    EXPECT_FALSE(document.LeaveForeign());
    document.ShowForeign(EveryFeatureMelody(), "");
    EXPECT_TRUE(document.LeaveForeign());
    EXPECT_EQ(document.Foreign(), nullptr);
}

TEST(ForeignMelody, FoldIsTitledAndReportedAsAFoldForEditing)
{
    MelodyStore store;
    DocumentController document(store);
    document.ShowForeign(EveryFeatureMelody(), "/m/ring.mld");
    EXPECT_EQ(document.ForeignSurvey().dialogTitle, Msg::MfiFoldTitle);
    const ForeignFold fold = document.FoldForeign({1});
    EXPECT_TRUE(fold.candidate.IsMelodyImage());
    EXPECT_TRUE(fold.report.starts_with(Msg::MfiOpenedForEditing));
    EXPECT_NE(fold.report.find(Msg::MfiFoldReportHead), std::string::npos);
    EXPECT_EQ(fold.report.find(Msg::MidiReportHead), std::string::npos);
    // The document itself is not touched by a fold until it is adopted.
    EXPECT_NE(document.Foreign(), nullptr);
    EXPECT_FALSE(store.IsMelodyImage());
}

TEST(ForeignMelody, MidiBytesAreTheMelodysOwnAndUnrolledOnlyForARepeatedLoop)
{
    MelodyStore store;
    DocumentController document(store);
    const MfiMelody melody = EveryFeatureMelody();
    document.ShowForeign(melody, "");
    EXPECT_EQ(document.ForeignMidiBytes(false), MfiMidiFileBytes(melody));
    const std::string repeated =
        MfiHasLoop(melody) ? MfiMidiFileBytes(melody, {MfiMidiShape::Kind::Unrolled, 1}) : MfiMidiFileBytes(melody);
    EXPECT_EQ(document.ForeignMidiBytes(true), repeated);
}

}  // namespace
}  // namespace quaverly
