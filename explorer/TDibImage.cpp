#include "TDibImage.h"

#include "LittleEndian.h"

#include <QByteArray>

#include <cstring>

namespace bx::explorer {

namespace {

using platform::LeU16;
using platform::LeU32;

constexpr std::uint32_t BiBitfields = 3;
constexpr std::size_t FileHeaderSize = 14;
// Larger blocks are not shown (4096 x 4096 pixels of 32 bits).
constexpr std::size_t MaxDibSize = 64u * 1024u * 1024u + 4096u;

} // namespace

QImage TDibImage::FromDib(std::span<const std::uint8_t> dib) {
    if (dib.size() < 40 || dib.size() > MaxDibSize)
        return {};
    const std::uint32_t headerSize = LeU32(dib, 0);
    if (headerSize < 40 || headerSize > dib.size())
        return {};
    const std::uint16_t bitCount = LeU16(dib, 14);
    const std::uint32_t compression = LeU32(dib, 16);
    std::uint32_t colorsUsed = LeU32(dib, 32);
    std::size_t masks = compression == BiBitfields && headerSize == 40 ? 12 : 0;
    if (bitCount <= 8 && colorsUsed == 0)
        colorsUsed = 1u << bitCount;
    if (colorsUsed > 256 && bitCount <= 8)
        return {};
    const std::size_t palette = bitCount <= 8 ? static_cast<std::size_t>(colorsUsed) * 4 : 0;
    const std::size_t pixelOffset = FileHeaderSize + headerSize + masks + palette;
    if (pixelOffset - FileHeaderSize > dib.size())
        return {};
    // A bitmap file: the file header, then the block; the image reader checks the rest.
    QByteArray file;
    file.reserve(static_cast<qsizetype>(FileHeaderSize + dib.size()));
    const std::uint32_t fileSize = static_cast<std::uint32_t>(FileHeaderSize + dib.size());
    const std::uint32_t offset = static_cast<std::uint32_t>(pixelOffset);
    const unsigned char header[FileHeaderSize] = {'B',
                                                  'M',
                                                  static_cast<unsigned char>(fileSize),
                                                  static_cast<unsigned char>(fileSize >> 8),
                                                  static_cast<unsigned char>(fileSize >> 16),
                                                  static_cast<unsigned char>(fileSize >> 24),
                                                  0,
                                                  0,
                                                  0,
                                                  0,
                                                  static_cast<unsigned char>(offset),
                                                  static_cast<unsigned char>(offset >> 8),
                                                  static_cast<unsigned char>(offset >> 16),
                                                  static_cast<unsigned char>(offset >> 24)};
    file.append(reinterpret_cast<const char*>(header), FileHeaderSize);
    file.append(reinterpret_cast<const char*>(dib.data()), static_cast<qsizetype>(dib.size()));
    QImage image;
    if (!image.loadFromData(file, "BMP"))
        return {};
    return image;
}

} // namespace bx::explorer
