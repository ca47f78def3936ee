// Packed DIBs for tests, as the clipboard's DIB format holds them: a 40-byte BITMAPINFOHEADER, the
// colour table, the pixel rows.
#pragma once

#include "TestBytes.h"

#include <cstdint>
#include <vector>

namespace bx::testsupport {

// The bytes of one pixel row: rows are padded to four bytes.
std::uint32_t DibStride(std::int32_t width, std::uint16_t bitCount);

// A packed DIB of width x height pixels (bottom row first), uncompressed, 72 dots an inch, with the
// colours (0x00RRGGBB each) as its colour table and rows as its pixels; the header's image size is
// the size of rows.
Bytes PackedDib(std::int32_t width, std::int32_t height, std::uint16_t bitCount, const Bytes& rows,
                const std::vector<std::uint32_t>& colours = {});

// 2 x 2 pixels of 24 bits: red and green below, blue and yellow above.
Bytes SmallDib();
// 2 x 2 pixels of 24 bits whose bytes count up from seed: one seed, one picture.
Bytes SeededDib(std::uint8_t seed);
// width x height pixels of 24 bits, all grey.
Bytes GreyDib(std::int32_t width, std::int32_t height);

} // namespace bx::testsupport
