#include "ui/EventPump.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

namespace sowmere::ui {

void ToolkitEventPump::processPendingEvents() { QCoreApplication::processEvents(); }

void ToolkitEventPump::delayWithEvents(int ms) {
    if (ms <= 0) return;
    const unsigned generation = m_cancelGeneration;
    const QDeadlineTimer deadline(ms, Qt::PreciseTimer);  // monotonic clock
    // The timer only wakes the blocking wait below at the deadline; between events the thread
    // sleeps in the toolkit's event wait.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    while (!deadline.hasExpired() && generation == m_cancelGeneration) {
        const qint64 remaining = deadline.remainingTime();
        if (remaining <= 0) break;
        wake.start(static_cast<int>(remaining));
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void ToolkitEventPump::cancelDelays() { ++m_cancelGeneration; }

}  // namespace sowmere::ui
