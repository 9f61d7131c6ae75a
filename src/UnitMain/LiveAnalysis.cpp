#include "LiveAnalysis.h"

namespace quaverly {

LiveAnalysis::LiveAnalysis(std::function<LiveAnalysisInput()> source, QObject* parent)
    : QObject(parent), m_source(std::move(source))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(PauseMilliseconds);
    connect(&m_timer, &QTimer::timeout, this, &LiveAnalysis::RunNow);
}

void LiveAnalysis::Schedule()
{
    m_timer.start();
}

void LiveAnalysis::RunNow()
{
    m_timer.stop();
    const LiveAnalysisInput input = m_source();
    m_last = CheckPages(input.texts, input.info, input.extendedNotation);
    emit Analysed(m_last);
}

}  // namespace quaverly
