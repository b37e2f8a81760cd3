#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <atomic>
#include <thread>

/// A developer's probe of how well the window answers: a thread of its own
/// posts an empty call to the GUI thread every two milliseconds and notes how
/// long it waited to run. Every wait above the threshold is written to
/// standard error as "stall N ms at T" (T: when it began, seconds since
/// 1970); the longest wait and the number of stalls are written when the
/// monitor ends.
///
/// The program starts one when the environment variable
/// LANTERNLEAF_STALL_LOG holds a threshold in milliseconds (see
/// benchmarks/probe_reader.sh); users never see it.
///
/// Made and destroyed on the GUI thread.
class StallMonitor : public QObject
{
public:
    explicit StallMonitor(int thresholdMs, QObject* parent = nullptr);
    ~StallMonitor() override;

    /// A monitor when LANTERNLEAF_STALL_LOG asks for one, else null.
    static StallMonitor* fromEnvironment(QObject* parent);

    double longestMs() const { return m_longest; }
    int stalls() const { return m_stalls; }

private:
    void answered(qint64 postedNs);

    const int m_thresholdMs;
    QElapsedTimer m_clock;
    std::atomic<bool> m_running{true};
    std::atomic<bool> m_pending{false};
    std::thread m_thread;
    double m_longest = 0;
    int m_stalls = 0;
};
