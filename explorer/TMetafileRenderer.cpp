#include "TMetafileRenderer.h"

#include "TDibImage.h"

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygon>
#include <QString>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

namespace bx::explorer {

namespace {

constexpr int MaxRecords = 1'000'000;
constexpr int MaxObjects = 4096;
constexpr std::uint32_t EmfSignature = 0x464D4520; // " EMF"
constexpr std::uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr int MaxCoord = 1 << 27;

// A bounds-checked reader over one record or the whole metafile.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> b) : b_(b) {}
    std::size_t Size() const { return b_.size(); }
    bool Has(std::size_t at, std::size_t n) const { return at <= b_.size() && n <= b_.size() - at; }
    std::uint32_t U32(std::size_t at) const {
        if (!Has(at, 4))
            return 0;
        return static_cast<std::uint32_t>(b_[at]) | static_cast<std::uint32_t>(b_[at + 1]) << 8 |
               static_cast<std::uint32_t>(b_[at + 2]) << 16 | static_cast<std::uint32_t>(b_[at + 3]) << 24;
    }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    // A 32-bit coordinate or extent, kept within +-2^27 so that sizes and corners computed from it never
    // overflow an int (no drawing a preview shows reaches that far).
    int Coord(std::size_t at) const { return std::clamp(I32(at), -MaxCoord, MaxCoord); }
    std::uint16_t U16(std::size_t at) const {
        if (!Has(at, 2))
            return 0;
        return static_cast<std::uint16_t>(b_[at] | b_[at + 1] << 8);
    }
    std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
    std::span<const std::uint8_t> Sub(std::size_t at, std::size_t n) const {
        return Has(at, n) ? b_.subspan(at, n) : std::span<const std::uint8_t>();
    }

private:
    std::span<const std::uint8_t> b_;
};

QColor ColorRef(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

// A pen, brush or font of the metafile's object table.
struct GdiObject {
    enum Kind { None, Pen, Brush, Font } kind = None;
    QPen pen;
    QBrush brush;
    QFont font;
    int fontHeight = 0;
};

QPen MakePen(std::uint32_t style, int width, std::uint32_t color) {
    if ((style & 0x0F) == 5) // PS_NULL
        return QPen(Qt::NoPen);
    QPen pen(ColorRef(color));
    pen.setWidth(std::clamp(width, 0, 1000));
    pen.setCosmetic(width <= 1);
    switch (style & 0x0F) {
    case 1:
        pen.setStyle(Qt::DashLine);
        break;
    case 2:
        pen.setStyle(Qt::DotLine);
        break;
    case 3:
        pen.setStyle(Qt::DashDotLine);
        break;
    case 4:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        break;
    }
    return pen;
}

QBrush MakeBrush(std::uint32_t style, std::uint32_t color) {
    if (style == 1) // BS_NULL
        return QBrush(Qt::NoBrush);
    return QBrush(ColorRef(color));
}

// The state of drawing: objects, current position, colours.
class State {
public:
    explicit State(QPainter& p) : painter(p) {
        painter.setPen(QPen(Qt::black));
        painter.setBrush(QBrush(Qt::white));
    }

    void Put(int index, GdiObject object) {
        if (index >= 0 && index < MaxObjects)
            objects[index] = std::move(object);
    }
    // Windows metafiles put a new object into the lowest free slot.
    void PutFirstFree(GdiObject object) {
        for (int i = 0; i < MaxObjects; ++i)
            if (objects.find(i) == objects.end()) {
                objects[i] = std::move(object);
                return;
            }
    }
    void Select(int index) {
        // Stock objects of enhanced metafiles (high bit set).
        if (index < 0 || (static_cast<std::uint32_t>(index) & 0x80000000u) != 0) {
            switch (static_cast<std::uint32_t>(index) & 0x7FFFFFFFu) {
            case 0: // WHITE_BRUSH
                painter.setBrush(Qt::white);
                break;
            case 4: // BLACK_BRUSH
                painter.setBrush(Qt::black);
                break;
            case 5: // NULL_BRUSH
                painter.setBrush(Qt::NoBrush);
                break;
            case 6: // WHITE_PEN
                painter.setPen(QPen(Qt::white));
                break;
            case 7: // BLACK_PEN
                painter.setPen(QPen(Qt::black));
                break;
            case 8: // NULL_PEN
                painter.setPen(Qt::NoPen);
                break;
            default:
                break;
            }
            return;
        }
        const auto found = objects.find(index);
        if (found == objects.end())
            return;
        switch (found->second.kind) {
        case GdiObject::Pen:
            painter.setPen(found->second.pen);
            break;
        case GdiObject::Brush:
            painter.setBrush(found->second.brush);
            break;
        case GdiObject::Font:
            font = found->second.font;
            fontHeight = found->second.fontHeight;
            break;
        default:
            break;
        }
    }
    void Delete(int index) { objects.erase(index); }
    void Text(QPoint at, const QString& text) {
        painter.save();
        QFont f = font;
        // A font height in logical units; the painter maps it with everything else.
        f.setPixelSize(std::clamp(std::abs(fontHeight) > 0 ? std::abs(fontHeight) : 12, 1, 10000));
        painter.setFont(f);
        painter.setPen(textColor);
        const QFontMetrics metrics(f);
        // The reference point is the text's top left corner.
        painter.drawText(at + QPoint(0, metrics.ascent()), text);
        painter.restore();
    }

    QPainter& painter;
    std::map<int, GdiObject> objects;
    QPoint position;
    QColor textColor = Qt::black;
    QFont font;
    int fontHeight = 0;
    Qt::FillRule fillRule = Qt::OddEvenFill;
};

GdiObject FontObject(int height, int weight, bool italic, bool underline, const QString& face) {
    GdiObject o;
    o.kind = GdiObject::Font;
    o.font = QFont(face.isEmpty() ? QString("Sans") : face);
    o.font.setBold(weight >= 600);
    o.font.setItalic(italic);
    o.font.setUnderline(underline);
    o.fontHeight = height;
    return o;
}

QString Utf16(std::span<const std::uint8_t> bytes, std::size_t chars) {
    chars = std::min<std::size_t>(chars, bytes.size() / 2);
    QString text;
    text.reserve(static_cast<qsizetype>(chars));
    for (std::size_t i = 0; i < chars; ++i)
        text.append(QChar(static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8)));
    return text;
}

// ---------------------------------------------------------------------------------------------------
// Enhanced metafiles

QRect EmfBounds(const Reader& r) {
    const int left = r.Coord(8), top = r.Coord(12), right = r.Coord(16), bottom = r.Coord(20);
    if (right <= left || bottom <= top)
        return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

QPolygon EmfPoints(const Reader& rec, std::size_t countAt, bool small) {
    const std::uint32_t count = rec.U32(countAt);
    const std::size_t each = small ? 4 : 8;
    const std::size_t first = countAt + 4;
    if (count == 0 || !rec.Has(first, static_cast<std::size_t>(count) * each))
        return {};
    QPolygon points;
    points.reserve(static_cast<qsizetype>(count));
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = first + i * each;
        points << (small ? QPoint(rec.I16(at), rec.I16(at + 2)) : QPoint(rec.Coord(at), rec.Coord(at + 4)));
    }
    return points;
}

void DrawEmf(const Reader& file, QPainter& painter, QSize size, TMetafileRenderer::Result& result) {
    const QRect bounds = EmfBounds(file);
    QRect window = bounds.isValid() ? bounds : QRect(0, 0, size.width(), size.height());
    painter.setWindow(window);
    painter.setViewport(0, 0, size.width(), size.height());
    State state(painter);
    QPoint windowOrg = window.topLeft();
    QSize windowExt = window.size();
    std::size_t at = 0;
    for (int n = 0; n < MaxRecords && file.Has(at, 8); ++n) {
        const std::uint32_t type = file.U32(at);
        const std::uint32_t length = file.U32(at + 4);
        if (length < 8 || length % 4 != 0 || !file.Has(at, length))
            break;
        const Reader rec(file.Sub(at, length));
        at += length;
        bool drawn = true;
        switch (type) {
        case 1: // EMR_HEADER
            break;
        case 14: // EMR_EOF
            return;
        case 9: // EMR_SETWINDOWEXTEX
            windowExt = QSize(rec.Coord(8), rec.Coord(12));
            if (windowExt.width() != 0 && windowExt.height() != 0)
                painter.setWindow(QRect(windowOrg, windowExt));
            break;
        case 10: // EMR_SETWINDOWORGEX
            windowOrg = QPoint(rec.Coord(8), rec.Coord(12));
            if (windowExt.width() != 0 && windowExt.height() != 0)
                painter.setWindow(QRect(windowOrg, windowExt));
            break;
        case 19: // EMR_SETPOLYFILLMODE
            state.fillRule = rec.U32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
            break;
        case 24: // EMR_SETTEXTCOLOR
            state.textColor = ColorRef(rec.U32(8));
            break;
        case 27: // EMR_MOVETOEX
            state.position = QPoint(rec.Coord(8), rec.Coord(12));
            break;
        case 54: { // EMR_LINETO
            const QPoint to(rec.Coord(8), rec.Coord(12));
            painter.drawLine(state.position, to);
            state.position = to;
            break;
        }
        case 38: { // EMR_CREATEPEN: ihPen, style, width (x, y), colour
            GdiObject o;
            o.kind = GdiObject::Pen;
            o.pen = MakePen(rec.U32(12), rec.I32(16), rec.U32(24));
            state.Put(rec.I32(8), o);
            break;
        }
        case 39: { // EMR_CREATEBRUSHINDIRECT: ihBrush, style, colour, hatch
            GdiObject o;
            o.kind = GdiObject::Brush;
            o.brush = MakeBrush(rec.U32(12), rec.U32(16));
            state.Put(rec.I32(8), o);
            break;
        }
        case 82: { // EMR_EXTCREATEFONTINDIRECTW: ihFont, LOGFONTW
            if (!rec.Has(12, 92)) {
                drawn = false;
                break;
            }
            const QString face = Utf16(rec.Sub(12 + 28, 64), 32).section(QChar(0), 0, 0);
            state.Put(rec.I32(8), FontObject(rec.I32(12), rec.I32(12 + 16), rec.Sub(12 + 20, 1)[0] != 0,
                                             rec.Sub(12 + 21, 1)[0] != 0, face));
            break;
        }
        case 37: // EMR_SELECTOBJECT
            state.Select(rec.I32(8));
            break;
        case 40: // EMR_DELETEOBJECT
            state.Delete(rec.I32(8));
            break;
        case 42:   // EMR_ELLIPSE
        case 43:   // EMR_RECTANGLE
        case 44: { // EMR_ROUNDRECT
            const QRect box(QPoint(rec.Coord(8), rec.Coord(12)), QPoint(rec.Coord(16) - 1, rec.Coord(20) - 1));
            if (type == 42)
                painter.drawEllipse(box);
            else if (type == 43)
                painter.drawRect(box);
            else
                painter.drawRoundedRect(box, rec.Coord(24) / 2.0, rec.Coord(28) / 2.0);
            break;
        }
        case 2:    // EMR_POLYBEZIER
        case 3:    // EMR_POLYGON
        case 4:    // EMR_POLYLINE
        case 85:   // EMR_POLYBEZIER16
        case 86:   // EMR_POLYGON16
        case 87: { // EMR_POLYLINE16
            const bool small = type >= 85;
            const QPolygon points = EmfPoints(rec, 24, small);
            if (points.isEmpty()) {
                drawn = false;
                break;
            }
            if (type == 3 || type == 86)
                painter.drawPolygon(points, state.fillRule);
            else if ((type == 2 || type == 85) && points.size() >= 4) {
                QPainterPath path(points[0]);
                for (qsizetype i = 1; i + 2 < points.size(); i += 3)
                    path.cubicTo(points[i], points[i + 1], points[i + 2]);
                painter.drawPath(path);
            } else
                painter.drawPolyline(points);
            break;
        }
        case 6:    // EMR_POLYLINETO
        case 89: { // EMR_POLYLINETO16
            QPolygon points = EmfPoints(rec, 24, type == 89);
            if (points.isEmpty()) {
                drawn = false;
                break;
            }
            points.prepend(state.position);
            painter.drawPolyline(points);
            state.position = points.back();
            break;
        }
        case 84: { // EMR_EXTTEXTOUTW: bounds, mode, scales, then EMRTEXT
            const QPoint ref(rec.Coord(36), rec.Coord(40));
            const std::uint32_t chars = rec.U32(44);
            const std::uint32_t offset = rec.U32(48);
            if (chars > 100000 || !rec.Has(offset, static_cast<std::size_t>(chars) * 2)) {
                drawn = false;
                break;
            }
            state.Text(ref, Utf16(rec.Sub(offset, static_cast<std::size_t>(chars) * 2), chars));
            break;
        }
        case 81: { // EMR_STRETCHDIBITS
            // xDest, yDest, then cxDest and cyDest after the source and the bitmap's place.
            const QRect dest(rec.Coord(24), rec.Coord(28), rec.Coord(72), rec.Coord(76));
            const std::uint32_t offBmi = rec.U32(48), cbBmi = rec.U32(52), offBits = rec.U32(56), cbBits = rec.U32(60);
            if (!rec.Has(offBmi, cbBmi) || !rec.Has(offBits, cbBits) || cbBmi < 40) {
                drawn = false;
                break;
            }
            std::vector<std::uint8_t> dib(rec.Sub(offBmi, cbBmi).begin(), rec.Sub(offBmi, cbBmi).end());
            const auto bits = rec.Sub(offBits, cbBits);
            dib.insert(dib.end(), bits.begin(), bits.end());
            const QImage image = TDibImage::FromDib(dib);
            if (image.isNull()) {
                drawn = false;
                break;
            }
            painter.drawImage(QRect(dest.x(), dest.y(), dest.width(), dest.height()), image);
            break;
        }
        default:
            drawn = false;
            break;
        }
        if (drawn)
            ++result.RecordsDrawn;
        else
            ++result.RecordsSkipped;
    }
}

// ---------------------------------------------------------------------------------------------------
// Windows metafiles

// The start of the records and the picture's box (from the placeable header, when there is one).
struct WmfLayout {
    std::size_t records = 0;
    QRect box;
    int inch = 0;
};

std::optional<WmfLayout> WmfStart(const Reader& file) {
    WmfLayout layout;
    std::size_t header = 0;
    if (file.U32(0) == PlaceableKey) {
        layout.box = QRect(QPoint(file.I16(6), file.I16(8)), QPoint(file.I16(10) - 1, file.I16(12) - 1));
        layout.inch = file.U16(14);
        header = 22;
    }
    // The standard header: type 1 or 2, header size 9 words.
    if (!file.Has(header, 18) || file.U16(header + 2) != 9)
        return std::nullopt;
    layout.records = header + 18;
    return layout;
}

void DrawWmf(const Reader& file, QPainter& painter, QSize size, TMetafileRenderer::Result& result) {
    const auto layout = WmfStart(file);
    if (!layout)
        return;
    QRect window = layout->box.isValid() ? layout->box : QRect(0, 0, size.width(), size.height());
    painter.setWindow(window);
    painter.setViewport(0, 0, size.width(), size.height());
    State state(painter);
    QPoint windowOrg = window.topLeft();
    QSize windowExt = window.size();
    std::size_t at = layout->records;
    for (int n = 0; n < MaxRecords && file.Has(at, 6); ++n) {
        const std::uint64_t words = file.U32(at);
        const std::uint16_t function = file.U16(at + 4);
        if (words < 3 || words * 2 > file.Size() - at)
            break;
        const std::size_t length = static_cast<std::size_t>(words * 2);
        const Reader rec(file.Sub(at, length));
        at += length;
        // Parameters are 16-bit words after the 6-byte record header.
        auto p = [&rec](std::size_t i) { return rec.I16(6 + 2 * i); };
        const std::size_t params = (length - 6) / 2;
        bool drawn = true;
        switch (function) {
        case 0x0000: // META_EOF
            return;
        case 0x020B: // META_SETWINDOWORG (y, x)
            windowOrg = QPoint(p(1), p(0));
            if (windowExt.width() != 0 && windowExt.height() != 0)
                painter.setWindow(QRect(windowOrg, windowExt));
            break;
        case 0x020C: // META_SETWINDOWEXT (y, x)
            windowExt = QSize(p(1), p(0));
            if (windowExt.width() != 0 && windowExt.height() != 0)
                painter.setWindow(QRect(windowOrg, windowExt));
            break;
        case 0x0209: // META_SETTEXTCOLOR
            state.textColor = ColorRef(rec.U32(6));
            break;
        case 0x0106: // META_SETPOLYFILLMODE
            state.fillRule = p(0) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
            break;
        case 0x0214: // META_MOVETO (y, x)
            state.position = QPoint(p(1), p(0));
            break;
        case 0x0213: { // META_LINETO (y, x)
            const QPoint to(p(1), p(0));
            painter.drawLine(state.position, to);
            state.position = to;
            break;
        }
        case 0x02FA: { // META_CREATEPENINDIRECT: style, width (x, y), colour
            GdiObject o;
            o.kind = GdiObject::Pen;
            o.pen = MakePen(rec.U16(6), p(1), rec.U32(12));
            state.PutFirstFree(o);
            break;
        }
        case 0x02FC: { // META_CREATEBRUSHINDIRECT: style, colour, hatch
            GdiObject o;
            o.kind = GdiObject::Brush;
            o.brush = MakeBrush(rec.U16(6), rec.U32(8));
            state.PutFirstFree(o);
            break;
        }
        case 0x02FB: { // META_CREATEFONTINDIRECT: LOGFONT with an 8-bit face name
            if (params < 9) {
                drawn = false;
                break;
            }
            QString face;
            for (std::size_t i = 6 + 18; i < length && face.size() < 32; ++i) {
                const std::uint8_t c = rec.Sub(i, 1)[0];
                if (c == 0)
                    break;
                face.append(QChar(c));
            }
            const auto flags = rec.Sub(6 + 10, 2);
            state.PutFirstFree(
                FontObject(p(0), p(4), !flags.empty() && flags[0] != 0, flags.size() > 1 && flags[1] != 0, face));
            break;
        }
        case 0x01F9: // META_CREATEPALETTE: takes a slot
        case 0x00F7: // META_CREATEPALETTE (old)
        case 0x0142: // META_DIBCREATEPATTERNBRUSH
            state.PutFirstFree(GdiObject{});
            break;
        case 0x012D: // META_SELECTOBJECT
            state.Select(rec.U16(6));
            break;
        case 0x01F0: // META_DELETEOBJECT
            state.Delete(rec.U16(6));
            break;
        case 0x041B:   // META_RECTANGLE (bottom, right, top, left)
        case 0x0418: { // META_ELLIPSE
            const QRect box(QPoint(p(3), p(2)), QPoint(p(1) - 1, p(0) - 1));
            if (function == 0x041B)
                painter.drawRect(box);
            else
                painter.drawEllipse(box);
            break;
        }
        case 0x0324:   // META_POLYGON
        case 0x0325: { // META_POLYLINE
            const std::size_t count = static_cast<std::uint16_t>(p(0));
            if (count == 0 || 1 + 2 * count > params) {
                drawn = false;
                break;
            }
            QPolygon points;
            for (std::size_t i = 0; i < count; ++i)
                points << QPoint(p(1 + 2 * i), p(2 + 2 * i));
            if (function == 0x0324)
                painter.drawPolygon(points, state.fillRule);
            else
                painter.drawPolyline(points);
            break;
        }
        case 0x0521: { // META_TEXTOUT: count, string (even length), y, x
            const std::size_t count = static_cast<std::uint16_t>(p(0));
            const std::size_t padded = (count + 1) & ~std::size_t{1};
            if (!rec.Has(8, padded + 4)) {
                drawn = false;
                break;
            }
            const auto text = rec.Sub(8, count);
            const QPoint ref(rec.I16(8 + padded + 2), rec.I16(8 + padded));
            state.Text(ref, QString::fromLatin1(reinterpret_cast<const char*>(text.data()),
                                                static_cast<qsizetype>(text.size())));
            break;
        }
        case 0x0A32: { // META_EXTTEXTOUT: y, x, count, options, [rectangle], string
            const QPoint ref(p(1), p(0));
            const std::size_t count = static_cast<std::uint16_t>(p(2));
            const std::uint16_t options = static_cast<std::uint16_t>(p(3));
            const std::size_t textAt = 6 + 8 + ((options & 0x0006) != 0 ? 8 : 0);
            if (!rec.Has(textAt, count)) {
                drawn = false;
                break;
            }
            const auto text = rec.Sub(textAt, count);
            state.Text(ref, QString::fromLatin1(reinterpret_cast<const char*>(text.data()),
                                                static_cast<qsizetype>(text.size())));
            break;
        }
        case 0x0F43:   // META_STRETCHDIB: rop, usage, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst, DIB
        case 0x0B41: { // META_DIBSTRETCHBLT: rop, srcH, srcW, ySrc, xSrc, destH, destW, yDst, xDst, DIB
            const std::size_t first = function == 0x0F43 ? 3 : 2; // words before srcH
            if (params < first + 8 + 20) {
                drawn = false;
                break;
            }
            const QRect dest(p(first + 7), p(first + 6), p(first + 5), p(first + 4));
            const std::size_t dibAt = 6 + 2 * (first + 8);
            const QImage image = TDibImage::FromDib(rec.Sub(dibAt, length - dibAt));
            if (image.isNull()) {
                drawn = false;
                break;
            }
            painter.drawImage(dest, image);
            break;
        }
        default:
            drawn = false;
            break;
        }
        if (drawn)
            ++result.RecordsDrawn;
        else
            ++result.RecordsSkipped;
    }
}

bool IsEmf(const Reader& file) {
    return file.U32(0) == 1 && file.U32(40) == EmfSignature;
}

} // namespace

