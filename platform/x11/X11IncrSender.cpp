#include "X11IncrSender.h"

#include <algorithm>
#include <chrono>

namespace bx::platform::x11 {

namespace {
constexpr auto IdleLimit = std::chrono::seconds(10);
}

std::size_t X11IncrSender::ChunkSize() const {
    const std::size_t max = conn_.MaxRequestBytes();
    const std::size_t chunk = std::min<std::size_t>(max > 1024 ? max - 1024 : 4096, 256 * 1024);
    return chunk & ~std::size_t{3};
}

void X11IncrSender::Start(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, std::uint8_t format,
                          std::shared_ptr<const std::string> bytes) {
    // Property changes of the requestor's window tell us when it has read a piece.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(conn_.Raw(), requestor, XCB_CW_EVENT_MASK, &mask);
    const std::uint32_t size = static_cast<std::uint32_t>(std::min<std::size_t>(bytes->size(), 0xFFFFFFFF));
    xcb_change_property(conn_.Raw(), XCB_PROP_MODE_REPLACE, requestor, property, conn_.Atom("INCR"), 32, 1, &size);
    std::erase_if(transfers_, [&](const Transfer& t) { return t.requestor == requestor && t.property == property; });
    transfers_.push_back(
        Transfer{requestor, property, type, format, std::move(bytes), 0, false, XcbConnection::Clock::now()});
}

bool X11IncrSender::OnPropertyNotify(const xcb_property_notify_event_t& e) {
    if (e.state != XCB_PROPERTY_DELETE)
        return false;
    auto it = std::find_if(transfers_.begin(), transfers_.end(),
                           [&](const Transfer& t) { return t.requestor == e.window && t.property == e.atom; });
    if (it == transfers_.end())
        return false;
    Transfer& t = *it;
    if (t.done) {
        transfers_.erase(it);
        return true;
    }
    const std::size_t unit = t.format / 8;
    std::size_t n = std::min(ChunkSize(), t.bytes->size() - t.offset);
    n -= n % unit;
    xcb_change_property(conn_.Raw(), XCB_PROP_MODE_REPLACE, t.requestor, t.property, t.type, t.format,
                        static_cast<std::uint32_t>(n / unit), t.bytes->data() + t.offset);
    t.offset += n;
    t.done = n == 0;
    t.last = XcbConnection::Clock::now();
    conn_.Flush();
    return true;
}

void X11IncrSender::DropIdle(XcbConnection::Clock::time_point now) {
    std::erase_if(transfers_, [&](const Transfer& t) { return now - t.last > IdleLimit; });
}

} // namespace bx::platform::x11
