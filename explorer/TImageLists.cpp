#include "TImageLists.h"

#include "TImages.h"

#include <QColor>
#include <QPainter>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace bx::explorer {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
    return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

const std::vector<QString>& TImageLists::Names(List list) {
    static const std::array<std::vector<QString>, ListCount> names = [] {
        std::array<std::vector<QString>, ListCount> n;
        n[Toolbar] = {"TB_ERASE",  "TB_PRINT", "TB_GLUE",   "TB_MAGNIFY",      "TB_MOVE",       "TB_THUMBNAIL",
                      "TB_REPORT", "TB_BLANK", "TB_SEARCH", "TB_NOCRLF_LARGE", "TB_GLUE_TIPPED"};
        n[MagToolbar] = {"TB_TACK1",      "TB_TACK0",   "TB_TACK2",     "TB_WORDWRAP", "TB_SIZEWINDOW",
                         "TB_NEW",        "TB_CUT",     "TB_COPY",      "TB_PASTE",    "TB_SHIFTLEFT",
                         "TB_SHIFTRIGHT", "TB_NOCRLF",  "TB_CASE",      "TB_FONT",     "TB_CHOOSE",
                         "TB_QPTAB",      "TB_QPENTER", "TB_QPDOPASTE", "CF_UNKNOWN"};
        n[Collections] = {"YELLOWBALL", "YELLOWBALL",    "PINKBALL",  "TV_CHECK_BOTH", "TV_CHECK_GREEN",
                          "TV_NEWCLIP", "TV_REJECTCLIP", "TV_FOLDER", "TV_SEARCH",     "TV_TRASH",
                          "TV_RECYCLE", "TV_SAFE",       "TV_TIME"};
        // The numbered icons; the program has none numbered 13.
        for (int i = 1; i <= 33; ++i)
            n[Collections].push_back("B" + QString::number(i));
        for (int i = 0; i < 5; ++i)
            n[Collections].push_back("TV_GREY");
        n[Clips] = {"CF_TEXT",  "CF_RTF",  "CF_BITMAP", "CF_WMF",    "CF_OLE", "CF_UNKNOWN",
                    "CF_HDROP", "CF_HTML", "CF_BINARY", "CHECKMARK", "NO"};
        return n;
    }();
    return names[static_cast<std::size_t>(list)];
}

QSize TImageLists::ImageSize(List list) {
    switch (list) {
    case Toolbar:
        return {25, 25};
    case MagToolbar:
        return {20, 20};
    case Collections:
        return {16, 17};
    default:
        return {16, 16};
    }
}

std::vector<std::string> TImageLists::UserIconFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return names;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string lower = Lower(name);
        if ((EndsWith(lower, ".bmp") || EndsWith(lower, ".png")) && !it->is_directory(error))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const std::string la = Lower(a);
        const std::string lb = Lower(b);
        return la != lb ? la < lb : a < b;
    });
    return names;
}

QImage TImageLists::ReadUserIcon(const std::string& path) {
    QImage read(QString::fromStdString(path));
    if (read.isNull())
        return {};
    read = read.convertToFormat(QImage::Format_ARGB32);
    if (EndsWith(Lower(path), ".bmp")) {
        // Olive is the transparent colour of a bitmap.
        const QRgb olive = qRgb(128, 128, 0);
        for (int y = 0; y < read.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(read.scanLine(y));
            for (int x = 0; x < read.width(); ++x)
                if ((line[x] & 0xFFFFFF) == (olive & 0xFFFFFF))
                    line[x] = 0;
        }
    }
    // The list's height (and at most its width): cut off or padded with transparent pixels.
    const QSize size = ImageSize(Collections);
    QImage icon(size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.drawImage(0, 0, read, 0, 0, std::min(read.width(), size.width()), std::min(read.height(), size.height()));
    return icon;
}

void TImageLists::Fill(const TSource& source, const std::string& userFolder) {
    for (int list = 0; list < ListCount; ++list) {
        std::vector<TEntry>& entries = lists_[static_cast<std::size_t>(list)];
        entries.clear();
        const QSize size = ImageSize(static_cast<List>(list));
        for (const QString& name : Names(static_cast<List>(list))) {
            QImage image = source ? source(name, size, 1.0) : QImage();
            if (!image.isNull())
                entries.push_back({name, std::move(image), source(name, size, 2.0)});
        }
    }
    AppendUserIcons(userFolder);
}

void TImageLists::AppendUserIcons(const std::string& userFolder) {
    for (const std::string& file : UserIconFiles(userFolder)) {
        QImage icon = ReadUserIcon(userFolder + file);
        if (!icon.isNull())
            lists_[Collections].push_back({QString::fromStdString(file), std::move(icon), {}});
    }
}

int TImageLists::Count(List list) const {
    return static_cast<int>(lists_[static_cast<std::size_t>(list)].size());
}

QImage TImageLists::Image(List list, int index, qreal ratio) const {
    const std::vector<TEntry>& entries = lists_[static_cast<std::size_t>(list)];
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size())
        return {};
    const TEntry& entry = entries[static_cast<std::size_t>(index)];
    return ratio > 1.0 && !entry.Doubled.isNull() ? entry.Doubled : entry.Image;
}

void TImageLists::Replace(List list, int index, QImage image) {
    std::vector<TEntry>& entries = lists_[static_cast<std::size_t>(list)];
    if (index < 0 || static_cast<std::size_t>(index) >= entries.size())
        return;
    TEntry& entry = entries[static_cast<std::size_t>(index)];
    if (image.devicePixelRatio() > 1.0) {
        entry.Doubled = std::move(image);
        return;
    }
    entry.Image = std::move(image);
    entry.Doubled = QImage();
}

int TImageLists::IndexOf(List list, const QString& name) const {
    const std::vector<TEntry>& entries = lists_[static_cast<std::size_t>(list)];
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Name == name)
            return static_cast<int>(i);
    return -1;
}

namespace {

// The program's own images, drawn once: a reload starts again from these instead of decoding and
// scaling every image again (the copies share their pixels until one of them is replaced).
const TImageLists& ProgramImages() {
    static const TImageLists images = [] {
        TImageLists filled;
        filled.Fill(&TImages::Find, {});
        return filled;
    }();
    return images;
}

} // namespace

TImageLists& TImageLists::Program() {
    static TImageLists lists = ProgramImages();
    return lists;
}

void TImageLists::Reload(const std::string& userFolder) {
    TImageLists& lists = Program();
    lists = ProgramImages();
    lists.AppendUserIcons(userFolder);
}

} // namespace bx::explorer
