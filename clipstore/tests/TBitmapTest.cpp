#include "TBitmap.h"
#include "EGraphicOpenError.h"
#include "EInvalidGraphic.h"
#include "TPngWriter.h"
#include "TestBytes.h"

#include <gtest/gtest.h>
#include <png.h>
#include <webp/decode.h>
#include <webp/encode.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bx::clipstore {
namespace {

using Bytes = std::vector<std::uint8_t>;

using testsupport::FileBytes;
using testsupport::Get32;
using testsupport::Put16;
using testsupport::Put32;
using testsupport::Set32;

// A small deterministic generator for pixels and mutations.
struct Rng {
    std::uint32_t state;
    std::uint32_t Next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

// How a picture file holds the pixel rows.
enum class Stored { Plain, Png, Webp };

struct DibSpec {
    const char* name;
    std::uint32_t headerSize;
    std::int32_t width;
    std::int32_t height;
    std::uint16_t bitCount;
    std::uint32_t compression;
    std::uint32_t clrUsed;
    std::uint32_t clrImportant;
    std::vector<std::uint32_t> masks; // after a 40-byte header, or inside a larger one
    bool constantFourth;              // 32 bits per pixel: every fourth byte 0xFF
    bool dirtyPadding;                // non-zero bytes after the last pixel of a row
    std::size_t trailing;             // extra bytes after the rows
    Stored stored;                    // how the picture file holds the rows
};

std::size_t Stride(std::int32_t width, int bitCount) {
    return ((static_cast<std::size_t>(width) * bitCount + 31) / 32) * 4;
}

// A 40-byte header (BITMAPINFOHEADER) with no resolution and no important colours.
Bytes InfoHeader(std::int32_t width, std::int32_t height, std::uint16_t bitCount, std::uint32_t compression,
                 std::uint32_t dataSize, std::uint32_t colours) {
    Bytes h;
    Put32(h, 40);
    Put32(h, static_cast<std::uint32_t>(width));
    Put32(h, static_cast<std::uint32_t>(height));
    Put16(h, 1);
    Put16(h, bitCount);
    Put32(h, compression);
    Put32(h, dataSize);
    Put32(h, 0);
    Put32(h, 0);
    Put32(h, colours);
    Put32(h, 0);
    for (std::uint32_t i = 0; i < colours; ++i)
        Put32(h, i * 0x010101u); // grey levels: colour = index * 0x010101
    return h;
}

// A DIB of pseudo-random pixels built from a layout description.
Bytes MakeDib(const DibSpec& s, std::uint32_t seed = 7) {
    Rng rng{seed};
    Bytes b;
    const std::int32_t absHeight = s.height < 0 ? -s.height : s.height;
    const std::size_t stride = Stride(s.width, s.bitCount);
    if (s.headerSize == 12) {
        Put32(b, 12);
        Put16(b, static_cast<std::uint16_t>(s.width));
        Put16(b, static_cast<std::uint16_t>(s.height));
        Put16(b, 1);
        Put16(b, s.bitCount);
    } else {
        Put32(b, s.headerSize);
        Put32(b, static_cast<std::uint32_t>(s.width));
        Put32(b, static_cast<std::uint32_t>(s.height));
        Put16(b, 1);
        Put16(b, s.bitCount);
        Put32(b, s.compression);
        Put32(b, static_cast<std::uint32_t>(stride * absHeight));
        Put32(b, 3780); // 96 dpi
        Put32(b, 2835); // 72 dpi
        Put32(b, s.clrUsed);
        Put32(b, s.clrImportant);
        if (s.headerSize > 40) {
            for (std::size_t i = 0; i < 4; ++i)
                Put32(b, i < s.masks.size() ? s.masks[i] : 0);
            while (b.size() < s.headerSize)
                b.push_back(static_cast<std::uint8_t>(b.size() * 7)); // colour space, gamma, intent
        } else {
            for (const std::uint32_t m : s.masks)
                Put32(b, m);
        }
    }
    std::size_t palette = s.clrUsed;
    if (palette == 0 && s.bitCount <= 8)
        palette = std::size_t{1} << s.bitCount;
    for (std::size_t i = 0; i < palette; ++i) {
        b.push_back(static_cast<std::uint8_t>(i * 3));
        b.push_back(static_cast<std::uint8_t>(255 - i));
        b.push_back(static_cast<std::uint8_t>(i * 11));
        if (s.headerSize != 12)
            b.push_back(0);
    }
    // Rows of runs of random bytes, some rows repeating the one before: noise that still compresses.
    const std::size_t usedBits = static_cast<std::size_t>(s.width) * s.bitCount;
    const std::size_t usedBytes = (usedBits + 7) / 8;
    Bytes previous;
    for (std::int32_t y = 0; y < absHeight; ++y) {
        Bytes row(stride, 0);
        if (!previous.empty() && rng.Next() % 3 == 0) {
            row = previous;
        } else {
            for (std::size_t i = 0; i < usedBytes;) {
                const std::uint8_t v = static_cast<std::uint8_t>(rng.Next());
                for (std::size_t n = 1 + rng.Next() % 12; n > 0 && i < usedBytes; --n)
                    row[i++] = v;
            }
        }
        if (usedBits % 8 != 0)
            row[usedBits / 8] &= static_cast<std::uint8_t>(0xFF00u >> (usedBits % 8));
        if (s.bitCount <= 8 && palette < (std::size_t{1} << s.bitCount)) {
            // indices within the palette
            for (std::size_t x = 0; x < static_cast<std::size_t>(s.width); ++x) {
                const std::size_t bit = x * s.bitCount;
                const unsigned shift = 8u - s.bitCount - static_cast<unsigned>(bit % 8);
                const unsigned mask = ((1u << s.bitCount) - 1u) << shift;
                const unsigned index = static_cast<unsigned>((x / 3 + static_cast<std::size_t>(y)) % palette);
                row[bit / 8] = static_cast<std::uint8_t>((row[bit / 8] & ~mask) | (index << shift));
            }
        }
        previous = row;
        if (s.bitCount == 32 && s.constantFourth)
            for (std::size_t x = 0; x < static_cast<std::size_t>(s.width); ++x)
                row[x * 4 + 3] = 0xFF;
        if (s.dirtyPadding && usedBits % 8 != 0)
            row[usedBytes - 1] |= 1; // a bit after the last pixel
        else if (s.dirtyPadding && usedBytes < stride)
            row[stride - 1] = 0xA5;
        b.insert(b.end(), row.begin(), row.end());
    }
    for (std::size_t i = 0; i < s.trailing; ++i)
        b.push_back(static_cast<std::uint8_t>(rng.Next()));
    return b;
}

bool IsWebpFile(const Bytes& b) {
    return b.size() >= 12 && std::equal(b.begin(), b.begin() + 4, "RIFF") &&
           std::equal(b.begin() + 8, b.begin() + 12, "WEBP");
}

// A fresh directory for the picture files of one test.
class TempDir {
public:
    TempDir() {
        dir_ = std::filesystem::temp_directory_path() /
               ("bx_bitmap_" + std::to_string(::getpid()) + "_" + std::to_string(counter_++));
        std::filesystem::create_directories(dir_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string File(const std::string& name) const { return (dir_ / name).string(); }

private:
    static inline int counter_ = 0;
    std::filesystem::path dir_;
};

const std::vector<DibSpec>& Formats() {
    using B = TBitmap;
    const std::vector<std::uint32_t> m565 = {0xF800, 0x07E0, 0x001F};
    const std::vector<std::uint32_t> argb = {0xFF0000, 0xFF00, 0xFF, 0xFF000000};
    static const std::vector<DibSpec> specs = {
        {"1 bit, 2 colours", 40, 77, 41, 1, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png},
        {"2 bits", 40, 59, 33, 2, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png},
        {"4 bits, 16 colours", 40, 61, 37, 4, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png},
        {"4 bits, 5 colours used, 3 important", 40, 47, 24, 4, B::BI_RGB, 5, 3, {}, false, false, 0, Stored::Png},
        {"8 bits, 256 colours", 40, 93, 57, 8, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png},
        {"8 bits, 20 colours, top-down", 40, 50, -36, 8, B::BI_RGB, 20, 20, {}, false, false, 0, Stored::Png},
        {"16 bits 5-5-5", 40, 41, 25, 16, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png},
        {"16 bits 5-6-5 bit fields", 40, 42, 26, 16, B::BI_BITFIELDS, 0, 0, m565, false, false, 0, Stored::Png},
        {"24 bits, padded rows", 40, 47, 29, 24, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Webp},
        {"24 bits, top-down", 40, 38, -28, 24, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Webp},
        {"32 bits with alpha", 40, 39, 24, 32, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Webp},
        {"32 bits, fourth byte constant", 40, 39, 24, 32, B::BI_RGB, 0, 0, {}, true, false, 0, Stored::Webp},
        {"32 bits alpha bit fields", 40, 35, 25, 32, B::BI_ALPHABITFIELDS, 0, 0, argb, false, false, 0, Stored::Webp},
        {"V4 header, 32-bit bit fields", 108, 36, 23, 32, B::BI_BITFIELDS, 0, 0, argb, false, false, 0, Stored::Webp},
        {"V5 header, top-down, 24 bits", 124, 36, -23, 24, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Webp},
        {"V5 header, data after the rows", 124, 34, 24, 32, B::BI_RGB, 0, 0, {}, true, false, 37, Stored::Webp},
        {"core header, 8 bits", 12, 90, 43, 8, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png},
        {"core header, 24 bits", 12, 45, 20, 24, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Webp},
        {"24 bits, wider than WebP allows", 40, 16384, 2, 24, B::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png},
        {"24 bits, non-zero row padding", 40, 5, 3, 24, B::BI_RGB, 0, 0, {}, false, true, 0, Stored::Plain},
        {"1 bit, stray bits after the last pixel", 40, 3, 2, 1, B::BI_RGB, 0, 0, {}, false, true, 0, Stored::Plain},
    };
    return specs;
}

TEST(TBitmapTest, DibAndFileRoundTripsAreExactForEveryPixelFormat) {
    TempDir dir;
    for (const DibSpec& spec : Formats()) {
        SCOPED_TRACE(spec.name);
        const Bytes dib = MakeDib(spec);
        TBitmap bmp;
        ASSERT_TRUE(bmp.LoadFromDib(dib));
        EXPECT_EQ(bmp.SaveToDib(), dib);
        EXPECT_EQ(bmp.Width(), spec.width);
        EXPECT_EQ(bmp.Height(), spec.height < 0 ? -spec.height : spec.height);
        EXPECT_EQ(bmp.TopDown(), spec.height < 0);
        EXPECT_EQ(bmp.BitCount(), spec.bitCount);

        const Bytes file = bmp.SaveToBmpBytes();
        ASSERT_GE(file.size(), 54u);
        EXPECT_EQ(IsWebpFile(file), spec.stored == Stored::Webp);
        if (spec.stored != Stored::Webp) {
            EXPECT_EQ(file[0], 'B');
            EXPECT_EQ(file[1], 'M');
            EXPECT_EQ(Get32(file, 14 + 16) == TBitmap::BI_PNG, spec.stored == Stored::Png);
        }
        TBitmap fromBytes;
        ASSERT_TRUE(fromBytes.LoadFromBmpBytes(file));
        EXPECT_EQ(fromBytes.SaveToDib(), dib);

        const std::string path = dir.File("I1.bmp");
        bmp.SaveToFile(path);
        EXPECT_EQ(FileBytes(path), file);
        TBitmap fromFile;
        fromFile.LoadFromFile(path);
        EXPECT_EQ(fromFile.SaveToDib(), dib);
    }
}

TEST(TBitmapTest, PixelColoursFollowPaletteMasksAndRowOrder) {
    // 2x2, 24 bits, bottom-up: the first row in memory is the bottom row.
    Bytes dib = InfoHeader(2, 2, 24, TBitmap::BI_RGB, 0, 0);
    const Bytes rows = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0, 0, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0, 0};
    dib.insert(dib.end(), rows.begin(), rows.end());
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    EXPECT_EQ(bmp.PixelColor(0, 1), 0x030201u);
    EXPECT_EQ(bmp.PixelColor(1, 0), 0x161514u);
    EXPECT_FALSE(bmp.PixelColor(2, 0).has_value());

    // The same picture top-down swaps the rows.
    Set32(dib, 8, static_cast<std::uint32_t>(-2));
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    EXPECT_EQ(bmp.PixelColor(0, 0), 0x030201u);

    // 16 bits 5-6-5: pure red and pure green.
    Bytes f;
    for (const std::uint32_t v : {40u, 2u, 1u})
        Put32(f, v);
    Put16(f, 1);
    Put16(f, 16);
    Put32(f, TBitmap::BI_BITFIELDS);
    for (int i = 0; i < 5; ++i)
        Put32(f, 0);
    for (const std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu})
        Put32(f, m);
    Put16(f, 0xF800);
    Put16(f, 0x07E0);
    ASSERT_TRUE(bmp.LoadFromDib(f));
    EXPECT_EQ(bmp.PixelColor(0, 0), 0xFF0000u);
    EXPECT_EQ(bmp.PixelColor(1, 0), 0x00FF00u);

