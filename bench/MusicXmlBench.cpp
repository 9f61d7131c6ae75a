// The MusicXML export of the longest melody (four voices of sixty-fourth
// notes to tick 99999, or the melody text QUAVERLY_BENCH_TML names, such as
// genmax.py's), plain and compressed, and the import of a score of about
// 1 MB: read, notes collected and placed in four voices.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "UnitMld/MelodyStore.h"
#include "UnitMld/MelodyText.h"
#include "UnitMld/ScoreAnalysis.h"
#include "UnitXml/MusicXmlImport.h"
#include "UnitXml/MusicXmlWriter.h"
#include "base/FileIO.h"

namespace {

using namespace quaverly;

constexpr int MaximalEvents = 4 * (MaxSequenceTime / 3);

EditorTexts SixtyFourthNotes(int events)
{
    static const char* const Heads[] = {"\x83h", "\x83\x8C", "\x83~", "\x83t\x83@", "\x83\\", "\x83\x89", "\x83V"};
    EditorTexts texts{.tempo = "125", .title = "Bench", .tones = {"1", "1", "1", "1"},
                      .volumes = {"63", "63", "63", "63"}, .scores = {}};
    for (int voice = 0; voice < 4; ++voice) {
        for (int i = voice; i < events; i += 4) {
            texts.scores[static_cast<size_t>(voice)] += std::string(Heads[(i / 4 + voice) % 7]) + "\x82U\x82S";  // ６４
        }
    }
    return texts;
}

struct Compiled {
    EditorTexts texts;
    MelodyStore store;
};

void Compile(Compiled& compiled, int events, bool allowFile)
{
    compiled.texts = SixtyFourthNotes(events);
    MelodyFileInfo info;
    if (const char* path = std::getenv("QUAVERLY_BENCH_TML"); allowFile && path != nullptr) {
        compiled.texts = EditorTexts{};
        ReadMelodyText(ReadWholeFile(path), compiled.texts, info);
    }
    AnalyseScore(compiled.store, compiled.texts, info, false, ViewRows::Skip);
}

void Export(benchmark::State& state, bool compressed)
{
    Compiled compiled;
    Compile(compiled, MaximalEvents, true);
    size_t bytes = 0;
    for (auto _ : state) {
        MusicXmlSource source;
        MakeMusicXmlSource(compiled.texts, compiled.store.Sequence(), source);
        const std::string file = compressed ? MxlBytes(source) : MusicXmlBytes(source);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
    state.counters["entries"] = static_cast<double>(compiled.store.Sequence().size());
}

void BM_ExportMusicXmlMaximal(benchmark::State& state) { Export(state, false); }
BENCHMARK(BM_ExportMusicXmlMaximal)->Unit(benchmark::kMillisecond);

void BM_ExportMxlMaximal(benchmark::State& state) { Export(state, true); }
BENCHMARK(BM_ExportMxlMaximal)->Unit(benchmark::kMillisecond);

void BM_ImportMusicXmlOneMegabyte(benchmark::State& state)
{
    Compiled compiled;
    Compile(compiled, 9600, false);  // some 1 MB of score
    MusicXmlSource source;
    MakeMusicXmlSource(compiled.texts, compiled.store.Sequence(), source);
    const std::string file = MusicXmlBytes(source);
    for (auto _ : state) {
        ImportedMelody melody = ImportMidiContent(CollectMusicXmlContent(file, "bench.musicxml"));
        benchmark::DoNotOptimize(melody);
    }
    state.counters["bytes"] = static_cast<double>(file.size());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}
BENCHMARK(BM_ImportMusicXmlOneMegabyte)->Unit(benchmark::kMillisecond);

}  // namespace
