// The window's play command to its first sound, with the program's own
// FluidSynth player over a silent output that watches every rendered block:
// - a melody file of another maker dropped on the window (read whole, shown
//   as it is, every channel laid out in the roll), then F5 (the all-channel
//   MIDI file made in memory, opened and started), until the first rendered
//   block that is not silence; for a 100 KB and a 1 MB four-track file;
// - F5 on the longest own melody, analysed and unchanged since, until the
//   first sound.
// The window runs with the window tests' scripted services except the
// player; the synthesizer is warm (its soundfont loaded) before the first
// timed run.
#ifdef QUAVERLY_HAVE_SYNTH

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "../../tests/core/MfiWriter.h"
#include "../BigForeignMelody.h"
#include "../FirstSound.h"
#include "MemorySettingsStore.h"
#include "ScriptedClipboard.h"
#include "ScriptedDialogs.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedHelpViewer.h"
#include "ScriptedMessageBoxes.h"
#include "UnitMain/TFormMain.h"
#include "UnitPlay/FluidSynthPlayer.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

namespace {

using namespace quaverly;

using quaverly::bench::FirstSound;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

struct SoundingWindow {
    SoundingWindow()
        : player(firstSound.Output()),
          window(store, WindowServices{boxes, fileDialogs, clipboard, settings, help, dialogs, player})
    {
        WindowAccess::SetProgramFolder(window, folder.path());
        WindowAccess::SetTerminateHandler(window, [] {});
        window.resize(1280, 900);
        window.show();
        QApplication::processEvents();
    }

    // Stops the play and lets its notice arrive.
    void Stop()
    {
        window.mnPlayClick();
        QElapsedTimer waited;
        waited.start();
        while (!player.IsStopped() && waited.elapsed() < 2000) {
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        QApplication::processEvents();
    }

    QTemporaryDir folder;
    MelodyStore store;
    ScriptedMessageBoxes boxes;
    ScriptedFileDialogs fileDialogs;
    ScriptedClipboard clipboard;
    MemorySettingsStore settings;
    ScriptedHelpViewer help;
    ScriptedDialogs dialogs;
    FirstSound firstSound;
    FluidSynthPlayer player;
    TFormMain window;
};

// Times each run from start() (untimed preparation done) to the first sound.
template <typename Start>
void TimeToFirstSound(benchmark::State& state, SoundingWindow& sounding, Start start, const char* what)
{
    // Warm: the soundfont loaded, the code paged in.
    sounding.firstSound.Reset();
    start();
    if (sounding.player.IsStopped()) {
        state.SkipWithError(what);
        return;
    }
    sounding.firstSound.Wait();
    sounding.Stop();
    std::vector<double> toSound;
    std::vector<double> toPlayReturned;
    for (auto _ : state) {
        sounding.firstSound.Reset();
        const auto begun = std::chrono::steady_clock::now();
        start();
        const auto played = std::chrono::steady_clock::now();
        sounding.firstSound.Wait();
        const auto heard = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(heard - begun).count());
        toSound.push_back(std::chrono::duration<double, std::milli>(heard - begun).count());
        toPlayReturned.push_back(std::chrono::duration<double, std::milli>(played - begun).count());
        state.PauseTiming();
        sounding.Stop();
        state.ResumeTiming();
    }
    state.counters["median_ms"] = Median(toSound);
    state.counters["max_ms"] = *std::max_element(toSound.begin(), toSound.end());
    state.counters["play_returned_median_ms"] = Median(toPlayReturned);
}

// Argument 0: the 100 KB busy file; 1: the 1 MB file.
void ForeignOpenToFirstSound(benchmark::State& state)
{
    SoundingWindow sounding;
    const std::string bytes = state.range(0) == 0 ? mfitest::BusyFourTrackFile(true) : bench::MegabyteForeignMelody();
    const QString path = sounding.folder.filePath(QStringLiteral("busy.mld"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
            state.SkipWithError("the melody file cannot be written");
            return;
        }
    }
    TimeToFirstSound(
        state, sounding,
        [&] {
            sounding.window.mnNewClick();  // answered Yes by the scripted boxes
            QApplication::processEvents();
            sounding.window.FileDrop1FileDrop({path});
            sounding.window.mnPlayClick();
        },
        "the melody did not open or play (no soundfont?)");
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(ForeignOpenToFirstSound)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(25);

// F5 on the longest own melody: four voices of 33,333 sixty-fourth notes,
// analysed once, then played again and again as it stands.
void LongestOwnMelodyF5ToFirstSound(benchmark::State& state)
{
    SoundingWindow sounding;
    const QString voice = QStringLiteral("ド６４").repeated(MaxSequenceTime / 3);
    for (int page = 1; page <= VoiceCount; ++page) {
        sounding.window.findChild<QPlainTextEdit*>(QStringLiteral("Memo%1").arg(page))->setPlainText(voice);
    }
    sounding.window.mnMakeMldClick();
    QApplication::processEvents();
    TimeToFirstSound(state, sounding, [&] { sounding.window.mnPlayClick(); }, "the melody did not play (no soundfont?)");
}
BENCHMARK(LongestOwnMelodyF5ToFirstSound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(25);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}

#else

int main()
{
    return 0;  // built without the synthesizer: no sound to wait for
}

#endif  // QUAVERLY_HAVE_SYNTH
