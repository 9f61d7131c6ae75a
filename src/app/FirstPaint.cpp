#include "FirstPaint.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <chrono>
#include <cstdio>

#include "UnitPlay/MidiPlayer.h"

namespace quaverly {

FirstPaint::FirstPaint(QWidget& mainWindow, MidiPlayer& player, std::function<void()> applyIcon)
    : m_mainWindow(&mainWindow),
      m_player(player),
      m_applyIcon(std::move(applyIcon)),
      m_exitAfterPaint(qEnvironmentVariableIntValue("QUAVERLY_EXIT_AFTER_SHOW") == 1)
{
    // Application-wide until the main window is painted, for the windows
    // shown before it; a few events pass meanwhile.
    qApp->installEventFilter(this);
}

FirstPaint::~FirstPaint()
{
    if (qApp != nullptr) {
        qApp->removeEventFilter(this);
    }
}

bool FirstPaint::eventFilter(QObject* watched, QEvent* event)
{
    if (m_painted) {
        return false;
    }
    if (event->type() == QEvent::Show && watched != m_mainWindow && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
        ApplyIcon();
    } else if (event->type() == QEvent::Paint && watched == m_mainWindow) {
        m_painted = true;
        qApp->removeEventFilter(this);
        if (m_exitAfterPaint) {
            const auto now = std::chrono::steady_clock::now().time_since_epoch();
            std::printf("%.3f\n", std::chrono::duration<double, std::milli>(now).count());
            std::fflush(stdout);
            // Queued, so that the window's first paint completes.
            QMetaObject::invokeMethod(
                qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        // After the paint under way has completed.
        QTimer::singleShot(0, this, &FirstPaint::AfterPaint);
    }
    return false;
}

void FirstPaint::ApplyIcon()
{
    if (!m_iconApplied) {
        m_iconApplied = true;
        if (m_applyIcon) {
            m_applyIcon();
        }
    }
}

void FirstPaint::AfterPaint()
{
    ApplyIcon();
    m_player.Prepare();
}

}  // namespace quaverly
