#include "TBitmap.h"

#include "EGraphicOpenError.h"
#include "EInvalidGraphic.h"
#include "LittleEndian.h"
#include "TGraphicFile.h"
#include "TPngReader.h"
#include "TPngWriter.h"
#include "TWebpReader.h"
#include "TWebpWriter.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace bx::clipstore {

namespace {

using platform::LeI32;
using platform::LeU16;
using platform::LeU32;
using platform::PutLe16;
using platform::PutLe32;

constexpr std::size_t FileHeaderSize = 14;
constexpr std::uint16_t FileMagic = 0x4D42; // "BM"
constexpr std::uint32_t CoreHeaderSize = 12;
constexpr std::uint32_t InfoHeaderSize = 40;

// What the header of a DIB says, checked against the bytes that follow it.
struct DibLayout {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0; // absolute
    bool topDown = false;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = TBitmap::BI_RGB;
    std::uint32_t sizeImage = 0;
    std::size_t paletteOffset = 0;
    std::size_t paletteCount = 0;
    std::size_t paletteEntrySize = 4;
    std::size_t prefixSize = 0;           // header, masks and palette: where the pixel data begins
    std::size_t stride = 0;               // bytes per uncompressed row
    std::size_t rowsSize = 0;             // stride * height
    std::array<std::uint32_t, 4> masks{}; // red, green, blue, alpha for 16 and 32 bits per pixel
};

bool IsRle(std::uint32_t compression) {
    return compression == TBitmap::BI_RLE8 || compression == TBitmap::BI_RLE4;
}

// Uncompressed rows, whatever the masks.
bool IsPlainRows(std::uint32_t compression) {
    return compression == TBitmap::BI_RGB || compression == TBitmap::BI_BITFIELDS ||
           compression == TBitmap::BI_ALPHABITFIELDS;
}

// Parses the header, masks and palette at the start of b. Pixel data is not looked at. False for any
// header that is malformed, inconsistent, too large or of a kind not supported.
bool ParseHeader(std::span<const std::uint8_t> b, DibLayout& l) {
    if (b.size() < 4)
        return false;
    l = DibLayout{};
    l.headerSize = LeU32(b, 0);
    std::size_t maskBytes = 0;
    if (l.headerSize == CoreHeaderSize) {
        if (b.size() < CoreHeaderSize)
            return false;
        l.width = LeU16(b, 4);
        l.height = LeU16(b, 6);
        l.bitCount = LeU16(b, 10);
        l.paletteEntrySize = 3;
        if (l.bitCount != 1 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 24)
            return false;
        l.paletteCount = l.bitCount <= 8 ? (std::size_t{1} << l.bitCount) : 0;
    } else if (l.headerSize == 40 || l.headerSize == 52 || l.headerSize == 56 || l.headerSize == 108 ||
               l.headerSize == 124) {
        if (b.size() < l.headerSize)
            return false;
        l.width = LeI32(b, 4);
        const std::int32_t h = LeI32(b, 8);
        if (h == std::numeric_limits<std::int32_t>::min())
            return false;
        l.topDown = h < 0;
        l.height = h < 0 ? -h : h;
        l.bitCount = LeU16(b, 14);
        l.compression = LeU32(b, 16);
        l.sizeImage = LeU32(b, 20);
        const std::uint32_t clrUsed = LeU32(b, 32);
        switch (l.compression) {
        case TBitmap::BI_RGB:
            if (l.bitCount != 1 && l.bitCount != 2 && l.bitCount != 4 && l.bitCount != 8 && l.bitCount != 16 &&
                l.bitCount != 24 && l.bitCount != 32)
                return false;
            break;
        case TBitmap::BI_BITFIELDS:
        case TBitmap::BI_ALPHABITFIELDS:
            if (l.bitCount != 16 && l.bitCount != 32)
                return false;
            {
                // The masks start after the 40-byte header's fields and follow it where the header is too
                // short to hold them (a 52-byte header has no alpha mask).
                const std::size_t masksEnd = InfoHeaderSize + (l.compression == TBitmap::BI_BITFIELDS ? 12 : 16);
                maskBytes = masksEnd > l.headerSize ? masksEnd - l.headerSize : 0;
            }
            break;
        case TBitmap::BI_RLE8:
            if (l.bitCount != 8 || l.topDown)
                return false;
            break;
        case TBitmap::BI_RLE4:
            if (l.bitCount != 4 || l.topDown)
                return false;
            break;
        case TBitmap::BI_JPEG:
        case TBitmap::BI_PNG:
            if (l.topDown)
                return false;
            break; // the caller decides; the pixel layout below does not apply
        default:
            return false;
        }
        if (clrUsed > 256)
            return false;
        const bool embedded = l.compression == TBitmap::BI_JPEG || l.compression == TBitmap::BI_PNG;
        if (clrUsed != 0)
            l.paletteCount = clrUsed;
        else if (l.bitCount >= 1 && l.bitCount <= 8 && !embedded) // an embedded image has its own palette
            l.paletteCount = std::size_t{1} << l.bitCount;
    } else {
        return false;
    }
    if (l.width <= 0 || l.height <= 0)
        return false;
    const std::uint64_t pixels = std::uint64_t(l.width) * std::uint64_t(l.height);
    if (pixels > TBitmap::MaxPixels)
        return false;
    const std::uint64_t stride = ((std::uint64_t(l.width) * l.bitCount + 31) / 32) * 4;
    const std::uint64_t rows = stride * std::uint64_t(l.height);
    if (rows > TBitmap::MaxPixelBytes)
        return false;
    l.stride = static_cast<std::size_t>(stride);
    l.rowsSize = static_cast<std::size_t>(rows);

    l.paletteOffset = std::size_t{l.headerSize} + maskBytes;
    l.prefixSize = l.paletteOffset + l.paletteCount * l.paletteEntrySize;
    if (l.prefixSize > b.size())
        return false;

    // Channel masks, for reading pixel colours.
    const bool fields = l.compression == TBitmap::BI_BITFIELDS || l.compression == TBitmap::BI_ALPHABITFIELDS;
    if (fields) {
        const std::size_t at = InfoHeaderSize; // after the 40-byte header, or inside a larger one
        l.masks = {LeU32(b, at), LeU32(b, at + 4), LeU32(b, at + 8), 0};
        if (l.compression == TBitmap::BI_ALPHABITFIELDS || l.headerSize >= 56)
            l.masks[3] = LeU32(b, at + 12);
    } else if (l.bitCount == 16) {
        l.masks = {0x7C00, 0x03E0, 0x001F, 0};
    } else if (l.bitCount == 32) {
        l.masks = {0xFF0000, 0xFF00, 0xFF, 0};
    }
    return true;
}

// Walks run-length encoded data (bottom-up rows); when rows is given (stride * height bytes, zeroed),
// the pixels are written into it. False when a run reaches past the data. Pixels placed outside the
// image are dropped, and data that ends without an end-of-bitmap mark ends the image.
bool DecodeRle(const DibLayout& l, std::span<const std::uint8_t> data, std::uint8_t* rows) {
    const bool four = l.compression == TBitmap::BI_RLE4;
    std::uint64_t x = 0, y = 0;
    const auto put = [&](std::uint8_t index) {
        if (rows != nullptr && x < std::uint64_t(l.width) && y < std::uint64_t(l.height)) {
            std::uint8_t* row = rows + static_cast<std::size_t>(y) * l.stride; // bottom row first
            if (four) {
                const std::size_t at = static_cast<std::size_t>(x / 2);
                row[at] = (x % 2 == 0) ? static_cast<std::uint8_t>((row[at] & 0x0F) | (index << 4))
                                       : static_cast<std::uint8_t>((row[at] & 0xF0) | (index & 0x0F));
            } else {
                row[x] = index;
            }
        }
        ++x;
    };
    std::size_t i = 0;
    while (i + 1 < data.size()) {
        const std::uint8_t n = data[i];
        const std::uint8_t c = data[i + 1];
        i += 2;
        if (n > 0) {
            if (rows == nullptr)
                x += n; // only checking
            else
                for (unsigned k = 0; k < n; ++k)
                    put(four ? static_cast<std::uint8_t>((k % 2 == 0) ? (c >> 4) : (c & 0x0F)) : c);
            continue;
        }
        if (c == 0) { // end of line
            x = 0;
            ++y;
        } else if (c == 1) { // end of bitmap
            return true;
        } else if (c == 2) { // delta
            if (i + 2 > data.size())
                return false;
            x += data[i];
            y += data[i + 1];
            i += 2;
        } else { // absolute run of c pixels, padded to a 16-bit boundary
            const std::size_t bytes = four ? (c + 1u) / 2u : c;
            const std::size_t padded = bytes + (bytes % 2);
            if (i + bytes > data.size())
                return false;
            if (rows == nullptr) {
                x += c;
            } else {
                for (unsigned k = 0; k < c; ++k) {
                    const std::uint8_t v = four ? data[i + k / 2] : data[i + k];
                    put(four ? static_cast<std::uint8_t>((k % 2 == 0) ? (v >> 4) : (v & 0x0F)) : v);
                }
            }
            i += std::min(padded, data.size() - i);
        }
    }
    return true;
}

// Checks the pixel data that follows the prefix and returns how many bytes of it belong to the image
// (0 when the data does not fit the header).
std::size_t PixelDataSize(const DibLayout& l, std::span<const std::uint8_t> pixels) {
    if (IsRle(l.compression)) {
        std::size_t size = pixels.size();
        if (l.sizeImage != 0) {
            if (l.sizeImage > pixels.size())
                return 0;
            size = l.sizeImage;
        }
        if (size == 0 || !DecodeRle(l, pixels.first(size), nullptr))
            return 0;
        return size;
    }
    if (l.compression == TBitmap::BI_JPEG || l.compression == TBitmap::BI_PNG)
        return 0;
    return pixels.size() >= l.rowsSize ? l.rowsSize : 0;
}

// A complete packed DIB that this class holds.
bool ParseDib(std::span<const std::uint8_t> dib, DibLayout& l) {
    if (!ParseHeader(dib, l))
        return false;
    return PixelDataSize(l, dib.subspan(l.prefixSize)) != 0;
}

std::uint8_t Scale(std::uint32_t v, std::uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0)
        ++shift;
    const std::uint32_t m = mask >> shift;
    const std::uint64_t c = (v & mask) >> shift;
    return static_cast<std::uint8_t>((c * 255 + m / 2) / m);
}

