// MIDI writing of the longest melody the SequenceList can hold: four voices of
// sixty-fourth notes (3 ticks) from 0 up to tick 99999, about 133,000 events.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "UnitMidi/MidiWriter.h"

namespace {

using namespace quaverly;

SequenceList MaximalMelody()
{
    SequenceList list;
    for (int voice = 0; voice < 4; ++voice) {
        int time = 0;
        for (int i = 0; time + 3 <= MaxSequenceTime; ++i, time += 3) {
            list.AddEvent(time, voice, (i * 7 + voice * 5) % 63, 2);
        }
        list.AddEvent(time, voice, EndNote, 0);
    }
    return list;
}

void BM_MidiFileBytesOfMaximalMelody(benchmark::State& state)
{
    const SequenceList list = MaximalMelody();
    const MidiSettings settings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MidiFileBytes(list, settings));
    }
    state.counters["lines"] = static_cast<double>(list.size());
}
BENCHMARK(BM_MidiFileBytesOfMaximalMelody)->Unit(benchmark::kMillisecond);

void BM_WriteMidiFileOfMaximalMelody(benchmark::State& state)
{
    const SequenceList list = MaximalMelody();
    const MidiSettings settings;
    const std::string path = "/tmp/quaverly-bench-" + std::to_string(::getpid()) + ".mid";
    for (auto _ : state) {
        WriteMidiFile(path, list, settings);
    }
    std::remove(path.c_str());
}
BENCHMARK(BM_WriteMidiFileOfMaximalMelody)->Unit(benchmark::kMillisecond);

}  // namespace
