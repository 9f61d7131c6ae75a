// The audio export's figures: render and encode of the longest melody (four
// voices of sixty-fourth notes to the last melody time, 951.8 s of audio) in
// each format (an iPhone ringtone's .m4r whole, without its limit), as a
// multiple of real time by the wall clock and by the CPU
// time of the process and of each of its two threads; and the cost of the progress calls: the same export
// without progress, with a call every 100 ms and every 50 ms.
#ifdef QUAVERLY_HAVE_SYNTH

#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "UnitMidi/MidiWriter.h"
#include "synth/AudioExport.h"
#include "synth/MidiFileTiming.h"
#include "synth/Synthesizer.h"

namespace {

using namespace quaverly;

SequenceList LongestMelody()
{
    SequenceList list;
    for (int voice = 0; voice < 4; ++voice) {
        for (int time = 0; time + 3 <= MaxSequenceTime; time += 3) {
            list.AddEvent(time, voice, (time / 3 + voice * 7) % 64, 3);
        }
        list.AddEvent(MaxSequenceTime, voice, EndNote, 0);
    }
    list.Sort();
    return list;
}

double ThreadCpuSeconds()
{
    timespec time{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + time.tv_nsec / 1e9;
}

double ProcessCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + time.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

const char* const Extensions[] = {".wav", ".flac", ".ogg", ".opus", ".mp3", ".m4r"};

// state.range(0): the format (index into Extensions); state.range(1): the
// progress interval in ms, -1 for no progress calls.
void ExportLongestMelody(benchmark::State& state)
{
    const std::string extension = Extensions[state.range(0)];
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("quaverly-bench-" + std::to_string(::getpid()) + extension))
                                 .string();
    Synthesizer synth({}, AudioSampleRate(*AudioFormatOfPath(path)));
    const std::string midi = MidiFileBytes(LongestMelody(), MidiSettings{});
    AudioExportRequest request;
    request.midiBytes = midi;
    request.name = "longest.mid";
    request.path = path;
#ifdef QUAVERLY_ENCODE_MODULE
    // An ".m4r" file whole, without the ringtone's limit, for the encoder's pace.
    request.encodeModule = QUAVERLY_ENCODE_MODULE;
#endif
    int64_t calls = 0;
    if (state.range(1) >= 0) {
        request.progressInterval = std::chrono::milliseconds(state.range(1));
        request.progress = [&calls](int64_t, int64_t) {
            ++calls;
            return true;
        };
    }
    double audioSeconds = 0;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    double encodeSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        const double threadStart = ThreadCpuSeconds();
        ExportAudio(synth, request);
        encodeSeconds += ThreadCpuSeconds() - threadStart;
        cpuSeconds += ProcessCpuSeconds() - cpuStart;
        wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        audioSeconds += static_cast<double>(ExportFrames(ReadMidiTiming(midi, request.name), request.options,
                                                         synth.Rate())) /
                        synth.Rate();
    }
    std::filesystem::remove(path);
    state.counters["times_real_time"] = audioSeconds / wallSeconds;
    state.counters["times_real_time_cpu"] = audioSeconds / cpuSeconds;
    // The calling thread encodes and writes; the rendering thread does the
    // rest. With two free cores the wall time is that of the busier one.
    const double renderSeconds = cpuSeconds - encodeSeconds;
    state.counters["encode_cpu_s"] = encodeSeconds;
    state.counters["render_cpu_s"] = renderSeconds;
    state.counters["times_real_time_two_cores"] = audioSeconds / std::max(encodeSeconds, renderSeconds);
    state.counters["progress_per_second"] = static_cast<double>(calls) / wallSeconds;
}
BENCHMARK(ExportLongestMelody)
    ->ArgNames({"format", "progress_ms"})
    ->Args({0, -1})
    ->Args({1, -1})
    ->Args({2, -1})
    ->Args({3, -1})
    ->Args({4, -1})
    ->Args({5, -1})
    ->Args({2, 100})
    ->Args({2, 50})
    ->Args({0, 50})
    ->Unit(benchmark::kSecond)
    ->Iterations(1);

}  // namespace

#endif  // QUAVERLY_HAVE_SYNTH
