#include "SimSession.h"

namespace bx::platform::sim {

void SimSession::Suspend() {
    if (OnSuspend)
        OnSuspend();
}

void SimSession::Resume() {
    if (OnResume)
        OnResume();
}

void SimSession::EndSession() {
    if (ended_)
        return;
    ended_ = true;
    if (OnEndSession)
        OnEndSession();
}

} // namespace bx::platform::sim
