#pragma once

// For the X11 test programs' entries: one connection held for the whole run. An X server without -noreset
// starts afresh when its last client leaves (the previous test program) and resets connections meanwhile;
// no event tells when it is back, so the first connection is retried for a while (about 2 s).
#include "XcbConnection.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

namespace bx::platform::x11::testing {

inline bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

// nullptr without $DISPLAY, or when the server never answered.
inline std::unique_ptr<XcbConnection> HoldDisplay() {
    std::unique_ptr<XcbConnection> keeper;
    for (int attempt = 0; HasDisplay() && attempt < 100 && !keeper; ++attempt)
        if (!(keeper = XcbConnection::Open()))
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return keeper;
}

} // namespace bx::platform::x11::testing
