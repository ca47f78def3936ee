#pragma once

#include "XcbConnection.h"

#include <chrono>
#include <optional>
#include <string>

namespace bx::platform::x11 {

// Asks a selection's owner for one target, as a requestor does: ConvertSelection into a property of our
// window, then the property's bytes, or the INCR protocol when the owner sends the data in pieces.
// Every wait is bounded: the owner must answer, and send each INCR piece, within the wait, and a
// transfer in pieces must keep up an average rate (MinRate after the wait), so that an owner that
// drips its data holds us for seconds, not for as long as it likes. An owner that refuses, stalls,
// drips or sends more than the limit gives nullopt; TimedOut tells a stalled owner from a refusal.
class X11SelectionReader {
public:
    struct Data {
        xcb_atom_t type = XCB_NONE;
        std::uint8_t format = 8;
        std::string bytes;
    };

    explicit X11SelectionReader(XcbConnection& conn) : conn_(conn) {}

    void SetWait(std::chrono::milliseconds wait) { wait_ = wait; }
    // The most bytes accepted for one target.
    void SetLimit(std::size_t limit) { limit_ = limit; }

    // The slowest average a transfer in pieces may keep up, in bytes a second.
    static constexpr std::size_t MinRate = 1024 * 1024;

    std::optional<Data> Read(xcb_atom_t selection, xcb_atom_t target, xcb_timestamp_t time = XCB_CURRENT_TIME);
    // The last Read gave nothing because the owner did not answer in time (rather than refusing).
    bool TimedOut() const { return timedOut_; }

private:
    // The most room made for data in pieces before they arrive (the owner's declared size is untrusted).
    static constexpr std::size_t MaxReserve = 512 * 1024 * 1024;
    std::optional<Data> ReadIncr(xcb_atom_t property, std::size_t reserve);

    XcbConnection& conn_;
    std::chrono::milliseconds wait_{1000};
    std::size_t limit_ = 0x7FFFFFFF;
    unsigned next_ = 0; // a fresh property per request, so that a late answer cannot spoil the next one
    bool timedOut_ = false;
};

} // namespace bx::platform::x11
