#include "StallMonitor.h"

#include <QDateTime>
#include <QMetaObject>

#include <chrono>
#include <cstdio>

StallMonitor::StallMonitor(int thresholdMs, QObject* parent) : QObject(parent), m_thresholdMs(thresholdMs)
{
    m_clock.start();
    m_thread = std::thread([this] {
        while (m_running) {
            // One call in flight at a time: a blocked loop is measured by the
            // call already waiting, not flooded with new ones.
            if (!m_pending.exchange(true)) {
                const qint64 posted = m_clock.nsecsElapsed();
                QMetaObject::invokeMethod(
                    this, [this, posted] { answered(posted); }, Qt::QueuedConnection);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    });
}

StallMonitor::~StallMonitor()
{
    m_running = false;
    m_thread.join();
    std::fprintf(stderr, "longest stall %.1f ms, %d stall(s) over %d ms\n", m_longest, m_stalls, m_thresholdMs);
}

StallMonitor* StallMonitor::fromEnvironment(QObject* parent)
{
    bool ok = false;
    const int threshold = qEnvironmentVariableIntValue("LANTERNLEAF_STALL_LOG", &ok);
    return ok && threshold > 0 ? new StallMonitor(threshold, parent) : nullptr;
}

void StallMonitor::answered(qint64 postedNs)
{
    const double waited = (m_clock.nsecsElapsed() - postedNs) / 1e6;
    m_pending = false;
    m_longest = qMax(m_longest, waited);
    if (waited > m_thresholdMs) {
        ++m_stalls;
        // When it began, as the clock on the wall says: a script driving
        // the program can tell which of its steps it belongs to.
        const double began = QDateTime::currentMSecsSinceEpoch() / 1e3 - waited / 1e3;
        std::fprintf(stderr, "stall %.1f ms at %.3f\n", waited, began);
    }
}