// Picture files keep the pixel rows compressed, as a WebP or a PNG image, with a private chunk that
// holds everything else of the DIB, so that the DIB comes back byte for byte:
//   u8 version (1), u8 fourth-byte mode (0: none, 1: every fourth byte of a 32-bit pixel is the
//   value that follows), u8 that value, u8 0, u32 n, n bytes of header, masks and palette,
//   u32 m, m bytes that followed the pixel rows.
// 24- and 32-bit rows are a lossless WebP image ("RIFF" file, private chunk "BXDI" after the image);
// other rows, and pictures WebP cannot hold, a PNG image inside a BMP file (compression BI_PNG,
// private chunk "bxDI" before the image data).
constexpr char PrivateChunk[] = "bxDI";
constexpr char WebpPrivateChunk[] = "BXDI";
constexpr std::uint8_t PrivateChunkVersion = 1;
constexpr std::size_t MaxTrailing = std::size_t{16} << 20;
constexpr std::size_t MaxChunk = MaxTrailing + 4096;
constexpr int PngLevel = 6;
constexpr int WebpPreset = 3;
// Deflate expands at most about 1032-fold: a PNG stream cannot hold more pixel bytes than this allows,
// whatever its header claims, so nothing larger is allocated.
constexpr std::uint64_t MaxInflation = 1100;

