// The crash journal: written a moment after an edit, removed by a save, New
// and a clean end; offered at the next start when its session has ended;
// refused whole and set aside when damaged; never taken from a window that
// still runs.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QtTest>

#include "UnitMld/CrashJournal.h"
#include "platform/JournalFiles.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

namespace {

// A window whose journal lives in its fixture's folder, written at once.
struct JournalFixture : WindowFixture {
    JournalFixture()
    {
        window.SetJournalFolder(PathOf("journal"));
        window.Journal().SetDelay(0);
    }
    QString Folder() const { return PathOf("journal"); }
};

// The id of a process that has ended.
qint64 EndedProcessId()
{
    QProcess process;
    process.start("true", {});
    process.waitForFinished();
    return process.processId() != 0 ? process.processId() : 999999;
}

JournalContent SampleContent()
{
    JournalContent content;
    content.texts.tempo = "145";
    content.texts.title = Sjis("かえる");
    content.texts.tones = {Sjis("25 - ギター"), Sjis("1 - ピアノ"), Sjis("1 - ピアノ"), Sjis("1 - ピアノ")};
    content.texts.volumes = {"50", "63", "63", "40"};
    content.texts.scores = {Sjis("ドレミ\r\nファ"), "", Sjis("ソ"), ""};
    content.info.copyright = Sjis("作者");
    content.info.date = "20261207";
    content.fff0DataSet = true;
    content.fff0DataHex = "0102";
    content.melodyImage = CompiledMelody("ドレミ", "かえる");
    content.boundFile = "/tmp/\xE3\x81\x8B.mld";
    return content;
}

QString WriteJournalFile(const QString& folder, qint64 processId, const std::string& bytes)
{
    QDir().mkpath(folder);
    const QString path = folder + "/" + QString::number(processId) + ".journal";
    WriteWholeFile(path.toStdString(), bytes);
    return path;
}

}  // namespace

class JournalTest : public QObject {
    Q_OBJECT

private slots:
    void EditIsJournaledAfterAPause()
    {
        JournalFixture fixture;
        fixture.window.Pages().Memo(3)->setPlainText("ラシド");
        fixture.window.findChild<QLineEdit*>("EditTitle")->setText("Title");
        QTRY_VERIFY(QFile::exists(fixture.window.Journal().FileName()));
        const JournalContent content =
            ParseJournal(ReadWholeFile(fixture.window.Journal().FileName().toStdString()));
        QCOMPARE(FromSjis(content.texts.scores[2]), QStringLiteral("ラシド"));
        QCOMPARE(FromSjis(content.texts.title), QStringLiteral("Title"));
        QCOMPARE(content.texts.tempo, std::string("125"));
    }

    void SaveNewAndCleanCloseRemoveTheJournal_data()
    {
        QTest::addColumn<QString>("ending");
        QTest::newRow("save") << "save";
        QTest::newRow("new") << "new";
        QTest::newRow("close") << "close";
    }
    void SaveNewAndCleanCloseRemoveTheJournal()
    {
        QFETCH(QString, ending);
        JournalFixture fixture;
        fixture.window.Pages().Memo(1)->setPlainText("ド");
        fixture.window.mnMakeMldClick();
        fixture.window.Pages().Memo(1)->setPlainText("ドレ");
        QTRY_VERIFY(QFile::exists(fixture.window.Journal().FileName()));
        if (ending == "save") {
            fixture.window.mnMakeMldClick();
            fixture.fileDialogs.saveAnswers = {fixture.PathOf("song.mld")};
            fixture.window.mnSave1Click();
            QVERIFY(!QFile::exists(fixture.window.Journal().FileName()));
        } else if (ending == "new") {
            fixture.window.mnNewClick();
            QTRY_VERIFY(!QFile::exists(fixture.window.Journal().FileName()));
        } else {
            QVERIFY(fixture.window.close());
            QVERIFY(!QFile::exists(fixture.window.Journal().FileName()));
        }
    }

    void RestoreYesBringsEverythingBackEdited()
    {
        JournalFixture fixture;
        const JournalContent content = SampleContent();
        const QString old = WriteJournalFile(fixture.Folder(), EndedProcessId(), WriteJournal(content));
        fixture.boxes.answers = {true};
        fixture.window.StartUp({});
        QCOMPARE(fixture.boxes.Texts(Kind::Question), QStringList{FromSjis(Msg::JournalRestoreQuestion)});
        TFormMain& window = fixture.window;
        QCOMPARE(window.findChild<QComboBox*>("ComboBoxTempo")->currentText(), QStringLiteral("145"));
        QCOMPARE(window.findChild<QLineEdit*>("EditTitle")->text(), QStringLiteral("かえる"));
        QCOMPARE(window.Pages().Tone(1)->currentText(), QStringLiteral("25 - ギター"));
        QCOMPARE(window.Pages().Volume(4)->text(), QStringLiteral("40"));
        QCOMPARE(window.Pages().Memo(1)->toPlainText(), QStringLiteral("ドレミ\nファ"));
        QCOMPARE(window.Pages().Memo(3)->toPlainText(), QStringLiteral("ソ"));
        QCOMPARE(WindowAccess::FileInfo(window).copyright, content.info.copyright);
        QVERIFY(fixture.store.fff0DataSet);
        QCOMPARE(fixture.store.fff0DataHex, std::string("0102"));
        QVERIFY(fixture.store.MelodyImage() == content.melodyImage);
        QCOMPARE(QString::fromStdString(window.Document().CurrentFileName()), QString::fromUtf8(content.boundFile));
        QVERIFY(window.findChild<QAction*>("mnSave1")->isEnabled());
        QCOMPARE(window.Document().State(), EditState::ScoreEdited);
        // This session holds the journal now, until the next save.
        QVERIFY(!QFile::exists(old));
        QVERIFY(QFile::exists(window.Journal().FileName()));
    }

