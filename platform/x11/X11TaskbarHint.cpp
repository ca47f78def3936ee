#include "X11TaskbarHint.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace bx::platform::x11 {

namespace {

std::vector<xcb_atom_t> Atoms(const XcbConnection::Property& property) {
    std::vector<xcb_atom_t> atoms;
    if (property.format != 32 || property.type != XCB_ATOM_ATOM)
        return atoms;
    atoms.resize(property.bytes.size() / sizeof(xcb_atom_t));
    if (!atoms.empty()) // an empty property has no bytes to copy from
        std::memcpy(atoms.data(), property.bytes.data(), atoms.size() * sizeof(xcb_atom_t));
    return atoms;
}

} // namespace

X11TaskbarHint::X11TaskbarHint() : conn_(XcbConnection::Open()) {}

X11TaskbarHint::~X11TaskbarHint() = default;

void X11TaskbarHint::SetSkipTaskbar(std::uint32_t window, bool skip) {
    if (!conn_ || window == XCB_NONE)
        return;
    xcb_connection_t* c = conn_->Raw();
    const xcb_atom_t state = conn_->Atom("_NET_WM_STATE");
    const xcb_atom_t skipTaskbar = conn_->Atom("_NET_WM_STATE_SKIP_TASKBAR");
    XcbReply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr));
    if (!attributes)
        return;
    if (attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
        // _NET_WM_STATE_REMOVE 0, _NET_WM_STATE_ADD 1; the source 1 is a normal application.
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = state;
        message.data.data32[0] = skip ? 1 : 0;
        message.data.data32[1] = skipTaskbar;
        message.data.data32[3] = 1;
        xcb_send_event(c, 0, conn_->Root(), XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&message));
    } else {
        std::vector<xcb_atom_t> atoms;
        if (auto property = conn_->GetProperty(window, state, false))
            atoms = Atoms(*property);
        std::erase(atoms, skipTaskbar);
        if (skip)
            atoms.push_back(skipTaskbar);
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM, 32,
                            static_cast<std::uint32_t>(atoms.size()), atoms.data());
    }
    // A round trip: the server has the state before the toolkit maps the window on its own connection
    // (it merges its states into the property then; a write still on its way would be lost).
    XcbReply<xcb_get_input_focus_reply_t> sync(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}

bool X11TaskbarHint::SkipsTaskbar(std::uint32_t window) {
    if (!conn_)
        return false;
    const auto property = conn_->GetProperty(window, conn_->Atom("_NET_WM_STATE"), false);
    if (!property)
        return false;
    const std::vector<xcb_atom_t> atoms = Atoms(*property);
    return std::find(atoms.begin(), atoms.end(), conn_->Atom("_NET_WM_STATE_SKIP_TASKBAR")) != atoms.end();
}

} // namespace bx::platform::x11