    // 1 bit: the palette decides.
    const Bytes mono = MakeDib({"mono", 40, 8, 1, 1, TBitmap::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png});
    ASSERT_TRUE(bmp.LoadFromDib(mono));
    const std::uint8_t bits = mono[40 + 8];
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(bmp.PixelColor(x, 0), ((bits >> (7 - x)) & 1) ? 0x0BFE03u : 0x00FF00u) << x;
}

// A noisy photograph-like 24-bit picture: gradients with small random deviations.
Bytes NoisyDib(std::int32_t width, std::int32_t height) {
    Bytes dib;
    const std::size_t stride = Stride(width, 24);
    Put32(dib, 40);
    Put32(dib, static_cast<std::uint32_t>(width));
    Put32(dib, static_cast<std::uint32_t>(height));
    Put16(dib, 1);
    Put16(dib, 24);
    Put32(dib, 0);
    Put32(dib, static_cast<std::uint32_t>(stride * height));
    for (int i = 0; i < 4; ++i)
        Put32(dib, 0);
    Rng rng{12345};
    for (std::int32_t y = 0; y < height; ++y) {
        Bytes row(stride, 0);
        for (std::int32_t x = 0; x < width; ++x) {
            const int noise = static_cast<int>(rng.Next() % 9) - 4;
            row[x * 3] = static_cast<std::uint8_t>((x * 255 / width + noise) & 0xFF);
            row[x * 3 + 1] = static_cast<std::uint8_t>((y * 255 / height + noise) & 0xFF);
            row[x * 3 + 2] = static_cast<std::uint8_t>(((x + y) / 4 + noise) & 0xFF);
        }
        dib.insert(dib.end(), row.begin(), row.end());
    }
    return dib;
}

TEST(TBitmapTest, ScreenshotWithOpaqueFourthBytesCompressesWell) {
    // 32 bits per pixel, every fourth byte 0xFF, flat areas with a little detail: a desktop screenshot.
    const std::int32_t w = 800, h = 600;
    Bytes dib = InfoHeader(w, h, 32, TBitmap::BI_RGB, 0, 0);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const bool text = (y / 12) % 3 == 1 && (x * 7 + y * 3) % 11 < 4;
            const std::uint8_t v = text ? 20 : ((x / 200 + y / 150) % 2 ? 240 : 200);
            dib.insert(dib.end(), {v, v, static_cast<std::uint8_t>(v + 5), 0xFF});
        }
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    const Bytes file = bmp.SaveToBmpBytes();
    EXPECT_LT(file.size(), dib.size() / 10);
    TBitmap back;
    ASSERT_TRUE(back.LoadFromBmpBytes(file));
    EXPECT_EQ(back.SaveToDib(), dib);
}

TEST(TBitmapTest, NoisyPictureFileIsCompressedAndExact) {
    const Bytes dib = NoisyDib(640, 480);
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    TempDir dir;
    const std::string path = dir.File("I7.bmp");
    bmp.SaveToFile(path);
    const Bytes file = FileBytes(path);
    EXPECT_LT(file.size(), 640u * 480u * 3u * 2 / 3);
    EXPECT_TRUE(IsWebpFile(file));
    TBitmap back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.SaveToDib(), dib);
}

