#pragma once

#include <string>

namespace bx::cliplink {

// The application profile as reading the clipboard sees it: whether a format, named as the format
// names give it, is kept when the named application puts it on the clipboard.
class IClipProfile {
public:
    virtual ~IClipProfile() = default;
    virtual bool IsCoffee(const std::string& creator, const std::string& formatName) = 0;
};

} // namespace bx::cliplink
