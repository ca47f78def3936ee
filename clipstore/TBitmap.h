#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace bx::clipstore {

// A bitmap held exactly as the clipboard gave it: the packed device-independent bitmap (header of 12,
// 40, 52, 56, 108 or 124 bytes, bit-field masks, palette, pixel rows and any bytes after them) is kept
// byte for byte, so that SaveToDib returns what LoadFromDib was given.
//
// Pictures on disk are compressed whenever the pixel rows map onto an image without loss, and a private
// chunk keeps the original header, masks, palette and trailing bytes, so that reading the file back
// gives the same DIB:
// - 24- and 32-bit rows (BI_RGB, BI_BITFIELDS, BI_ALPHABITFIELDS; zero row padding) are a lossless WebP
//   file (extended format, private chunk "BXDI" after the image; a 32-bit fourth byte is kept as alpha,
//   colours under alpha 0 included, or as one value when it is the same everywhere). Image viewers
//   open it although the name ends in ".bmp".
// - Other rows, and pictures WebP cannot hold (wider or higher than 16383 pixels), are a BMP file with
//   PNG-compressed pixel data (compression BI_PNG, private PNG chunk "bxDI").
// Pixel formats that do not map (run-length encoded data, non-zero row padding, unusual bit counts) are
// written as a plain uncompressed BMP holding the DIB unchanged. Every encoding is checked by reading it
// back before it is used. Every plain BMP file is read too:
// 1, 2, 4, 8, 16, 24 and 32 bits per pixel, BI_RGB, BI_BITFIELDS, BI_ALPHABITFIELDS, BI_RLE8, BI_RLE4
// (kept encoded, checked by a full decode), top-down and bottom-up, BI_PNG files of other writers
// (decoded into a 24- or 32-bit DIB), and still WebP images of other writers (decoded into a bottom-up
// 24-bit DIB, or 32-bit when the image has alpha).
//
// All input is untrusted: sizes are checked before use, and no image above MaxPixels pixels or with
// more than MaxPixelBytes bytes of pixel rows is accepted.
class TBitmap {
public:
    static constexpr std::uint64_t MaxPixels = std::uint64_t{1} << 28;
    static constexpr std::uint64_t MaxPixelBytes = std::uint64_t{1} << 30;
    // The largest picture file read.
    static constexpr std::uint64_t MaxFileSize = 0x7FFFFFFF;

    // Compression values of the DIB header.
    static constexpr std::uint32_t BI_RGB = 0;
    static constexpr std::uint32_t BI_RLE8 = 1;
    static constexpr std::uint32_t BI_RLE4 = 2;
    static constexpr std::uint32_t BI_BITFIELDS = 3;
    static constexpr std::uint32_t BI_JPEG = 4;
    static constexpr std::uint32_t BI_PNG = 5;
    static constexpr std::uint32_t BI_ALPHABITFIELDS = 6;

    bool Empty() const { return dib_.empty(); }
    int Width() const { return width_; }
    // Always positive; TopDown tells the row order.
    int Height() const { return height_; }
    int BitCount() const { return bitCount_; }
    bool TopDown() const { return topDown_; }
    std::uint32_t Compression() const { return compression_; }
    void Clear();

    // The clipboard's packed DIB. False, and the object unchanged, when the bytes are not a DIB this
    // class can hold (malformed, truncated, too large, or JPEG/PNG-compressed).
    bool LoadFromDib(std::span<const std::uint8_t> dib);
    // The same, taking over the caller's bytes instead of copying them (a screenshot is megabytes).
    bool LoadFromDib(std::vector<std::uint8_t>&& dib);
    // The held DIB, byte for byte; empty for an empty bitmap.
    std::vector<std::uint8_t> SaveToDib() const { return dib_; }
    const std::vector<std::uint8_t>& Dib() const { return dib_; }
    // The held DIB with run-length encoded pixels expanded into plain rows (BI_RGB, bottom-up, same
    // bit count, header and palette otherwise kept); the held DIB itself for every other format.
    std::vector<std::uint8_t> UncompressedDib() const;
    // The colour of a pixel as 0x00RRGGBB (x from the left, y from the top); nothing outside the image.
    std::optional<std::uint32_t> PixelColor(int x, int y) const;

    // Picture files (BMP or WebP). LoadFromFile throws EGraphicOpenError when the file cannot be opened and
    // EInvalidGraphic when it is not a readable bitmap; the object is then unchanged. SaveToFile
    // replaces the file atomically and throws EGraphicOpenError when it cannot (also for an empty
    // bitmap, which has no file form).
    void LoadFromFile(const std::string& path);
    void SaveToFile(const std::string& path) const;
    // The same, in memory. LoadFromBmpBytes returns false (object unchanged) on unreadable bytes;
    // SaveToBmpBytes of an empty bitmap is empty.
    bool LoadFromBmpBytes(std::span<const std::uint8_t> bytes);
    std::vector<std::uint8_t> SaveToBmpBytes() const;

private:
    std::vector<std::uint8_t> dib_;
    int width_ = 0;
    int height_ = 0;
    int bitCount_ = 0;
    bool topDown_ = false;
    std::uint32_t compression_ = BI_RGB;
};

} // namespace bx::clipstore