// A BMP file around a DIB whose pixel data starts at offBits.
Bytes BmpFile(const Bytes& headerAndPalette, const Bytes& pixels, std::uint32_t gap = 0) {
    Bytes f;
    Put16(f, 0x4D42);
    Put32(f, static_cast<std::uint32_t>(14 + headerAndPalette.size() + gap + pixels.size()));
    Put32(f, 0);
    Put32(f, static_cast<std::uint32_t>(14 + headerAndPalette.size() + gap));
    f.insert(f.end(), headerAndPalette.begin(), headerAndPalette.end());
    f.insert(f.end(), gap, 0xEE);
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

TEST(TBitmapTest, RunLengthEncodedFilesDecode) {
    // RLE8, 6x3 bottom-up. Bottom row: 3 x colour 5, then absolute run 7 8 9 (padded).
    // Middle row: delta to x=2, then 2 x colour 4, end of line. Top row: 6 x colour 1, end of bitmap.
    const Bytes rle8 = {3, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 2, 0, 2, 4, 0, 0, 6, 1, 0, 1};
    const Bytes file8 =
        BmpFile(InfoHeader(6, 3, 8, TBitmap::BI_RLE8, static_cast<std::uint32_t>(rle8.size()), 16), rle8, 6);
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromBmpBytes(file8));
    EXPECT_EQ(bmp.Compression(), TBitmap::BI_RLE8);
    const std::vector<std::vector<std::uint32_t>> want8 = {{1, 1, 1, 1, 1, 1}, {0, 0, 4, 4, 0, 0}, {5, 5, 5, 7, 8, 9}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(bmp.PixelColor(x, y), want8[y][x] * 0x010101u) << x << "," << y;
    // The encoded data is held as it is, and the plain form has the rows.
    const Bytes uncompressed = bmp.UncompressedDib();
    EXPECT_EQ(Get32(uncompressed, 16), TBitmap::BI_RGB);
    EXPECT_EQ(uncompressed.size(), 40u + 16 * 4 + 8 * 3);
    TBitmap again;
    ASSERT_TRUE(again.LoadFromBmpBytes(bmp.SaveToBmpBytes()));
    EXPECT_EQ(again.SaveToDib(), bmp.SaveToDib());

    // RLE4, 5x2: bottom row encoded 5 pixels alternating 1 and 2; top row absolute 3 4 5 6 7.
    const Bytes rle4 = {5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1};
    const Bytes file4 = BmpFile(InfoHeader(5, 2, 4, TBitmap::BI_RLE4, 0, 16), rle4);
    ASSERT_TRUE(bmp.LoadFromBmpBytes(file4));
    const std::vector<std::vector<std::uint32_t>> want4 = {{3, 4, 5, 6, 7}, {1, 2, 1, 2, 1}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x)
            EXPECT_EQ(bmp.PixelColor(x, y), want4[y][x] * 0x010101u) << x << "," << y;
}

// A PNG stream made with the encoder alone: what another program writes into a BI_PNG file.
Bytes ForeignPng(int colorType, int bitDepth, std::uint32_t w, std::uint32_t h, const Bytes& pixels,
                 const Bytes& palette = {}) {
    TPngWriter::Format format;
    format.width = w;
    format.height = h;
    format.colorType = colorType;
    format.bitDepth = bitDepth;
    format.palette = palette;
    const std::size_t rowBytes = pixels.size() / h;
    std::vector<const std::uint8_t*> rows;
    for (std::uint32_t r = 0; r < h; ++r)
        rows.push_back(pixels.data() + r * rowBytes);
    TPngWriter writer;
    EXPECT_TRUE(writer.Encode(format, rows, nullptr, {}, 6));
    return writer.Bytes();
}

Bytes PngBmpFile(const Bytes& png, std::uint32_t w, std::uint32_t h) {
    Bytes header;
    for (const std::uint32_t v : {40u, w, h})
        Put32(header, v);
    Put16(header, 1);
    Put16(header, 0);
    Put32(header, TBitmap::BI_PNG);
    Put32(header, static_cast<std::uint32_t>(png.size()));
    Put32(header, 3780);
    Put32(header, 3780);
    Put32(header, 0);
    Put32(header, 0);
    return BmpFile(header, png);
}

TEST(TBitmapTest, PngCompressedFilesOfOtherWritersDecode) {
    // RGBA: 32 bits per pixel, top row first in the PNG, bottom-up in the DIB.
    const Bytes rgba = {255, 0, 0, 128, 0, 255, 0, 255, 0, 0, 255, 0, 9, 8, 7, 6};
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromBmpBytes(PngBmpFile(ForeignPng(PNG_COLOR_TYPE_RGB_ALPHA, 8, 2, 2, rgba), 2, 2)));
    EXPECT_EQ(bmp.BitCount(), 32);
    EXPECT_EQ(bmp.PixelColor(0, 0), 0xFF0000u);
    EXPECT_EQ(bmp.PixelColor(1, 1), 0x090807u);
    EXPECT_EQ(bmp.SaveToDib()[40 + 3], 0); // bottom-left pixel: alpha 0
    EXPECT_EQ(Get32(bmp.SaveToDib(), 24), 3780u);

    // A palette PNG becomes 24 bits per pixel.
    const Bytes indices = {0x01, 0x20}; // 4 bits: 0 1 / 2 0
    const Bytes palette = {10, 20, 30, 40, 50, 60, 70, 80, 90};
    ASSERT_TRUE(bmp.LoadFromBmpBytes(PngBmpFile(ForeignPng(PNG_COLOR_TYPE_PALETTE, 4, 2, 2, indices, palette), 2, 2)));
    EXPECT_EQ(bmp.BitCount(), 24);
    EXPECT_EQ(bmp.PixelColor(1, 0), 0x28323Cu);
    EXPECT_EQ(bmp.PixelColor(0, 1), 0x46505Au);

    // 16-bit grey, in a file whose header names 8 bits per pixel but has no palette before the PNG.
    const Bytes grey = {0x12, 0x34, 0xAB, 0xCD};
    Bytes file = PngBmpFile(ForeignPng(PNG_COLOR_TYPE_GRAY, 16, 2, 1, grey), 2, 1);
    file[14 + 14] = 8;
    ASSERT_TRUE(bmp.LoadFromBmpBytes(file));
    EXPECT_EQ(bmp.PixelColor(1, 0), 0xABABABu);
}

