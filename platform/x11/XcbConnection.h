#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bx::platform::x11 {

// An event as libxcb hands it out (freed with free()).
struct XcbEventFree {
    void operator()(xcb_generic_event_t* e) const;
};
using XcbEvent = std::unique_ptr<xcb_generic_event_t, XcbEventFree>;

// A reply or an error as libxcb hands it out (freed with free()).
struct XcbReplyFree {
    void operator()(void* p) const;
};
template <typename T> using XcbReply = std::unique_ptr<T, XcbReplyFree>;

// A connection of our own to the X server, with one unmapped window that owns our selections and
// receives the replies to our requests. Atoms are interned once and cached both ways.
//
// Waiting is bounded: WaitFor polls the connection until an event matches or the deadline passes; the
// events that arrive meanwhile are kept in order and handed out later by NextEvent, so nothing is lost.
class XcbConnection {
public:
    using Clock = std::chrono::steady_clock;

    // Nullptr when the display cannot be reached (display nullptr: $DISPLAY).
    static std::unique_ptr<XcbConnection> Open(const char* display = nullptr);
    ~XcbConnection();
    XcbConnection(const XcbConnection&) = delete;
    XcbConnection& operator=(const XcbConnection&) = delete;

    xcb_connection_t* Raw() const { return conn_; }
    int Fd() const;
    xcb_window_t Root() const { return root_; }
    xcb_window_t Window() const { return window_; }
    bool HasError() const;
    void Flush();

    xcb_atom_t Atom(std::string_view name);
    std::string AtomName(xcb_atom_t atom);
    // Asks for the names of many atoms at once (one round trip instead of one each).
    void CacheNames(const std::vector<xcb_atom_t>& atoms);

    // The largest request the server takes, in bytes (with BIG-REQUESTS when the server has it).
    std::size_t MaxRequestBytes() const { return maxRequestBytes_; }
    // The first event number of XFIXES, or -1 when the server lacks it (version 2 or later needed).
    int XFixesFirstEvent() const { return xfixesFirstEvent_; }
    bool HasXRes() const { return hasXRes_; }

    // A current server time: appends nothing to a property of our window and reads the time of the
    // PropertyNotify that follows. XCB_CURRENT_TIME when the server did not answer within the wait.
    xcb_timestamp_t ServerTime(std::chrono::milliseconds wait = std::chrono::milliseconds(1000));

    // Reads events until one satisfies match (it is returned) or the deadline passes (nullptr). Events
    // that do not match are queued for NextEvent.
    XcbEvent WaitFor(const std::function<bool(const xcb_generic_event_t&)>& match, Clock::time_point deadline);
    // The next event, queued or already received; nullptr when there is none (does not block).
    XcbEvent NextEvent();
    bool HasQueuedEvents() const { return !queued_.empty(); }

    // A property of a window, all of it; nullopt when the window or the property does not exist.
    struct Property {
        xcb_atom_t type = XCB_NONE;
        std::uint8_t format = 0;
        std::string bytes; // format-32 items are 4 bytes each, in this machine's byte order
    };
    std::optional<Property> GetProperty(xcb_window_t window, xcb_atom_t property, bool remove);

    // Answers a selection request: the data is in property, or it is refused (XCB_NONE). Flushes.
    void SendSelectionNotify(const xcb_selection_request_event_t& request, xcb_atom_t property);

    static std::uint8_t EventType(const xcb_generic_event_t& e) { return e.response_type & 0x7F; }

private:
    XcbConnection() = default;
    bool Poll(Clock::time_point deadline);

    xcb_connection_t* conn_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_window_t window_ = XCB_NONE;
    std::size_t maxRequestBytes_ = 0;
    int xfixesFirstEvent_ = -1;
    bool hasXRes_ = false;
    std::deque<XcbEvent> queued_;
    std::unordered_map<std::string, xcb_atom_t> atoms_;
    std::unordered_map<xcb_atom_t, std::string> names_;
};

} // namespace bx::platform::x11
