#pragma once

#include "IClipboard.h"

#include <string>
#include <string_view>

namespace bx::cliplink {

// Clipboard format numbers and names. The predefined formats have names of our own (a fixed table);
// registered formats (0xC000 and above) carry the names they were registered under.
class TClipName {
public:
    // Longest registered name the desktop is asked for, terminating zero included: every name a clip
    // file can hold (255 bytes), so that a format goes back under the name it came with.
    static constexpr int NameBufferSize = 256;

    explicit TClipName(platform::IClipboard& clipboard) : clipboard_(clipboard) {}

    // "TEXT", "UNICODTEXT", a registered name, "UNKN_PUBLIC:<n>" for a predefined number without a
    // name, "UNKNOWN" for a registered number without one.
    std::string ConvertFormatNum(platform::UINT format) const;
    // The table's number for a name (any case), else the number that registering the name gives.
    platform::UINT ConvertFormatName(std::string_view name) const;

    // The table's name of a predefined format; empty when it has none.
    static std::string_view TableName(platform::UINT format);

private:
    platform::IClipboard& clipboard_;
};

} // namespace bx::cliplink
