#pragma once

#include <functional>

namespace bx::platform {

// The life of the user's session as the program sees it: the system going to sleep and waking up, and
// the end of the session (or an order to stop). The events arrive on the main thread, from the event
// loop, never from inside a signal handler.
class ISession {
public:
    virtual ~ISession() = default;

    // The system is about to sleep: save now. The sleep waits (a short while) until this returns.
    std::function<void()> OnSuspend;
    // The system woke up.
    std::function<void()> OnResume;
    // The session ends or the program is told to stop (SIGTERM, SIGINT, SIGHUP, the toolkit's
    // session end). Called at most once per run.
    std::function<void()> OnEndSession;
};

} // namespace bx::platform
