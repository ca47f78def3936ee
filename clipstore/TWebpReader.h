#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace bx::clipstore {

// Reads a WebP file held in memory, in two steps: ReadInfo walks the RIFF chunks and reads the image's
// features (so that the caller can check the size before allocating), ReadImage decodes the pixels
// straight into the caller's rows. One private chunk is found on the way. Still images only, lossless
// or lossy, simple or extended format; animations are refused.
class TWebpReader {
public:
    // "RIFF", a size, then "WEBP": the bytes claim to be a WebP file.
    static bool IsWebp(std::span<const std::uint8_t> bytes);

    // chunkName: the 4-character private chunk to look for (at most maxChunkSize bytes).
    TWebpReader(std::span<const std::uint8_t> file, const char* chunkName, std::size_t maxChunkSize);

    // False for anything but a well-formed still WebP image: a chunk that reaches past the RIFF data
    // or whose id is not four printable characters, no image or more than one, an animation, a private
    // chunk above its limit, or a bitstream whose header libwebp does not accept.
    bool ReadInfo();
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    bool HasAlpha() const { return hasAlpha_; }
    bool Lossless() const { return lossless_; }
    // How often the private chunk appeared, and the data of its first appearance.
    int ChunkCount() const { return chunkCount_; }
    std::span<const std::uint8_t> Chunk() const { return chunk_; }

    // Decodes the image into rows of `stride` bytes: 3 bytes per pixel (blue, green, red) or 4 (blue,
    // green, red, alpha; 255 where the image has no alpha), top row first, or bottom row first when
    // bottomUp. Bytes of a row beyond its pixels are left as they are. False when out is too small
    // for the image or the bitstream is damaged.
    bool ReadImage(int bytesPerPixel, std::span<std::uint8_t> out, std::size_t stride, bool bottomUp);

private:
    std::span<const std::uint8_t> riff_; // the file up to the end of its RIFF data
    char chunkName_[5] = {};
    std::size_t maxChunkSize_ = 0;
    std::span<const std::uint8_t> chunk_;
    int chunkCount_ = 0;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    bool hasAlpha_ = false;
    bool lossless_ = false;
    bool infoRead_ = false;
};

} // namespace bx::clipstore
