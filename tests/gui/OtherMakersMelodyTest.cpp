// Opening a melody file of another maker (MFi) in the window: by drop and by
// Open it is folded into four voices through the MIDI read dialog's channel
// choice, bound to no file (Save asks for a name and never writes over the
// other maker's file), and a Cancel leaves the document as it was.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "../core/MfiWriter.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/FileIO.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

class OtherMakersMelodyTest : public QObject {
    Q_OBJECT

private slots:
    void DropFoldsItIntoVoicesBoundToNoFile()
    {
        WindowFixture fixture;
        const QString path = fixture.WriteFile("ring.mld", mfitest::EveryFeatureFile());
        fixture.dialogs.midiChannelsAnswer = std::vector<int>{1, 5};
        fixture.window.FileDrop1FileDrop({path});

        QCOMPARE(fixture.dialogs.shownMidiSurveys.size(), size_t{1});
        QCOMPARE(WindowAccess::VoiceMemo(fixture.window, 1)->toPlainText().isEmpty(), false);
        QCOMPARE(WindowAccess::VoiceMemo(fixture.window, 2)->toPlainText().isEmpty(), false);
        QCOMPARE(fixture.window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Every"));
        QCOMPARE(WindowAccess::CurrentFileName(fixture.window), QString());
        QCOMPARE(WindowAccess::State(fixture.window), EditState::Current);
        const QStringList reports = fixture.boxes.Texts(Kind::Information);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].startsWith(QStringLiteral("ほかのメーカーのメロディなので")));
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 0);
    }

    void SaveAfterOpenAsksForANameAndLeavesTheFileAlone()
    {
        WindowFixture fixture;
        const std::string bytes = mfitest::EveryFeatureFile();
        const QString path = fixture.WriteFile("ring.mld", bytes);
        fixture.dialogs.mldSelectAnswer = path;
        fixture.window.mnOpen1Click();
        QCOMPARE(WindowAccess::CurrentFileName(fixture.window), QString());

        fixture.window.mnSave1Click();  // the save dialog is cancelled
        QCOMPARE(fixture.fileDialogs.saveCalls.size(), 1);
        QCOMPARE(ReadWholeFile(fixture.PathOf("ring.mld").toStdString()), bytes);
    }

    void CancelledChoiceLeavesTheDocument()
    {
        WindowFixture fixture;
        WindowAccess::VoiceMemo(fixture.window, 1)->setPlainText(QStringLiteral("ドレミ"));
        fixture.store.MelodyImage() = "previous image";
        WindowAccess::SetEditState(fixture.window, EditState::ScoreEdited);
        fixture.dialogs.midiChannelsCancel = true;
        fixture.window.FileDrop1FileDrop({fixture.WriteFile("ring.mld", mfitest::EveryFeatureFile())});
        QCOMPARE(WindowAccess::VoiceMemo(fixture.window, 1)->toPlainText(), QStringLiteral("ドレミ"));
        QCOMPARE(fixture.store.MelodyImage(), std::string("previous image"));
        QCOMPARE(WindowAccess::State(fixture.window), EditState::ScoreEdited);
        QCOMPARE(fixture.boxes.Count(Kind::Information), 0);
    }
};

QTEST_MAIN(OtherMakersMelodyTest)
#include "OtherMakersMelodyTest.moc"