// Bytes of a valid picture file with one change.
struct Malformed {
    const char* name;
    Bytes bytes;
};

Bytes Patched(Bytes b, std::size_t at, std::uint32_t v) {
    Set32(b, at, v);
    return b;
}

Bytes Truncated(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

// The PNG stream with another width and height in its IHDR chunk (CRC recomputed).
Bytes WithIhdr(Bytes png, std::uint32_t width, std::uint32_t height) {
    // IHDR data follows the signature (8), the length (4) and the type (4).
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = static_cast<std::uint8_t>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<std::uint8_t>(height >> (24 - 8 * i));
    }
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17));
    for (int i = 0; i < 4; ++i)
        png[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return png;
}

// The 8-bit DIB with its rows replaced by run-length data.
Bytes RleDib(const Bytes& dib, const Bytes& data) {
    Bytes b(40 + 1024 + data.size());
    std::copy(dib.begin(), dib.begin() + 40 + 1024, b.begin());
    std::copy(data.begin(), data.end(), b.begin() + 40 + 1024);
    Set32(b, 16, TBitmap::BI_RLE8);
    Set32(b, 20, static_cast<std::uint32_t>(data.size()));
    return b;
}

TEST(TBitmapTest, MalformedDibsAreRefusedAndLeaveTheBitmapUnchanged) {
    const Bytes good = MakeDib({"8", 40, 10, 4, 8, TBitmap::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png});
    const std::size_t rows = good.size() - 40 - 1024;
    Bytes huge; // 100,000 x 100,000 at 24 bits with almost no data
    for (const std::uint32_t v : {40u, 100000u, 100000u})
        Put32(huge, v);
    Put16(huge, 1);
    Put16(huge, 24);
    huge.resize(140, 0);
    Bytes wide = Patched(Patched(huge, 4, 0x7FFFFFFF), 8, 2); // width * bits overflows 32 bits
    Bytes noAlphaMask; // a 52-byte header holds three masks; the alpha mask would follow it
    for (const std::uint32_t v : {52u, 1u, 1u})
        Put32(noAlphaMask, v);
    Put16(noAlphaMask, 1);
    Put16(noAlphaMask, 32);
    Put32(noAlphaMask, TBitmap::BI_ALPHABITFIELDS);
    noAlphaMask.resize(52, 0);
    const std::vector<Malformed> cases = {
        {"empty", {}},
        {"three bytes", {40, 0, 0}},
        {"header cut short", Truncated(good, 30)},
        {"unknown header size", Patched(good, 0, 41)},
        {"zero width", Patched(good, 4, 0)},
        {"negative width", Patched(good, 4, static_cast<std::uint32_t>(-10))},
        {"zero height", Patched(good, 8, 0)},
        {"most negative height", Patched(good, 8, 0x80000000u)},
        {"3 bits per pixel", Patched(good, 12, 0x00030001)},
        {"0 bits per pixel", Patched(good, 12, 0x00000001)},
        {"JPEG compression", Patched(good, 16, TBitmap::BI_JPEG)},
        {"unknown compression", Patched(good, 16, 77)},
        {"bit fields at 8 bits", Patched(good, 16, TBitmap::BI_BITFIELDS)},
        {"top-down run-length", Patched(Patched(good, 16, TBitmap::BI_RLE8), 8, static_cast<std::uint32_t>(-4))},
        {"257 colours", Patched(good, 32, 257)},
        {"palette cut short", Truncated(good, 40 + 1000)},
        {"rows one byte short", Truncated(good, 40 + 1024 + rows - 1)},
        {"100000 x 100000", huge},
        {"width near 2^31", wide},
        {"alpha mask past a 52-byte header", noAlphaMask},
        {"run-length data past its end", RleDib(good, {0, 5, 1, 2})},
        {"run-length delta past its end", RleDib(good, {0, 2, 1})},
    };
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(good));
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(bmp.LoadFromDib(c.bytes));
        EXPECT_EQ(bmp.SaveToDib(), good);
        EXPECT_FALSE(bmp.LoadFromBmpBytes(c.bytes));
        EXPECT_EQ(bmp.SaveToDib(), good);
    }
}

