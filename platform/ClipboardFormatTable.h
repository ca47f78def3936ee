#pragma once

#include "PlatformTypes.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace bx::platform {

// The registered clipboard formats of a run: names compare without regard to case and keep their
// first spelling; numbers count up from 0xC000 and stay fixed for the run.
class ClipboardFormatTable {
public:
    // The name's number, registering it when it is new; 0 for an empty name or a full table.
    UINT Register(std::string_view name);
    // The number of a registered name; 0 when it is not registered.
    UINT Find(std::string_view name) const;
    // The name cut to maxChars - 1 characters; empty for a number that is not registered.
    std::string Name(UINT format, int maxChars) const;

private:
    std::vector<std::string> names_;                    // index i is format 0xC000 + i
    std::unordered_map<std::string, UINT> byLowerName_; // lower-cased name -> format
};

} // namespace bx::platform
