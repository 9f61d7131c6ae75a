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

// About 100 KB: four tracks of about 6,000 events each.
std::string BusyFourTrackFile()
{
    MfiWriter writer;
    writer.Info("vers", "0301").Info("titl", "Busy").Info("copy", "(c)").FourByteNotes();
    for (int track = 0; track < 4; ++track) {
        std::string events = track == 0 ? Tempo(0, 120) : std::string();
        for (int voice = 0; voice < 4; ++voice) {
            events += VoiceControl(0, 0xE0, voice, voice * 8) + VoiceControl(0, 0xE2, voice, 50);
        }
        for (int i = 0; i < 6000; ++i) {
            const int voice = i % 4;
            if (i % 50 == 0) {
                events += VoiceControl(0, 0xE4, voice, 20 + i % 24);
            }
            if (track == 0 && i % 500 == 0) {
                events += Tempo(0, 100 + i % 60);
            }
            events += Note(voice == 0 ? 6 : 0, voice, (i * 7 + track * 5) % 60, 5 + i % 40, 20 + i % 40, i % 4);
        }
        writer.Track(events + End(48));
    }
    return writer.Bytes();
}

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
        benchmark::DoNotOptimize(MfiMidiFileBytes(ReadMfiMelody(file, "busy.mld"), 100));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_MfiMelodyToMidiFile)->Unit(benchmark::kMillisecond);

}  // namespace