QSize TMetafileRenderer::NaturalSize(std::span<const std::uint8_t> bytes) {
    const Reader file(bytes);
    if (IsEmf(file))
        return EmfBounds(file).size();
    const auto layout = WmfStart(file);
    if (!layout)
        return {};
    if (layout->box.isValid() && layout->inch > 0)
        return QSize(static_cast<int>(static_cast<long long>(layout->box.width()) * 96 / layout->inch),
                     static_cast<int>(static_cast<long long>(layout->box.height()) * 96 / layout->inch));
    // A plain metafile: its window extent, when it sets one.
    std::size_t at = layout->records;
    for (int n = 0; n < MaxRecords && file.Has(at, 6); ++n) {
        const std::uint64_t words = file.U32(at);
        if (words < 3 || words * 2 > file.Size() - at)
            break;
        if (file.U16(at + 4) == 0x020C)
            return QSize(std::abs(file.I16(at + 8)), std::abs(file.I16(at + 6)));
        at += static_cast<std::size_t>(words * 2);
    }
    return {};
}

TMetafileRenderer::Result TMetafileRenderer::Render(std::span<const std::uint8_t> bytes, QSize size) {
    Result result;
    if (size.isEmpty() || size.width() > 8192 || size.height() > 8192)
        return result;
    const Reader file(bytes);
    const bool emf = IsEmf(file);
    if (!emf && !WmfStart(file))
        return result;
    result.Image = QImage(size, QImage::Format_ARGB32_Premultiplied);
    result.Image.fill(Qt::white);
    QPainter painter(&result.Image);
    painter.setRenderHint(QPainter::Antialiasing);
    if (emf)
        DrawEmf(file, painter, size, result);
    else
        DrawWmf(file, painter, size, result);
    return result;
}

} // namespace bx::explorer
