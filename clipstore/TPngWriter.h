#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace bx::clipstore {

// Encodes rows of pixels as a PNG stream in memory. libpng reports errors by a long jump; every libpng
// call happens inside a frame that holds no C++ object, and the PNG structures are released by this
// object's destructor, so an error neither leaks nor skips a destructor.
class TPngWriter {
public:
    struct Format {
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        int bitDepth = 8;
        int colorType = 0;                 // a PNG_COLOR_TYPE_ value
        std::vector<std::uint8_t> palette; // RGB triples, for PNG_COLOR_TYPE_PALETTE
        bool bgr = false;                  // the rows hold blue before red
        bool swap16 = false;               // the rows hold 16-bit samples little-endian
        bool stripFiller = false;          // the rows hold a fourth byte per pixel that is not written
    };

    TPngWriter();
    ~TPngWriter();
    TPngWriter(const TPngWriter&) = delete;
    TPngWriter& operator=(const TPngWriter&) = delete;

    // rows: one pointer per row, top row first. The private chunk (4-character name) is written
    // before the image data when its data is not empty. False on any libpng error.
    bool Encode(const Format& format, std::span<const std::uint8_t* const> rows, const char* chunkName,
                std::span<const std::uint8_t> chunkData, int compressionLevel);
    const std::vector<std::uint8_t>& Bytes() const { return out_; }

private:
    bool Run(const Format& format, std::span<const std::uint8_t* const> rows, const char* chunkName,
             std::span<const std::uint8_t> chunkData, int compressionLevel);

    void* png_ = nullptr;
    void* info_ = nullptr;
    std::vector<std::uint8_t> out_;
};

} // namespace bx::clipstore