// The private chunk's contents, as written and as read back.
struct PrivateData {
    bool constantFourth = false;
    std::uint8_t fourth = 0;
    std::span<const std::uint8_t> prefix;   // header, masks and palette
    std::span<const std::uint8_t> trailing; // the bytes after the pixel rows
};

std::vector<std::uint8_t> BuildPrivateChunk(const PrivateData& d) {
    std::vector<std::uint8_t> chunk;
    chunk.reserve(12 + d.prefix.size() + d.trailing.size());
    chunk.push_back(PrivateChunkVersion);
    chunk.push_back(d.constantFourth ? 1 : 0);
    chunk.push_back(d.fourth);
    chunk.push_back(0);
    PutLe32(chunk, static_cast<std::uint32_t>(d.prefix.size()));
    chunk.insert(chunk.end(), d.prefix.begin(), d.prefix.end());
    PutLe32(chunk, static_cast<std::uint32_t>(d.trailing.size()));
    chunk.insert(chunk.end(), d.trailing.begin(), d.trailing.end());
    return chunk;
}

// The chunk's fields, and the header they hold parsed into l. False when the sizes do not add up to
// the chunk or the header is not one of plain rows.
bool ParsePrivateChunk(std::span<const std::uint8_t> c, PrivateData& d, DibLayout& l) {
    if (c.size() < 12 || c[0] != PrivateChunkVersion || c[1] > 1)
        return false;
    d.constantFourth = c[1] == 1;
    d.fourth = c[2];
    const std::size_t prefixSize = LeU32(c, 4);
    if (prefixSize > c.size() - 12)
        return false;
    d.prefix = c.subspan(8, prefixSize);
    const std::size_t trailingSize = LeU32(c, 8 + prefixSize);
    if (trailingSize != c.size() - 12 - prefixSize)
        return false;
    d.trailing = c.subspan(12 + prefixSize);
    return ParseHeader(d.prefix, l) && l.prefixSize == d.prefix.size() && IsPlainRows(l.compression) &&
           (l.bitCount == 32 || !d.constantFourth);
}

// True, with the value, when every fourth byte of the 32-bit rows is the same.
bool FourthByteConstant(std::span<const std::uint8_t> rows, const DibLayout& l, std::uint8_t& value) {
    value = rows[3];
    for (std::size_t y = 0; y < static_cast<std::size_t>(l.height); ++y) {
        const std::uint8_t* row = rows.data() + y * l.stride;
        for (std::size_t x = 0; x < static_cast<std::size_t>(l.width); ++x)
            if (row[x * 4 + 3] != value)
                return false;
    }
    return true;
}

