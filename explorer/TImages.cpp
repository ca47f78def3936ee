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

QPixmap StandIn(const QString& name, qreal ratio = 1.0) {
    QPixmap pixmap(QSize(16, 16) * ratio);
    pixmap.setDevicePixelRatio(ratio);
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

// An image on a transparent picture of a size (device pixels), scaled down when larger (up: grow),
// centred.
QImage Sized(QImage image, QSize size, bool grow = false) {
    image.setDevicePixelRatio(1.0);
    if (image.isNull() || size.isEmpty() || image.size() == size)
        return image;
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    const QImage scaled = grow || image.width() > size.width() || image.height() > size.height()
                              ? image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                              : image;
    QPainter painter(&out);
    painter.drawImage((size.width() - scaled.width()) / 2, (size.height() - scaled.height()) / 2, scaled);
    return out;
}

} // namespace

QImage TImages::Find(const QString& name, QSize size, qreal ratio) {
    static const bool registered = [] {
        InitImages();
        return true;
    }();
    (void)registered;
    ratio = ratio > 1.0 ? 2.0 : 1.0; // the images are drawn at these two resolutions
    QImage normal;
    if (const QString path = ":/images/" + name + ".png"; QFile::exists(path))
        normal.load(path);
    QImage doubled;
    if (const QString path = ":/images/" + name + "@2x.png"; ratio > 1.0 && QFile::exists(path))
        doubled.load(path);
    const QSize wanted = size.isEmpty() ? (normal.isNull() ? QSize(16, 16) : normal.size()) : size;
    const QSize device = wanted * ratio;
    const auto atRatio = [ratio](QImage image) {
        image.setDevicePixelRatio(ratio);
        return image;
    };
    // The theme has icons only once the program has a desktop behind it.
    if (const QString theme = ThemeName(name);
        !theme.isEmpty() && qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr &&
        QIcon::hasThemeIcon(theme)) {
        const int side = std::min(wanted.width(), wanted.height());
        const QImage themed = QIcon::fromTheme(theme).pixmap(QSize(side, side), ratio).toImage();
        if (!themed.isNull())
            return atRatio(Sized(themed, device, true));
    }
    if (!doubled.isNull())
        return atRatio(Sized(doubled, device));
    if (normal.isNull())
        return {};
    return atRatio(Sized(normal, device, ratio > 1.0));
}

QPixmap TImages::Get(const QString& name, qreal ratio) {
    static QHash<QPair<QString, bool>, QPixmap> cache;
    const bool doubled = ratio > 1.0;
    if (const auto found = cache.constFind({name, doubled}); found != cache.constEnd())
        return *found;
    const QImage image = Find(name, QSize(16, 16), ratio);
    const QPixmap pixmap = image.isNull() ? StandIn(name, doubled ? 2.0 : 1.0) : QPixmap::fromImage(image);
    cache.insert({name, doubled}, pixmap);
    return pixmap;
}

QIcon TImages::Icon(const QString& name) {
    const QImage normal = Find(name, {}, 1.0);
    if (normal.isNull()) {
        QIcon icon(StandIn(name));
        icon.addPixmap(StandIn(name, 2.0));
        return icon;
    }
    // Both resolutions: the icon draws the one that fits the screen's scale.
    QIcon icon(QPixmap::fromImage(normal));
    icon.addPixmap(QPixmap::fromImage(Find(name, normal.size(), 2.0)));
    return icon;
}

QString TImages::ClipImageName(int index) {
    const std::vector<QString>& names = TImageLists::Names(TImageLists::Clips);
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return {};
    return names[static_cast<std::size_t>(index)];
}

QPixmap TImages::CollectionImage(int index, qreal ratio) {
    const QImage image = TImageLists::Program().Image(TImageLists::Collections, index, ratio);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

QPixmap TImages::CollectionButtonImage(int index, const QColor& face, qreal ratio) {
    QPixmap pixmap(TImageLists::ImageSize(TImageLists::Toolbar) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(face);
    QPainter painter(&pixmap);
    painter.drawPixmap(4, 4, CollectionImage(index, ratio));
    return pixmap;
}

} // namespace bx::explorer
