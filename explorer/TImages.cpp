#include "TImages.h"

#include "TImageLists.h"

#include <QColor>
#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QPainter>

// The compiled-in images live in a static library: registering them pulls them into the program.
static void InitImages() {
    Q_INIT_RESOURCE(images);
}

namespace bx::explorer {

namespace {

// Theme icons (freedesktop names) for the images that have a standard counterpart.
QString ThemeName(const QString& name) {
    static const QHash<QString, QString> names = {
        {"CF_TEXT", "text-x-generic"},
        {"CF_RTF", "x-office-document"},
        {"CF_BITMAP", "image-x-generic"},
        {"CF_WMF", "x-office-drawing"},
        {"CF_HDROP", "folder"},
        {"CF_HTML", "text-html"},
        {"CF_UNKNOWN", "unknown"},
        {"CF_BINARY", "application-octet-stream"},
        {"CHECKMARK", "object-select"},
        {"NO", "process-stop"},
        {"TV_TRASH", "user-trash"},
        {"TV_FOLDER", "folder"},
        {"TV_SEARCH", "edit-find"},
        {"TB_PRINT", "document-print"},
        {"TB_SEARCH", "edit-find"},
        {"TB_MAGNIFY", "zoom-in"},
        {"TB_NEW", "document-new"},
        {"TB_CUT", "edit-cut"},
        {"TB_COPY", "edit-copy"},
        {"TB_PASTE", "edit-paste"},
        {"TB_SHIFTLEFT", "format-indent-less"},
        {"TB_SHIFTRIGHT", "format-indent-more"},
        {"TB_FONT", "preferences-desktop-font"},
    };
    return names.value(name);
}

QPixmap StandIn(const QString& name) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    const auto hue = static_cast<int>(qHash(name) % 360);
    painter.setBrush(QColor::fromHsv(hue, 120, 220));
    painter.setPen(QColor::fromHsv(hue, 200, 120));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QString initials = name.section('_', -1).left(2);
    QFont font = painter.font();
    font.setPixelSize(8);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, initials);
    return pixmap;
}

// An image on a transparent picture of a size, scaled down when larger, centred.
QImage Sized(const QImage& image, QSize size) {
    if (image.isNull() || size.isEmpty() || image.size() == size)
        return image;
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QImage scaled = image.width() > size.width() || image.height() > size.height()
                              ? image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              : image;
    QPainter painter(&out);
    painter.drawImage((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2, scaled);
    return out;
}

} // namespace

QImage TImages::Find(const QString& name, QSize size) {
    static const bool registered = [] {
        InitImages();
        return true;
    }();
    (void)registered;
    QImage shipped;
    if (const QString path = ":/images/" + name + ".png"; QFile::exists(path))
        shipped.load(path);
    const QSize wanted = size.isEmpty() ? (shipped.isNull() ? QSize(16, 16) : shipped.size()) : size;
    // The theme has icons only once the program has a desktop behind it.
    if (const QString theme = ThemeName(name);
        !theme.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
        QIcon::hasThemeIcon(theme)) {
        const int side = std::min(wanted.width(), wanted.height());
        const QImage themed = QIcon::fromTheme(theme).pixmap(side, side).toImage();
        if (!themed.isNull())
            return Sized(themed, wanted);
    }
    return Sized(shipped, wanted);
}

QPixmap TImages::Get(const QString& name) {
    static QHash<QString, QPixmap> cache;
    if (const auto found = cache.constFind(name); found != cache.constEnd())
        return *found;
    const QImage image = Find(name, QSize(16, 16));
    const QPixmap pixmap = image.isNull() ? StandIn(name) : QPixmap::fromImage(image);
    cache.insert(name, pixmap);
    return pixmap;
}

QIcon TImages::Icon(const QString& name) {
    const QImage image = Find(name, {});
    return image.isNull() ? QIcon(StandIn(name)) : QIcon(QPixmap::fromImage(image));
}

QString TImages::ClipImageName(int index) {
    const std::vector<QString>& names = TImageLists::Names(TImageLists::Clips);
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return {};
    return names[static_cast<std::size_t>(index)];
}

QPixmap TImages::CollectionImage(int index) {
    const QImage image = TImageLists::Program().Image(TImageLists::Collections, index);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QPixmap TImages::CollectionButtonImage(int index, const QColor& face) {
    QPixmap pixmap(TImageLists::ImageSize(TImageLists::Toolbar));
    pixmap.fill(face);
    QPainter painter(&pixmap);
    painter.drawPixmap(4, 4, CollectionImage(index));
    return pixmap;
}

} // namespace bx::explorer
