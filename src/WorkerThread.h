#pragma once

#include <QMutex>
#include <QThread>

/// Base of the library workers: a thread with a stop flag that the thread
/// body polls between steps. The flag may be read and set from any thread.
class WorkerThread : public QThread
{
    Q_OBJECT
public:
    explicit WorkerThread(QObject* parent = nullptr);

    bool isStopped() const;
    void setStopped(bool stopped);
    void stop() { setStopped(true); }

private:
    mutable QMutex m_stopMutex;
    bool m_stopped = false;
};
