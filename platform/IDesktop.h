#pragma once

#include "IBrowserLink.h"
#include "IClipboard.h"
#include "IClock.h"
#include "IHotKeys.h"
#include "IKeyboard.h"
#include "IProcesses.h"
#include "IRegistry.h"
#include "ISession.h"
#include "IShell.h"
#include "ISound.h"
#include "IWindows.h"

namespace bx::platform {

// Everything the program asks of the desktop it runs on. Behaviour code receives an IDesktop and
// never calls the operating system, the system clock or a sleep by any other road.
// Implementations: SimDesktop (tests, virtual time) and X11Desktop (the real desktop).
class IDesktop {
public:
    virtual ~IDesktop() = default;

    virtual IClock& Clock() = 0;
    virtual IWindows& Windows() = 0;
    virtual IClipboard& Clipboard() = 0;
    virtual IProcesses& Processes() = 0;
    virtual IKeyboard& Keyboard() = 0;
    virtual IHotKeys& HotKeys() = 0;
    virtual ISound& Sound() = 0;
    virtual IShell& Shell() = 0;
    virtual IRegistry& Registry() = 0;
    // Web browsers' address services (where the desktop has none, every conversation is refused).
    virtual IBrowserLink& Browser() = 0;
    // Sleep, wake-up and the end of the session.
    virtual ISession& Session() = 0;
};

} // namespace bx::platform
