#pragma once

#include <string>

namespace bx::explorer {

// Where an image goes on the Bitmap or Picture page: at its own size when it fits, else scaled down to
// the page keeping its proportions, centred in the space below the page's bar.
struct TImageFit {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool Stretch = false;
    // The status text: "Image Displayed Full Size" or "Image Scaled To N %".
    std::string Status;

    // w, h: the image's size; pageWidth, pageHeight: the page's; bar: the height of the page's bar
    // (0 without one).
    static TImageFit Fit(int w, int h, int pageWidth, int pageHeight, int bar);
    // The image at its own size under the bar, scrolling.
    static TImageFit FullSize(int w, int h, int bar);
};

} // namespace bx::explorer
