// The compile road and the way back at melody sizes from 1,000 events to the
// longest melody the SequenceList can hold: four voices of sixty-fourth notes
// (3 ticks) up to tick 99999, about 133,000 events. "Analyse" is the whole
// analysis command (four parses, the build, the view rows and the report);
// "Load" is the load of the built image back into editor fields and score text;
// "ParseAndBuild" and "LoadScoreText" leave out the sequence view's rows.
#include <benchmark/benchmark.h>

#include <string>

#include <cstdlib>

#include "UnitMld/MelodyText.h"
#include "UnitMld/MelodyToScore.h"
#include "UnitMld/PageCheck.h"
#include "base/FileIO.h"
#include "UnitMld/ScoreAnalysis.h"

namespace {

using namespace quaverly;

constexpr int MaximalEvents = 4 * (MaxSequenceTime / 3);

// "ド６４", "レ６４", ... in Shift-JIS: sixty-fourth notes over one octave.
EditorTexts SixtyFourthNotes(int events)
{
    static const char* const Heads[] = {"\x83h", "\x83\x8C", "\x83~", "\x83t\x83@", "\x83\\", "\x83\x89", "\x83V"};
    EditorTexts texts;
    texts.tempo = "125";
    texts.title = "Bench";
    texts.tones.fill("1");
    texts.volumes.fill("63");
    for (int voice = 0; voice < 4; ++voice) {
        std::string& score = texts.scores[static_cast<size_t>(voice)];
        for (int i = voice; i < events; i += 4) {
            score += Heads[(i / 4 + voice) % 7];
            score += "\x82U\x82S";  // ６４
        }
    }
    return texts;
}

void Arguments(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(1000)->Arg(10000)->Arg(100000)->Arg(MaximalEvents);
    benchmark->Unit(benchmark::kMillisecond)->Complexity(benchmark::oNLogN);
}

void BM_AnalyseScore(benchmark::State& state)
{
    const EditorTexts texts = SixtyFourthNotes(static_cast<int>(state.range(0)));
    MelodyStore store;
    for (auto _ : state) {
        AnalysisResult result = AnalyseScore(store, texts, MelodyFileInfo{}, false);
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = static_cast<double>(store.MelodyImage().size());
}
BENCHMARK(BM_AnalyseScore)->Apply(Arguments);

// Parse and build alone (and the report), as `quaverly-cli build` runs them:
// no rows for a sequence view.
void BM_ParseAndBuild(benchmark::State& state)
{
    const EditorTexts texts = SixtyFourthNotes(static_cast<int>(state.range(0)));
    MelodyStore store;
    for (auto _ : state) {
        AnalysisResult result = AnalyseScore(store, texts, MelodyFileInfo{}, false, ViewRows::Skip);
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(state.range(0));
    state.counters["bytes"] = static_cast<double>(store.MelodyImage().size());
}
BENCHMARK(BM_ParseAndBuild)->Apply(Arguments);

void BM_LoadMelodyIntoEditor(benchmark::State& state)
{
    MelodyStore built;
    AnalyseScore(built, SixtyFourthNotes(static_cast<int>(state.range(0))), MelodyFileInfo{}, false);
    MelodyStore store;
    MelodyFileInfo info;
    for (auto _ : state) {
        store.ClearMelody();
        store.MelodyImage() = built.MelodyImage();
        std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info);
        benchmark::DoNotOptimize(fields);
    }
    state.SetComplexityN(state.range(0));
    state.counters["lines"] = static_cast<double>(store.Sequence().size());
}
BENCHMARK(BM_LoadMelodyIntoEditor)->Apply(Arguments);

// The load back to the editor's texts and score text, without the view rows,
// as `quaverly-cli text` runs it.
void BM_LoadScoreText(benchmark::State& state)
{
    MelodyStore built;
    AnalyseScore(built, SixtyFourthNotes(static_cast<int>(state.range(0))), MelodyFileInfo{}, false);
    MelodyStore store;
    MelodyFileInfo info;
    for (auto _ : state) {
        store.ClearMelody();
        store.MelodyImage() = built.MelodyImage();
        std::optional<EditorFields> fields = LoadMelodyIntoEditor(store, info, ViewRows::Skip);
        benchmark::DoNotOptimize(fields);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadScoreText)->Apply(Arguments);

// The window's live check after each pause in typing: diagnostics, the
// meter's figures and the sequence, without touching the pages.
void BM_CheckPages(benchmark::State& state)
{
    const EditorTexts texts = SixtyFourthNotes(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        PageCheckResult result = CheckPages(texts, MelodyFileInfo{}, false);
        benchmark::DoNotOptimize(result);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_CheckPages)->Apply(Arguments);

// The same on a melody text file named by QUAVERLY_BENCH_TML (the maximal
// melody of genmax.py); skipped without it.
void BM_CheckPagesOfTmlFile(benchmark::State& state)
{
    const char* path = std::getenv("QUAVERLY_BENCH_TML");
    if (path == nullptr) {
        state.SkipWithError("QUAVERLY_BENCH_TML not set");
        return;
    }
    EditorTexts texts;
    MelodyFileInfo info;
    ReadMelodyText(ReadWholeFile(path), texts, info);
    for (auto _ : state) {
        PageCheckResult result = CheckPages(texts, info, false);
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_CheckPagesOfTmlFile)->Unit(benchmark::kMillisecond);

// The live check as the window makes it while the user types: a note in the
// middle of page 1 changed from ド to レ and back by turns, each change
// followed by a check that parses that page again and keeps the other three.
// The maximal melody of genmax.py when QUAVERLY_BENCH_TML names it, else the
// four voices of sixty-fourth notes.
void BM_CheckAfterOneEdit(benchmark::State& state)
{
    EditorTexts texts = SixtyFourthNotes(MaximalEvents);
    MelodyFileInfo info;
    if (const char* path = std::getenv("QUAVERLY_BENCH_TML")) {
        texts = EditorTexts{};
        ReadMelodyText(ReadWholeFile(path), texts, info);
    }
    std::string& page = texts.scores[0];
    // ド６４ in the middle of the page: its two bytes of ド become レ's.
    const size_t note = page.find("\x83h\x82U\x82S", page.size() / 2);
    if (note == std::string::npos) {
        state.SkipWithError("no note to change");
        return;
    }
    PageChecker checker;
    checker.Check(texts, info, false);
    for (auto _ : state) {
        page[note + 1] = page[note + 1] == 'h' ? '\x8C' : 'h';
        PageCheckResult result = checker.Check(texts, info, false);
        benchmark::DoNotOptimize(result);
    }
    state.counters["pages_parsed"] = checker.PagesParsed();
}
BENCHMARK(BM_CheckAfterOneEdit)->Unit(benchmark::kMillisecond);

}  // namespace
