#pragma once

#include "XcbConnection.h"

#include <cstdint>
#include <string>

namespace bx::platform::x11 {

// What the X server can tell about another client's window: the process behind it (the XRes client
// id first, then _NET_WM_PID on the window or its client leader), its program (/proc/PID/exe) and its
// title (_NET_WM_NAME, else WM_NAME).
class X11WindowInfo {
public:
    enum class Means { None, XRes, NetWmPid };

    explicit X11WindowInfo(XcbConnection& conn) : conn_(conn) {}

    std::uint32_t ProcessId(xcb_window_t window, Means* means = nullptr);
    std::string Title(xcb_window_t window);
    static std::string ProgramPath(std::uint32_t pid);

private:
    std::uint32_t XResPid(xcb_window_t window);
    std::uint32_t NetWmPid(xcb_window_t window);

    XcbConnection& conn_;
};

} // namespace bx::platform::x11
