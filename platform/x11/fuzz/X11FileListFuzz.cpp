// File lists: a stored DROPFILES block turned into the URI lists another program is given, and the
// URI lists another program offers read into paths.
#include "X11DataConversions.h"
#include "X11FormatMap.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace bx::platform::x11;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using Kind = X11FormatMap::Kind;
    for (std::string_view target : X11FormatMap::WrittenTargets(Kind::HDrop))
        X11DataConversions::TargetBytes(Kind::HDrop, target, bytes);
    std::vector<std::string> paths;
    for (const std::string& line : X11DataConversions::UriListLines(bytes))
        if (std::optional<std::string> path = X11DataConversions::PathFromFileUri(line))
            paths.push_back(*path);
    if (!paths.empty())
        X11DataConversions::PathsFromDropFiles(X11DataConversions::DropFiles(paths));
    for (std::string_view target : X11FormatMap::WrittenTargets(Kind::Url))
        X11DataConversions::TargetBytes(Kind::Url, target, bytes);
    return 0;
}
