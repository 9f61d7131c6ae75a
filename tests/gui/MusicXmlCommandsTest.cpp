// 「MusicXML書き出し」 and the import of a MusicXML score through 他形式読み込み
// and a drop: the score written from the pages, the parts chosen in the MIDI
// read dialog, the report, and a file it cannot read leaving the document.
#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

#include "UnitXml/XmlMessages.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

// Two parts: the flute plays C D E, the piano C2 a half note.
const std::string TwoParts = R"(<?xml version="1.0" encoding="UTF-8"?>
<score-partwise version="3.1"><work><work-title>二重奏</work-title></work>
<part-list><score-part id="P1"><part-name>Flute</part-name></score-part>
<score-part id="P2"><part-name>Piano</part-name></score-part></part-list>
<part id="P1"><measure number="1"><attributes><divisions>2</divisions></attributes>
<note><pitch><step>C</step><octave>5</octave></pitch><duration>2</duration></note>
<note><grace/><pitch><step>B</step><octave>4</octave></pitch><type>eighth</type></note>
<note><pitch><step>D</step><octave>5</octave></pitch><duration>2</duration></note>
<note><pitch><step>E</step><octave>5</octave></pitch><duration>4</duration></note></measure></part>
<part id="P2"><measure number="1"><attributes><divisions>1</divisions></attributes>
<note><pitch><step>C</step><octave>3</octave></pitch><duration>2</duration></note></measure></part>
</score-partwise>)";

QString Memo(const TFormMain& window, int voice) { return window.Pages().Memo(voice)->toPlainText(); }

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class MusicXmlCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void ExportWritesTheScoreOfThePagesAfterTheAnalysisQuestion_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("compressed");
        QTest::newRow("plain") << "song.musicxml" << false;
        QTest::newRow("compressed") << "song.mxl" << true;
    }

    void ExportWritesTheScoreOfThePagesAfterTheAnalysisQuestion()
    {
        QFETCH(QString, name);
        QFETCH(bool, compressed);
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        QVERIFY(window.findChild<QAction*>("mnExportMusicXml") != nullptr);
        window.findChild<QLineEdit*>("EditTitle")->setText(QStringLiteral("歌"));
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ド４ミ８．＊ソ（100）"));
        window.Pages().Memo(3)->setPlainText(QStringLiteral("ラ▼２"));
        fixture.boxes.answers = {true};  // 音譜解析を行っていません。いいですか？
        const QString path = fixture.PathOf(name);
        fixture.fileDialogs.saveAnswers = {path};
        window.mnExportMusicXmlClick();

        QCOMPARE(fixture.boxes.Count(Kind::Question), 1);
        QVERIFY(fixture.fileDialogs.saveCalls.first().filter.contains("*.musicxml"));
        QCOMPARE(fixture.fileDialogs.saveCalls.first().initialFile, QStringLiteral("歌.musicxml"));
        const QByteArray file = ReadAll(path);
        QCOMPARE(file.startsWith("PK"), compressed);
        if (!compressed) {
            QVERIFY(file.contains("<work-title>歌</work-title>"));
            QVERIFY(file.contains("<part id=\"P1\">"));
            QVERIFY(file.contains("<part id=\"P3\">"));
            QVERIFY(!file.contains("<part id=\"P2\">"));
            QVERIFY(file.contains("<staccato/>"));
        }
        QCOMPARE(fixture.boxes.Count(Kind::Error), 0);
    }

    void MenuImportChoosesThePartsAndReportsWhatWasDropped()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        fixture.fileDialogs.openAnswers = {fixture.WriteFile("duo.musicxml", TwoParts)};
        fixture.dialogs.midiChannelsAnswer = std::vector<int>{1, 2};
        window.mnImportClick();

        QVERIFY(fixture.fileDialogs.openCalls.first().filter.contains("*.mxl"));
        QCOMPARE(fixture.dialogs.shownMidiSurveys.size(), size_t{1});
        QCOMPARE(fixture.dialogs.shownMidiSurveys[0].channels.size(), size_t{2});
        QCOMPARE(Memo(window, 1), QStringLiteral("ド４レ４ミ２"));
        QCOMPARE(Memo(window, 2), QStringLiteral("ド▼▼２●２"));
        QCOMPARE(window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("二重奏"));
        QCOMPARE(window.Document().State(), EditState::Current);
        QCOMPARE(QString::fromStdString(window.Document().CurrentFileName()), QString());
        const QStringList reports = fixture.boxes.Texts(Kind::Information);
        QCOMPARE(reports.size(), 1);
        // Headed as what it reports, not as a MIDI file read.
        QVERIFY(reports[0].startsWith(QStringLiteral("MusicXML読み込み結果")));
        QVERIFY(reports[0].contains(QStringLiteral("チャンネル 1＝パート「Flute」")));
        QVERIFY(reports[0].contains(QStringLiteral("捨てた装飾音：1")));
    }

    void ADroppedScoreThatCannotBeReadLeavesTheDocument()
    {
        WindowFixture fixture;
        TFormMain& window = fixture.window;
        window.Pages().Memo(1)->setPlainText(QStringLiteral("ドレミ"));
        std::string broken = TwoParts;
        broken.replace(broken.find("<duration>4</duration>"), 22, "<duration>four</duration>");
        window.FileDrop1FileDrop({fixture.WriteFile("bad.mxl", broken)});

        QCOMPARE(Memo(window, 1), QStringLiteral("ドレミ"));
        QCOMPARE(fixture.dialogs.shownMidiSurveys.size(), size_t{0});
        const QStringList errors = fixture.boxes.Texts(Kind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY(errors[0].startsWith(FromSjis(XmlMsg::XmlUnreadable)));
        QVERIFY(errors[0].contains(QStringLiteral("パート「P1」の 1 小節目の <duration>")));
    }
};

QTEST_MAIN(MusicXmlCommandsTest)
#include "MusicXmlCommandsTest.moc"
