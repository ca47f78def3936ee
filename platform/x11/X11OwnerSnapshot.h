#pragma once

#include "X11FormatMap.h"
#include "X11SelectionReader.h"
#include "XcbConnection.h"

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bx::platform::x11 {

// What another owner of a selection offers: its targets, read when the clipboard is opened after a change,
// and their data, fetched when first needed, each request bounded by the wait. After one unanswered request
// the owner is asked nothing more until the snapshot is cleared (the next owner gets its chance). The formats
// the program derives from the targets (text, HTML, pictures, file lists, ...) are built here from them.
class X11OwnerSnapshot {
public:
    using Kind = X11FormatMap::Kind;

    X11OwnerSnapshot(XcbConnection& conn, xcb_atom_t selection);

    // The longest wait for one answer of the owner (default 1 s).
    void SetWait(std::chrono::milliseconds wait) { reader_.SetWait(wait); }
    // Forgets the targets and the data of the owner before.
    void Clear();
    // Asks the owner for its TARGETS: the atoms in its order (at most MaxTargets), empty when it does not
    // answer. The meta targets (TARGETS, MULTIPLE, ...) are not counted as offered.
    std::vector<xcb_atom_t> ReadTargets();
    bool Offers(std::string_view target) const;
    // A target's data, fetched once and kept; nullptr when it is not offered or not had.
    const X11SelectionReader::Data* Fetch(std::string_view target);
    // A target's data for one use: taken out of what was fetched, else read without being kept.
    std::optional<X11SelectionReader::Data> Take(std::string_view target);
    // The bytes of a derived format, as the program keeps that format; nullopt when the targets give none.
    std::optional<std::string> Derive(Kind kind);

    static constexpr std::size_t MaxTargets = 1000;

private:
    // Asks the owner for a target, unless it left a request unanswered already.
    std::optional<X11SelectionReader::Data> Read(xcb_atom_t target);
    std::optional<std::string> DeriveText();
    std::optional<std::string> DeriveHtml();
    std::optional<std::string> DeriveFiles();
    std::optional<std::string> DeriveUrl();

    XcbConnection& conn_;
    X11SelectionReader reader_;
    xcb_atom_t selection_;
    std::map<std::string, xcb_atom_t, std::less<>> offered_; // the owner's targets by name
    std::map<std::string, std::optional<X11SelectionReader::Data>, std::less<>> fetched_;
    bool stalled_ = false; // the owner did not answer one request in time
};

} // namespace bx::platform::x11