TEST(TBitmapTest, MalformedFilesAreRefusedAndLeaveTheBitmapUnchanged) {
    const Bytes dib = MakeDib({"16", 40, 40, 30, 16, TBitmap::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png});
    TBitmap source;
    ASSERT_TRUE(source.LoadFromDib(dib));
    const Bytes packed = source.SaveToBmpBytes();
    ASSERT_EQ(Get32(packed, 30), TBitmap::BI_PNG);
    const Bytes png(packed.begin() + 54, packed.end());
    const Bytes plain = BmpFile(Bytes(dib.begin(), dib.begin() + 40), Bytes(dib.begin() + 40, dib.end()));
    Bytes badCrc = packed;
    badCrc[54 + 33 + 10] ^= 0x01; // inside the private chunk, which follows the 33 bytes of IHDR
    const Bytes foreign = ForeignPng(PNG_COLOR_TYPE_GRAY, 8, 4, 1, {1, 2, 3, 4});
    // An RLE8 run that claims an absolute run past the data.
    const Bytes rle = {0, 9, 1, 2};

    const std::vector<Malformed> cases = {
        {"not BM", Patched(plain, 0, 0x00004D43)},
        {"offset past the end", Patched(plain, 10, 100000)},
        {"offset inside the header", Patched(plain, 10, 20)},
        {"pixel rows cut short", Truncated(plain, plain.size() - 1)},
        {"PNG cut short", Truncated(packed, packed.size() - 20)},
        {"PNG without its signature", Patched(packed, 54, 0)},
        {"PNG with a damaged private chunk", badCrc},
        {"PNG that claims 100000 x 100000", PngBmpFile(WithIhdr(png, 100000, 100000), 40, 30)},
        {"PNG whose size disagrees with its chunk", PngBmpFile(WithIhdr(png, 41, 30), 41, 30)},
        {"foreign PNG that claims 20000 x 20000", PngBmpFile(WithIhdr(foreign, 20000, 20000), 40, 30)},
        {"foreign PNG that claims 16384 x 16384", PngBmpFile(WithIhdr(foreign, 16384, 16384), 40, 30)},
        {"JPEG data", Patched(packed, 30, TBitmap::BI_JPEG)},
        {"run-length data past its end", BmpFile(InfoHeader(4, 4, 8, TBitmap::BI_RLE8, 4, 2), rle)},
    };
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    TempDir dir;
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(bmp.LoadFromBmpBytes(c.bytes));
        EXPECT_EQ(bmp.SaveToDib(), dib);
        const std::string path = dir.File("bad.bmp");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()), static_cast<std::streamsize>(c.bytes.size()));
        EXPECT_THROW(bmp.LoadFromFile(path), EInvalidGraphic);
        EXPECT_EQ(bmp.SaveToDib(), dib);
    }
}

// Recomputes the CRC of every chunk of the PNG stream that starts at pngStart, so that mutated chunk
// data reaches the decoder instead of being stopped by the checksum.
void FixPngCrcs(Bytes& b, std::size_t pngStart) {
    std::size_t pos = pngStart + 8;
    while (pos + 12 <= b.size()) {
        const std::uint32_t len = (std::uint32_t{b[pos]} << 24) | (b[pos + 1] << 16) | (b[pos + 2] << 8) | b[pos + 3];
        if (len > b.size() - pos - 12)
            break;
        const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, b.data() + pos + 4, len + 4));
        for (int i = 0; i < 4; ++i)
            b[pos + 8 + len + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        pos += 12 + len;
    }
}

