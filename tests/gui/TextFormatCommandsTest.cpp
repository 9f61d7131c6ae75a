// RTTTL and MML in the window: the two exports of the File menu, and the
// import from 他形式読み込み and a drop through the MIDI read dialog, bound
// to no file, with what could not be read listed in the report.
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QtTest>

#include "WindowAccess.h"
#include "WindowFixture.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

std::string FileText(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll().toStdString();
}

QString Memo(const TFormMain& window, int voice)
{
    return window.Pages().Memo(voice)->toPlainText();
}

}  // namespace

class TextFormatCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void RtttlExportWritesTheShownPageAndReportsWhatChanged()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.findChild<QLineEdit*>("EditTitle")->setText(QStringLiteral("Ｔｕｎｅ: 1"));
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ドドド"));
        window.Pages().Memo(2)->setPlainText(QStringLiteral("レ８ミ８３ファ４"));
        window.mnMakeMldClick();
        fixture.boxes.records.clear();
        window.findChild<QTabWidget*>("PageControl1")->setCurrentWidget(window.Pages().Page(2));
        const QString target = fixture.PathOf(QStringLiteral("out.rtttl"));
        fixture.fileDialogs.saveAnswers = {target};
        window.findChild<QAction*>("mnExportRtttl")->trigger();

        QCOMPARE(fixture.fileDialogs.saveCalls.size(), 1);
        QVERIFY(fixture.fileDialogs.saveCalls[0].filter.contains(QStringLiteral("*.rtttl")));
        // The eighth triplet becomes a sixteenth dotted: its two ticks lost move the next onset.
        QCOMPARE(QString::fromStdString(FileText(target)), QStringLiteral("Tune 1:d=4,o=5,b=125:8d,16e.,f\r\n"));
        const QStringList reports = fixture.boxes.Texts(Kind::Information);
        QCOMPARE(reports.size(), 1);
        QVERIFY(reports[0].contains(QStringLiteral("第2音")));
        QVERIFY(reports[0].contains(QStringLiteral("近い長さにした音符：1個")));
        QVERIFY(reports[0].contains(QStringLiteral("ずれた音符：1個")));
    }

    void MmlExportWritesTheFourVoices()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレ"));
        window.Pages().Memo(3)->setPlainText(QStringLiteral("●４ミ▼"));
        window.mnMakeMldClick();
        fixture.boxes.records.clear();
        const QString target = fixture.PathOf(QStringLiteral("out.mml"));
        fixture.fileDialogs.saveAnswers = {target};
        window.findChild<QAction*>("mnExportMml")->trigger();
        const std::string text = FileText(target);
        QVERIFY2(text.starts_with("t125 @0 v127 l4 o5q8cd;\r\n@0 v127 l4 ;\r\n@0 v127 l4 ro4q8e;\r\n"), text.c_str());
        QCOMPARE(fixture.boxes.Count(Kind::Information), 1);
    }

    void RtttlImportListsWhatItCouldNotReadAndBindsNoFile()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        fixture.fileDialogs.openAnswers = {fixture.WriteFile("tune.rtttl", "Tune:d=8,o=5,b=140:c,x,\r\n4e")};
        fixture.dialogs.midiChannelsAnswer = std::vector<int>{1};
        window.mnImportClick();

        // The last note sounds whole: its length keeps the room of a normal gate after it.
        QCOMPARE(Memo(window, 1), QStringLiteral("ド８[24]ミ(50)"));
        QCOMPARE(window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("Tune"));
        QCOMPARE(QString::fromStdString(window.Document().CurrentFileName()), QString());
        const QStringList reports = fixture.boxes.Texts(Kind::Information);
        QCOMPARE(reports.size(), 1);
        QVERIFY2(reports[0].startsWith(QStringLiteral("tune.rtttl:1:22: 「x」は読めないので飛ばしました")), qPrintable(reports[0]));
        QVERIFY(reports[0].contains(QStringLiteral("RTTTL・MML読み込み結果")));
    }

    void DroppedTextFileHoldingMmlIsImported()
    {
        WindowFixture fixture;
        fixture.window.FileDrop1FileDrop({fixture.WriteFile("song.txt", "t100 o5 q8 c d; o4 q8 e")});
        QCOMPARE(Memo(fixture.window, 1), QStringLiteral("ド４[48]レ(50)"));
        // The melody ends after the first voice: the second voice's note is spelled to that end.
        QCOMPARE(Memo(fixture.window, 2), QStringLiteral("ミ▼２＊●(2)"));
        QCOMPARE(QString::fromStdString(fixture.window.Document().CurrentFileName()), QString());
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 0);
    }

    void ATextFileThatIsNeitherIsRefusedAndChangesNothing()
    {
        WindowFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミ"));
        fixture.window.FileDrop1FileDrop({fixture.WriteFile("letter.txt", "Dear friend: how are you: fine")});
        QCOMPARE(Memo(fixture.window, 1), QStringLiteral("ドレミ"));
        QCOMPARE(fixture.boxes.Count(Kind::Error), 1);
        QVERIFY(fixture.boxes.records.first().text.contains(QStringLiteral("letter.txt")));
    }
};

QTEST_MAIN(TextFormatCommandsTest)
#include "TextFormatCommandsTest.moc"
