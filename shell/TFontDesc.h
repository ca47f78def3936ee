#pragma once

#include <string>

namespace bx::shell {

// A font as the settings keep it: its name, its size in points and its character-set code
// (1 is the platform's default character set).
struct TFontDesc {
    std::string Name;
    int Size = 8;
    int Charset = 1;

    bool operator==(const TFontDesc&) const = default;
};

} // namespace bx::shell
