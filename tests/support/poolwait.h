// Waiting in tests without depending on speed: the event loop keeps running,
// and the time-outs are safety nets only.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QThreadPool>
#include <functional>

namespace PoolWait {

// Spins the event loop until cond holds; false after timeoutMs.
inline bool waitFor(const std::function<bool()>& cond, int timeoutMs = 30000)
{
    QElapsedTimer t;
    t.start();
    while (!cond()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return true;
}

// Every pool job has returned and its queued signals have been delivered.
inline bool drainPool(int timeoutMs = 30000)
{
    const bool ok = waitFor([] { return QThreadPool::globalInstance()->activeThreadCount() == 0; }, timeoutMs);
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return ok;
}

} // namespace PoolWait
