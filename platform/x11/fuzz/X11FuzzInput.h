// How the X11 conversions' fuzz targets split an input: the first byte picks one of a list of
// choices (a target, a type), the rest is the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace bx::platform::x11::fuzz {

struct FuzzInput {
    std::size_t choice = 0;
    std::string_view rest;
};

inline FuzzInput SplitInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return {};
    return {data[0], std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)};
}

inline std::string_view Pick(const std::vector<std::string_view>& from, std::size_t choice) {
    return from.empty() ? std::string_view() : from[choice % from.size()];
}

} // namespace bx::platform::x11::fuzz
