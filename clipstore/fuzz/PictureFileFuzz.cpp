// A clip's picture files: "I" n ".bmp" (a lossless WebP, a BMP holding a PNG stream, or a plain BMP,
// other writers' WebP and PNG images too) and the metafile files (".emf", ".wmf", placeable or not).
// A picture that reads gives back the DIB it holds, its plain rows and its pixels.
#include "TBitmap.h"
#include "TMetafile.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace bx::clipstore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    TBitmap bitmap;
    if (bitmap.LoadFromBmpBytes(bytes)) {
        const std::vector<std::uint8_t> dib = bitmap.SaveToDib();
        bitmap.UncompressedDib();
        bitmap.PixelColor(0, 0);
        bitmap.PixelColor(bitmap.Width() - 1, bitmap.Height() - 1);
        TBitmap again;
        if (!again.LoadFromDib(dib))
            __builtin_trap(); // the DIB a picture file gave is one the program can hold
    }
    TMetafile metafile;
    if (metafile.LoadFromBytes(bytes)) {
        metafile.Width();
        metafile.Height();
        metafile.EnhMetafileBlock();
        metafile.MetafilePictBlock();
    }
    return 0;
}
