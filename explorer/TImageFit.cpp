#include "TImageFit.h"

#include <algorithm>

namespace bx::explorer {

TImageFit TImageFit::FullSize(int w, int h, int bar) {
    TImageFit fit;
    fit.Top = bar;
    fit.Width = w;
    fit.Height = h;
    fit.Status = "Image Displayed Full Size, Scrolling.";
    return fit;
}

TImageFit TImageFit::Fit(int w, int h, int pageWidth, int pageHeight, int bar) {
    TImageFit fit;
    const int aw = pageWidth - 4;
    const int ah = pageHeight - static_cast<int>(1.2 * bar);
    if (w <= aw && h <= ah) {
        fit.Width = w;
        fit.Height = h;
        fit.Left = (aw - w) / 2;
        fit.Top = (ah - h) / 2 + bar;
        fit.Status = "Image Displayed Full Size";
        return fit;
    }
    const float rw = static_cast<float>(w) / static_cast<float>(std::max(aw, 1));
    const float rh = static_cast<float>(h) / static_cast<float>(std::max(ah, 1));
    float scale = 0;
    if (rw >= rh) {
        fit.Width = aw;
        fit.Height = static_cast<int>(static_cast<float>(h) / rw);
        fit.Left = 0;
        fit.Top = (ah - fit.Height) / 2 + bar;
        scale = rw;
    } else {
        fit.Width = static_cast<int>(static_cast<float>(w) / rh);
        fit.Height = ah;
        fit.Left = (aw - fit.Width) / 2;
        fit.Top = bar;
        scale = rh;
    }
    fit.Stretch = true;
    fit.Status = "Image Scaled To " + std::to_string(static_cast<int>(100.0F / scale)) + " %";
    return fit;
}

} // namespace bx::explorer
