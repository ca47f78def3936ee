// Drawing metafiles for the Picture page: the common records of both kinds, unknown records skipped,
// damaged metafiles never read outside their bytes.
#include "TMetafileRenderer.h"
#include "TestBytes.h"

#include <gtest/gtest.h>

#include <QColor>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace bx::explorer {
namespace {

using Bytes = std::vector<std::uint8_t>;

using testsupport::Put;

// A Windows metafile record: size in words, function, 16-bit parameters.
void WmfRecord(Bytes& b, std::uint16_t function, std::initializer_list<int> params) {
    Put(b, static_cast<std::uint32_t>(3 + params.size()), 4);
    Put(b, function, 2);
    for (int p : params)
        Put(b, static_cast<std::uint32_t>(p), 2);
}

Bytes WmfHeader() {
    Bytes b;
    Put(b, 1, 2); // type: in memory
    Put(b, 9, 2); // header size in words
    Put(b, 0x300, 2);
    Put(b, 0, 4); // size (not used)
    Put(b, 4, 2); // objects
    Put(b, 0, 4); // largest record
    Put(b, 0, 2);
    return b;
}

// An enhanced metafile record: type, size, 32-bit values.
void EmfRecord(Bytes& b, std::uint32_t type, std::initializer_list<std::uint32_t> values) {
    Put(b, type, 4);
    Put(b, static_cast<std::uint32_t>(8 + 4 * values.size()), 4);
    for (std::uint32_t v : values)
        Put(b, v, 4);
}

Bytes EmfHeader(int right, int bottom) {
    Bytes b;
    // bounds, frame, signature, version, size, records, handles, reserved, description, palette, device
    EmfRecord(b, 1,
              {0,
               0,
               static_cast<std::uint32_t>(right),
               static_cast<std::uint32_t>(bottom),
               0,
               0,
               2540,
               2540,
               0x464D4520,
               0x10000,
               0,
               0,
               4,
               0,
               0,
               0,
               0,
               1024,
               768,
               320,
               240});
    return b;
}

QColor Pixel(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

TEST(MetafileRendererTest, WindowsMetafileShapesColoursAndUnknownRecords) {
    Bytes wmf = WmfHeader();
    WmfRecord(wmf, 0x020B, {0, 0});                         // window origin
    WmfRecord(wmf, 0x020C, {100, 200});                     // window extent: 200 x 100
    WmfRecord(wmf, 0x02FC, {0, 0x00FF, 0, 0});              // solid brush, red (0x0000FF)
    WmfRecord(wmf, 0x02FA, {5, 0, 0, 0, 0});                // null pen
    WmfRecord(wmf, 0x012D, {0});                            // select the brush
    WmfRecord(wmf, 0x012D, {1});                            // select the pen
    WmfRecord(wmf, 0x041B, {100, 100, 0, 0});               // rectangle: left half
    WmfRecord(wmf, 0x7777, {1, 2, 3});                      // unknown: skipped
    WmfRecord(wmf, 0x0324, {3, 150, 10, 190, 90, 110, 90}); // a red triangle on the right
    WmfRecord(wmf, 0x0000, {});
    EXPECT_EQ(TMetafileRenderer::NaturalSize(wmf), QSize(200, 100));
    const auto drawn = TMetafileRenderer::Render(wmf, QSize(200, 100));
    ASSERT_FALSE(drawn.Image.isNull());
    EXPECT_EQ(drawn.RecordsSkipped, 1);
    EXPECT_EQ(Pixel(drawn.Image, 50, 50), QColor(Qt::red));
    EXPECT_EQ(Pixel(drawn.Image, 150, 70), QColor(Qt::red));
    EXPECT_EQ(Pixel(drawn.Image, 150, 5), QColor(Qt::white));
    // Scaled to half: the picture follows the window extent.
    const auto half = TMetafileRenderer::Render(wmf, QSize(100, 50));
    EXPECT_EQ(Pixel(half.Image, 25, 25), QColor(Qt::red));
    EXPECT_EQ(Pixel(half.Image, 75, 3), QColor(Qt::white));
}

TEST(MetafileRendererTest, EnhancedMetafileEllipseAndText) {
    Bytes emf = EmfHeader(99, 99);
    EmfRecord(emf, 39, {1, 0, 0x00FF00, 0}); // brush 1: green
    EmfRecord(emf, 37, {1});                 // select it
    EmfRecord(emf, 37, {0x80000008});        // stock NULL_PEN
    EmfRecord(emf, 42, {10, 10, 90, 90});    // ellipse
    EmfRecord(emf, 4242, {1, 2});            // unknown: skipped
    EmfRecord(emf, 14, {0, 0, 20});
    EXPECT_EQ(TMetafileRenderer::NaturalSize(emf), QSize(100, 100));
    const auto drawn = TMetafileRenderer::Render(emf, QSize(100, 100));
    ASSERT_FALSE(drawn.Image.isNull());
    EXPECT_EQ(drawn.RecordsSkipped, 1);
    EXPECT_EQ(Pixel(drawn.Image, 50, 50), QColor(0, 255, 0));
    EXPECT_EQ(Pixel(drawn.Image, 12, 12), QColor(Qt::white));
}

TEST(MetafileRendererTest, DamagedMetafilesDrawWhatFitsAndNeverMore) {
    Bytes wmf = WmfHeader();
    WmfRecord(wmf, 0x020C, {100, 100});
    // A polygon whose count runs past its record, a text whose length runs past it, a bitmap record
    // with a broken bitmap, then a record claiming to be far larger than the file.
    WmfRecord(wmf, 0x0324, {5000, 1, 2});
    WmfRecord(wmf, 0x0521, {3000, 0x4141});
    WmfRecord(wmf, 0x0F43, {0, 0, 0, 10, 10, 0, 0, 10, 10, 0, 0, 40, 0, 10, 0, 10, 0, 1, 24});
    Put(wmf, 0x7FFFFFFF, 4);
    Put(wmf, 0x041B, 2);
    const auto drawn = TMetafileRenderer::Render(wmf, QSize(50, 50));
    EXPECT_FALSE(drawn.Image.isNull());
    EXPECT_EQ(drawn.RecordsDrawn, 1);
    EXPECT_EQ(drawn.RecordsSkipped, 3);

    // Not a metafile, an empty one, a cut-off header: nothing drawn, nothing read outside.
    EXPECT_TRUE(TMetafileRenderer::Render(Bytes{1, 2, 3}, QSize(10, 10)).Image.isNull());
    EXPECT_TRUE(TMetafileRenderer::Render(Bytes{}, QSize(10, 10)).Image.isNull());
    Bytes emf = EmfHeader(10, 10);
    emf.resize(30);
    EXPECT_TRUE(TMetafileRenderer::Render(emf, QSize(10, 10)).Image.isNull());
    EXPECT_TRUE(TMetafileRenderer::NaturalSize(Bytes{0xD7, 0xCD, 0xC6, 0x9A}).isEmpty());
    // Every cut of a valid metafile is safe.
    Bytes full = EmfHeader(20, 20);
    EmfRecord(full, 84, {0, 0, 20, 20, 1, 0, 0, 2, 2, 5, 76, 0, 0, 0, 20, 20, 0, 0x00410041, 0x00000041});
    EmfRecord(full, 14, {0, 0, 20});
    for (std::size_t cut = 0; cut <= full.size(); ++cut)
        (void)TMetafileRenderer::Render(Bytes(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)),
                                        QSize(20, 20));
}

// Coordinates at the ends of the 32-bit range: sizes and corners stay within int (the sanitizer build
// reports any overflow), the natural size is never negative, and drawing finishes.
TEST(MetafileRendererTest, ExtremeEnhancedMetafileCoordinatesNeverOverflow) {
    constexpr std::uint32_t Min = 0x80000000u, Max = 0x7FFFFFFFu, Big = 0x3C000000u, Low = 0xAF000000u;
    struct Case {
        const char* what;
        std::uint32_t left, top, right, bottom;
    };
    for (const Case& c : {Case{"whole range", Min, Min, Max, Max}, Case{"found by fuzzing", 0, Low, 2, Big},
                          Case{"wide", Min, 0, Max, 10}}) {
        SCOPED_TRACE(c.what);
        Bytes emf;
        EmfRecord(emf, 1, {c.left, c.top, c.right, c.bottom, 0, 0, 2540, 2540, 0x464D4520, 0x10000, 0,
                           0,      4,     0,       0,        0, 0, 1024, 768,  320,        240});
        EmfRecord(emf, 9, {Min, Min});                      // window extent
        EmfRecord(emf, 10, {Max, Min});                     // window origin
        EmfRecord(emf, 43, {Min, Min, Max, Max});           // rectangle
        EmfRecord(emf, 44, {Min, Min, Max, Max, Max, Max}); // rounded rectangle
        EmfRecord(emf, 14, {0, 0, 20});
        const QSize natural = TMetafileRenderer::NaturalSize(emf);
        EXPECT_GT(natural.width(), 0);
        EXPECT_GT(natural.height(), 0);
        EXPECT_FALSE(TMetafileRenderer::Render(emf, QSize(40, 30)).Image.isNull());
    }
}

} // namespace
} // namespace bx::explorer