bool PlausibleForPng(std::uint64_t rowsSize, std::size_t pngSize) {
    return rowsSize <= std::uint64_t{pngSize} * MaxInflation + 65536;
}

// How the rows of a DIB are stored as PNG rows: palette indices stay indices (the PNG palette is the
// DIB's, for other viewers; the exact palette is in the private chunk), 16-bit pixels are 16-bit grey
// samples, 24-bit pixels are RGB and 32-bit pixels RGBA, or RGB when the fourth byte is constant.
struct PngMapping {
    int colorType = 0;
    int bitDepth = 8;
    bool bgr = false;
    bool swap16 = false;
    bool filler = false;
    std::size_t rowBytes = 0; // bytes of a DIB row that hold pixels
};

bool MappingFor(const DibLayout& l, bool constantFourth, PngMapping& m) {
    m = PngMapping{};
    m.rowBytes = static_cast<std::size_t>((std::uint64_t(l.width) * l.bitCount + 7) / 8);
    switch (l.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8:
        m.colorType = PNG_COLOR_TYPE_PALETTE;
        m.bitDepth = l.bitCount;
        return true;
    case 16:
        m.colorType = PNG_COLOR_TYPE_GRAY;
        m.bitDepth = 16;
        m.swap16 = true;
        return true;
    case 24:
        m.colorType = PNG_COLOR_TYPE_RGB;
        m.bgr = true;
        return true;
    case 32:
        m.colorType = constantFourth ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA;
        m.bgr = true;
        m.filler = constantFourth;
        return true;
    default:
        return false;
    }
}

// The DIB row shown as PNG row r (PNG rows run from the top).
std::size_t DibRow(const DibLayout& l, std::size_t r) {
    return l.topDown ? r : static_cast<std::size_t>(l.height) - 1 - r;
}

// True when the bytes and bits of every row beyond its last pixel are zero (PNG cannot keep them).
bool SlackIsZero(std::span<const std::uint8_t> rows, const DibLayout& l, std::size_t rowBytes) {
    const unsigned usedBits = static_cast<unsigned>((std::uint64_t(l.width) * l.bitCount) % 8);
    const std::uint8_t lastMask = usedBits == 0 ? 0 : static_cast<std::uint8_t>(0xFFu >> usedBits);
    for (std::size_t y = 0; y < static_cast<std::size_t>(l.height); ++y) {
        const std::span<const std::uint8_t> row = rows.subspan(y * l.stride, l.stride);
        if ((row[rowBytes - 1] & lastMask) != 0)
            return false;
        for (std::size_t i = rowBytes; i < l.stride; ++i)
            if (row[i] != 0)
                return false;
    }
    return true;
}

// The BMP file with PNG-compressed rows for a held DIB; empty when its format does not map exactly
// or the encoder fails.
std::vector<std::uint8_t> EncodePngBmp(std::span<const std::uint8_t> dib) {
    DibLayout l;
    if (!ParseHeader(dib, l) || !IsPlainRows(l.compression) || dib.size() < l.prefixSize + l.rowsSize)
        return {};
    const std::span<const std::uint8_t> rows = dib.subspan(l.prefixSize, l.rowsSize);
    const std::span<const std::uint8_t> trailing = dib.subspan(l.prefixSize + l.rowsSize);
    if (trailing.size() > MaxTrailing)
        return {};

    std::uint8_t fourth = 0;
    const bool constantFourth = l.bitCount == 32 && FourthByteConstant(rows, l, fourth);
    PngMapping m;
    if (!MappingFor(l, constantFourth, m) || !SlackIsZero(rows, l, m.rowBytes))
        return {};

    TPngWriter::Format format;
    format.width = static_cast<std::uint32_t>(l.width);
    format.height = static_cast<std::uint32_t>(l.height);
    format.bitDepth = m.bitDepth;
    format.colorType = m.colorType;
    format.bgr = m.bgr;
    format.swap16 = m.swap16;
    format.stripFiller = m.filler;
    if (m.colorType == PNG_COLOR_TYPE_PALETTE) {
        const std::size_t entries = std::size_t{1} << l.bitCount;
        format.palette.assign(entries * 3, 0);
        for (std::size_t i = 0; i < entries && i < l.paletteCount; ++i) {
            const std::size_t p = l.paletteOffset + i * l.paletteEntrySize;
            format.palette[i * 3] = dib[p + 2];
            format.palette[i * 3 + 1] = dib[p + 1];
            format.palette[i * 3 + 2] = dib[p];
        }
    }
    std::vector<const std::uint8_t*> rowPointers(static_cast<std::size_t>(l.height));
    for (std::size_t r = 0; r < rowPointers.size(); ++r)
        rowPointers[r] = rows.data() + DibRow(l, r) * l.stride;

    const std::vector<std::uint8_t> chunk =
        BuildPrivateChunk({constantFourth, fourth, dib.first(l.prefixSize), trailing});
    TPngWriter writer;
    if (!writer.Encode(format, rowPointers, PrivateChunk, chunk, PngLevel))
        return {};
    const std::vector<std::uint8_t>& png = writer.Bytes();

    // A BITMAPINFOHEADER that tells other readers what the file holds.
    const std::size_t offBits = FileHeaderSize + InfoHeaderSize;
    const std::uint64_t total = offBits + std::uint64_t{png.size()};
    if (total > 0xFFFFFFFFu)
        return {};
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(total));
    PutLe16(out, FileMagic);
    PutLe32(out, static_cast<std::uint32_t>(total));
    PutLe32(out, 0);
    PutLe32(out, static_cast<std::uint32_t>(offBits));
    PutLe32(out, InfoHeaderSize);
    PutLe32(out, static_cast<std::uint32_t>(l.width));
    PutLe32(out, static_cast<std::uint32_t>(l.height));
    PutLe16(out, 1); // planes
    PutLe16(out, 0); // bits per pixel: the PNG's
    PutLe32(out, TBitmap::BI_PNG);
    PutLe32(out, static_cast<std::uint32_t>(png.size()));
    PutLe32(out, l.headerSize >= InfoHeaderSize ? LeU32(dib, 24) : 0); // resolution
    PutLe32(out, l.headerSize >= InfoHeaderSize ? LeU32(dib, 28) : 0);
    PutLe32(out, 0);
    PutLe32(out, 0);
    out.insert(out.end(), png.begin(), png.end());
    return out;
}

