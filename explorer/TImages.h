#pragma once

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace bx::explorer {

// The program's small images by name ("CF_TEXT", "TB_TACK1", "TV_TRASH", "B7", "BLUEBALL", ...): the
// desktop theme's icon where a standard one fits, else the image drawn for the program (resources/).
class TImages {
public:
    // The image of a name at a size (an empty size: the size it was drawn at); null when there is none.
    // ratio: the screen's device pixel ratio; above 1 the image has twice the pixels (drawn at that
    // resolution, "NAME@2x") and a device pixel ratio of 2, so that it is painted at the same size.
    static QImage Find(const QString& name, QSize size, qreal ratio);
    // The 16 x 16 image of a name; a drawn stand-in (the name's initials) for a name without an image.
    static QPixmap Get(const QString& name, qreal ratio = 1.0);
    // A button's icon: the image at the size it was drawn at, at both resolutions.
    static QIcon Icon(const QString& name);
    // The clip image list in order: "CF_TEXT", "CF_RTF", "CF_BITMAP", "CF_WMF", "CF_OLE", "CF_UNKNOWN",
    // "CF_HDROP", "CF_HTML", "CF_BINARY", "CHECKMARK", "NO"; an empty name past the end.
    static QString ClipImageName(int index);
    // A collection's icon and a tree node's state image: numbers of the collection image list; a null
    // pixmap for a number outside it.
    static QPixmap CollectionImage(int index, qreal ratio = 1.0);
    static QPixmap StateImage(int index, qreal ratio = 1.0) { return CollectionImage(index, ratio); }
    // The toolbar's collection button: the collection's icon at 4, 4 on a 25 x 25 button-face picture.
    static QPixmap CollectionButtonImage(int index, const QColor& face, qreal ratio = 1.0);
};

} // namespace bx::explorer
