#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace bx::clipstore {

// Decodes a PNG stream held in memory, in two steps: ReadInfo reads everything before the image data
// (so that the caller can check the size before allocating), ReadImage the rows. One private chunk
// can be collected on the way. libpng reports errors by a long jump; every libpng call happens in a
// frame that holds no C++ object, and the PNG structures are released by the destructor.
class TPngReader {
public:
    struct Transforms {
        bool bgr = false;    // blue before red
        bool swap16 = false; // 16-bit samples little-endian
        int filler = -1;     // 0..255: add a fourth byte of this value after each RGB pixel
        bool toRgb8 = false; // expand any PNG into 8-bit RGB, or RGBA when it has transparency
    };

    // chunkName: the 4-character private chunk to keep (at most maxChunkSize bytes).
    TPngReader(std::span<const std::uint8_t> png, const char* chunkName, std::size_t maxChunkSize);
    ~TPngReader();
    TPngReader(const TPngReader&) = delete;
    TPngReader& operator=(const TPngReader&) = delete;

    bool ReadInfo();
    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    int BitDepth() const { return bitDepth_; }
    int ColorType() const { return colorType_; }
    bool HasTransparency() const { return hasTransparency_; }
    // How often the private chunk appeared, and its data when it did.
    int ChunkCount() const { return state_.chunkCount; }
    const std::vector<std::uint8_t>& Chunk() const { return state_.chunk; }

    // Reads every row into rows (top row first) after the transforms; false when a row would not be
    // exactly rowBytes long, or on any error in the stream.
    bool ReadImage(const Transforms& transforms, std::span<std::uint8_t* const> rows, std::size_t rowBytes);

    // What the libpng callbacks read and fill.
    struct CallbackState {
        std::span<const std::uint8_t> input;
        std::size_t position = 0;
        char chunkName[5] = {};
        std::vector<std::uint8_t> chunk;
        int chunkCount = 0;
        bool chunkFailed = false;
    };

private:
    bool RunInfo();
    bool RunImage(const Transforms& transforms, std::span<std::uint8_t* const> rows, std::size_t rowBytes);

    CallbackState state_;
    void* png_ = nullptr;
    void* info_ = nullptr;
    std::size_t maxChunkSize_ = 0;
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    int bitDepth_ = 0;
    int colorType_ = 0;
    bool hasTransparency_ = false;
    bool infoRead_ = false;
};

} // namespace bx::clipstore
