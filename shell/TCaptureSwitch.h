#pragma once

#include "TEvent.h"

namespace bx::shell {

class TBrindlexCore;

// Automatic capture, as the user switches it: the Config menu's entry, the notification-area menu's
// entry and the notification-area icon show its state, whoever changed it (the user from either menu,
// the start, the "NOCAPTURE" argument). The state is the viewer component's Capturing flag; the switch
// changes it through the core and passes every change of the core on as Changed.
class TCaptureSwitch {
public:
    explicit TCaptureSwitch(TBrindlexCore& core);
    TCaptureSwitch(const TCaptureSwitch&) = delete;
    TCaptureSwitch& operator=(const TCaptureSwitch&) = delete;

    // Capture is on.
    bool On() const;
    // The user's command: switches capture to the state asked for (a check mark's new state).
    void Set(bool on);
    void Toggle() { Set(!On()); }

    // Capture was switched (its new state); also when it was switched to the state it had.
    platform::TEvent<bool> Changed;

private:
    TBrindlexCore& core_;
    platform::TSubscription switched_;
};

} // namespace bx::shell
