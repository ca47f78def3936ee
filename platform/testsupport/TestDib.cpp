#include "TestDib.h"

namespace bx::testsupport {

std::uint32_t DibStride(std::int32_t width, std::uint16_t bitCount) {
    return (static_cast<std::uint32_t>(width) * bitCount + 31) / 32 * 4;
}

Bytes PackedDib(std::int32_t width, std::int32_t height, std::uint16_t bitCount, const Bytes& rows,
                const std::vector<std::uint32_t>& colours) {
    Bytes b;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, bitCount);
    Put32(b, 0); // BI_RGB
    Put32(b, static_cast<std::uint32_t>(rows.size()));
    Put32(b, 2835); // 72 dpi
    Put32(b, 2835);
    Put32(b, static_cast<std::uint32_t>(colours.size()));
    Put32(b, 0);
    for (const std::uint32_t colour : colours)
        Put32(b, colour);
    b.insert(b.end(), rows.begin(), rows.end());
    return b;
}

Bytes SmallDib() {
    return PackedDib(2, 2, 24, {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0});
}

Bytes SeededDib(std::uint8_t seed) {
    Bytes rows;
    for (int i = 0; i < 16; ++i)
        rows.push_back(static_cast<std::uint8_t>(seed + i));
    return PackedDib(2, 2, 24, rows);
}

Bytes GreyDib(std::int32_t width, std::int32_t height) {
    return PackedDib(width, height, 24, Bytes(DibStride(width, 24) * static_cast<std::uint32_t>(height), 0x80));
}

} // namespace bx::testsupport
