#pragma once

#include "XcbConnection.h"

#include <cstdint>
#include <memory>

namespace bx::platform::x11 {

// Whether a top-level window of ours has a taskbar button: the window manager's skip-taskbar state
// (_NET_WM_STATE_SKIP_TASKBAR, which taskbars and pagers read). A mapped window asks the window manager
// (a _NET_WM_STATE message to the root); an unmapped one carries the state in its own _NET_WM_STATE,
// which the window manager reads when the window is mapped (Qt adds its own states to it then). Without
// a display it does nothing.
class X11TaskbarHint {
public:
    X11TaskbarHint();
    ~X11TaskbarHint();
    X11TaskbarHint(const X11TaskbarHint&) = delete;
    X11TaskbarHint& operator=(const X11TaskbarHint&) = delete;

    // window: the X window of a top-level window (QWidget::winId).
    void SetSkipTaskbar(std::uint32_t window, bool skip);
    // The window's own _NET_WM_STATE holds the skip-taskbar state (for tests).
    bool SkipsTaskbar(std::uint32_t window);

private:
    std::unique_ptr<XcbConnection> conn_;
};

} // namespace bx::platform::x11
