// Waiting for a condition with a deadline, processing events meanwhile. Tests never sleep for a fixed time.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

#include <functional>

namespace testsupport {

// True as soon as condition() holds; false when the deadline passes first.
inline bool waitFor(const std::function<bool()>& condition, int timeoutMs = 10000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::yieldCurrentThread();
    }
    return true;
}

} // namespace testsupport
