// Waiting in the X11 tests: the event loop runs (the clipboard is served meanwhile) until a condition
// holds, for at most ms milliseconds; never a fixed sleep.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <functional>

namespace bx::pastetools::x11test {

inline bool RunEventsUntil(const std::function<bool()>& condition, int ms = 5000) {
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    return true;
}

} // namespace bx::pastetools::x11test
