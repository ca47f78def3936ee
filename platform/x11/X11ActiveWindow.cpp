#include "X11ActiveWindow.h"

#include "QtWindows.h"
#include "X11WindowActivation.h"

#include <cstdlib>
#include <cstring>

namespace bx::platform::x11 {

namespace {

// The source indication of a request made for the user, as a pager or task bar makes it.

} // namespace

X11ActiveWindow::X11ActiveWindow(QtWindows& windows) : windows_(windows), conn_(XcbConnection::Open()) {
    if (conn_)
        info_ = std::make_unique<X11WindowInfo>(*conn_);
}

X11ActiveWindow::~X11ActiveWindow() {
    for (const auto& [hwnd, window] : xWindows_)
        windows_.DestroyWindow(hwnd);
}

xcb_window_t X11ActiveWindow::TopLevelOf(xcb_window_t window) {
    // Walk up to the child of the root window; a bounded walk, whatever the server says.
    for (int depth = 0; depth < 64 && window != XCB_NONE; ++depth) {
        XcbReply<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(conn_->Raw(), xcb_query_tree(conn_->Raw(), window), nullptr));
        if (!tree)
            return XCB_NONE;
        if (tree->parent == conn_->Root() || tree->parent == XCB_NONE)
            return window;
        window = tree->parent;
    }
    return XCB_NONE;
}

xcb_window_t X11ActiveWindow::ActiveXWindow() {
    if (auto active = conn_->GetProperty(conn_->Root(), conn_->Atom("_NET_ACTIVE_WINDOW"), false);
        active && active->format == 32 && active->bytes.size() >= 4) {
        xcb_window_t window = XCB_NONE;
        std::memcpy(&window, active->bytes.data(), 4);
        // A window manager keeps the word up to date; one that names a window that is gone was left by a
        // program that ended (no window manager looks after it), and the input focus tells instead.
        xcb_generic_error_t* gone = nullptr;
        XcbReply<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(conn_->Raw(), xcb_get_window_attributes(conn_->Raw(), window), &gone));
        std::free(gone);
        if (window != XCB_NONE && attributes)
            return window;
    }
    XcbReply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(conn_->Raw(), xcb_get_input_focus(conn_->Raw()), nullptr));
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT ||
        focus->focus == conn_->Root())
        return XCB_NONE;
    return TopLevelOf(focus->focus);
}

HWND X11ActiveWindow::Foreground() {
    if (!conn_)
        return NoWindow;
    const xcb_window_t window = ActiveXWindow();
    if (window == XCB_NONE)
        return NoWindow;
    const std::string title = info_->Title(window);
    if (const auto known = handles_.find(window); known != handles_.end() && windows_.IsWindow(known->second)) {
        windows_.SetWindowTitle(known->second, title);
        return known->second;
    }
    const HWND hwnd = windows_.AddForeignWindow(title, info_->ProcessId(window));
    handles_[window] = hwnd;
    xWindows_[hwnd] = window;
    return hwnd;
}

void X11ActiveWindow::Forget(HWND hwnd) {
    if (const auto found = xWindows_.find(hwnd); found != xWindows_.end()) {
        handles_.erase(found->second);
        xWindows_.erase(found);
    }
    windows_.DestroyWindow(hwnd);
}

bool X11ActiveWindow::Activate(HWND hwnd) {
    const auto found = xWindows_.find(hwnd);
    if (!conn_ || found == xWindows_.end())
        return false;
    if (!X11WindowActivation::Activate(*conn_, found->second, X11WindowActivation::Source::Pager, XCB_CURRENT_TIME)) {
        // The window was destroyed: nothing of it is left to activate, and its handle goes.
        Forget(hwnd);
        return false;
    }
    return true;
}

} // namespace bx::platform::x11
