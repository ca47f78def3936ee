#pragma once

#include "ISession.h"

namespace bx::platform::sim {

// The session of the simulated desktop: tests send the system to sleep, wake it and end the session.
class SimSession : public ISession {
public:
    // The system is about to sleep: OnSuspend runs.
    void Suspend();
    // The system woke up: OnResume runs.
    void Resume();
    // The session ends: OnEndSession runs the first time only; later calls do nothing.
    void EndSession();
    bool Ended() const { return ended_; }

private:
    bool ended_ = false;
};

} // namespace bx::platform::sim
