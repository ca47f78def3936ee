#include "X11WindowActivation.h"

#include <cstdlib>

namespace bx::platform::x11 {

bool X11WindowActivation::Activate(XcbConnection& conn, xcb_window_t window, Source source, xcb_timestamp_t time) {
    xcb_generic_error_t* gone = nullptr;
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(conn.Raw(), xcb_get_window_attributes(conn.Raw(), window), &gone));
    std::free(gone);
    if (!attributes)
        return false;
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = conn.Atom("_NET_ACTIVE_WINDOW");
    message.data.data32[0] = static_cast<std::uint32_t>(source);
    message.data.data32[1] = time;
    xcb_send_event(conn.Raw(), 0, conn.Root(),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    const std::uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_configure_window(conn.Raw(), window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    if (attributes->map_state == XCB_MAP_STATE_VIEWABLE) {
        XcbReply<xcb_generic_error_t> error(xcb_request_check(
            conn.Raw(), xcb_set_input_focus_checked(conn.Raw(), XCB_INPUT_FOCUS_PARENT, window, time)));
    }
    conn.Flush();
    return true;
}

} // namespace bx::platform::x11
