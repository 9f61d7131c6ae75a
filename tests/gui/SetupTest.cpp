// The settings dialog and the settings store: the first-run default, OK,
// Cancel and Escape, closing by the frame, a save that fails, and the tempo
// adjustment surviving a restart through an ini file of the test's own.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "UnitSetup/TSetupDlg.h"
#include "platform/QSettingsStore.h"

using namespace quaverly;

namespace {

QLineEdit* Tempo(TSetupDlg& dialog)
{
    return dialog.findChild<QLineEdit*>("EditTempo");
}
QPushButton* Button(TSetupDlg& dialog, const char* name)
{
    return dialog.findChild<QPushButton*>(name);
}

}  // namespace

class SetupTest : public QObject {
    Q_OBJECT

    ScriptedMessageBoxes boxes;

private slots:
    void init() { boxes.Clear(); }

    void firstRunShowsDefault()
    {
        MemorySettingsStore store;
        TSetupDlg dialog(store, boxes);
        QCOMPARE(Tempo(dialog)->text(), "95");
        QCOMPARE(dialog.EditTempoText(), "95");
        QVERIFY(!store.Contains("Midi/EditTempo"));
    }

    // "abc", 0 and 999 were taken without a word: the dialog now says which
    // value the MIDI files get.
    void TempoFieldSaysWhatIsUsed_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("said");
        QTest::newRow("default") << "95" << "95 ％ で書き込みます";
        QTest::newRow("large values are used as typed") << "999" << "999 ％ で書き込みます";
        QTest::newRow("letters count as 100") << "abc" << "100 ％ として扱います";
        QTest::newRow("zero counts as 100") << "0" << "100 ％ として扱います";
        QTest::newRow("negative counts as 100") << "-5" << "100 ％ として扱います";
        QTest::newRow("empty counts as 100") << "" << "100 ％ として扱います";
    }
    void TempoFieldSaysWhatIsUsed()
    {
        QFETCH(QString, typed);
        QFETCH(QString, said);
        MemorySettingsStore store;
        TSetupDlg dialog(store, boxes);
        Tempo(dialog)->setText(typed);
        const QString note = dialog.findChild<QLabel*>("LabelTempoEffect")->text();
        QVERIFY2(note.contains(said), qPrintable(note));
    }

    // The dialog opened with the focus on its tab, so 「100」 and Enter kept
    // 95; its note broke lines inside a word (「速/さ」).
    void OpensReadyToTypeTheTempoAndShowsItsNoteWhole()
    {
        MemorySettingsStore store;
        TSetupDlg dialog(store, boxes);
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClicks(QApplication::focusWidget(), "100");
        QCOMPARE(Tempo(dialog)->text(), QStringLiteral("100"));
        auto* note = dialog.findChild<QLabel*>("LabelTempoEffect");
        QVERIFY(!note->wordWrap());
        QVERIFY(note->width() >= note->sizeHint().width());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(store.values.value("Midi/EditTempo").toString(), QStringLiteral("100"));
    }

    void okStoresTheFieldAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("number") << "100";
        QTest::newRow("letters are stored too") << "abc";
        QTest::newRow("empty") << "";
    }

    void okStoresTheFieldAsTyped()
    {
        QFETCH(QString, typed);
        MemorySettingsStore store;
        TSetupDlg dialog(store, boxes);
        dialog.open();
        Tempo(dialog)->setText(typed);
        Button(dialog, "OKBtn")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(store.Value("Midi/EditTempo").toString(), typed);
        QCOMPARE(dialog.EditTempoText(), typed);
    }

    void cancelAndEscapeReloadTheStoredValue()
    {
        MemorySettingsStore store;
        store.SetValue("Midi/EditTempo", "110");
        TSetupDlg dialog(store, boxes);
        QCOMPARE(Tempo(dialog)->text(), "110");

        dialog.open();
        Tempo(dialog)->setText("80");
        Button(dialog, "CancelBtn")->click();
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.EditTempoText(), "110");

        dialog.open();
        Tempo(dialog)->setText("70");
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.EditTempoText(), "110");
        QCOMPARE(store.Value("Midi/EditTempo").toString(), "110");
    }

    // A full disk: OK tells the user, the typed tempo stays live for this
    // run and the stored value is the old one.
    void okReportsSettingsLostOnFullDisk()
    {
        MemorySettingsStore store;
        store.SetValue("Midi/EditTempo", "110");
        store.failSaves = true;
        TSetupDlg dialog(store, boxes);
        dialog.open();
        Tempo(dialog)->setText("80");
        Button(dialog, "OKBtn")->click();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(boxes.Count(ScriptedMessageBoxes::Kind::Error), 1);
        QVERIFY(boxes.Texts(ScriptedMessageBoxes::Kind::Error).front().contains("Quaverly.conf"));
        QCOMPARE(dialog.EditTempoText(), "80");
        QCOMPARE(store.Value("Midi/EditTempo").toString(), "110");
    }

    void closingByFrameKeepsEditLiveButUnsaved()
    {
        MemorySettingsStore store;
        TSetupDlg dialog(store, boxes);
        dialog.open();
        Tempo(dialog)->setText("120");
        dialog.close();
        QCOMPARE(dialog.EditTempoText(), "120");
        QVERIFY(!store.Contains("Midi/EditTempo"));

        // Showing again does not reload either.
        dialog.open();
        QCOMPARE(dialog.EditTempoText(), "120");
    }

    void settingSurvivesRestart()
    {
        QTemporaryDir folder;
        const QString ini = folder.filePath("Quaverly.conf");
        {
            QSettingsStore store(ini);
            TSetupDlg dialog(store, boxes);
            QCOMPARE(dialog.EditTempoText(), "95");
            dialog.open();
            Tempo(dialog)->setText("100");
            Button(dialog, "OKBtn")->click();
        }
        // Written through at once, under the group "Midi".
        QSettings written(ini, QSettings::IniFormat);
        QCOMPARE(written.childGroups(), QStringList{"Midi"});
        QCOMPARE(written.value("Midi/EditTempo").toString(), "100");

        QSettingsStore restarted(ini);
        TSetupDlg dialog(restarted, boxes);
        QCOMPARE(dialog.EditTempoText(), "100");
        QCOMPARE(boxes.records.size(), 0);
    }
};

QTEST_MAIN(SetupTest)
#include "SetupTest.moc"
