#include "TThemeColors.h"

#include <cmath>

namespace bx::explorer {

namespace {

double Channel(int value) {
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

TThemeColors::TThemeColors(const QPalette& palette) : palette_(palette) {}

double TThemeColors::Luminance(const QColor& color) {
    const QColor rgb = color.toRgb();
    return 0.2126 * Channel(rgb.red()) + 0.7152 * Channel(rgb.green()) + 0.0722 * Channel(rgb.blue());
}

double TThemeColors::Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor TThemeColors::Over(const QColor& color, const QColor& background) {
    const QColor c = color.toRgb();
    const QColor b = background.toRgb();
    const double a = c.alphaF();
    const auto mix = [a](int top, int bottom) { return static_cast<int>(std::lround(top * a + bottom * (1 - a))); };
    return QColor(mix(c.red(), b.red()), mix(c.green(), b.green()), mix(c.blue(), b.blue()));
}

QColor TThemeColors::Readable(const QColor& hue, const QColor& background, double ratio) {
    const QColor base = Over(hue, background);
    if (Contrast(base, background) >= ratio)
        return base;
    // Towards white on a dark background, towards black on a light one, keeping the hue.
    const bool lighten = Luminance(background) < 0.18;
    float h = 0;
    float s = 0;
    float l = 0;
    base.getHslF(&h, &s, &l);
    for (int step = 1; step <= 100; ++step) {
        const float lightness = lighten ? l + (1.0F - l) * static_cast<float>(step) / 100.0F
                                        : l * (1.0F - static_cast<float>(step) / 100.0F);
        const QColor candidate = QColor::fromHslF(h, s, lightness).toRgb();
        if (Contrast(candidate, background) >= ratio)
            return candidate;
    }
    return lighten ? QColor(Qt::white) : QColor(Qt::black);
}

QColor TThemeColors::Notice() const {
    return Readable(palette_.color(QPalette::PlaceholderText), palette_.color(QPalette::Window), NoticeContrast);
}

QColor TThemeColors::HexBackground() const {
    return palette_.color(QPalette::Base);
}

QColor TThemeColors::HexAddress() const {
    return Readable(QColor(Qt::red), HexBackground(), TextContrast);
}

QColor TThemeColors::HexData() const {
    return Readable(palette_.color(QPalette::Text), HexBackground(), TextContrast);
}

QColor TThemeColors::HexCharacters() const {
    return Readable(QColor(0, 0, 128), HexBackground(), TextContrast);
}

QColor TThemeColors::DivertingCollection() const {
    return Readable(QColor(128, 0, 0), palette_.color(QPalette::Base), TextContrast);
}

QColor TThemeColors::Message() const {
    return Readable(QColor(Qt::blue), palette_.color(QPalette::Button), TextContrast);
}

QColor TThemeColors::Link() const {
    return Readable(palette_.color(QPalette::Link), palette_.color(QPalette::Base), TextContrast);
}

} // namespace bx::explorer
