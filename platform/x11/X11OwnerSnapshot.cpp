#include "X11OwnerSnapshot.h"

#include "X11DataConversions.h"

#include <algorithm>
#include <cstring>

namespace bx::platform::x11 {

namespace {

using Conv = X11DataConversions;

// A Windows metafile as LibreOffice puts it on the clipboard may begin with the placeable header.
std::string_view WithoutPlaceableHeader(std::string_view wmf) {
    if (wmf.size() > 22 && static_cast<unsigned char>(wmf[0]) == 0xD7 && static_cast<unsigned char>(wmf[1]) == 0xCD &&
        static_cast<unsigned char>(wmf[2]) == 0xC6 && static_cast<unsigned char>(wmf[3]) == 0x9A)
        return wmf.substr(22);
    return wmf;
}

} // namespace

X11OwnerSnapshot::X11OwnerSnapshot(XcbConnection& conn, xcb_atom_t selection)
    : conn_(conn), reader_(conn), selection_(selection) {}

void X11OwnerSnapshot::Clear() {
    offered_.clear();
    fetched_.clear();
    stalled_ = false;
}

std::vector<xcb_atom_t> X11OwnerSnapshot::ReadTargets() {
    const std::optional<X11SelectionReader::Data> targets = reader_.Read(selection_, conn_.Atom("TARGETS"));
    stalled_ = reader_.TimedOut();
    if (!targets || targets->format != 32)
        return {};
    // An owner that offers more targets than any application does is read only so far.
    const std::size_t count = std::min<std::size_t>(targets->bytes.size() / 4, MaxTargets);
    std::vector<xcb_atom_t> atoms(count);
    if (count > 0)
        std::memcpy(atoms.data(), targets->bytes.data(), count * 4);
    conn_.CacheNames(atoms);
    for (xcb_atom_t a : atoms) {
        const std::string name = conn_.AtomName(a);
        if (!name.empty() && !X11FormatMap::IsMetaTarget(name))
            offered_.emplace(name, a);
    }
    return atoms;
}

std::optional<X11SelectionReader::Data> X11OwnerSnapshot::Take(std::string_view target) {
    if (auto f = fetched_.find(target); f != fetched_.end()) {
        std::optional<X11SelectionReader::Data> data = std::move(f->second);
        fetched_.erase(f);
        return data;
    }
    auto it = offered_.find(target);
    return it != offered_.end() ? Read(it->second) : std::nullopt;
}

std::optional<X11SelectionReader::Data> X11OwnerSnapshot::Read(xcb_atom_t target) {
    // An owner that let one request go unanswered is not waited for again until it changes.
    if (stalled_)
        return std::nullopt;
    std::optional<X11SelectionReader::Data> data = reader_.Read(selection_, target);
    stalled_ = reader_.TimedOut();
    return data;
}

bool X11OwnerSnapshot::Offers(std::string_view target) const {
    return offered_.find(target) != offered_.end();
}

const X11SelectionReader::Data* X11OwnerSnapshot::Fetch(std::string_view target) {
    auto it = offered_.find(target);
    if (it == offered_.end())
        return nullptr;
    auto f = fetched_.find(target);
    if (f == fetched_.end()) {
        if (stalled_)
            return nullptr; // not kept: the next owner gets its chance
        f = fetched_.emplace(std::string(target), Read(it->second)).first;
    }
    return f->second ? &*f->second : nullptr;
}

std::optional<std::string> X11OwnerSnapshot::Derive(Kind kind) {
    const auto& sources = X11FormatMap::SourceTargets(kind);
    switch (kind) {
    case Kind::Text:
        return DeriveText();
    case Kind::Html:
        return DeriveHtml();
    case Kind::Rtf:
    case Kind::EnhMetafile:
        for (std::string_view t : sources)
            if (const auto* d = Fetch(t))
                return d->bytes;
        return std::nullopt;
    case Kind::MetafilePict:
        if (const auto* d = Fetch(sources.front())) {
            std::string out(16, '\0');
            out[0] = 8; // MM_ANISOTROPIC; the extents are left to the picture
            out += WithoutPlaceableHeader(d->bytes);
            return out;
        }
        return std::nullopt;
    case Kind::Bitmap:
        for (std::string_view t : sources)
            if (const auto* d = Fetch(t))
                if (auto dib = Conv::DibFromImage(d->bytes, t == "image/bmp" || t == "image/x-bmp"))
                    return dib;
        return std::nullopt;
    case Kind::HDrop:
        return DeriveFiles();
    case Kind::Url:
        return DeriveUrl();
    case Kind::Ignore:
        if (const auto* d = Fetch(X11FormatMap::IgnoreName))
            return d->bytes;
        if (const auto* d = Fetch(X11FormatMap::PasswordHint); d != nullptr && d->bytes == "secret")
            return d->bytes;
        return std::nullopt;
    }
    return std::nullopt;
}

std::optional<std::string> X11OwnerSnapshot::DeriveText() {
    // The text may be all there is and large: its bytes are read once and not kept twice.
    for (std::string_view t : X11FormatMap::SourceTargets(Kind::Text))
        if (std::optional<X11SelectionReader::Data> d = Take(t))
            if (auto text = Conv::TextFromTarget(t, conn_.AtomName(d->type), std::move(d->bytes)))
                return text;
    return std::nullopt;
}

std::optional<std::string> X11OwnerSnapshot::DeriveHtml() {
    const auto* d = Fetch("text/html");
    if (d == nullptr)
        return std::nullopt;
    std::string url;
    if (const auto* moz = Fetch(X11FormatMap::MozUrlPriv))
        url = Conv::FirstLine(Conv::Utf16ToUtf8(moz->bytes));
    else if (const auto* chromium = Fetch(X11FormatMap::ChromiumSourceUrl))
        url = Conv::FirstLine(Conv::UpToZero(chromium->bytes));
    return Conv::WrapHtml(d->bytes, Conv::UpToZero(url));
}

std::optional<std::string> X11OwnerSnapshot::DeriveFiles() {
    std::vector<std::string> paths;
    if (const auto* d = Fetch("x-special/gnome-copied-files")) {
        std::vector<std::string> lines = Conv::UriListLines(d->bytes);
        for (std::size_t i = 1; i < lines.size(); ++i) // the first line says copy or cut
            if (auto p = Conv::PathFromFileUri(lines[i]))
                paths.push_back(*p);
    } else if (const auto* l = Fetch("text/uri-list")) {
        for (const std::string& line : Conv::UriListLines(l->bytes))
            if (auto p = Conv::PathFromFileUri(line))
                paths.push_back(*p);
    }
    if (paths.empty())
        return std::nullopt;
    return Conv::DropFiles(paths);
}

std::optional<std::string> X11OwnerSnapshot::DeriveUrl() {
    if (const auto* d = Fetch("text/x-moz-url")) {
        const std::string text =
            Conv::IsUtf8(d->bytes) && d->bytes.find('\0') == std::string::npos ? d->bytes : Conv::Utf16ToUtf8(d->bytes);
        const std::string url = Conv::FirstLine(Conv::UpToZero(text));
        if (!url.empty())
            return url + '\0';
    }
    if (const auto* l = Fetch("text/uri-list")) {
        const std::vector<std::string> lines = Conv::UriListLines(l->bytes);
        if (lines.size() == 1 && !Conv::PathFromFileUri(lines.front()) && lines.front().find(':') != std::string::npos)
            return lines.front() + '\0';
    }
    return std::nullopt;
}

} // namespace bx::platform::x11