// Our own PNG rows with the private chunk: the DIB exactly as it was written.
bool DecodeOwnPng(TPngReader& reader, std::size_t pngSize, std::vector<std::uint8_t>& dib) {
    PrivateData d;
    DibLayout l;
    if (!ParsePrivateChunk(reader.Chunk(), d, l))
        return false;
    PngMapping m;
    if (!MappingFor(l, d.constantFourth, m))
        return false;
    if (reader.Width() != std::uint32_t(l.width) || reader.Height() != std::uint32_t(l.height) ||
        reader.ColorType() != m.colorType || reader.BitDepth() != m.bitDepth)
        return false;
    if (!PlausibleForPng(l.rowsSize, pngSize))
        return false;

    dib.assign(d.prefix.size() + l.rowsSize + d.trailing.size(), 0);
    std::copy(d.prefix.begin(), d.prefix.end(), dib.begin());
    std::copy(d.trailing.begin(), d.trailing.end(),
              dib.begin() + static_cast<std::ptrdiff_t>(d.prefix.size() + l.rowsSize));
    std::vector<std::uint8_t*> rowPointers(static_cast<std::size_t>(l.height));
    for (std::size_t r = 0; r < rowPointers.size(); ++r)
        rowPointers[r] = dib.data() + d.prefix.size() + DibRow(l, r) * l.stride;
    TPngReader::Transforms t;
    t.bgr = m.bgr;
    t.swap16 = m.swap16;
    t.filler = d.constantFourth ? d.fourth : -1;
    const std::size_t rowBytes = l.bitCount == 32 ? std::size_t(l.width) * 4 : m.rowBytes;
    return reader.ReadImage(t, rowPointers, rowBytes);
}

// The DIB for an image of another writer: a BITMAPINFOHEADER for bottom-up BI_RGB rows of 3 or 4 bytes
// per pixel, then the rows, zero.
void StartForeignDib(std::vector<std::uint8_t>& dib, std::uint64_t w, std::uint64_t h, std::uint64_t channels,
                     std::size_t rowsSize, std::uint32_t xPerMetre, std::uint32_t yPerMetre) {
    dib.clear();
    dib.reserve(InfoHeaderSize + rowsSize);
    PutLe32(dib, InfoHeaderSize);
    PutLe32(dib, static_cast<std::uint32_t>(w));
    PutLe32(dib, static_cast<std::uint32_t>(h));
    PutLe16(dib, 1);
    PutLe16(dib, static_cast<std::uint16_t>(channels * 8));
    PutLe32(dib, TBitmap::BI_RGB);
    PutLe32(dib, static_cast<std::uint32_t>(rowsSize));
    PutLe32(dib, xPerMetre);
    PutLe32(dib, yPerMetre);
    PutLe32(dib, 0);
    PutLe32(dib, 0);
    dib.resize(InfoHeaderSize + rowsSize, 0);
}