TEST(TBitmapTest, MutatedFilesNeverCrashAndWhatLoadsIsAValidDib) {
    std::vector<Bytes> seeds;
    for (const DibSpec& spec : Formats()) {
        TBitmap bmp;
        EXPECT_TRUE(bmp.LoadFromDib(MakeDib(spec)));
        seeds.push_back(bmp.SaveToBmpBytes());
    }
    seeds.push_back(BmpFile(InfoHeader(6, 3, 8, TBitmap::BI_RLE8, 0, 16),
                            {3, 5, 0, 3, 7, 8, 9, 0, 0, 0, 0, 2, 2, 0, 2, 4, 0, 0, 6, 1, 0, 1}));
    Rng rng{2024};
    int loaded = 0;
    // A longer run for a sanitizer build: BX_GRAPHIC_MUTATION_ROUNDS=200000.
    const char* rounds = std::getenv("BX_GRAPHIC_MUTATION_ROUNDS");
    const int total = rounds != nullptr ? std::atoi(rounds) : 4000;
    for (int round = 0; round < total; ++round) {
        Bytes b = seeds[rng.Next() % seeds.size()];
        const int edits = 1 + static_cast<int>(rng.Next() % 4);
        for (int e = 0; e < edits; ++e) {
            const std::uint32_t what = rng.Next() % 10;
            if (what == 0 && b.size() > 1) {
                b.resize(rng.Next() % b.size());
            } else if (!b.empty()) {
                // Mostly the headers, where the sizes are.
                const std::size_t at =
                    (what < 6) ? rng.Next() % std::min<std::size_t>(b.size(), 160) : rng.Next() % b.size();
                b[at] = (what % 2) ? static_cast<std::uint8_t>(rng.Next()) : static_cast<std::uint8_t>(b[at] ^ 0x80);
            }
        }
        if (b.size() > 62 && Get32(b, 30) == TBitmap::BI_PNG && rng.Next() % 2 == 0)
            FixPngCrcs(b, 54);
        TBitmap bmp;
        if (bmp.LoadFromBmpBytes(b)) {
            ++loaded;
            TBitmap again;
            EXPECT_TRUE(again.LoadFromDib(bmp.SaveToDib()));
        }
        TBitmap raw;
        if (b.size() > 14 && raw.LoadFromDib(std::span<const std::uint8_t>(b).subspan(14))) {
            EXPECT_EQ(raw.SaveToDib(), Bytes(b.begin() + 14, b.end()));
        }
    }
    EXPECT_GT(loaded, 0);
}

TEST(TBitmapTest, FileErrorsRaiseTheirExceptions) {
    TempDir dir;
    const Bytes dib = MakeDib({"4", 40, 3, 3, 4, TBitmap::BI_RGB, 0, 0, {}, false, false, 0, Stored::Png});
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    EXPECT_THROW(bmp.LoadFromFile(dir.File("missing.bmp")), EGraphicOpenError);
    EXPECT_EQ(bmp.SaveToDib(), dib);
    EXPECT_THROW(bmp.SaveToFile(dir.File("no/such/dir/I1.bmp")), EGraphicOpenError);
    const std::string garbage = dir.File("garbage.bmp");
    std::ofstream(garbage) << "this is not a bitmap at all";
    EXPECT_THROW(bmp.LoadFromFile(garbage), EInvalidGraphic);
    EXPECT_EQ(bmp.SaveToDib(), dib);

    TBitmap empty;
    EXPECT_TRUE(empty.Empty());
    EXPECT_TRUE(empty.SaveToDib().empty());
    EXPECT_TRUE(empty.SaveToBmpBytes().empty());
    EXPECT_THROW(empty.SaveToFile(dir.File("I2.bmp")), EGraphicOpenError);
    EXPECT_FALSE(std::filesystem::exists(dir.File("I2.bmp")));
}

// The RIFF chunks of a WebP file: id and where the chunk's data starts and ends.
struct RiffChunk {
    std::string id;
    std::size_t data;
    std::size_t size;
};

std::vector<RiffChunk> RiffChunks(const Bytes& b) {
    std::vector<RiffChunk> chunks;
    for (std::size_t at = 12; at + 8 <= b.size();) {
        const std::size_t size = Get32(b, at + 4);
        chunks.push_back({std::string(b.begin() + at, b.begin() + at + 4), at + 8, size});
        at += 8 + size + size % 2;
    }
    return chunks;
}

const RiffChunk& ChunkOf(const std::vector<RiffChunk>& chunks, const std::string& id) {
    const auto it = std::find_if(chunks.begin(), chunks.end(), [&](const RiffChunk& c) { return c.id == id; });
    EXPECT_NE(it, chunks.end()) << id;
    return *it;
}

// A 32-bit bottom-up DIB whose fourth byte is alpha: stripes of alpha 0 (over colours that must not be
// lost), 255 and values in between.
Bytes AlphaDib(std::int32_t w, std::int32_t h) {
    Bytes dib = InfoHeader(w, h, 32, TBitmap::BI_RGB, 0, 0);
    for (std::int32_t y = 0; y < h; ++y)
        for (std::int32_t x = 0; x < w; ++x) {
            const std::uint8_t alpha = x % 3 == 0 ? 0 : (x % 3 == 1 ? 255 : static_cast<std::uint8_t>(x * 7 + y));
            dib.insert(dib.end(), {static_cast<std::uint8_t>(x * 5), static_cast<std::uint8_t>(y * 9),
                                   static_cast<std::uint8_t>(x + y + 1), alpha});
        }
    return dib;
}

TEST(TBitmapTest, WebpPictureFilesAreStandardFilesThatKeepAlphaAndTheColoursUnderIt) {
    const std::int32_t w = 61, h = 23;
    const Bytes dib = AlphaDib(w, h);
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    const Bytes file = bmp.SaveToBmpBytes();
    ASSERT_TRUE(IsWebpFile(file));
    EXPECT_EQ(Get32(file, 4), file.size() - 8);

    // Extended format: the canvas, the lossless image, then our chunk.
    const std::vector<RiffChunk> chunks = RiffChunks(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].id, "VP8X");
    EXPECT_EQ(chunks[1].id, "VP8L");
    EXPECT_EQ(chunks[2].id, "BXDI");
    EXPECT_EQ(chunks[2].data + chunks[2].size + chunks[2].size % 2, file.size());
    ASSERT_EQ(chunks[0].size, 10u);
    EXPECT_EQ(file[chunks[0].data] & 0x10, 0x10); // alpha
    EXPECT_EQ(Get32(file, chunks[0].data + 4) & 0xFFFFFF, std::uint32_t(w - 1));
    EXPECT_EQ(Get32(file, chunks[0].data + 7) & 0xFFFFFF, std::uint32_t(h - 1));

    // Another reader sees the picture, top row first, with alpha and the colours under alpha 0.
    int dw = 0, dh = 0;
    std::uint8_t* decoded = WebPDecodeBGRA(file.data(), file.size(), &dw, &dh);
    ASSERT_NE(decoded, nullptr);
    ASSERT_EQ(dw, w);
    ASSERT_EQ(dh, h);
    const std::size_t row = static_cast<std::size_t>(w) * 4;
    for (std::int32_t y = 0; y < h; ++y)
        EXPECT_TRUE(std::equal(decoded + y * row, decoded + (y + 1) * row, dib.begin() + 40 + (h - 1 - y) * row))
            << "row " << y;
    WebPFree(decoded);

    TBitmap back;
    ASSERT_TRUE(back.LoadFromBmpBytes(file));
    EXPECT_EQ(back.SaveToDib(), dib);
}

