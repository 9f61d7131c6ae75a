// The analysis command mnMakeMldClick in the main window on the longest
// melody: four voices of sixty-fourth notes (3 ticks) up to tick 99999, about
// 133,000 events, typed into the four pages. The time covers the whole
// command: reading the pages, the analysis, filling the sequence view
// ListViewSeq and writing the canonical texts back into the pages; the
// "...AndPaint" case adds the processing of the events the command leaves
// behind (the switch to the sequence page, its layout and the repaint). The
// window is shown on the caller's platform (offscreen unless one is set) with
// the scripted services of the window tests, so the report box is only recorded.
#include <benchmark/benchmark.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QPlainTextEdit>
#include <cstdlib>

#include "UnitMld/SequenceList.h"
#include "WindowAccess.h"
#include "WindowFixture.h"

namespace {

using namespace quaverly;

constexpr int NotesPerVoice = MaxSequenceTime / 3;  // 33,333 sixty-fourth notes

// The pages as typed: already canonical (one line of notes), or with a line
// break after every sixteen notes, which the analysis takes out, so that it
// rewrites every page.
QString VoiceText(bool canonical)
{
    const QString note = QStringLiteral("ド６４");
    if (canonical) {
        return note.repeated(NotesPerVoice);
    }
    QString text;
    for (int i = 1; i <= NotesPerVoice; ++i) {
        text += note;
        if (i % 16 == 0) {
            text += QLatin1Char('\n');
        }
    }
    return text;
}

// Types the four pages and runs the command, with the page filling untimed.
void RunAnalysis(benchmark::State& state, bool canonical, bool processEvents)
{
    WindowFixture fixture;
    fixture.window.show();
    QApplication::processEvents();
    const QString text = VoiceText(canonical);
    const auto* sequenceView = fixture.window.findChild<QAbstractItemView*>(QStringLiteral("ListViewSeq"));

    for (auto _ : state) {
        state.PauseTiming();
        for (int voice = 1; voice <= 4; ++voice) {
            WindowAccess::VoiceMemo(fixture.window, voice)->setPlainText(text);
        }
        WindowAccess::SetEditState(fixture.window, EditState::ScoreEdited);
        fixture.boxes.Clear();
        QApplication::processEvents();
        state.ResumeTiming();

        fixture.window.mnMakeMldClick();
        if (processEvents) {
            QApplication::processEvents();
        }

        state.PauseTiming();
        if (fixture.boxes.Count(ScriptedMessageBoxes::Kind::Information) != 1 ||
            WindowAccess::State(fixture.window) != EditState::Current ||
            WindowAccess::VoiceMemo(fixture.window, 4)->toPlainText() != VoiceText(true)) {
            state.SkipWithError("the analysis did not report a melody");
            break;
        }
        state.counters["rows"] = sequenceView->model()->rowCount();
        state.ResumeTiming();
    }
}

void BM_MakeMldLongestMelody(benchmark::State& state)
{
    RunAnalysis(state, true, false);
}
BENCHMARK(BM_MakeMldLongestMelody)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_MakeMldLongestMelodyAndPaint(benchmark::State& state)
{
    RunAnalysis(state, true, true);
}
BENCHMARK(BM_MakeMldLongestMelodyAndPaint)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_MakeMldLongestMelodyRewritingPages(benchmark::State& state)
{
    RunAnalysis(state, false, false);
}
BENCHMARK(BM_MakeMldLongestMelodyRewritingPages)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

}  // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