// A PNG of another writer: decoded into a bottom-up 24-bit DIB, or 32-bit when it has transparency.
bool DecodeForeignPng(TPngReader& reader, std::size_t pngSize, const DibLayout& presentation,
                      std::span<const std::uint8_t> header, std::vector<std::uint8_t>& dib) {
    const std::uint64_t w = reader.Width(), h = reader.Height();
    if (w == 0 || h == 0 || w > 0x7FFFFFFF || h > 0x7FFFFFFF || w * h > TBitmap::MaxPixels)
        return false;
    const std::uint64_t channels = reader.HasTransparency() ? 4 : 3;
    const std::uint64_t stride = ((w * channels * 8 + 31) / 32) * 4;
    if (stride * h > TBitmap::MaxPixelBytes || !PlausibleForPng(stride * h, pngSize))
        return false;
    const std::size_t rowsSize = static_cast<std::size_t>(stride * h);
    StartForeignDib(dib, w, h, channels, rowsSize, presentation.headerSize >= InfoHeaderSize ? LeU32(header, 24) : 0,
                    presentation.headerSize >= InfoHeaderSize ? LeU32(header, 28) : 0);
    std::vector<std::uint8_t*> rowPointers(static_cast<std::size_t>(h));
    for (std::size_t r = 0; r < rowPointers.size(); ++r)
        rowPointers[r] = dib.data() + InfoHeaderSize + (rowPointers.size() - 1 - r) * static_cast<std::size_t>(stride);
    TPngReader::Transforms t;
    t.toRgb8 = true;
    t.bgr = true;
    return reader.ReadImage(t, rowPointers, static_cast<std::size_t>(w * channels));
}

// A BMP file whose pixel data is a PNG stream (header: the BMP's header region).
bool DecodePngBmp(std::span<const std::uint8_t> header, const DibLayout& presentation,
                  std::span<const std::uint8_t> png, std::vector<std::uint8_t>& dib) {
    TPngReader reader(png, PrivateChunk, MaxChunk);
    if (!reader.ReadInfo())
        return false;
    if (reader.ChunkCount() > 1)
        return false; // a file of ours, tampered with
    if (reader.ChunkCount() == 1)
        return DecodeOwnPng(reader, png.size(), dib);
    return DecodeForeignPng(reader, png.size(), presentation, header, dib);
}

// The WebP picture file for a held DIB of 24 or 32 bits per pixel; empty when its rows do not map
// exactly (row padding that is not zero) or WebP cannot hold the picture.
std::vector<std::uint8_t> EncodeWebp(std::span<const std::uint8_t> dib) {
    DibLayout l;
    if (!ParseHeader(dib, l) || !IsPlainRows(l.compression) || (l.bitCount != 24 && l.bitCount != 32) ||
        dib.size() < l.prefixSize + l.rowsSize || std::uint32_t(l.width) > TWebpWriter::MaxDimension ||
        std::uint32_t(l.height) > TWebpWriter::MaxDimension)
        return {};
    const std::span<const std::uint8_t> rows = dib.subspan(l.prefixSize, l.rowsSize);
    const std::span<const std::uint8_t> trailing = dib.subspan(l.prefixSize + l.rowsSize);
    const int bytesPerPixel = l.bitCount / 8;
    if (trailing.size() > MaxTrailing || !SlackIsZero(rows, l, std::size_t(l.width) * bytesPerPixel))
        return {};
    std::uint8_t fourth = 0;
    const bool constantFourth = l.bitCount == 32 && FourthByteConstant(rows, l, fourth);

    TWebpWriter::Format format;
    format.width = static_cast<std::uint32_t>(l.width);
    format.height = static_cast<std::uint32_t>(l.height);
    format.bytesPerPixel = bytesPerPixel;
    format.fourthIsAlpha = !constantFourth;
    std::vector<const std::uint8_t*> rowPointers(static_cast<std::size_t>(l.height));
    for (std::size_t r = 0; r < rowPointers.size(); ++r)
        rowPointers[r] = rows.data() + DibRow(l, r) * l.stride;
    const std::vector<std::uint8_t> chunk =
        BuildPrivateChunk({constantFourth, fourth, dib.first(l.prefixSize), trailing});
    return TWebpWriter::Encode(format, rowPointers, WebpPrivateChunk, chunk, WebpPreset);
}

// A WebP image of another writer: decoded into a bottom-up 24-bit DIB, or 32-bit when it has alpha.
bool DecodeForeignWebp(TWebpReader& reader, std::vector<std::uint8_t>& dib) {
    const std::uint64_t w = reader.Width(), h = reader.Height();
    if (w * h > TBitmap::MaxPixels)
        return false;
    const std::uint64_t channels = reader.HasAlpha() ? 4 : 3;
    const std::uint64_t stride = ((w * channels * 8 + 31) / 32) * 4;
    if (stride * h > TBitmap::MaxPixelBytes)
        return false;
    const std::size_t rowsSize = static_cast<std::size_t>(stride * h);
    StartForeignDib(dib, w, h, channels, rowsSize, 0, 0);
    return reader.ReadImage(static_cast<int>(channels), std::span<std::uint8_t>(dib).subspan(InfoHeaderSize),
                            static_cast<std::size_t>(stride), true);
}