TEST(TBitmapTest, WebpFilesOfOtherWritersDecode) {
    // Lossless, simple format, no alpha: a bottom-up 24-bit DIB with the same pixels.
    const int w = 7, h = 5;
    Bytes bgr;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bgr.insert(bgr.end(), {static_cast<std::uint8_t>(x * 30), static_cast<std::uint8_t>(y * 50), 99});
    std::uint8_t* out = nullptr;
    std::size_t size = WebPEncodeLosslessBGR(bgr.data(), w, h, w * 3, &out);
    ASSERT_GT(size, 0u);
    const Bytes lossless(out, out + size);
    WebPFree(out);
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromBmpBytes(lossless));
    EXPECT_EQ(bmp.BitCount(), 24);
    EXPECT_FALSE(bmp.TopDown());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            EXPECT_EQ(bmp.PixelColor(x, y), (99u << 16) | (std::uint32_t(y * 50) << 8) | std::uint32_t(x * 30));

    // Lossy with alpha: a 32-bit DIB whose fourth byte is the alpha.
    Bytes bgra;
    for (int i = 0; i < w * h; ++i)
        bgra.insert(bgra.end(), {40, 80, 120, static_cast<std::uint8_t>(i % 2 ? 255 : 0)});
    size = WebPEncodeBGRA(bgra.data(), w, h, w * 4, 90, &out);
    ASSERT_GT(size, 0u);
    const Bytes lossy(out, out + size);
    WebPFree(out);
    ASSERT_TRUE(bmp.LoadFromBmpBytes(lossy));
    EXPECT_EQ(bmp.BitCount(), 32);
    EXPECT_EQ(bmp.Width(), w);
    const Bytes held = bmp.SaveToDib();
    EXPECT_EQ(held[40 + 3], 0);       // bottom-left pixel: the first of the last row, alpha 0
    EXPECT_EQ(held[40 + 4 + 3], 255); // its neighbour
}

// The bytes with one byte changed.
Bytes Poked(Bytes b, std::size_t at, std::uint8_t v) {
    b[at] = v;
    return b;
}

