// Melodies of other makers: reading a 100 KB four-track MFi file (notes with
// velocity, bends and tempo changes, as a busy ringtone has them) and writing
// its MIDI file, the work of "quaverly-cli midi" after the file is read.
#include <benchmark/benchmark.h>

#include <string>

#include "../tests/core/MfiWriter.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"

namespace {

using namespace quaverly;
using namespace quaverly::mfitest;

void BM_ReadMfiMelody(benchmark::State& state)
{
    const std::string file = BusyFourTrackFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadMfiMelody(file, "busy.mld"));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
    state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(BM_ReadMfiMelody)->Unit(benchmark::kMillisecond);

void BM_MfiMelodyToMidiFile(benchmark::State& state)
{
    const std::string file = BusyFourTrackFile();
    for (auto _ : state) {
        benchmark::DoNotOptimize(MfiMidiFileBytes(ReadMfiMelody(file, "busy.mld")));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_MfiMelodyToMidiFile)->Unit(benchmark::kMillisecond);

}  // namespace
