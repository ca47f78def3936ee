#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

namespace bx::explorer {

// The program's small images by name ("CF_TEXT", "TB_TACK1", "TV_...", "BLUEBALL", ...): the desktop
// theme's icon where a standard one fits, else the image shipped in the resources, else a drawn stand-in
// (a coloured square with the name's initials), so that every named image exists.
class TImages {
public:
    // The 16 x 16 image of a name.
    static QPixmap Get(const QString& name);
    static QIcon Icon(const QString& name) { return QIcon(Get(name)); }
    // The clip image list in order: "CF_TEXT", "CF_RTF", "CF_BITMAP", "CF_WMF", "CF_OLE", "CF_UNKNOWN",
    // "CF_HDROP", "CF_HTML", "CF_BINARY", "CHECKMARK", "NO"; an empty name past the end.
    static QString ClipImageName(int index);
    // The collection images ("B1" ... "B33"), by a collection's image index.
    static QPixmap CollectionImage(int index);
    // The state images of the tree, by state index.
    static QPixmap StateImage(int index);
};

} // namespace bx::explorer
