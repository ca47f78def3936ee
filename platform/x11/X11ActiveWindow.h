#pragma once

#include "IWindows.h"
#include "X11WindowInfo.h"
#include "XcbConnection.h"

#include <map>
#include <memory>

namespace bx::platform::x11 {

class QtWindows;

// The window the user works in, on the X server: the window manager's _NET_ACTIVE_WINDOW, else the
// top-level window that has the input focus. Such a window of another program is known to the program
// as a window of the window table with its title and process; activating it asks the window manager
// as a pager does, raises it and gives it the focus. Without a display there is none.
class X11ActiveWindow {
public:
    explicit X11ActiveWindow(QtWindows& windows);
    ~X11ActiveWindow();
    X11ActiveWindow(const X11ActiveWindow&) = delete;
    X11ActiveWindow& operator=(const X11ActiveWindow&) = delete;

    // The table's window standing for the active window; NoWindow when there is none.
    HWND Foreground();
    // Whether the handle is one that Foreground handed out.
    bool Knows(HWND hwnd) const { return xWindows_.contains(hwnd); }
    // Activates a window that Foreground handed out; false for any other handle, and for a window that
    // is gone (its handle is then no window any more).
    bool Activate(HWND hwnd);

private:
    xcb_window_t ActiveXWindow();
    xcb_window_t TopLevelOf(xcb_window_t window);
    void Forget(HWND hwnd);

    QtWindows& windows_;
    std::unique_ptr<XcbConnection> conn_;
    std::unique_ptr<X11WindowInfo> info_;
    std::map<xcb_window_t, HWND> handles_;
    std::map<HWND, xcb_window_t> xWindows_;
};

} // namespace bx::platform::x11
