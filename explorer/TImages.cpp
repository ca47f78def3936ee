#include "TImages.h"

#include <QColor>
#include <QFile>
#include <QHash>
#include <QPainter>

#include <array>

// The compiled-in images live in a static library: registering them pulls them into the program.
static void InitImages() {
    Q_INIT_RESOURCE(images);
}

namespace bx::explorer {

namespace {

// Theme icons (freedesktop names) for the images that have a standard counterpart.
QString ThemeName(const QString& name) {
    static const QHash<QString, QString> names = {
        {"CF_TEXT", "text-x-generic"},    {"CF_RTF", "x-office-document"},
        {"CF_BITMAP", "image-x-generic"}, {"CF_WMF", "x-office-drawing"},
        {"CF_HDROP", "folder"},           {"CF_HTML", "text-html"},
        {"CF_UNKNOWN", "unknown"},        {"CF_BINARY", "application-octet-stream"},
        {"CHECKMARK", "object-select"},   {"NO", "process-stop"},
        {"TV_TRASH", "user-trash"},       {"TV_FOLDER", "folder"},
        {"TV_SEARCH", "edit-find"},
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

} // namespace

QPixmap TImages::Get(const QString& name) {
    static const bool registered = [] {
        InitImages();
        return true;
    }();
    (void)registered;
    static QHash<QString, QPixmap> cache;
    if (const auto found = cache.constFind(name); found != cache.constEnd())
        return *found;
    QPixmap pixmap;
    if (const QString theme = ThemeName(name); !theme.isEmpty() && QIcon::hasThemeIcon(theme))
        pixmap = QIcon::fromTheme(theme).pixmap(16, 16);
    if (pixmap.isNull()) {
        if (const QString path = ":/images/" + name + ".png"; QFile::exists(path))
            pixmap.load(path);
    }
    if (pixmap.isNull())
        pixmap = StandIn(name);
    cache.insert(name, pixmap);
    return pixmap;
}

QString TImages::ClipImageName(int index) {
    static const std::array<const char*, 11> names = {"CF_TEXT",   "CF_RTF",     "CF_BITMAP", "CF_WMF",
                                                      "CF_OLE",    "CF_UNKNOWN", "CF_HDROP",  "CF_HTML",
                                                      "CF_BINARY", "CHECKMARK",  "NO"};
    if (index < 0 || static_cast<std::size_t>(index) >= names.size())
        return {};
    return names[static_cast<std::size_t>(index)];
}

QPixmap TImages::CollectionImage(int index) {
    if (index < 0 || index > 32)
        return Get("B1");
    return Get("B" + QString::number(index + 1));
}

QPixmap TImages::StateImage(int index) {
    if (index < 0)
        return {};
    return Get("TV_STATE" + QString::number(index));
}

} // namespace bx::explorer
