#pragma once

#include <QColor>
#include <QPalette>

namespace bx::explorer {

// The window's own colours, derived from a palette so that a light and a dark desktop theme both read
// well: every role is a hue the window has always used, made lighter or darker until its contrast with the
// background it is drawn on reaches a readable ratio (the relative luminance ratio of the web's
// accessibility guidelines). A hue that already reads is kept as it is.
class TThemeColors {
public:
    // The contrast ratio of text and of incidental text (a placeholder) against their background.
    static constexpr double TextContrast = 4.5;
    static constexpr double NoticeContrast = 3.0;

    explicit TThemeColors(const QPalette& palette);

    // The notice of a pane with nothing to show: the palette's placeholder colour, on Window.
    QColor Notice() const;
    // The hex view: its background (Base), the values (Text), the address and character columns.
    QColor HexBackground() const;
    QColor HexAddress() const;
    QColor HexData() const;
    QColor HexCharacters() const;
    // A collection that does not take new clips, on the tree's Base.
    QColor DivertingCollection() const;
    // The message mode of the title bar: blue text on the button face.
    QColor Message() const;
    // A clip's source address in the clip list, on Base.
    QColor Link() const;

    // The relative luminance of a colour (0 black .. 1 white) and the contrast ratio of two (1 .. 21).
    static double Luminance(const QColor& color);
    static double Contrast(const QColor& a, const QColor& b);
    // A colour with alpha painted over an opaque background.
    static QColor Over(const QColor& color, const QColor& background);
    // The hue made lighter (on a dark background) or darker (on a light one) until it reaches ratio.
    static QColor Readable(const QColor& hue, const QColor& background, double ratio);

private:
    QPalette palette_;
};

} // namespace bx::explorer
