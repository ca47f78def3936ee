// Pictures between the selection and the clipboard: image/bmp and the image types Qt reads turned into
// a packed DIB, and a stored DIB turned into the PNG and BMP another program is given.
#include "X11DataConversions.h"
#include "X11FuzzInput.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace bx::platform::x11;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const fuzz::FuzzInput in = fuzz::SplitInput(data, size);
    if (const std::optional<std::string> dib = X11DataConversions::DibFromImage(in.rest, (in.choice & 1) != 0)) {
        if (!X11DataConversions::BmpFromDib(*dib))
            __builtin_trap(); // a DIB made from an image is one that can be served again
    }
    X11DataConversions::BmpFromDib(in.rest);
    if ((in.choice & 2) != 0)
        X11DataConversions::PngFromDib(in.rest);
    return 0;
}