// A WebP picture file. With the private chunk it is one of ours: the DIB exactly as it was written,
// its header checked against the image before anything is allocated.
bool DecodeWebp(std::span<const std::uint8_t> file, std::vector<std::uint8_t>& dib) {
    TWebpReader reader(file, WebpPrivateChunk, MaxChunk);
    if (!reader.ReadInfo() || reader.ChunkCount() > 1)
        return false; // not a still WebP image, or a file of ours tampered with
    if (reader.ChunkCount() == 0)
        return DecodeForeignWebp(reader, dib);
    PrivateData d;
    DibLayout l;
    if (!ParsePrivateChunk(reader.Chunk(), d, l) || (l.bitCount != 24 && l.bitCount != 32) || !reader.Lossless() ||
        reader.Width() != std::uint32_t(l.width) || reader.Height() != std::uint32_t(l.height))
        return false;
    dib.assign(d.prefix.size() + l.rowsSize + d.trailing.size(), 0);
    std::copy(d.prefix.begin(), d.prefix.end(), dib.begin());
    std::copy(d.trailing.begin(), d.trailing.end(), dib.end() - static_cast<std::ptrdiff_t>(d.trailing.size()));
    const std::span<std::uint8_t> rows = std::span<std::uint8_t>(dib).subspan(d.prefix.size(), l.rowsSize);
    if (!reader.ReadImage(l.bitCount / 8, rows, l.stride, !l.topDown))
        return false;
    if (d.constantFourth)
        for (std::size_t i = 3; i < rows.size(); i += 4) // 32-bit rows have no padding
            rows[i] = d.fourth;
    return true;
}

} // namespace

void TBitmap::Clear() {
    *this = TBitmap();
}

bool TBitmap::LoadFromDib(std::span<const std::uint8_t> dib) {
    return LoadFromDib(std::vector<std::uint8_t>(dib.begin(), dib.end()));
}

bool TBitmap::LoadFromDib(std::vector<std::uint8_t>&& dib) {
    DibLayout l;
    if (!ParseDib(dib, l))
        return false;
    dib_ = std::move(dib);
    width_ = l.width;
    height_ = l.height;
    bitCount_ = l.bitCount;
    topDown_ = l.topDown;
    compression_ = l.compression;
    return true;
}

std::vector<std::uint8_t> TBitmap::UncompressedDib() const {
    DibLayout l;
    if (dib_.empty() || !ParseDib(dib_, l) || !IsRle(l.compression))
        return dib_;
    std::vector<std::uint8_t> out(l.prefixSize + l.rowsSize, 0);
    std::copy_n(dib_.begin(), l.prefixSize, out.begin());
    const std::span<const std::uint8_t> held(dib_);
    const std::size_t size = PixelDataSize(l, held.subspan(l.prefixSize));
    DecodeRle(l, held.subspan(l.prefixSize, size), out.data() + l.prefixSize);
    // The header now describes plain rows.
    const std::uint32_t plain = BI_RGB;
    const std::uint32_t rows = static_cast<std::uint32_t>(l.rowsSize);
    for (int i = 0; i < 4; ++i) {
        out[16 + i] = static_cast<std::uint8_t>(plain >> (8 * i));
        out[20 + i] = static_cast<std::uint8_t>(rows >> (8 * i));
    }
    return out;
}

std::optional<std::uint32_t> TBitmap::PixelColor(int x, int y) const {
    if (dib_.empty() || x < 0 || y < 0 || x >= width_ || y >= height_)
        return std::nullopt;
    const std::vector<std::uint8_t> plain = UncompressedDib();
    const std::span<const std::uint8_t> b(plain);
    DibLayout l;
    if (!ParseHeader(b, l))
        return std::nullopt;
    const std::size_t row = static_cast<std::size_t>(l.topDown ? y : l.height - 1 - y);
    const std::size_t at = l.prefixSize + row * l.stride;
    const auto paletteColor = [&](std::size_t index) -> std::uint32_t {
        if (index >= l.paletteCount)
            return 0;
        const std::size_t p = l.paletteOffset + index * l.paletteEntrySize;
        return (std::uint32_t{b[p + 2]} << 16) | (std::uint32_t{b[p + 1]} << 8) | b[p];
    };
    const std::size_t ux = static_cast<std::size_t>(x);
    switch (l.bitCount) {
    case 1:
    case 2:
    case 4:
    case 8: {
        const std::size_t bit = ux * l.bitCount;
        const std::uint8_t byte = b[at + bit / 8];
        const unsigned shift = 8u - l.bitCount - static_cast<unsigned>(bit % 8);
        return paletteColor((byte >> shift) & ((1u << l.bitCount) - 1u));
    }
    case 16:
    case 32: {
        const std::uint32_t v = l.bitCount == 16 ? LeU16(b, at + ux * 2) : LeU32(b, at + ux * 4);
        return (std::uint32_t{Scale(v, l.masks[0])} << 16) | (std::uint32_t{Scale(v, l.masks[1])} << 8) |
               Scale(v, l.masks[2]);
    }
    case 24: {
        const std::size_t p = at + ux * 3;
        return (std::uint32_t{b[p + 2]} << 16) | (std::uint32_t{b[p + 1]} << 8) | b[p];
    }
    default:
        return std::nullopt;
    }
}

