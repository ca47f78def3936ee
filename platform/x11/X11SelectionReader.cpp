#include "X11SelectionReader.h"

#include <algorithm>
#include <cstring>

namespace bx::platform::x11 {

std::optional<X11SelectionReader::Data> X11SelectionReader::Read(xcb_atom_t selection, xcb_atom_t target,
                                                                 xcb_timestamp_t time) {
    timedOut_ = false;
    if (target == XCB_NONE)
        return std::nullopt;
    const xcb_atom_t property = conn_.Atom("BX_SELECTION_" + std::to_string(next_++ % 8));
    const xcb_window_t window = conn_.Window();
    xcb_delete_property(conn_.Raw(), window, property);
    xcb_convert_selection(conn_.Raw(), window, selection, target, property, time);
    const XcbEvent e = conn_.WaitFor(
        [&](const xcb_generic_event_t& ev) {
            if (XcbConnection::EventType(ev) != XCB_SELECTION_NOTIFY)
                return false;
            const auto& n = reinterpret_cast<const xcb_selection_notify_event_t&>(ev);
            return n.requestor == window && n.selection == selection && n.target == target &&
                   (n.property == property || n.property == XCB_NONE);
        },
        XcbConnection::Clock::now() + wait_);
    if (!e) {
        timedOut_ = true;
        return std::nullopt;
    }
    const auto* notify = reinterpret_cast<const xcb_selection_notify_event_t*>(e.get());
    if (notify->property == XCB_NONE)
        return std::nullopt; // refused
    std::optional<XcbConnection::Property> p = conn_.GetProperty(window, notify->property, true);
    if (!p)
        return std::nullopt;
    if (p->type == conn_.Atom("INCR")) {
        conn_.Flush(); // the deletion above asks for the first piece
        // The owner says how much (at least) is coming; room for it, and a terminator, is made once.
        std::uint32_t declared = 0;
        if (p->format == 32 && p->bytes.size() >= 4)
            std::memcpy(&declared, p->bytes.data(), 4);
        return ReadIncr(notify->property, std::min<std::size_t>({declared, limit_, MaxReserve}) + 1);
    }
    if (p->bytes.size() > limit_)
        return std::nullopt;
    return Data{p->type, p->format, std::move(p->bytes)};
}

std::optional<X11SelectionReader::Data> X11SelectionReader::ReadIncr(xcb_atom_t property, std::size_t reserve) {
    using Clock = XcbConnection::Clock;
    const xcb_window_t window = conn_.Window();
    const Clock::time_point start = Clock::now();
    Data data;
    data.bytes.reserve(reserve);
    bool first = true;
    for (;;) {
        // The next piece within the wait, and the whole transfer at the least rate after the wait.
        const auto earned = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(static_cast<double>(data.bytes.size()) / MinRate));
        const Clock::time_point deadline = std::min(Clock::now() + wait_, start + wait_ + earned);
        const XcbEvent e = conn_.WaitFor(
            [&](const xcb_generic_event_t& ev) {
                if (XcbConnection::EventType(ev) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto& n = reinterpret_cast<const xcb_property_notify_event_t&>(ev);
                return n.window == window && n.atom == property && n.state == XCB_PROPERTY_NEW_VALUE;
            },
            deadline);
        if (!e) {
            xcb_delete_property(conn_.Raw(), window, property);
            timedOut_ = true;
            return std::nullopt;
        }
        std::optional<XcbConnection::Property> p = conn_.GetProperty(window, property, true);
        conn_.Flush();
        if (!p)
            continue; // deleted again before we read it: wait for the next value
        if (p->bytes.empty()) {
            if (first)
                data.type = p->type;
            return data;
        }
        if (data.bytes.size() + p->bytes.size() > limit_) {
            xcb_delete_property(conn_.Raw(), window, property);
            return std::nullopt;
        }
        if (first) {
            data.type = p->type;
            data.format = p->format;
            first = false;
        }
        data.bytes += p->bytes;
    }
}

} // namespace bx::platform::x11
