#pragma once

#include "XcbConnection.h"

#include <cstdint>

namespace bx::platform::x11 {

// Bringing a window to the front as the window managers' conventions have it: a _NET_ACTIVE_WINDOW request
// to the root window, from an application (answering the user's key press, with its server time) or from a
// pager (for another program's window), then raising the window and giving it the focus ourselves at that
// time, which is what happens when no window manager answers the request. A window that is not shown
// cannot take the focus; the window manager maps it.
class X11WindowActivation {
public:
    enum class Source : std::uint32_t { Application = 1, Pager = 2 };

    // False when the window does not exist (any more); nothing is sent then.
    static bool Activate(XcbConnection& conn, xcb_window_t window, Source source, xcb_timestamp_t time);
};

} // namespace bx::platform::x11
