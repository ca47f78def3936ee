#pragma once

#include <QImage>

#include <cstdint>
#include <span>

namespace bx::explorer {

// Reads a packed device-independent bitmap (header, optional colour masks, palette, pixel rows) into an
// image. The bytes are untrusted: a header, palette or pixel size that does not fit the block gives a
// null image.
class TDibImage {
public:
    static QImage FromDib(std::span<const std::uint8_t> dib);
};

} // namespace bx::explorer
