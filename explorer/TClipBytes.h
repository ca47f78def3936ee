#pragma once

#include "PlatformTypes.h"

#include <string>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::explorer {

// How the preview pane's pages read a clip's data.
class TClipBytes {
public:
    // What a page shows when the clip's data cannot be read.
    static constexpr const char* CouldNotRetrieve = "Error - Could Not Retrieve Item.";

    // The bytes of one format of a clip, up to the first zero byte when text is asked for; empty when the
    // clip lacks the format or its data cannot be read.
    static std::string Locked(clipstore::TClipObj& clip, platform::UINT format, bool toZero);
};

} // namespace bx::explorer
