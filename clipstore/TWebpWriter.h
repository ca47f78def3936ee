#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace bx::clipstore {

// Encodes 8-bit BGR or BGRA pixel rows as a lossless WebP file held in memory. The file is in the
// extended format so that it can carry a private chunk:
//   "RIFF" u32 size "WEBP"
//   "VP8X" u32 10: u8 flags (0x10 when the image uses alpha), 3 bytes 0, u24 width - 1, u24 height - 1
//   "VP8L" u32 n: the lossless bitstream (a pad byte when n is odd)
//   private chunk, u32 m: its data (a pad byte when m is odd)
// Every sized field is little-endian. Other WebP readers show the image and pass over the private chunk.
class TWebpWriter {
public:
    // The largest width and height of a WebP image.
    static constexpr std::uint32_t MaxDimension = 16383;

    struct Format {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        int bytesPerPixel = 3;      // 3: blue, green, red; 4: blue, green, red and a fourth byte
        bool fourthIsAlpha = false; // 4 bytes per pixel: the fourth byte is kept as alpha, else opaque
    };

    // rows: one pointer per row, top row first. preset: the lossless preset (0 fastest .. 9 smallest).
    // Colours under alpha 0 are kept. Empty on any failure (also for sizes WebP cannot hold, or a chunk
    // name that is not 4 characters).
    static std::vector<std::uint8_t> Encode(const Format& format, std::span<const std::uint8_t* const> rows,
                                            const char* chunkName, std::span<const std::uint8_t> chunkData, int preset);
};

} // namespace bx::clipstore
