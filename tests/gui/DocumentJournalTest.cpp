// The crash journal on its own, given the editor through its hooks: what an
// update leaves in the folder, and what becomes of a journal taken over from
// an ended session when this session's own copy can or cannot be written.
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "ScriptedMessageBoxes.h"
#include "UnitMain/DocumentJournal.h"
#include "base/FileIO.h"
#include "platform/JournalFiles.h"

using namespace quaverly;

namespace {

qint64 EndedProcessId()
{
    QProcess process;
    process.start("true", {});
    process.waitForFinished();
    return process.processId() != 0 ? process.processId() : 999999;
}

// A journal with hooks that a test steers: what the editor holds, whether a
// write can succeed, and what was restored and shown.
struct JournalBench {
    QTemporaryDir dir;
    ScriptedMessageBoxes boxes;
    bool unsaved = true;
    bool writable = true;
    int restores = 0;
    QStringList failures;
    DocumentJournal journal{boxes, Hooks(), nullptr};

    JournalBench() { journal.SetFolder(dir.path()); }
    DocumentJournal::Hooks Hooks()
    {
        DocumentJournal::Hooks hooks;
        hooks.collect = [this] {
            if (!writable) {
                throw std::runtime_error("disk full");
            }
            JournalContent content;
            content.texts.tempo = "125";
            return content;
        };
        hooks.holdsUnsavedWork = [this] { return unsaved; };
        hooks.restore = [this](const JournalContent&) { ++restores; };
        hooks.showWriteFailure = [this](const QString& message) { failures.append(message); };
        return hooks;
    }
};

}  // namespace

class DocumentJournalTest : public QObject {
    Q_OBJECT

private slots:
    void UpdateKeepsOnlyUnsavedWork()
    {
        JournalBench bench;
        bench.journal.Update();
        QVERIFY(QFile::exists(bench.journal.FileName()));
        bench.unsaved = false;
        bench.journal.Update();
        QVERIFY(!QFile::exists(bench.journal.FileName()));
        bench.journal.SetFolder(QString());
        QVERIFY(bench.journal.FileName().isEmpty());
        bench.unsaved = true;
        bench.journal.Update();
        QVERIFY(QDir(bench.dir.path()).entryList({"*.journal"}, QDir::Files).isEmpty());
    }

    void TakenJournalLastsUntilItsWorkIsJournaledOrSaved_data()
    {
        QTest::addColumn<bool>("restore");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("takenKept");
        QTest::newRow("restored and journaled") << true << true << false;
        QTest::newRow("restored, own journal not written") << true << false << true;
        QTest::newRow("declined") << false << true << false;
    }
    void TakenJournalLastsUntilItsWorkIsJournaledOrSaved()
    {
        QFETCH(bool, restore);
        QFETCH(bool, writable);
        QFETCH(bool, takenKept);
        JournalBench bench;
        bench.writable = writable;
        const QString orphan = bench.dir.path() + "/" + QString::number(EndedProcessId()) + ".journal";
        WriteWholeFile(orphan.toStdString(), WriteJournal(JournalContent{}));
        bench.boxes.answers = {restore};
        bench.journal.OfferRestore();
        QCOMPARE(bench.restores, restore ? 1 : 0);
        QCOMPARE(bench.failures.size(), restore && !writable ? 1 : 0);
        const QString taken = TakenJournalPath(bench.dir.path());
        QCOMPARE(QFile::exists(taken), takenKept);
        QCOMPARE(QFile::exists(bench.journal.FileName()), restore && writable);
        // Saved or given up: no journal is left, the kept one included.
        bench.journal.Remove();
        QVERIFY(QDir(bench.dir.path()).entryList({"*.journal"}, QDir::Files).isEmpty());
    }
};

QTEST_MAIN(DocumentJournalTest)
#include "DocumentJournalTest.moc"
