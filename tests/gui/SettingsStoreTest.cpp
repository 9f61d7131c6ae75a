// The settings store over an ini file of the test's own: values survive a
// restart, and a save that does not reach the disk whole (QSettings reports a
// write cut short by a full disk as success) leaves the old file byte for
// byte and is reported as a FileError.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "base/Errors.h"
#include "platform/QSettingsStore.h"
#include "platform/SjisText.h"

using namespace quaverly;

namespace {

using Damage = std::function<void(const QString& stagingPath)>;

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Everything in the folder: a failed save must not leave its staging files.
QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

const QByteArray Geometry("\x01\xd9\xd0\xcb\x00\x03\x00\x00\xff\xff", 10);

}  // namespace

class SettingsStoreTest : public QObject {
    Q_OBJECT

private slots:
    void savedValuesSurviveRestart()
    {
        QTemporaryDir folder;
        const QString ini = folder.filePath("Quaverly.conf");
        {
            QSettingsStore store(ini);
            QVERIFY(!store.Contains("Midi/EditTempo"));
            store.SetValue("Midi/EditTempo", "100");
            store.SetValue("FormMainWinPlace1", Geometry);
            store.SetValue("Count", 7);
            QCOMPARE(store.Value("Midi/EditTempo").toString(), "100");
        }
        QSettingsStore restarted(ini);
        QCOMPARE(restarted.Value("Midi/EditTempo").toString(), "100");
        QCOMPARE(restarted.Value("FormMainWinPlace1").toByteArray(), Geometry);
        QCOMPARE(restarted.Value("Count").toInt(), 7);
        QCOMPARE(restarted.Value("Absent", "95").toString(), "95");
        QCOMPARE(Entries(folder.path()), QStringList{"Quaverly.conf"});
    }

    // Saves of the same size in quick succession by stores of one run: each
    // restart reads the latest, not what QSettings remembers of the file.
    void quickSameSizeSavesAreReadAfterRestart()
    {
        QTemporaryDir folder;
        const QString ini = folder.filePath("Quaverly.conf");
        for (int tempo = 100; tempo < 120; ++tempo) {
            QSettingsStore(ini).SetValue("Midi/EditTempo", QString::number(tempo));
            QCOMPARE(QSettingsStore(ini).Value("Midi/EditTempo").toString(), QString::number(tempo));
        }
    }

    void settingsFileLostOnFullDisk_data()
    {
        QTest::addColumn<Damage>("damage");
        QTest::newRow("written empty") << Damage([](const QString& path) { QFile::resize(path, 0); });
        QTest::newRow("cut short") << Damage(
            [](const QString& path) { QFile::resize(path, QFileInfo(path).size() / 2); });
        QTest::newRow("last value cut") << Damage(
            [](const QString& path) { QFile::resize(path, QFileInfo(path).size() - 2); });
        QTest::newRow("gone") << Damage([](const QString& path) { QFile::remove(path); });
    }

    void settingsFileLostOnFullDisk()
    {
        QFETCH(Damage, damage);
        QTemporaryDir folder;
        const QString ini = folder.filePath("Quaverly.conf");
        QSettingsStore(ini).SetValue("FormMainWinPlace1", Geometry);
        QSettingsStore store(ini);
        store.SetValue("Midi/EditTempo", "100");
        const QByteArray before = Contents(ini);
        QVERIFY(!before.isEmpty());

        store.SetStagingHookForTest(damage);
        try {
            store.SetValue("Midi/EditTempo", "123");
            QFAIL("a save that did not reach the disk whole was reported as success");
        } catch (const FileError& error) {
            QCOMPARE(QString::fromStdString(error.Path()), QDir::toNativeSeparators(ini));
            QVERIFY(FromSjis(error.what()).contains("Quaverly.conf"));
        }
        QCOMPARE(Contents(ini), before);
        QCOMPARE(Entries(folder.path()), QStringList{"Quaverly.conf"});
        QCOMPARE(store.Value("Midi/EditTempo").toString(), "100");

        QSettingsStore restarted(ini);
        QCOMPARE(restarted.Value("Midi/EditTempo").toString(), "100");
        QCOMPARE(restarted.Value("FormMainWinPlace1").toByteArray(), Geometry);
    }

    // The folder cannot hold the file (a file sits where it should be): the
    // save fails before anything is written.
    void unusableFolderReportsFailure()
    {
        QTemporaryDir folder;
        QFile blocker(folder.filePath("Fernwick"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QSettingsStore store(folder.filePath("Fernwick/Quaverly.conf"));
        QVERIFY_THROWS_EXCEPTION(FileError, store.SetValue("Midi/EditTempo", "100"));
        QVERIFY(!store.Contains("Midi/EditTempo"));
        QCOMPARE(Entries(folder.path()), QStringList{"Fernwick"});
    }

    // The message once showed a Japanese folder name as "?????": the path was
    // converted to Shift-JIS twice.
    void FailedSaveNamesJapaneseFolderOnce()
    {
        QTemporaryDir folder;
        const QString japanese = folder.filePath(QStringLiteral("着メロ"));
        QFile blocker(japanese);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QSettingsStore store(japanese + QStringLiteral("/Quaverly.conf"));
        try {
            store.SetValue("Midi/EditTempo", "100");
            QFAIL("the save did not fail");
        } catch (const FileError& error) {
            const QString message = FromSjis(error.what());
            QVERIFY2(message.contains(QStringLiteral("着メロ")), qPrintable(message));
            QVERIFY(!message.contains(QLatin1Char('?')));
        }
    }
};

QTEST_MAIN(SettingsStoreTest)
#include "SettingsStoreTest.moc"
