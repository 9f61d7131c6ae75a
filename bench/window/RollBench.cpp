// The piano roll's figures with the maximal melody (four voices of
// sixty-fourth notes up to tick 99999, about 133,000 notes): one paint of the
// roll at a full-window size at several zooms, the cursor move in a page to
// the roll's mark, and one step of the play follow (playhead and page marks).
// The window runs on the caller's platform (offscreen unless one is set) with
// the window tests' scripted services.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <cstdlib>

#include "UnitMld/ScoreParser.h"
#include "UnitRoll/TPianoRoll.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

namespace {

using namespace quaverly;

constexpr int NotesPerVoice = MaxSequenceTime / 3;

// A page of sixty-fourth notes running up and down two octaves, a line of sixteen at a time.
QString VoiceText(int voice)
{
    static const QString names[] = {QStringLiteral("ド"), QStringLiteral("レ"), QStringLiteral("ミ"),
                                    QStringLiteral("ファ"), QStringLiteral("ソ"), QStringLiteral("ラ"),
                                    QStringLiteral("シ")};
    QString text;
    for (int i = 0; i < NotesPerVoice; ++i) {
        const int step = (i + voice * 5) % 14;
        text += names[step % 7] + (step >= 7 ? QStringLiteral("▲") : QString()) + QStringLiteral("６４");
        if (i % 16 == 15) {
            text += QLatin1Char('\n');
        }
    }
    return text;
}

SequenceList MaximalMelody()
{
    SequenceList list;
    for (int voice = 0; voice < VoiceCount; ++voice) {
        ParseScore(Sjis(VoiceText(voice)), voice, list, false);
    }
    return list;
}

// One paint of the whole roll area (1280 x 800) into an image, scrolled to the
// middle of the melody, at pixelsPerTick = range(0) / 1000.
void PaintRoll(benchmark::State& state)
{
    TPianoRoll roll;
    roll.resize(1280, 800);
    roll.show();
    QApplication::processEvents();
    roll.SetEvents(MaximalMelody(), {1, 41, 74, 11});
    roll.SetPixelsPerTick(state.range(0) / 1000.0);
    roll.SetPlayhead(MaxSequenceTime / 2);
    QApplication::processEvents();
    QImage image(roll.Canvas()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        roll.Canvas()->render(&image);
    }
    state.counters["px"] = roll.Canvas()->width() * roll.Canvas()->height();
}
BENCHMARK(PaintRoll)->Arg(10)->Arg(100)->Arg(500)->Arg(2000)->Arg(16000)->Unit(benchmark::kMillisecond);

struct FilledWindow {
    FilledWindow()
    {
        fixture.window.resize(1280, 900);
        fixture.window.show();
        QApplication::processEvents();
        for (int voice = 1; voice <= VoiceCount; ++voice) {
            WindowAccess::VoiceMemo(fixture.window, voice)->setPlainText(VoiceText(voice - 1));
        }
        WindowAccess::RefreshRollFromPages(fixture.window);
        QApplication::processEvents();
    }
    WindowFixture fixture;
};

// A cursor move in page 1 to the roll's mark of the note under it (the page's
// byte offsets measured once beforehand, as after the first move).
void CursorToRollMark(benchmark::State& state)
{
    FilledWindow filled;
    QPlainTextEdit* memo = WindowAccess::VoiceMemo(filled.fixture.window, 1);
    const int length = static_cast<int>(memo->toPlainText().size());
    WindowAccess::PageByteOfPosition(filled.fixture.window, 1, 0);
    int position = 0;
    for (auto _ : state) {
        position = (position + 7919) % length;
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(position);
        memo->setTextCursor(cursor);
    }
    benchmark::DoNotOptimize(WindowAccess::PianoRoll(filled.fixture.window)->CursorNote());
}
BENCHMARK(CursorToRollMark)->Unit(benchmark::kMicrosecond);

// One step of the follow: the player's time read, the playhead moved (and
// the roll scrolled when it runs off), the four pages' marks moved.
void FollowStep(benchmark::State& state)
{
    FilledWindow filled;
    filled.fixture.player.stopped = false;
    int time = 0;
    for (auto _ : state) {
        time = (time + 5) % MaxSequenceTime;
        filled.fixture.player.currentTime = time;
        WindowAccess::FollowPlay(filled.fixture.window);
    }
}
BENCHMARK(FollowStep)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
