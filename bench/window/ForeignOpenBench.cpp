// Opening a melody file of another maker in the window to its first sound:
// the drop of a 100 KB four-track MFi file (read whole, shown as it is, every
// channel laid out in the roll), then F5 (the all-channel MIDI file made in
// memory, opened and started by the FluidSynth player), until the
// first rendered audio block that is not silence. The window runs with the
// window tests' scripted services except the player, which is the program's
// own over a silent output that watches every rendered block; the
// synthesizer is warm (its soundfont loaded) before the first timed run.
#ifdef QUAVERLY_HAVE_SYNTH

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "../../tests/core/MfiWriter.h"
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

void ForeignOpenToFirstSound(benchmark::State& state)
{
    SoundingWindow sounding;
    const std::string bytes = mfitest::BusyFourTrackFile(true);
    const QString path = sounding.folder.filePath(QStringLiteral("busy.mld"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
            state.SkipWithError("the melody file cannot be written");
            return;
        }
    }
    // Warm: the soundfont loaded, the play file's folder made, the code paged in.
    sounding.firstSound.Reset();
    sounding.window.FileDrop1FileDrop({path});
    sounding.window.mnPlayClick();
    if (WindowAccess::ForeignMelody(sounding.window) == nullptr || sounding.player.IsStopped()) {
        state.SkipWithError("the melody did not open or play (no soundfont?)");
        return;
    }
    sounding.firstSound.Wait();
    sounding.Stop();
    std::vector<double> toSound;
    std::vector<double> toPlayReturned;
    for (auto _ : state) {
        sounding.window.mnNewClick();  // answered Yes by the scripted boxes
        QApplication::processEvents();
        sounding.firstSound.Reset();
        const auto start = std::chrono::steady_clock::now();
        sounding.window.FileDrop1FileDrop({path});
        sounding.window.mnPlayClick();
        const auto played = std::chrono::steady_clock::now();
        sounding.firstSound.Wait();
        const auto heard = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(heard - start).count());
        toSound.push_back(std::chrono::duration<double, std::milli>(heard - start).count());
        toPlayReturned.push_back(std::chrono::duration<double, std::milli>(played - start).count());
        sounding.Stop();
    }
    state.counters["median_ms"] = Median(toSound);
    state.counters["max_ms"] = *std::max_element(toSound.begin(), toSound.end());
    state.counters["play_returned_median_ms"] = Median(toPlayReturned);
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
}
BENCHMARK(ForeignOpenToFirstSound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(25);

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
