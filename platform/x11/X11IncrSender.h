#pragma once

#include "XcbConnection.h"

#include <memory>
#include <string>
#include <vector>

namespace bx::platform::x11 {

// The owner's side of the INCR protocol: data too large for one request goes to the requestor in
// pieces, each written when the requestor has deleted the previous one, and ends with an empty piece.
// A requestor that stops reading is dropped after the idle time.
class X11IncrSender {
public:
    explicit X11IncrSender(XcbConnection& conn) : conn_(conn) {}

    // The size of one piece (at most what one request can carry).
    std::size_t ChunkSize() const;

    // Starts a transfer: writes the INCR property with the size; the caller then sends SelectionNotify.
    void Start(xcb_window_t requestor, xcb_atom_t property, xcb_atom_t type, std::uint8_t format,
               std::shared_ptr<const std::string> bytes);
    // Feeds a PropertyNotify; true when it belonged to a transfer.
    bool OnPropertyNotify(const xcb_property_notify_event_t& e);
    void DropIdle(XcbConnection::Clock::time_point now);
    std::size_t Active() const { return transfers_.size(); }

private:
    struct Transfer {
        xcb_window_t requestor = XCB_NONE;
        xcb_atom_t property = XCB_NONE;
        xcb_atom_t type = XCB_NONE;
        std::uint8_t format = 8;
        std::shared_ptr<const std::string> bytes;
        std::size_t offset = 0;
        bool done = false; // the empty piece is written
        XcbConnection::Clock::time_point last;
    };

    XcbConnection& conn_;
    std::vector<Transfer> transfers_;
};

} // namespace bx::platform::x11
