#include "LiveAnalysis.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <exception>
#include <memory>
#include <new>
#include <string>

#include "base/Messages.h"

namespace quaverly {

namespace {

// The check of a window: the pages' parses are kept from one check to the
// next, so a key typed into one page parses that page alone.
LiveAnalysis::Checker KeptPagesChecker()
{
    auto checker = std::make_shared<PageChecker>();
    return [checker](const LiveAnalysisInput& input) {
        return checker->Check(input.texts, input.info, input.extendedNotation, input.fff0);
    };
}

// The check, whatever it throws: a failure (memory running out on a huge
// page, anything unforeseen) becomes the result's refusal, shown like any
// other, instead of ending the program from a worker thread.
PageCheckResult CheckReporting(const LiveAnalysis::Checker& check, const LiveAnalysisInput& input)
{
    std::string reason;
    try {
        return check(input);
    } catch (const std::bad_alloc&) {
        reason = Msg::ReasonOutOfMemory;
    } catch (const std::exception& error) {
        reason = error.what();
    } catch (...) {
    }
    PageCheckResult failed;
    failed.refusal = std::string(Msg::LiveCheckFailed) + reason;
    return failed;
}

// The roll's layout of a result, or nothing when even that fails (the roll
// then lays the sequence out itself).
std::optional<RollModel> RollOf(const PageCheckResult& result)
{
    try {
        std::optional<RollModel> roll(std::in_place);
        roll->SetEvents(result.sequence);
        return roll;
    } catch (...) {
        return std::nullopt;
    }
}

}  // namespace

LiveAnalysis::LiveAnalysis(std::function<LiveAnalysisInput()> source, QObject* parent, Checker check)
    : QObject(parent), m_source(std::move(source)), m_check(check ? std::move(check) : KeptPagesChecker())
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(PauseMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &LiveAnalysis::RunOnWorker);
}

void LiveAnalysis::Schedule()
{
    ++m_generation;
    m_timer.start();
}

void LiveAnalysis::RunNow()
{
    m_timer.stop();
    const LiveAnalysisInput input = m_source();
    PageCheckResult result = CheckReporting(m_check, input);
    std::optional<RollModel> roll = RollOf(result);
    Take(++m_generation, std::move(result), std::move(roll));
}

void LiveAnalysis::RunOnWorker()
{
    // The texts are read here, on the window's thread; the worker only has its copy.
    auto input = std::make_shared<LiveAnalysisInput>(m_source());
    const unsigned generation = m_generation;
    QPointer<LiveAnalysis> self(this);
    QThreadPool::globalInstance()->start([input, generation, self, check = m_check] {
        // Nothing may leave the runnable: an exception here would end the program.
        try {
            auto result = std::make_shared<PageCheckResult>(CheckReporting(check, *input));
            auto roll = std::make_shared<std::optional<RollModel>>(RollOf(*result));
            // Back on the window's thread, where self is checked before use.
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [result, roll, generation, self] {
                    if (self) {
                        self->Take(generation, std::move(*result), std::move(*roll));
                    }
                },
                Qt::QueuedConnection);
        } catch (...) {
            // Not even the refusal could be made: this check shows nothing.
        }
    });
}

void LiveAnalysis::Take(unsigned generation, PageCheckResult result, std::optional<RollModel> roll)
{
    if (generation != m_generation) {
        return;  // a later change is pending or shown already
    }
    m_shown = generation;
    m_last = std::move(result);
    m_lastRoll = std::move(roll);
    emit Analysed(m_last);
    m_lastRoll.reset();
}

}  // namespace quaverly
