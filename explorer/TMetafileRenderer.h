#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>
#include <span>

namespace bx::explorer {

// Draws enhanced and Windows metafiles (placeable or plain) for the preview: the common records (lines,
// polylines, polygons, rectangles, ellipses, text, bitmaps, pens, brushes, fonts, the window's origin and
// extent). A record it does not know is skipped. The bytes are untrusted: every record's size and every
// count is checked against the bytes, and drawing stops at the first record that does not fit.
class TMetafileRenderer {
public:
    struct Result {
        QImage Image; // null when nothing could be drawn
        int RecordsDrawn = 0;
        int RecordsSkipped = 0;
    };

    // Draws the metafile into an image of the given size (white background).
    static Result Render(std::span<const std::uint8_t> bytes, QSize size);
    // The picture's own size in pixels: the enhanced metafile's bounds, the placeable header's box at its
    // resolution, or the window extent of a plain Windows metafile; empty when none is known.
    static QSize NaturalSize(std::span<const std::uint8_t> bytes);
};

} // namespace bx::explorer
