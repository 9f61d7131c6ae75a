// The player's figures: how soon the play command sounds (making the MIDI
// file's bytes, opening them from memory and starting play, to the first
// rendered audio frame that carries the melody, with the synthesizer warm),
// for a short tune, the longest own melody and a 1 MB melody of another
// maker; and how fast the longest melody renders to audio, as a multiple of
// real time.
#ifdef QUAVERLY_HAVE_SYNTH

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "BigForeignMelody.h"
#include "UnitMfi/MfiMelody.h"
#include "UnitMfi/MfiMidi.h"
#include "UnitMidi/MidiWriter.h"
#include "FirstSound.h"
#include "synth/AudioRenderer.h"
#include "synth/SequencePlayer.h"
#include "synth/Synthesizer.h"

namespace {

using namespace quaverly;

// A short tune that sounds from its first tick.
SequenceList ShortTune()
{
    SequenceList list;
    for (int i = 0; i < 8; ++i) {
        list.AddEvent(i * 24, 0, 27 + i, 24);
    }
    list.AddEvent(192, 0, EndNote, 0);
    return list;
}

// Four voices of sixty-fourth notes (3 ticks) up to the last melody time.
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

using quaverly::bench::FirstSound;
using quaverly::bench::MegabyteForeignMelody;

void PlayCommandToFirstSound(benchmark::State& state)
{
    Synthesizer synth;
    FirstSound firstSound;
    const AudioOutput output = firstSound.Output();
    SequencePlayer player(synth, output);
    const SequenceList tune = ShortTune();
    for (auto _ : state) {
        firstSound.Reset();
        const auto start = std::chrono::steady_clock::now();
        player.OpenBytes(MidiFileBytes(tune, MidiSettings{}), "Play.mid");
        player.Play([] {});
        firstSound.Wait();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        player.Close();
    }
}
BENCHMARK(PlayCommandToFirstSound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// Play from the cursor: the same steps, the play starting at bar 17 of a
// 32-bar tune whose every bar starts with a rest, so the first sound comes
// from the seek (a play from the start would sound only after an eighth).
void PlayFromCursorToFirstSound(benchmark::State& state)
{
    Synthesizer synth;
    FirstSound firstSound;
    const AudioOutput output = firstSound.Output();
    SequencePlayer player(synth, output);
    SequenceList tune;
    for (int bar = 0; bar < 32; ++bar) {
        tune.AddEvent(bar * 192, 0, 0, 0);
        for (int i = 0; i < 7; ++i) {
            tune.AddEvent(bar * 192 + 24 + i * 24, 0, 27 + i, 20);
        }
    }
    tune.AddEvent(32 * 192, 0, EndNote, 0);
    const int cursorTime = 16 * 192 + 24;
    for (auto _ : state) {
        firstSound.Reset();
        const auto start = std::chrono::steady_clock::now();
        player.OpenBytes(MidiFileBytes(tune, MidiSettings{}), "Play.mid");
        player.PlayFrom([] {}, int64_t{cursorTime} * player.Timing().division / 48);
        firstSound.Wait();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        player.Close();
    }
}
BENCHMARK(PlayFromCursorToFirstSound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

// F5 on the longest own melody: its MIDI file made, opened from memory and
// started, to the first sound.
void LongestMelodyPlayToFirstSound(benchmark::State& state)
{
    Synthesizer synth;
    FirstSound firstSound;
    SequencePlayer player(synth, firstSound.Output());
    const SequenceList melody = LongestMelody();
    size_t midiBytes = 0;
    for (auto _ : state) {
        firstSound.Reset();
        const auto start = std::chrono::steady_clock::now();
        std::string midi = MidiFileBytes(melody, MidiSettings{});
        midiBytes = midi.size();
        player.OpenBytes(std::move(midi), "Play.mid");
        player.Play([] {});
        firstSound.Wait();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        player.Close();
    }
    state.counters["midi_bytes"] = static_cast<double>(midiBytes);
}
BENCHMARK(LongestMelodyPlayToFirstSound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

// F5 on an open 1 MB melody of another maker: its all-channel MIDI file made,
// opened from memory and started, to the first sound.
void ForeignMegabytePlayToFirstSound(benchmark::State& state)
{
    Synthesizer synth;
    FirstSound firstSound;
    SequencePlayer player(synth, firstSound.Output());
    const std::string file = MegabyteForeignMelody();
    const MfiMelody melody = ReadMfiMelody(file, "big.mld");
    for (auto _ : state) {
        firstSound.Reset();
        const auto start = std::chrono::steady_clock::now();
        player.OpenBytes(MfiMidiFileBytes(melody), "Play.mid");
        player.Play([] {});
        firstSound.Wait();
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        player.Close();
    }
    state.counters["file_bytes"] = static_cast<double>(file.size());
}
BENCHMARK(ForeignMegabytePlayToFirstSound)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void RenderLongestMelody(benchmark::State& state)
{
    Synthesizer synth;
    const std::string midi = MidiFileBytes(LongestMelody(), MidiSettings{});
    double audioSeconds = 0;
    double wallSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        RenderedAudio audio = RenderMidi(synth, midi, "longest.mid");
        wallSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        audioSeconds += static_cast<double>(audio.Frames()) / Synthesizer::SampleRate;
        benchmark::DoNotOptimize(audio.samples.data());
    }
    state.counters["audio_seconds"] = audioSeconds / static_cast<double>(state.iterations());
    state.counters["times_real_time"] = audioSeconds / wallSeconds;
}
BENCHMARK(RenderLongestMelody)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

#endif  // QUAVERLY_HAVE_SYNTH
