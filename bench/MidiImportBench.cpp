// MIDI import of the longest melody the system holds: the MIDI file that the
// writer makes of four voices of sixty-fourth notes up to tick 99999 (about
// 133,000 notes), read back into voice events, into a melody image, and into
// the editor's fields as the window loads it.
#include <benchmark/benchmark.h>

#include <string>

#include "UnitMidi/MidiImport.h"
#include "UnitMidi/MidiMelody.h"
#include "UnitMidi/MidiWriter.h"
#include "UnitMld/MelodyToScore.h"

namespace {

using namespace quaverly;

std::string MaximalMidiFile()
{
    SequenceList list;
    for (int voice = 0; voice < 4; ++voice) {
        int time = 0;
        for (int i = 0; time + 3 <= MaxSequenceTime; ++i, time += 3) {
            list.AddEvent(time, voice, (i * 7 + voice * 5) % 63, 2);
        }
        list.AddEvent(time, voice, -1, 0);
    }
    MidiSettings settings;
    settings.editTempo = "100";
    return MidiFileBytes(list, settings);
}

void Counters(benchmark::State& state, const std::string& file, const ImportedMelody& melody)
{
    state.counters["notes"] = melody.report.notesRead;
    state.counters["fileBytes"] = static_cast<double>(file.size());
}

void BM_ImportMidiFile(benchmark::State& state)
{
    const std::string file = MaximalMidiFile();
    ImportedMelody melody;
    for (auto _ : state) {
        melody = ImportMidiFile(file, "max.mid");
        benchmark::DoNotOptimize(melody);
    }
    Counters(state, file, melody);
}
BENCHMARK(BM_ImportMidiFile)->Unit(benchmark::kMillisecond);

void BM_ImportMidiFileToMelodyImage(benchmark::State& state)
{
    const std::string file = MaximalMidiFile();
    ImportedMelody melody;
    MelodyStore store;
    for (auto _ : state) {
        melody = ImportMidiFile(file, "max.mid");
        BuildImportedMelody(store, melody);
        benchmark::DoNotOptimize(store.MelodyImage());
    }
    Counters(state, file, melody);
    state.counters["imageBytes"] = static_cast<double>(store.MelodyImage().size());
}
BENCHMARK(BM_ImportMidiFileToMelodyImage)->Unit(benchmark::kMillisecond);

void BM_ImportMidiFileIntoEditorFields(benchmark::State& state)
{
    const std::string file = MaximalMidiFile();
    ImportedMelody melody;
    for (auto _ : state) {
        MelodyStore store;
        MelodyFileInfo info;
        melody = ImportMidiFile(file, "max.mid");
        BuildImportedMelody(store, melody);
        benchmark::DoNotOptimize(LoadMelodyIntoEditor(store, info));
    }
    Counters(state, file, melody);
}
BENCHMARK(BM_ImportMidiFileIntoEditorFields)->Unit(benchmark::kMillisecond);

}  // namespace
