// The real player behind the window's MidiPlayer interface: the completion
// notice crosses from the synthesizer's thread to the user-interface thread,
// once per play, with the player already stopped; a failed open (tested for
// each cause in the synthesizer's own tests) leaves it unable to play.
#include <QtTest>

#ifdef QUAVERLY_HAVE_SYNTH

#include <QElapsedTimer>
#include <atomic>
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
    // A typed note opens the output; about two quiet seconds later it is
    // closed (nothing renders any more), and the next note opens it again.
    void TypedNotesOutputClosesWhenQuiet()
    {
        std::atomic<int> blocks{0};
        FluidSynthPlayer player(AudioOutput{.kind = AudioOutputKind::Silent,
                                            .driver = {},
                                            .fileName = {},
                                            .observer = [&blocks](const float*, const float*, int) { ++blocks; }});
        player.PreviewNote(0, 0, 72, 100, 100);
        QTRY_VERIFY_WITH_TIMEOUT(blocks > 0, 5000);
        QTest::qWait(FluidSynthPlayer::PreviewIdleMs / 2);
        QVERIFY2(blocks > 0, "still open shortly after the note");
        QTest::qWait(FluidSynthPlayer::PreviewIdleMs / 2 + 400);
        const int closedAt = blocks;
        QTest::qWait(300);
        QCOMPARE(blocks.load(), closedAt);
        player.PreviewNote(0, 0, 74, 100, 100);
        QTRY_VERIFY_WITH_TIMEOUT(blocks > closedAt, 5000);
    }

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

    // Play from a time: the player seeks there (half the melody is not
    // heard), reports its time in the melody's ticks from there on, and has
    // no time once stopped.
    void PlayFromSeeksAndReportsTheMelodyTime()
    {
        MidiSettings settings;
        settings.tempo = 250;
        settings.editTempo = "20";
        SequenceList list;
        for (int i = 0; i < 8; ++i) {
            list.AddEvent(i * 48, 0, 27 + i, 40);
        }
        list.AddEvent(384, 0, -1, 0);
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("Play.mid")).toStdString();
        WriteWholeFile(path, MidiFileBytes(list, settings));

        FluidSynthPlayer player(
            AudioOutput{.kind = AudioOutputKind::Silent, .driver = {}, .fileName = {}, .observer = {}});
        int notices = 0;
        player.SetNotify([&] { ++notices; });
        player.SetFileName(path);
        player.Open();
        QCOMPARE(player.CurrentTime(), -1);
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(player.PlayFrom(192), 0);
        int first = -1;
        while (first < 0 && clock.elapsed() < 1000) {
            first = player.CurrentTime();
        }
        QVERIFY2(first >= 192 && first < 240, qPrintable(QString::number(first)));
        QTRY_COMPARE_WITH_TIMEOUT(notices, 1, 5000);
        // Four of the twelve quarters (48 ms each, the set-up bar's tail included) skipped.
        QVERIFY2(clock.elapsed() < 480, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(player.CurrentTime(), -1);
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
