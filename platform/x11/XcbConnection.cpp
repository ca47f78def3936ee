#include "XcbConnection.h"

#include <xcb/res.h>
#include <xcb/xfixes.h>

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace bx::platform::x11 {

void XcbReplyFree::operator()(void* p) const {
    std::free(p);
}

namespace {} // namespace

void XcbEventFree::operator()(xcb_generic_event_t* e) const {
    std::free(e);
}

std::unique_ptr<XcbConnection> XcbConnection::Open(const char* display) {
    int screenNumber = 0;
    xcb_connection_t* conn = xcb_connect(display, &screenNumber);
    if (conn == nullptr)
        return nullptr;
    std::unique_ptr<XcbConnection> c(new XcbConnection);
    c->conn_ = conn;
    if (xcb_connection_has_error(conn) != 0)
        return nullptr;

    const xcb_setup_t* setup = xcb_get_setup(conn);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < screenNumber && it.rem > 0; ++i)
        xcb_screen_next(&it);
    if (it.rem == 0)
        return nullptr;
    c->root_ = it.data->root;

    c->window_ = xcb_generate_id(conn);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(conn, XCB_COPY_FROM_PARENT, c->window_, c->root_, -10, -10, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    static constexpr char Title[] = "Brindlex clipboard";
    xcb_change_property(conn, XCB_PROP_MODE_REPLACE, c->window_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, sizeof Title - 1,
                        Title);

    // Prefetching BIG-REQUESTS lets large properties go out in one request.
    c->maxRequestBytes_ = static_cast<std::size_t>(xcb_get_maximum_request_length(conn)) * 4;

    if (const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn, &xcb_xfixes_id);
        ext != nullptr && ext->present) {
        XcbReply<xcb_xfixes_query_version_reply_t> v(
            xcb_xfixes_query_version_reply(conn, xcb_xfixes_query_version(conn, 5, 0), nullptr));
        if (v && v->major_version >= 2)
            c->xfixesFirstEvent_ = ext->first_event;
    }
    if (const xcb_query_extension_reply_t* ext = xcb_get_extension_data(conn, &xcb_res_id);
        ext != nullptr && ext->present) {
        XcbReply<xcb_res_query_version_reply_t> v(
            xcb_res_query_version_reply(conn, xcb_res_query_version(conn, 1, 2), nullptr));
        c->hasXRes_ = v && (v->server_major > 1 || (v->server_major == 1 && v->server_minor >= 2));
    }
    c->Flush();
    if (c->HasError())
        return nullptr;
    return c;
}

XcbConnection::~XcbConnection() {
    if (conn_ != nullptr)
        xcb_disconnect(conn_);
}

int XcbConnection::Fd() const {
    return xcb_get_file_descriptor(conn_);
}

bool XcbConnection::HasError() const {
    return xcb_connection_has_error(conn_) != 0;
}

void XcbConnection::Flush() {
    xcb_flush(conn_);
}

xcb_atom_t XcbConnection::Atom(std::string_view name) {
    std::string key(name);
    if (auto it = atoms_.find(key); it != atoms_.end())
        return it->second;
    XcbReply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        conn_,
        xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(std::min<std::size_t>(key.size(), 0xFFFF)), key.data()),
        nullptr));
    if (!r)
        return XCB_NONE;
    atoms_.emplace(key, r->atom);
    names_.emplace(r->atom, key);
    return r->atom;
}

std::string XcbConnection::AtomName(xcb_atom_t atom) {
    if (atom == XCB_NONE)
        return {};
    if (auto it = names_.find(atom); it != names_.end())
        return it->second;
    XcbReply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(conn_, xcb_get_atom_name(conn_, atom), nullptr));
    if (!r)
        return {};
    std::string name(xcb_get_atom_name_name(r.get()), static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
    names_.emplace(atom, name);
    atoms_.emplace(name, atom);
    return name;
}

void XcbConnection::CacheNames(const std::vector<xcb_atom_t>& atoms) {
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> cookies;
    for (xcb_atom_t a : atoms)
        if (a != XCB_NONE && !names_.contains(a) &&
            std::none_of(cookies.begin(), cookies.end(), [a](const auto& c) { return c.first == a; }))
            cookies.emplace_back(a, xcb_get_atom_name(conn_, a));
    for (const auto& [atom, cookie] : cookies) {
        XcbReply<xcb_get_atom_name_reply_t> r(xcb_get_atom_name_reply(conn_, cookie, nullptr));
        if (!r)
            continue;
        std::string name(xcb_get_atom_name_name(r.get()),
                         static_cast<std::size_t>(xcb_get_atom_name_name_length(r.get())));
        names_.emplace(atom, name);
        atoms_.emplace(std::move(name), atom);
    }
}

xcb_timestamp_t XcbConnection::ServerTime(std::chrono::milliseconds wait) {
    const xcb_atom_t prop = Atom("BX_TIMESTAMP");
    xcb_change_property(conn_, XCB_PROP_MODE_APPEND, window_, prop, XCB_ATOM_STRING, 8, 0, nullptr);
    Flush();
    const XcbEvent e = WaitFor(
        [&](const xcb_generic_event_t& ev) {
            if (EventType(ev) != XCB_PROPERTY_NOTIFY)
                return false;
            const auto& p = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
            return p.window == window_ && p.atom == prop;
        },
        Clock::now() + wait);
    return e ? reinterpret_cast<const xcb_property_notify_event_t*>(e.get())->time : XCB_CURRENT_TIME;
}

bool XcbConnection::Poll(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
        return false;
    pollfd p{Fd(), POLLIN, 0};
    return ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1000))) >= 0;
}

XcbEvent XcbConnection::WaitFor(const std::function<bool(const xcb_generic_event_t&)>& match,
                                Clock::time_point deadline) {
    Flush();
    for (;;) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(conn_)) {
            XcbEvent e(raw);
            if (match(*e))
                return e;
            queued_.push_back(std::move(e));
        }
        if (HasError() || !Poll(deadline))
            return nullptr;
    }
}

XcbEvent XcbConnection::NextEvent() {
    if (!queued_.empty()) {
        XcbEvent e = std::move(queued_.front());
        queued_.pop_front();
        return e;
    }
    return XcbEvent(xcb_poll_for_event(conn_));
}

std::optional<XcbConnection::Property> XcbConnection::GetProperty(xcb_window_t window, xcb_atom_t property,
                                                                  bool remove) {
    // Asked for in one piece: the server sends what it has, however long.
    XcbReply<xcb_get_property_reply_t> r(xcb_get_property_reply(
        conn_, xcb_get_property(conn_, remove ? 1 : 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 0x1FFFFFFF),
        nullptr));
    if (!r || r->type == XCB_NONE)
        return std::nullopt;
    Property p;
    p.type = r->type;
    p.format = r->format;
    const int length = xcb_get_property_value_length(r.get());
    if (length > 0)
        p.bytes.assign(static_cast<const char*>(xcb_get_property_value(r.get())), static_cast<std::size_t>(length));
    return p;
}

void XcbConnection::SendSelectionNotify(const xcb_selection_request_event_t& request, xcb_atom_t property) {
    xcb_selection_notify_event_t n{};
    n.response_type = XCB_SELECTION_NOTIFY;
    n.time = request.time;
    n.requestor = request.requestor;
    n.selection = request.selection;
    n.target = request.target;
    n.property = property;
    char buffer[32] = {};
    static_assert(sizeof n <= sizeof buffer);
    std::memcpy(buffer, &n, sizeof n);
    xcb_send_event(conn_, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, buffer);
    Flush();
}

} // namespace bx::platform::x11
