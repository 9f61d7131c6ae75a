#include "LiveAnalysis.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <memory>

namespace quaverly {

LiveAnalysis::LiveAnalysis(std::function<LiveAnalysisInput()> source, QObject* parent)
    : QObject(parent), m_source(std::move(source))
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
    Take(++m_generation, CheckPages(input.texts, input.info, input.extendedNotation));
}

void LiveAnalysis::RunOnWorker()
{
    // The texts are read here, on the window's thread; the worker only has its copy.
    auto input = std::make_shared<LiveAnalysisInput>(m_source());
    const unsigned generation = m_generation;
    QPointer<LiveAnalysis> self(this);
    QThreadPool::globalInstance()->start([input, generation, self] {
        auto result = std::make_shared<PageCheckResult>(
            CheckPages(input->texts, input->info, input->extendedNotation));
        // Back on the window's thread, where self is checked before use.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [result, generation, self] {
                if (self) {
                    self->Take(generation, std::move(*result));
                }
            },
            Qt::QueuedConnection);
    });
}

void LiveAnalysis::Take(unsigned generation, PageCheckResult result)
{
    if (generation != m_generation) {
        return;  // a later change is pending or shown already
    }
    m_shown = generation;
    m_last = std::move(result);
    emit Analysed(m_last);
}

}  // namespace quaverly
