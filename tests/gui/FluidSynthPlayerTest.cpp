// The real player behind the window's MidiPlayer interface: the completion
// notice crosses from the synthesizer's thread to the user-interface thread,
// once per play, with the player already stopped; a failed open (tested for
// each cause in the synthesizer's own tests) leaves it unable to play.
#include <QtTest>

#ifdef QUAVERLY_HAVE_SYNTH

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include "UnitMidi/MidiWriter.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "UnitPlay/FluidSynthPlayer.h"

using namespace quaverly;

namespace {

// Six quarters at 48 ms: 0.288 s.
std::string ShortMelody()
{
    MidiSettings settings;
    settings.tempo = 250;
    settings.editTempo = "20";
    SequenceList list;
    list.AddEvent(0, 0, 27, 48);
    list.AddEvent(48, 0, 30, 48);
    list.AddEvent(96, 0, -1, 0);
    return MidiFileBytes(list, settings);
}

}  // namespace

class FluidSynthPlayerTest : public QObject {
    Q_OBJECT

private slots:
    void NoticeArrivesOnTheWindowThreadOncePerPlay()
    {
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("Play.mid")).toStdString();
        WriteWholeFile(path, ShortMelody());

        FluidSynthPlayer player(
            AudioOutput{.kind = AudioOutputKind::Silent, .driver = {}, .fileName = {}, .observer = {}});
        int notices = 0;
        bool onWindowThread = true;
        bool stoppedAtNotice = true;
        player.SetNotify([&] {
            ++notices;
            onWindowThread = onWindowThread && QThread::currentThread() == thread();
            stoppedAtNotice = stoppedAtNotice && player.IsStopped();
        });
        player.SetFileName(path);
        player.Open();
        QVERIFY(player.IsStopped());
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(player.Play(), 0);
        QVERIFY(!player.IsStopped());
        QTRY_COMPARE_WITH_TIMEOUT(notices, 1, 5000);
        QVERIFY(qAbs(clock.elapsed() - 288) < 100);

        QCOMPARE(player.Play(), 0);  // from the start again
        QTRY_COMPARE_WITH_TIMEOUT(notices, 2, 5000);
        QTest::qWait(150);
        QCOMPARE(notices, 2);
        QVERIFY(onWindowThread);
        QVERIFY(stoppedAtNotice);
        player.Close();
    }

    // The soundfont loads in the background: its failure reaches every open.
    void MissingSoundFontFailsEachOpen()
    {
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("Play.mid")).toStdString();
        WriteWholeFile(path, ShortMelody());
        FluidSynthPlayer player(
            AudioOutput{.kind = AudioOutputKind::Silent, .driver = {}, .fileName = {}, .observer = {}},
            folder.filePath(QStringLiteral("missing.sf2")).toStdString());
        player.SetFileName(path);
        QVERIFY_THROWS_EXCEPTION(QuaverlyError, player.Open());
        QVERIFY_THROWS_EXCEPTION(QuaverlyError, player.Open());
        QVERIFY(player.Play() != 0);
    }
};

#else  // without the synthesizer there is no real player to test

class FluidSynthPlayerTest : public QObject {
    Q_OBJECT
};

#endif  // QUAVERLY_HAVE_SYNTH

QTEST_MAIN(FluidSynthPlayerTest)
#include "FluidSynthPlayerTest.moc"
