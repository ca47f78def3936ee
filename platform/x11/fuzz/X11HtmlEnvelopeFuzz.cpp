// The HTML clipboard envelope: a stored "HTML Format" block unwrapped for the targets another program
// asks for, and a document from another program wrapped and unwrapped again, which must give back its
// bytes exactly.
#include "X11DataConversions.h"
#include "X11FormatMap.h"
#include "X11FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace bx::platform::x11;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using Kind = X11FormatMap::Kind;
    X11DataConversions::UnwrapHtml(bytes);
    for (std::string_view target : X11FormatMap::WrittenTargets(Kind::Html))
        X11DataConversions::TargetBytes(Kind::Html, target, bytes);

    // The document up to the first zero, the address after it (an address is one line).
    const std::size_t zero = bytes.find('\0');
    const std::string_view html = bytes.substr(0, zero);
    const std::string_view url = zero == std::string_view::npos ? std::string_view() : bytes.substr(zero + 1);
    if (url.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
        return 0;
    const std::optional<X11DataConversions::Html> back =
        X11DataConversions::UnwrapHtml(X11DataConversions::WrapHtml(html, url));
    if (!back || back->html != html)
        __builtin_trap();
    return 0;
}
