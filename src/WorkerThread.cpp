#include "WorkerThread.h"

#include <QMutexLocker>

WorkerThread::WorkerThread(QObject* parent) : QThread(parent) {}

bool WorkerThread::isStopped() const
{
    QMutexLocker lock(&m_stopMutex);
    return m_stopped;
}

void WorkerThread::setStopped(bool stopped)
{
    QMutexLocker lock(&m_stopMutex);
    m_stopped = stopped;
}
