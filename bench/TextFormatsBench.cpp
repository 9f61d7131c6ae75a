// RTTTL and MML of the maximal melody: four voices of sixty-fourth notes up
// to the last tick (33,333 steps a voice, every 32nd a rest, pitches walking
// over two octaves, as ../shared/bench/genmax.py 33333 makes it), written
// (RTTTL of the first voice, MML of all four) and read back into four voices.
#include <benchmark/benchmark.h>

#include <string>

#include "UnitMld/NoteRules.h"
#include "UnitText/MmlReader.h"
#include "UnitText/MmlWriter.h"
#include "UnitText/RtttlReader.h"
#include "UnitText/RtttlWriter.h"
#include "UnitText/TextMelodyImport.h"

namespace {

using namespace quaverly;

TextMelody MaximalMelody()
{
    // Note names ド..シ and the octave above, as the generator walks them.
    static constexpr int Steps[] = {27, 29, 31, 32, 34, 36, 38};
    SequenceList list;
    for (int voice = 0; voice < 4; ++voice) {
        int time = 0;
        for (int i = 0; time + 3 <= MaxSequenceTime; ++i, time += 3) {
            const int pitch = (voice * 5 + i * 3) % 14;
            const bool rest = i % 32 == 31;
            list.AddEvent(time, voice, rest ? RestNote : Steps[pitch % 7] + 12 * (pitch / 7), rest ? 0 : 1);
        }
        list.AddEvent(time, voice, EndNote, 0);
    }
    TextMelody melody;
    melody.title = "max";
    melody.voices = VoiceNotesOf(list);
    return melody;
}

void BM_WriteRtttl(benchmark::State& state)
{
    const TextMelody melody = MaximalMelody();
    for (auto _ : state) {
        RtttlExport exported = WriteRtttl(melody.voices[0], "max", melody.tempo);
        benchmark::DoNotOptimize(exported);
    }
}
BENCHMARK(BM_WriteRtttl)->Unit(benchmark::kMillisecond);

void BM_WriteMml(benchmark::State& state)
{
    const TextMelody melody = MaximalMelody();
    for (auto _ : state) {
        MmlExport exported = WriteMml(melody);
        benchmark::DoNotOptimize(exported);
    }
}
BENCHMARK(BM_WriteMml)->Unit(benchmark::kMillisecond);

void BM_ReadRtttl(benchmark::State& state)
{
    const std::string text = WriteRtttl(MaximalMelody().voices[0], "max", 125).text;
    for (auto _ : state) {
        TextMelodyRead read = ReadRtttl(text, "max.rtttl");
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_ReadRtttl)->Unit(benchmark::kMillisecond);

void BM_ReadMml(benchmark::State& state)
{
    const std::string text = WriteMml(MaximalMelody()).text;
    for (auto _ : state) {
        TextMelodyRead read = ReadMml(text, "max.mml");
        benchmark::DoNotOptimize(read);
    }
}
BENCHMARK(BM_ReadMml)->Unit(benchmark::kMillisecond);

// Reading and the MIDI import's notes-to-voices stage, as the commands do.
void BM_ImportRtttl(benchmark::State& state)
{
    const std::string text = WriteRtttl(MaximalMelody().voices[0], "max", 125).text;
    for (auto _ : state) {
        TextMelodyRead read = ReadRtttl(text, "max.rtttl");
        ImportedMelody melody = ImportTextMelody(read);
        benchmark::DoNotOptimize(melody);
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ImportRtttl)->Unit(benchmark::kMillisecond);

void BM_ImportMml(benchmark::State& state)
{
    const std::string text = WriteMml(MaximalMelody()).text;
    for (auto _ : state) {
        TextMelodyRead read = ReadMml(text, "max.mml");
        ImportedMelody melody = ImportTextMelody(read);
        benchmark::DoNotOptimize(melody);
    }
    state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ImportMml)->Unit(benchmark::kMillisecond);

}  // namespace
