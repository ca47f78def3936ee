// Little-endian numbers in byte buffers: the layouts of the program's own files and of the DIB, metafile
// and picture formats it reads and writes. Reading never checks: the caller has checked that the bytes
// are there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bx::platform {

inline std::uint16_t LeU16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::int16_t LeI16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int16_t>(LeU16(b, at));
}
inline std::uint32_t LeU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint32_t LeU32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
inline std::int32_t LeI32(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::int32_t>(LeU32(b, at));
}

inline void PutLe16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void PutLe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
// Overwrites the four bytes at at, which exist.
inline void PutLe32At(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

} // namespace bx::platform