    void RestoreNoRemovesTheJournal()
    {
        JournalFixture fixture;
        const QString old = WriteJournalFile(fixture.Folder(), EndedProcessId(), WriteJournal(SampleContent()));
        fixture.boxes.answers = {false};
        fixture.window.StartUp({});
        QCOMPARE(fixture.boxes.Count(Kind::Question), 1);
        QVERIFY(!QFile::exists(old));
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
        QVERIFY(fixture.window.Pages().Memo(1)->toPlainText().isEmpty());
    }

    // The taken journal was this session's own journal file: the journal's
    // timer, finding an empty document, removed it while the question was
    // still on screen, and a crash then lost the work. It now lasts, whole,
    // until the answer, under a name that a later start offers again should
    // this session end first.
    void JournalLastsUntilTheQuestionIsAnswered_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::newRow("answered Yes") << true;
        QTest::newRow("answered No") << false;
    }
    void JournalLastsUntilTheQuestionIsAnswered()
    {
        QFETCH(bool, restore);
        JournalFixture fixture;
        const std::string bytes = WriteJournal(SampleContent());
        WriteJournalFile(fixture.Folder(), EndedProcessId(), bytes);
        int checks = 0;
        fixture.boxes.whileAsking = [&](const QString&) {
            // Longer than the journal's delay, which is 0 here: its timer runs.
            QTest::qWait(200);
            const QStringList journals = QDir(fixture.Folder()).entryList({"*.journal"}, QDir::Files);
            QCOMPARE(journals.size(), 1);
            QCOMPARE(journals.first(), QFileInfo(TakenJournalPath(fixture.Folder())).fileName());
            QCOMPARE(ReadWholeFile((fixture.Folder() + "/" + journals.first()).toStdString()), bytes);
            ++checks;
        };
        fixture.boxes.answers = {restore};
        fixture.window.StartUp({});
        QCOMPARE(checks, 1);
        QCOMPARE(fixture.boxes.records.first().safe, SafeAnswer::Yes);
        const QStringList left = QDir(fixture.Folder()).entryList({"*.journal"}, QDir::Files);
        if (restore) {
            // Journaled under this session before the taken one was given up.
            QCOMPARE(left, QStringList{QFileInfo(fixture.window.Journal().FileName()).fileName()});
        } else {
            QVERIFY(left.isEmpty());
        }
    }

    // A session that ended (a crash) while its question was open, or during
    // the restore, left the journal under its taken name: offered again.
    void TakenJournalOfAnEndedSessionIsOfferedAgain()
    {
        JournalFixture fixture;
        QDir().mkpath(fixture.Folder());
        const QString taken = fixture.Folder() + "/" + QString::number(EndedProcessId()) + ".taken.journal";
        WriteWholeFile(taken.toStdString(), WriteJournal(SampleContent()));
        fixture.boxes.answers = {true};
        fixture.window.StartUp({});
        QCOMPARE(fixture.boxes.Texts(Kind::Question), QStringList{FromSjis(Msg::JournalRestoreQuestion)});
        QCOMPARE(fixture.window.Pages().Memo(3)->toPlainText(), QStringLiteral("ソ"));
        QVERIFY(!QFile::exists(taken));
    }

    void DamagedJournalIsReportedAndSetAside()
    {
        JournalFixture fixture;
        std::string cut = WriteJournal(SampleContent());
        cut.resize(cut.size() / 2);
        const QString old = WriteJournalFile(fixture.Folder(), EndedProcessId(), cut);
        fixture.window.StartUp({});
        QCOMPARE(fixture.boxes.Count(Kind::Question), 0);
        QCOMPARE(fixture.boxes.Count(Kind::Warning), 1);
        QVERIFY(fixture.boxes.Texts(Kind::Warning).first().startsWith(FromSjis(Msg::JournalDamaged)));
        QVERIFY(!QFile::exists(old));
        const QStringList aside = QDir(fixture.Folder()).entryList({"*.damaged-*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fixture.window.Document().State(), EditState::Empty);
    }

    void JournalOfARunningWindowIsNotClaimed()
    {
        JournalFixture fixture;
        QProcess running;
        running.start("sleep", {"30"});
        QVERIFY(running.waitForStarted());
        const QString other = WriteJournalFile(fixture.Folder(), running.processId(), WriteJournal(SampleContent()));
        fixture.window.StartUp({});
        running.kill();
        running.waitForFinished();
        QCOMPARE(fixture.boxes.Count(Kind::Question), 0);
        QVERIFY(QFile::exists(other));
    }

    void StartOnAFileLeavesTheJournalForLater()
    {
        JournalFixture fixture;
        const QString old = WriteJournalFile(fixture.Folder(), EndedProcessId(), WriteJournal(SampleContent()));
        fixture.window.StartUp({fixture.WriteFile("song.mld", CompiledMelody("ド", "Song"))});
        QCOMPARE(fixture.boxes.Count(Kind::Question), 0);
        QVERIFY(QFile::exists(old));
    }
};

QTEST_MAIN(JournalTest)
#include "JournalTest.moc"
