// The file information and FFF0 data dialogs: loading from the store, the
// split of the FFF0 hex text over five lines and the concatenation back,
// enabling the lines, Cancel leaving the store alone, and the tab order.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "DialogTestSupport.h"
#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "UnitF0Data/TF0DataDlg.h"
#include "UnitInfo/TFileInfoDlg.h"
#include "app/AppDialogs.h"

using namespace quaverly;
using quaverly::test::Sjis;
using quaverly::test::WhenModal;

namespace {

// The 41 bytes 00, 01, ... 28 as hexadecimal text.
QString CountingHex()
{
    QString hex;
    for (int byte = 0; byte <= 0x28; ++byte) {
        hex += QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return hex;
}

QLineEdit* Line(QWidget* dialog, int number)
{
    return dialog->findChild<QLineEdit*>(QStringLiteral("EditData%1").arg(number));
}

// The names of the widgets that Tab visits from the first one, one round.
QStringList TabRound(QWidget* dialog, QWidget* first)
{
    dialog->show();
    dialog->activateWindow();
    if (!QTest::qWaitForWindowActive(dialog)) {
        return {};
    }
    first->setFocus();
    QStringList visited;
    for (int step = 0; step < 8 && dialog->focusWidget() != nullptr; ++step) {
        visited.append(dialog->focusWidget()->objectName());
        QTest::keyClick(dialog->focusWidget(), Qt::Key_Tab);
    }
    return visited;
}

}  // namespace

class FileInfoDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void splitsHexOverFiveLines_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("empty") << QString() << QStringList{"", "", "", "", ""};
        QTest::newRow("41 counting bytes") << CountingHex()
                                           << QStringList{"00", "0102030405060708090a", "0b0c0d0e0f1011121314",
                                                          "15161718191a1b1c1d1e", "1f202122232425262728"};
        QTest::newRow("short") << "ABC" << QStringList{"AB", "C", "", "", ""};
        QTest::newRow("ends inside the third line")
            << "00" + QString(25, 'f') << QStringList{"00", QString(20, 'f'), "fffff", "", ""};
        QTest::newRow("beyond the 82nd character is not shown")
            << CountingHex() + "ffff"
            << QStringList{"00", "0102030405060708090a", "0b0c0d0e0f1011121314", "15161718191a1b1c1d1e",
                           "1f202122232425262728"};
    }

    void splitsHexOverFiveLines()
    {
        QFETCH(QString, hex);
        QFETCH(QStringList, lines);
        TF0DataDlg dialog;
        dialog.LoadFrom(true, hex.toStdString());
        for (int number = 1; number <= 5; ++number) {
            QCOMPARE(Line(&dialog, number)->text(), lines.at(number - 1));
        }
    }

    void concatenatesLinesAsTyped_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("hex");
        QTest::newRow("only the first line") << QStringList{"ABC", "", "", "", ""} << "ABC";
        QTest::newRow("blanks and case kept") << QStringList{" a", "B c", "", "", "ff "} << " aB cff ";
        QTest::newRow("all empty") << QStringList{"", "", "", "", ""} << "";
    }

    void concatenatesLinesAsTyped()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, hex);
        TF0DataDlg dialog;
        dialog.LoadFrom(true, "");
        for (int number = 1; number <= 5; ++number) {
            Line(&dialog, number)->setText(lines.at(number - 1));
        }
        bool dataSet = false;
        std::string dataHex = "old";
        dialog.StoreInto(dataSet, dataHex);
        QVERIFY(dataSet);
        QCOMPARE(QString::fromStdString(dataHex), hex);
    }

    void checkBoxEnablesLinesWhichKeepTheirText()
    {
        TF0DataDlg dialog;
        dialog.LoadFrom(false, "");
        for (int number = 1; number <= 5; ++number) {
            QVERIFY(!Line(&dialog, number)->isEnabled());
            QCOMPARE(Line(&dialog, number)->text(), QString());
        }
        auto* box = dialog.findChild<QCheckBox*>("CheckBoxSet");
        box->click();
        for (int number = 1; number <= 5; ++number) {
            QVERIFY(Line(&dialog, number)->isEnabled());
        }
        Line(&dialog, 1)->setText("7f");
        box->click();
        QVERIFY(!Line(&dialog, 5)->isEnabled());

        bool dataSet = true;
        std::string dataHex;
        dialog.StoreInto(dataSet, dataHex);
        QVERIFY(!dataSet);
        QCOMPARE(dataHex, std::string("7f"));
    }

    void cancelLeavesFFF0DataUnchanged()
    {
        ScriptedMessageBoxes boxes;
        MemorySettingsStore settings;
        AppDialogs dialogs(boxes, settings);
        bool dataSet = true;
        std::string dataHex = CountingHex().toStdString();
        WhenModal([](QWidget* dialog) {
            dialog->findChild<QCheckBox*>("CheckBoxSet")->click();
            Line(dialog, 2)->setText("changed");
            dialog->findChild<QPushButton*>("CancelBtn")->click();
        });
        QVERIFY(!dialogs.RunF0Data(dataSet, dataHex));
        QVERIFY(dataSet);
        QCOMPARE(dataHex, CountingHex().toStdString());

        // The next showing starts from the store again, not from the cancelled edit.
        WhenModal([](QWidget* dialog) {
            QCOMPARE(Line(dialog, 2)->text(), "0102030405060708090a");
            dialog->findChild<QPushButton*>("OKBtn")->click();
        });
        QVERIFY(dialogs.RunF0Data(dataSet, dataHex));
        QCOMPARE(dataHex, CountingHex().toStdString());
    }

    void fileInfoOkStoresAndCancelLeavesInfo()
    {
        ScriptedMessageBoxes boxes;
        MemorySettingsStore settings;
        AppDialogs dialogs(boxes, settings);
        MelodyFileInfo info;
        info.copyright = Sjis(u"著作者"_qs);
        info.date = "20010203";

        WhenModal([](QWidget* dialog) {
            QCOMPARE(dialog->findChild<QLineEdit*>("EditVL")->text(), "0100");
            QCOMPARE(dialog->findChild<QLineEdit*>("EditCopy")->text(), u"著作者"_qs);
            dialog->findChild<QLineEdit*>("EditDate")->setText("x");
            dialog->findChild<QPushButton*>("CancelBtn")->click();
        });
        QVERIFY(!dialogs.RunFileInfo(info));
        QCOMPARE(info.date, std::string("20010203"));

        WhenModal([](QWidget* dialog) {
            QCOMPARE(dialog->findChild<QLineEdit*>("EditDate")->text(), "20010203");
            dialog->findChild<QLineEdit*>("EditCopy")->setText(u" (C) ふるさと "_qs);
            dialog->findChild<QLineEdit*>("EditDate")->setText("20260131");
            dialog->findChild<QCheckBox*>("CheckBoxSorc")->click();
            dialog->findChild<QPushButton*>("OKBtn")->click();
        });
        QVERIFY(dialogs.RunFileInfo(info));
        QCOMPARE(info.copyright, Sjis(u" (C) ふるさと "_qs));
        QCOMPARE(info.date, std::string("20260131"));
        QVERIFY(info.sorc);
        QCOMPARE(info.version, std::string("0100"));
    }

    // 「zz」 used to be saved as byte 00, an odd count of digits taken and a
    // date 「2026AB99」 written as typed: each is said before OK.
    void fff0LinesSayWhatIsWrong_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QString>("problem");
        QTest::newRow("whole") << QStringList{"00", "0102030405060708090a", "", "", ""} << "";
        QTest::newRow("all empty") << QStringList{"", "", "", "", ""} << "";
        QTest::newRow("first byte only") << QStringList{"7F", "", "", "", ""} << "";
        QTest::newRow("not hex") << QStringList{"zz", "", "", "", ""} << u"1行目の「z」"_qs;
        QTest::newRow("odd") << QStringList{"ABC", "", "", "", ""} << u"1行目"_qs;
        QTest::newRow("odd later") << QStringList{"00", "012", "", "", ""} << u"2行目の数字が奇数個"_qs;
        QTest::newRow("too long") << QStringList{"00", QString(22, '0'), "", "", ""} << u"2行目は20桁まで"_qs;
        QTest::newRow("short before more") << QStringList{"00", "01", "02", "", ""} << u"2行目が20桁に足りません"_qs;
        QTest::newRow("full-width") << QStringList{u"０１"_qs, "", "", "", ""} << u"半角"_qs;
    }
    void fff0LinesSayWhatIsWrong()
    {
        QFETCH(QStringList, lines);
        QFETCH(QString, problem);
        const QString said = FFF0DataProblem({lines[0], lines[1], lines[2], lines[3], lines[4]});
        if (problem.isEmpty()) {
            QVERIFY2(said.isEmpty(), qPrintable(said));
        } else {
            QVERIFY2(said.contains(problem), qPrintable(said));
        }
        TF0DataDlg dialog;
        dialog.LoadFrom(true, "");
        for (int number = 1; number <= 5; ++number) {
            Line(&dialog, number)->setText(lines.at(number - 1));
        }
        QCOMPARE(dialog.findChild<QPushButton*>("OKBtn")->isEnabled(), problem.isEmpty());
        QCOMPARE(dialog.findChild<QLabel*>("LabelProblem")->text().isEmpty(), problem.isEmpty());
        // Unticked, nothing is written: nothing to refuse.
        dialog.findChild<QCheckBox*>("CheckBoxSet")->setChecked(false);
        QVERIFY(dialog.findChild<QPushButton*>("OKBtn")->isEnabled());
    }

    void fileInfoSaysWhatIsWrong_data()
    {
        QTest::addColumn<QString>("copyright");
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("valid") << u"(C) ふるさと"_qs << "20260131" << true;
        QTest::newRow("empty") << "" << "" << true;
        QTest::newRow("letters in the date") << "" << "2026AB99" << false;
        QTest::newRow("no such day") << "" << "20260230" << false;
        QTest::newRow("short date") << "" << "2026" << false;
        QTest::newRow("not in Shift-JIS") << u"© 2010"_qs << "" << false;
    }
    void fileInfoSaysWhatIsWrong()
    {
        QFETCH(QString, copyright);
        QFETCH(QString, date);
        QFETCH(bool, accepted);
        QCOMPARE(FileInfoProblem(copyright, date).isEmpty(), accepted);
        TFileInfoDlg dialog;
        dialog.LoadFrom(MelodyFileInfo{});
        dialog.findChild<QLineEdit*>("EditCopy")->setText(copyright);
        dialog.findChild<QLineEdit*>("EditDate")->setText(date);
        QCOMPARE(dialog.findChild<QPushButton*>("OKBtn")->isEnabled(), accepted);
        QCOMPARE(dialog.findChild<QLabel*>("LabelProblem")->text().isEmpty(), accepted);
    }

    void untouchedFieldKeepsBytesThatDoNotConvert()
    {
        TFileInfoDlg dialog;
        MelodyFileInfo info;
        info.copyright = std::string("A\x81", 2);  // a lead byte without its trail byte
        dialog.LoadFrom(info);
        dialog.StoreInto(info);
        QCOMPARE(info.copyright, std::string("A\x81", 2));
    }

    void versionLineIsReadOnlyAndSkippedByTab()
    {
        TFileInfoDlg dialog;
        dialog.LoadFrom(MelodyFileInfo{});
        auto* version = dialog.findChild<QLineEdit*>("EditVL");
        QVERIFY(version->isReadOnly());
        QCOMPARE(TabRound(&dialog, dialog.findChild<QWidget*>("EditCopy")),
                 (QStringList{"EditCopy", "CheckBoxSorc", "EditDate", "OKBtn", "CancelBtn", "EditCopy", "CheckBoxSorc",
                              "EditDate"}));
    }

    void fff0TabOrderFollowsTheDesign()
    {
        TF0DataDlg dialog;
        dialog.LoadFrom(true, "");
        QCOMPARE(TabRound(&dialog, dialog.findChild<QWidget*>("CheckBoxSet")),
                 (QStringList{"CheckBoxSet", "EditData1", "OKBtn", "CancelBtn", "EditData2", "EditData3", "EditData4",
                              "EditData5"}));
    }
};

QTEST_MAIN(FileInfoDialogsTest)
#include "FileInfoDialogsTest.moc"
