#pragma once

#include <QImage>
#include <QSize>
#include <QString>

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace bx::explorer {

// The window's four numbered image lists: the main toolbar, the toolbars of the preview pane and the
// pick list, the collection tree (collection icons and state icons) and the clip types. The numbers are
// fixed by the order of the names: each name adds its image at the end of its list, and a name without
// an image adds nothing. The collection list ends with the user's own icons, read from a folder.
class TImageLists {
public:
    enum List { Toolbar, MagToolbar, Collections, Clips, ListCount };

    // Where the user's collection icons start when every named image exists.
    static constexpr int FirstUserIcon = 50;
    // The collection list's images of the collections the program makes itself.
    static constexpr int FolderIcon = 7;
    static constexpr int DefaultCollectionIcon = 10;
    // The main toolbar's image of the collection button: the icon of the collection shown last.
    static constexpr int CollectionButton = 7;

    // Finds the image of a name at a size and device pixel ratio (1 or 2); a null image when there is none.
    using TSource = std::function<QImage(const QString& name, QSize size, qreal ratio)>;

    // The names of a list in their order.
    static const std::vector<QString>& Names(List list);
    // The size of a list's images.
    static QSize ImageSize(List list);
    // The user's icon files in a folder ("…/" ending): the *.bmp and *.png entries (any case), sorted by
    // name ignoring case; empty when the folder does not exist.
    static std::vector<std::string> UserIconFiles(const std::string& folder);
    // An icon file as a collection image: cut or padded to the list's height (the width is kept as it
    // is drawn, up to the list's width); olive pixels of a bitmap are transparent. Null when unreadable.
    static QImage ReadUserIcon(const std::string& path);

    // Fills every list from source (each image at ratio 1 and 2), then appends the user's icons of
    // userFolder (may be empty; they have one resolution).
    void Fill(const TSource& source, const std::string& userFolder);

    int Count(List list) const;
    // The image at a number; a null image outside the list. Above ratio 1 the image drawn at twice the
    // resolution (device pixel ratio 2) where there is one.
    QImage Image(List list, int index, qreal ratio = 1.0) const;
    // Replaces the image at a number (nothing outside the list); image's device pixel ratio tells which
    // resolution it is, and a new image at ratio 1 drops the other.
    void Replace(List list, int index, QImage image);
    // The number of a name in a list, -1 when the name added nothing.
    int IndexOf(List list, const QString& name) const;

    // The program's lists: filled from the program's images on first use; Reload adds the user's icons
    // of a folder.
    static TImageLists& Program();
    static void Reload(const std::string& userFolder);

private:
    // Appends the user's icons of a folder to the collection list.
    void AppendUserIcons(const std::string& userFolder);

    struct TEntry {
        QString Name;
        QImage Image;
        QImage Doubled;
    };
    std::array<std::vector<TEntry>, ListCount> lists_;
};

} // namespace bx::explorer
