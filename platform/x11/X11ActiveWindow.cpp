#include "X11ActiveWindow.h"

#include "QtWindows.h"

#include <cstdlib>
#include <cstring>

namespace bx::platform::x11 {

namespace {

// The source indication of a request made for the user, as a pager or task bar makes it.
constexpr std::uint32_t SourcePager = 2;

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
    const xcb_window_t window = found->second;
    xcb_generic_error_t* gone = nullptr;
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(conn_->Raw(), xcb_get_window_attributes(conn_->Raw(), window), &gone));
    std::free(gone);
    if (!attributes) {
        // The window was destroyed: nothing of it is left to activate, and its handle goes.
        Forget(hwnd);
        return false;
    }
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = conn_->Atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = SourcePager;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(conn_->Raw(), 0, conn_->Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    // Without a window manager the request above goes unanswered: raise and focus the window ourselves.
    // A window that is not shown now (minimized) cannot take the focus; the window manager shows it.
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conn_->Raw(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    if (attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(
            conn_->Raw(), xcb_set_input_focus_checked(conn_->Raw(), XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME)));
    }
    conn_->Flush();
    return true;
}

} // namespace bx::platform::x11
