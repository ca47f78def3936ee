#pragma once

#include <functional>
#include <optional>
#include <string>

namespace bx::clipstore {

// The directory name a collection's title gives. The characters that file systems or shells treat
// specially become "_"; so do control characters. The name is one path component inside its parent's
// directory: never empty, never "." or "..", never hidden (a full stop is replaced anyway), at most 255
// bytes of UTF-8, cut at a character boundary.
class TCollectionDirName {
public:
    static constexpr std::size_t MaxBytes = 255;

    // The directory name for a title.
    static std::string FromTitle(const std::string& title);
    // The next candidate after a clash: a last character from "0" to "Z" becomes the next character
    // (passing over the replaced ones); any other gets "1" appended (within MaxBytes).
    static std::string Next(const std::string& name);
    // The first candidate from name on for which taken is false; none after a few thousand tries.
    static std::optional<std::string> Unique(const std::string& name,
                                             const std::function<bool(const std::string&)>& taken);
    // Whether an entry of that name exists in parentDir (ending in "/"); a link counts as existing.
    static bool ExistsIn(const std::string& parentDir, const std::string& name);
};

} // namespace bx::clipstore