bool TBitmap::LoadFromBmpBytes(std::span<const std::uint8_t> bytes) {
    if (TWebpReader::IsWebp(bytes)) {
        // Decoded straight into the rows of a DIB of its exact size, then copied as for PNG below: keeping
        // that buffer grew the resident size by 1.2 MB instead of 0.3 MB over 100 clips, 20 of them pictures.
        std::vector<std::uint8_t> dib;
        return DecodeWebp(bytes, dib) && LoadFromDib(std::span<const std::uint8_t>(dib));
    }
    if (bytes.size() < FileHeaderSize + 4 || LeU16(bytes, 0) != FileMagic)
        return false;
    const std::span<const std::uint8_t> body = bytes.subspan(FileHeaderSize);
    DibLayout l;
    if (!ParseHeader(body, l))
        return false;
    std::size_t offBits = LeU32(bytes, 10);
    if (offBits == 0)
        offBits = FileHeaderSize + l.prefixSize;
    if (offBits < FileHeaderSize + l.prefixSize || offBits > bytes.size())
        return false;
    std::span<const std::uint8_t> pixels = bytes.subspan(offBits);
    if (l.compression == BI_PNG) {
        if (l.sizeImage != 0 && l.sizeImage <= pixels.size())
            pixels = pixels.first(l.sizeImage);
        std::vector<std::uint8_t> dib;
        // Copied into a buffer of its own size rather than taken over: reading many pictures one after
        // another then leaves no memory behind (measured with the decoder's buffer kept: ~1 MB per 100).
        return DecodePngBmp(body, l, pixels, dib) && LoadFromDib(std::span<const std::uint8_t>(dib));
    }
    if (offBits == FileHeaderSize + l.prefixSize)
        return LoadFromDib(body); // contiguous: the DIB is the rest of the file, as written
    const std::size_t size = PixelDataSize(l, pixels);
    if (size == 0)
        return false;
    std::vector<std::uint8_t> dib(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(l.prefixSize));
    dib.insert(dib.end(), pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(size));
    return LoadFromDib(std::span<const std::uint8_t>(dib));
}

std::vector<std::uint8_t> TBitmap::SaveToBmpBytes() const {
    if (dib_.empty())
        return {};
    // Compressed when the rows map exactly, the result is smaller, and it reads back to the same DIB:
    // WebP for 24 and 32 bits per pixel, else (or when that fails) PNG; otherwise the DIB as it is.
    for (const auto encode : {EncodeWebp, EncodePngBmp}) {
        std::vector<std::uint8_t> packed = encode(dib_);
        if (!packed.empty() && packed.size() < FileHeaderSize + dib_.size()) {
            TBitmap check;
            if (check.LoadFromBmpBytes(packed) && check.dib_ == dib_)
                return packed;
        }
    }
    DibLayout l;
    ParseHeader(dib_, l);
    std::vector<std::uint8_t> out;
    out.reserve(FileHeaderSize + dib_.size());
    PutLe16(out, FileMagic);
    const std::uint64_t total = FileHeaderSize + dib_.size();
    PutLe32(out, total > 0xFFFFFFFFu ? 0u : static_cast<std::uint32_t>(total));
    PutLe32(out, 0);
    PutLe32(out, static_cast<std::uint32_t>(FileHeaderSize + l.prefixSize));
    out.insert(out.end(), dib_.begin(), dib_.end());
    return out;
}

void TBitmap::LoadFromFile(const std::string& path) {
    const std::vector<std::uint8_t> bytes = TGraphicFile::Read(path, MaxFileSize);
    if (!LoadFromBmpBytes(bytes))
        throw EInvalidGraphic("Not a readable bitmap file: " + path);
}

void TBitmap::SaveToFile(const std::string& path) const {
    if (dib_.empty())
        throw EGraphicOpenError("Cannot write an empty bitmap to " + path);
    TGraphicFile::Write(path, SaveToBmpBytes());
}

} // namespace bx::clipstore
