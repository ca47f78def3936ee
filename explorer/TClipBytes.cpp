#include "TClipBytes.h"

#include "TClipObj.h"

#include <cstring>

namespace bx::explorer {

std::string TClipBytes::Locked(clipstore::TClipObj& clip, platform::UINT format, bool toZero) {
    std::string bytes;
    if (format == 0 || !clip.HasFormat(format))
        return bytes;
    const std::size_t size = clip.Lock(format);
    if (size > 0 && clip.LockedData != nullptr) {
        const auto* start = reinterpret_cast<const char*>(clip.LockedData);
        bytes.assign(start, toZero ? strnlen(start, size) : size);
    }
    clip.Unlock();
    return bytes;
}

} // namespace bx::explorer
