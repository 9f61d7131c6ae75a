// The live check of the pages while the user types: some 150 ms after the
// last change it works out what the pages would compile to (CheckPages) and
// emits one result. Each page's parse is kept until the page changes
// (PageChecker), so a check after a key typed into one page parses that page
// alone. A check after a pause runs on a worker thread, and a result that a
// later change has made stale is dropped. Other views (the diagnostics, the meter, a piano roll)
// take that result; none of them parses the pages again.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>

#include "UnitMld/PageCheck.h"
#include "UnitRoll/RollModel.h"

namespace quaverly {

// What a check reads: the editor's texts and the switches that change the parse.
struct LiveAnalysisInput {
    EditorTexts texts;
    MelodyFileInfo info;
    bool extendedNotation = false;
    Fff0Data fff0;
};

class LiveAnalysis : public QObject {
    Q_OBJECT

public:
    static constexpr int PauseMilliseconds = 150;

    using Checker = std::function<PageCheckResult(const LiveAnalysisInput&)>;

    // source: read when a check runs, so the check sees the texts as they are then.
    // check: the check itself, a PageChecker's unless given (a test gives a failing one).
    explicit LiveAnalysis(std::function<LiveAnalysisInput()> source, QObject* parent = nullptr, Checker check = {});

    // The pause after the last change (PauseMilliseconds; tests lengthen it).
    void SetPause(int milliseconds) { m_timer.setInterval(milliseconds); }
    // A change: the check runs once typing has paused.
    void Schedule();
    // The check at once, on this thread (after an analysis or a refusal),
    // dropping a pending one.
    void RunNow();
    // True while a change has not been checked yet.
    bool Pending() const { return m_timer.isActive() || m_shown != m_generation; }
    const PageCheckResult& LastResult() const { return m_last; }
    // The piano roll's layout of the last result's sequence, made with the
    // check (on the worker for a check after a pause): handed out once, to
    // the roll, while Analysed is under way; nothing after that.
    std::optional<RollModel> TakeRollModel() { return std::exchange(m_lastRoll, std::nullopt); }

signals:
    void Analysed(const quaverly::PageCheckResult& result);

private:
    void RunOnWorker();
    void Take(unsigned generation, PageCheckResult result, std::optional<RollModel> roll);

    std::function<LiveAnalysisInput()> m_source;
    Checker m_check;
    unsigned m_generation = 0;  // counts the changes
    unsigned m_shown = 0;       // the change the last result shows
    QTimer m_timer;
    PageCheckResult m_last;
    std::optional<RollModel> m_lastRoll;
};

}  // namespace quaverly