// The file with a chunk inserted at `at` and the RIFF size fixed.
Bytes WithChunk(Bytes b, std::size_t at, const std::string& id, const Bytes& data) {
    Bytes chunk(id.begin(), id.end());
    Put32(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.insert(chunk.end(), data.begin(), data.end());
    if (data.size() % 2 != 0)
        chunk.push_back(0);
    b.insert(b.begin() + static_cast<std::ptrdiff_t>(at), chunk.begin(), chunk.end());
    Set32(b, 4, static_cast<std::uint32_t>(b.size() - 8));
    return b;
}

TEST(TBitmapTest, DamagedWebpFilesAreRefusedAndLeaveTheBitmapUnchanged) {
    const Bytes dib = MakeDib({"24", 40, 40, 30, 24, TBitmap::BI_RGB, 0, 0, {}, false, false, 0, Stored::Webp});
    TBitmap source;
    ASSERT_TRUE(source.LoadFromDib(dib));
    const Bytes webp = source.SaveToBmpBytes();
    ASSERT_TRUE(IsWebpFile(webp));
    const std::vector<RiffChunk> chunks = RiffChunks(webp);
    const RiffChunk& canvas = ChunkOf(chunks, "VP8X");
    const RiffChunk& image = ChunkOf(chunks, "VP8L");
    const RiffChunk& ours = ChunkOf(chunks, "BXDI");
    const Bytes oursData(webp.begin() + ours.data, webp.begin() + ours.data + ours.size);
    const std::size_t prefix = ours.data + 8; // the DIB header inside our chunk

    // Our chunk on a lossy image of the same size.
    std::uint8_t* out = nullptr;
    const std::size_t lossySize = WebPEncodeBGR(dib.data() + 40, 40, 30, static_cast<int>(Stride(40, 24)), 90, &out);
    ASSERT_GT(lossySize, 0u);
    Bytes lossy(out, out + lossySize);
    WebPFree(out);
    lossy = WithChunk(lossy, lossy.size(), "BXDI", oursData);
    // Everything but the image.
    Bytes noImage(webp.begin(), webp.begin() + static_cast<std::ptrdiff_t>(image.data - 8));
    noImage.insert(noImage.end(), webp.begin() + static_cast<std::ptrdiff_t>(ours.data - 8), webp.end());
    Set32(noImage, 4, static_cast<std::uint32_t>(noImage.size() - 8));

    const std::vector<Malformed> cases = {
        {"only the RIFF header", Truncated(webp, 12)},
        {"cut inside the image", Truncated(webp, image.data + image.size / 2)},
        {"cut inside our chunk", Truncated(webp, webp.size() - 5)},
        {"RIFF size past the end", Patched(webp, 4, static_cast<std::uint32_t>(webp.size()))},
        {"RIFF size that cuts our chunk", Patched(webp, 4, static_cast<std::uint32_t>(webp.size() - 8 - 6))},
        {"RIFF size 0xFFFFFFFF", Patched(webp, 4, 0xFFFFFFFFu)},
        {"image chunk size past the end", Patched(webp, image.data - 4, 0x7FFFFFF0u)},
        {"image chunk size two too large", Patched(webp, image.data - 4, static_cast<std::uint32_t>(image.size + 2))},
        {"our chunk's size past the end", Patched(webp, ours.data - 4, static_cast<std::uint32_t>(ours.size + 2))},
        {"our chunk's size 0xFFFFFFFF", Patched(webp, ours.data - 4, 0xFFFFFFFFu)},
        {"our chunk's header one pixel wider", Patched(webp, prefix + 4, 41)},
        {"our chunk's header one row higher", Patched(webp, prefix + 8, 31)},
        {"our chunk's header at 16 bits per pixel", Patched(webp, prefix + 12, 0x00100001)},
        {"our chunk's header size past the chunk", Patched(webp, ours.data + 4, 1000)},
        {"our chunk's trailing size wrong", Patched(webp, prefix + 40, 5)},
        {"our chunk's unknown version", Poked(webp, ours.data, 2)},
        {"our chunk twice", WithChunk(webp, webp.size(), "BXDI", oursData)},
        {"canvas wider than the image", Poked(webp, canvas.data + 4, 40)},
        {"an animation chunk", WithChunk(webp, image.data - 8, "ANIM", Bytes(6, 0))},
        {"no image", noImage},
        {"our chunk on a lossy image", lossy},
        {"the image signature damaged", Poked(webp, image.data, 0x2E)},
    };
    TBitmap bmp;
    ASSERT_TRUE(bmp.LoadFromDib(dib));
    for (const Malformed& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(bmp.LoadFromBmpBytes(c.bytes));
        EXPECT_EQ(bmp.SaveToDib(), dib);
    }
}

// Files as earlier versions wrote them: the pixel rows as PNG inside a BMP file. 24 bits, 30 x 8, and
// 32 bits, 24 x 6, with three bytes after the rows.
const Bytes EarlierPng24 = {
    0x42, 0x4D, 0xE7, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00,
    0x1E, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0xB1, 0x00,
    0x00, 0x00, 0xC4, 0x0E, 0x00, 0x00, 0xC4, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x1E, 0x00, 0x00, 0x00, 0x08, 0x08, 0x02, 0x00, 0x00, 0x00, 0x61, 0xDD, 0xD8, 0x73, 0x00, 0x00, 0x00,
    0x34, 0x62, 0x78, 0x44, 0x49, 0x01, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x1E,
    0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00, 0x01, 0x00, 0x18, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE0, 0x02, 0x00,
    0x00, 0xC4, 0x0E, 0x00, 0x00, 0xC4, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0xC7, 0x10, 0x69, 0xA5, 0x00, 0x00, 0x00, 0x38, 0x49, 0x44, 0x41, 0x54, 0x28, 0x91, 0x63,
    0x2C, 0xF6, 0x56, 0x66, 0xA6, 0x11, 0x30, 0x55, 0xE4, 0xFD, 0x4F, 0x1B, 0xC0, 0x6C, 0x24, 0xC7, 0x45, 0x2B,
    0xA3, 0x0D, 0x64, 0x38, 0x68, 0x65, 0xB4, 0xAE, 0x24, 0x2B, 0xAD, 0x8C, 0xD6, 0x16, 0x67, 0xA6, 0x95, 0xD1,
    0x1A, 0x22, 0x0C, 0xB4, 0x32, 0x5A, 0x4D, 0xE8, 0x1F, 0x8D, 0x8C, 0x06, 0x00, 0x42, 0x46, 0x63, 0xCD, 0x94,
    0x31, 0x1D, 0x3B, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};
const Bytes EarlierPng32 = {
    0x42, 0x4D, 0xCF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x36, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x18,
    0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x99, 0x00, 0x00, 0x00,
    0xC4, 0x0E, 0x00, 0x00, 0xC4, 0x0E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x89, 0x50, 0x4E,
    0x47, 0x0D, 0x0A, 0x1A, 0x0A, 0x00, 0x00, 0x00, 0x0D, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00,
    0x00, 0x06, 0x08, 0x06, 0x00, 0x00, 0x00, 0xD9, 0xAB, 0x5E, 0x13, 0x00, 0x00, 0x00, 0x37, 0x62, 0x78, 0x44, 0x49,
    0x01, 0x00, 0x78, 0x00, 0x28, 0x00, 0x00, 0x00, 0x28, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00,
    0x00, 0x01, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x40, 0x02, 0x00, 0x00, 0xC4, 0x0E, 0x00, 0x00, 0xC4, 0x0E,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0xA0, 0xA1, 0xA2, 0x4A, 0x95,
    0x82, 0xC9, 0x00, 0x00, 0x00, 0x1D, 0x49, 0x44, 0x41, 0x54, 0x28, 0x91, 0x63, 0xCC, 0x74, 0x94, 0x9C, 0xC8, 0x4C,
    0x43, 0xC0, 0xF2, 0xFB, 0xF7, 0xEF, 0xDF, 0xFF, 0x68, 0x08, 0x46, 0x2D, 0x18, 0x78, 0x0B, 0x00, 0x53, 0x86, 0xDE,
    0x91, 0xF0, 0x6D, 0x63, 0x01, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4E, 0x44, 0xAE, 0x42, 0x60, 0x82,
};

// The DIB those files hold: each byte follows its row, pixel and channel.
Bytes EarlierDib(int bits, std::int32_t w, std::int32_t h, int trailing) {
    Bytes b;
    const std::size_t stride = Stride(w, bits);
    for (const std::uint32_t v : {40u, static_cast<std::uint32_t>(w), static_cast<std::uint32_t>(h)})
        Put32(b, v);
    Put16(b, 1);
    Put16(b, static_cast<std::uint16_t>(bits));
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(stride * h));
    Put32(b, 3780);
    Put32(b, 3780);
    Put32(b, 0);
    Put32(b, 0);
    const std::size_t bytesPerPixel = static_cast<std::size_t>(bits / 8);
    for (std::int32_t y = 0; y < h; ++y) {
        Bytes row(stride, 0);
        for (std::size_t i = 0; i < static_cast<std::size_t>(w) * bytesPerPixel; ++i)
            row[i] = static_cast<std::uint8_t>(y * 5 + (i / bytesPerPixel) * 3 + (i % bytesPerPixel) * 40);
        b.insert(b.end(), row.begin(), row.end());
    }
    for (int i = 0; i < trailing; ++i)
        b.push_back(static_cast<std::uint8_t>(0xA0 + i));
    return b;
}

TEST(TBitmapTest, PngPictureFilesOfEarlierVersionsStillRead) {
    for (const auto& [file, dib] :
         {std::pair{EarlierPng24, EarlierDib(24, 30, 8, 0)}, std::pair{EarlierPng32, EarlierDib(32, 24, 6, 3)}}) {
        SCOPED_TRACE(dib.size());
        ASSERT_EQ(Get32(file, 30), TBitmap::BI_PNG);
        TBitmap bmp;
        ASSERT_TRUE(bmp.LoadFromBmpBytes(file));
        EXPECT_EQ(bmp.SaveToDib(), dib);
    }
}

} // namespace
} // namespace bx::clipstore
