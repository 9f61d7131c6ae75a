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
#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>
#include <vector>

#include "../core/ShortMelody.h"
#include "base/Errors.h"
#include "base/FileIO.h"
#include "UnitMidi/MidiFileReader.h"
#include "UnitPlay/FluidSynthPlayer.h"

using namespace quaverly;

namespace {

// Rendered in real time and dropped, with an optional look at every block.
AudioOutput SilentOutput(std::function<void(const float*, const float*, int)> observer = {})
{
    return AudioOutput{.kind = AudioOutputKind::Silent, .driver = {}, .fileName = {}, .observer = std::move(observer)};
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
        FluidSynthPlayer player(SilentOutput([&blocks](const float*, const float*, int) { ++blocks; }));
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
        WriteWholeFile(path, ShortMelodyMidi());

        FluidSynthPlayer player(
            SilentOutput());
        int notices = 0;
        bool onWindowThread = true;
        bool stoppedAtNotice = true;
        player.SetNotify([&] {
            ++notices;
            onWindowThread = onWindowThread && QThread::currentThread() == thread();
            stoppedAtNotice = stoppedAtNotice && player.IsStopped();
        });
        player.Open(ReadWholeFile(path, MaxMidiFileSize));
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
            SilentOutput());
        int notices = 0;
        player.SetNotify([&] { ++notices; });
        player.Open(ReadWholeFile(path, MaxMidiFileSize));
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

    // A play stopped just before Close: its notice was already on its way to
    // the window thread when Close came, and used to arrive after it.
    void CloseDropsANoticeAlreadyOnItsWay()
    {
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("Play.mid")).toStdString();
        WriteWholeFile(path, ShortMelodyMidi());
        FluidSynthPlayer player(
            SilentOutput());
        int notices = 0;
        player.SetNotify([&] { ++notices; });
        player.Open(ReadWholeFile(path, MaxMidiFileSize));
        QCOMPARE(player.Play(), 0);
        player.Stop();
        QThread::msleep(200);  // the notice is posted, not yet taken
        player.Close();
        QTest::qWait(200);
        QCOMPARE(notices, 0);
        // A play of the file opened again has its notice.
        player.Open(ReadWholeFile(path, MaxMidiFileSize));
        QCOMPARE(player.Play(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(notices, 1, 5000);
        player.Close();
    }

    // A typed note's preview ends after its time; a play started within that
    // time may sound the same key on the same channel, and the preview's end
    // used to cut that note short.
    void PreviewEndCutsNoNoteOfAPlayStartedMeanwhile()
    {
        MidiSettings settings;
        settings.tempo = 120;
        settings.editTempo = "100";
        settings.tones = {20, 20, 20, 20};  // an organ: it holds its level while the key is down
        SequenceList list;
        list.AddEvent(0, 0, 27, 96);  // one second
        list.AddEvent(96, 0, -1, 0);
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("Play.mid")).toStdString();
        WriteWholeFile(path, MidiFileBytes(list, settings));

        std::mutex mutex;
        std::vector<float> peaks;  // one per block of SilentBlock frames
        std::vector<int> frames;
        FluidSynthPlayer player(SilentOutput([&](const float* left, const float*, int count) {
            float peak = 0;
            for (int i = 0; i < count; ++i) {
                peak = std::max(peak, std::abs(left[i]));
            }
            std::lock_guard lock(mutex);
            peaks.push_back(peak);
            frames.push_back(count);
        }));
        player.Open(ReadWholeFile(path, MaxMidiFileSize));  // the soundfont is loaded before the preview
        player.Close();
        // Note 27 of voice 1 is key 72 on channel 0, the tone's program 19.
        player.PreviewNote(0, 19, 72, 100, 200);
        QCoreApplication::processEvents();
        {
            std::lock_guard lock(mutex);
            peaks.clear();
            frames.clear();
        }
        player.Open(ReadWholeFile(path, MaxMidiFileSize));
        QCOMPARE(player.Play(), 0);
        QTest::qWait(1000);
        player.Close();

        std::lock_guard lock(mutex);
        // From the first sound: the level at 0.05-0.15 s against 0.5-0.8 s,
        // while the note is still held.
        size_t start = 0;
        while (start < peaks.size() && peaks[start] < 1e-3f) {
            ++start;
        }
        QVERIFY(start < peaks.size());
        float early = 0;
        float late = 0;
        int at = 0;
        for (size_t i = start; i < peaks.size(); ++i) {
            const double seconds = at / 44100.0;
            if (seconds >= 0.05 && seconds < 0.15) {
                early = std::max(early, peaks[i]);
            } else if (seconds >= 0.5 && seconds < 0.8) {
                late = std::max(late, peaks[i]);
            }
            at += frames[i];
        }
        QVERIFY2(late > early * 0.3f, qPrintable(QStringLiteral("early %1, late %2").arg(early).arg(late)));
    }

    // The synthesizer module and the soundfont load in the background after
    // the window's first paint: a play at once takes over that load, and a
    // player that goes while it loads waits for it rather than leaving it
    // running behind.
    void PlayRightAfterPrepareAndDestroyWhileLoading()
    {
        {
            FluidSynthPlayer leaving(
                SilentOutput());
            leaving.Prepare();
        }
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("Play.mid")).toStdString();
        WriteWholeFile(path, ShortMelodyMidi());
        FluidSynthPlayer player(
            SilentOutput());
        int notices = 0;
        player.SetNotify([&] { ++notices; });
        player.Prepare();
        player.Prepare();
        player.Open(ReadWholeFile(path, MaxMidiFileSize));
        QCOMPARE(player.Play(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(notices, 1, 5000);
        QVERIFY(player.IsStopped());
    }

    // The soundfont loads in the background: its failure reaches every open.
    void MissingSoundFontFailsEachOpen()
    {
        QTemporaryDir folder;
        const std::string path = folder.filePath(QStringLiteral("Play.mid")).toStdString();
        WriteWholeFile(path, ShortMelodyMidi());
        FluidSynthPlayer player(
            SilentOutput(),
            folder.filePath(QStringLiteral("missing.sf2")).toStdString());
        player.Prepare();
        QVERIFY_THROWS_EXCEPTION(QuaverlyError, player.Open(ReadWholeFile(path, MaxMidiFileSize)));
        QVERIFY_THROWS_EXCEPTION(QuaverlyError, player.Open(ReadWholeFile(path, MaxMidiFileSize)));
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
