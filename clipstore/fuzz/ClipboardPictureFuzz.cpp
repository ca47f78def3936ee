// Pictures as the clipboard gives them: a packed DIB (every bit count and compression, run-length
// data included), the metafile picture block (a 16-byte header and a Windows metafile) and the
// enhanced metafile block. What reads is turned into the picture file and read back.
#include "TBitmap.h"
#include "TMetafile.h"

#include <cstddef>
#include <cstdint>
#include <span>

using namespace bx::clipstore;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    TBitmap bitmap;
    if (bitmap.LoadFromDib(bytes)) {
        bitmap.UncompressedDib();
        bitmap.PixelColor(bitmap.Width() / 2, bitmap.Height() / 2);
        const std::vector<std::uint8_t> file = bitmap.SaveToBmpBytes();
        TBitmap back;
        if (!back.LoadFromBmpBytes(file) || back.Dib() != bitmap.Dib())
            __builtin_trap(); // a picture file gives back the DIB it was written from, byte for byte
    }
    TMetafile pict;
    if (pict.LoadFromMetafilePict(bytes))
        pict.MetafilePictBlock();
    TMetafile enh;
    if (enh.LoadFromEnhMetafileBlock(bytes))
        enh.EnhMetafileBlock();
    return 0;
}
