// The crash journal against a real crash: the window program is started on
// its own data folder, given unsaved work, killed with SIGKILL once the
// journal is written, and a window started afterwards offers that work back.
#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>

#include "UnitMld/CrashJournal.h"
#include "WindowAccess.h"
#include "WindowFixture.h"
#include "base/FileIO.h"
#include "base/Messages.h"
#include "platform/SjisText.h"

using namespace quaverly;
using Kind = ScriptedMessageBoxes::Kind;

class JournalProcessTest : public QObject {
    Q_OBJECT

private slots:
    void KilledSessionIsOfferedBackAtTheNextStart()
    {
        QTemporaryDir home;
        QVERIFY(home.isValid());
        // "/CIN" imports a numeric text no file holds: unsaved work from the first moment.
        const QString numeric = home.filePath("tune.c99");
        WriteWholeFile(numeric.toStdString(), "60,480,0\r\n62,480,0\r\n64,960,0\r\n-1,-1,0\r\n");

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", home.filePath("config"));
        program.setProcessEnvironment(environment);
        program.start(QUAVERLY_WINDOW_PROGRAM, {"/CIN", numeric});
        QVERIFY(program.waitForStarted());

        const QString folder = home.filePath("data/Fernwick/Quaverly/journal");
        const QString journal = folder + "/" + QString::number(program.processId()) + ".journal";
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(journal), 20000);

        // While the program runs, its journal is not another window's to take.
        {
            WindowFixture running;
            running.window.SetJournalFolder(folder);
            running.window.StartUp({});
            QCOMPARE(running.boxes.Count(Kind::Question), 0);
        }

        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        QVERIFY(program.waitForFinished());
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QVERIFY(QFile::exists(journal));
        const JournalContent content = ParseJournal(ReadWholeFile(journal.toStdString()));
        QCOMPARE(FromSjis(content.texts.scores[0]).isEmpty(), false);

        WindowFixture next;
        next.window.SetJournalFolder(folder);
        next.boxes.answers = {true};
        next.window.StartUp({});
        QCOMPARE(next.boxes.Texts(Kind::Question), QStringList{FromSjis(Msg::JournalRestoreQuestion)});
        QCOMPARE(next.window.Pages().Memo(1)->toPlainText(), FromSjis(content.texts.scores[0]));
        QVERIFY(next.store.MelodyImage() == content.melodyImage);
        QCOMPARE(next.window.Document().State(), EditState::ScoreEdited);
        QVERIFY(!QFile::exists(journal));
    }
};

QTEST_MAIN(JournalProcessTest)
#include "JournalProcessTest.moc"
