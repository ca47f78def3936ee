#include "X11DataConversions.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace bx::platform::x11 {

namespace {

std::uint32_t ReadU32(std::string_view s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

void PutU32(std::string& s, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes valid UTF-8 into code points; false on a malformed sequence.
bool DecodeUtf8(std::string_view s, std::u32string& out) {
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        int n = 0;
        char32_t c = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            n = 1;
            c = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            n = 2;
            c = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            n = 3;
            c = b & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(n) >= s.size() && n > 0)
            return false;
        for (int k = 1; k <= n; ++k) {
            const unsigned char cb = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((cb & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (cb & 0x3F);
        }
        static constexpr char32_t Min[] = {0, 0x80, 0x800, 0x10000};
        if (c < Min[n] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
            return false;
        out += c;
        i += static_cast<std::size_t>(n) + 1;
    }
    return true;
}

std::string PercentDecode(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string Digits10(std::size_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%010zu", v);
    return buf;
}

std::optional<std::size_t> HeaderNumber(std::string_view header, std::string_view key) {
    const std::size_t at = header.find(key);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::size_t i = at + key.size();
    std::size_t v = 0;
    bool any = false;
    while (i < header.size() && header[i] >= '0' && header[i] <= '9' && v < 0x7FFFFFFF) {
        v = v * 10 + static_cast<std::size_t>(header[i] - '0');
        ++i;
        any = true;
    }
    return any ? std::optional<std::size_t>(v) : std::nullopt;
}

// Header, masks and palette of a packed DIB; 0 when the header is not sound.
std::size_t DibPrefixSize(std::string_view dib) {
    if (dib.size() < 40)
        return 0;
    const std::uint32_t headerSize = ReadU32(dib, 0);
    if (headerSize < 40 || headerSize > dib.size())
        return 0;
    const std::uint16_t bits =
        static_cast<std::uint16_t>(static_cast<unsigned char>(dib[14]) | (static_cast<unsigned char>(dib[15]) << 8));
    const std::uint32_t compression = ReadU32(dib, 16);
    const std::uint32_t used = ReadU32(dib, 32);
    std::size_t size = headerSize;
    if (headerSize == 40 && (compression == 3 || compression == 6))
        size += compression == 3 ? 12 : 16;
    std::size_t colours = used;
    if (bits <= 8 && colours == 0)
        colours = std::size_t{1} << bits;
    if (colours > 65536)
        return 0;
    size += colours * 4;
    return size <= dib.size() ? size : 0;
}

} // namespace

std::string_view X11DataConversions::UpToZero(std::string_view s) {
    const std::size_t z = s.find('\0');
    return z == std::string_view::npos ? s : s.substr(0, z);
}

std::string X11DataConversions::FirstLine(std::string_view s) {
    const std::size_t end = s.find_first_of("\r\n");
    return std::string(end == std::string_view::npos ? s : s.substr(0, end));
}

bool X11DataConversions::IsUtf8(std::string_view s) {
    std::u32string ignored;
    return DecodeUtf8(s, ignored);
}

std::string X11DataConversions::Latin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        AppendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string X11DataConversions::Utf8ToLatin1(std::string_view s) {
    std::u32string cps;
    if (!DecodeUtf8(s, cps))
        return std::string(s); // not UTF-8: single-byte text already
    std::string out;
    out.reserve(cps.size());
    for (char32_t c : cps)
        out += c <= 0xFF ? static_cast<char>(c) : '?';
    return out;
}

std::string X11DataConversions::Utf8ToCompoundText(std::string_view s) {
    std::u32string cps;
    if (!DecodeUtf8(s, cps))
        return std::string(s);
    std::string out;
    out.reserve(s.size());
    bool inUtf8 = false;
    for (char32_t c : cps) {
        const bool latin1 = c <= 0xFF;
        if (latin1 && inUtf8)
            out += "\x1b%@";
        else if (!latin1 && !inUtf8)
            out += "\x1b%G";
        inUtf8 = !latin1;
        if (latin1)
            out += static_cast<char>(c);
        else
            AppendUtf8(out, c);
    }
    if (inUtf8)
        out += "\x1b%@";
    return out;
}

std::string X11DataConversions::Utf16ToUtf8(std::string_view s) {
    bool big = false;
    std::size_t i = 0;
    if (s.size() >= 2) {
        const unsigned char a = static_cast<unsigned char>(s[0]), b = static_cast<unsigned char>(s[1]);
        if (a == 0xFF && b == 0xFE) {
            i = 2;
        } else if (a == 0xFE && b == 0xFF) {
            big = true;
            i = 2;
        }
    }
    auto unit = [&](std::size_t at) -> char32_t {
        const unsigned char a = static_cast<unsigned char>(s[at]), b = static_cast<unsigned char>(s[at + 1]);
        return big ? static_cast<char32_t>((a << 8) | b) : static_cast<char32_t>((b << 8) | a);
    };
    std::string out;
    for (; i + 1 < s.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < s.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::string X11DataConversions::Utf8ToUtf16Le(std::string_view s) {
    std::u32string cps;
    if (!DecodeUtf8(s, cps)) {
        cps.clear();
        for (char c : s)
            cps += static_cast<unsigned char>(c);
    }
    std::string out;
    auto put = [&](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (char32_t c : cps) {
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

std::optional<std::string> X11DataConversions::TextFromTarget(std::string_view target, std::string_view type,
                                                              std::string&& bytes) {
    // Some programs end their text with a zero; the text gets exactly one.
    while (!bytes.empty() && bytes.back() == '\0')
        bytes.pop_back();
    std::string text;
    if (type == "UTF8_STRING" || target == "UTF8_STRING" || target == "text/plain;charset=utf-8") {
        text = std::move(bytes);
    } else if (type == "COMPOUND_TEXT") {
        // Without designation sequences compound text is Latin-1; with them we cannot read it exactly.
        if (bytes.find('\x1b') != std::string::npos)
            return std::nullopt;
        text = Latin1ToUtf8(bytes);
    } else if (IsUtf8(bytes)) {
        // STRING is Latin-1 by rule, but some browsers put UTF-8 there: valid UTF-8 with bytes above 127
        // is taken as UTF-8.
        text = std::move(bytes);
    } else {
        text = Latin1ToUtf8(bytes);
    }
    text.push_back('\0');
    return text;
}

std::string X11DataConversions::WrapHtml(std::string_view html, std::string_view sourceUrl) {
    const std::string urlLine = sourceUrl.empty() ? std::string() : "SourceURL:" + std::string(sourceUrl) + "\r\n";
    // Every offset has ten digits, so the header's length is known before the offsets are.
    auto header = [&](std::size_t start, std::size_t end) {
        return "Version:0.9\r\nStartHTML:" + Digits10(start) + "\r\nEndHTML:" + Digits10(end) +
               "\r\nStartFragment:" + Digits10(start) + "\r\nEndFragment:" + Digits10(end) + "\r\n" + urlLine;
    };
    const std::size_t start = header(0, 0).size();
    std::string out = header(start, start + html.size());
    out += html;
    out += '\0';
    return out;
}

std::optional<X11DataConversions::Html> X11DataConversions::UnwrapHtml(std::string_view envelope) {
    const std::string_view header = envelope.substr(0, std::min<std::size_t>(envelope.size(), 1024));
    const std::optional<std::size_t> start = HeaderNumber(header, "StartHTML:");
    const std::optional<std::size_t> end = HeaderNumber(header, "EndHTML:");
    if (!start || !end || *start > *end || *end > envelope.size())
        return std::nullopt;
    Html h;
    h.html = std::string(envelope.substr(*start, *end - *start));
    if (const std::size_t at = header.find("SourceURL:"); at != std::string_view::npos && at < *start) {
        const std::size_t from = at + 10;
        const std::size_t to = envelope.find_first_of("\r\n", from);
        if (to != std::string_view::npos && to <= *start)
            h.sourceUrl = std::string(envelope.substr(from, to - from));
    }
    return h;
}

std::optional<std::string> X11DataConversions::PathFromFileUri(std::string_view uri) {
    constexpr std::string_view scheme = "file://";
    if (uri.size() <= scheme.size() || uri.substr(0, scheme.size()) != scheme)
        return std::nullopt;
    std::string_view rest = uri.substr(scheme.size());
    const std::size_t slash = rest.find('/');
    if (slash == std::string_view::npos)
        return std::nullopt;
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && host != "localhost")
        return std::nullopt;
    std::string path = PercentDecode(rest.substr(slash));
    if (path.find('\0') != std::string::npos)
        return std::nullopt;
    return path;
}

std::string X11DataConversions::FileUriFromPath(std::string_view path) {
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out = "file://";
    for (char ch : path) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (std::isalnum(c) || std::strchr("/-_.~!$&'()*+,;=:@", ch) != nullptr) {
            out += ch;
        } else {
            out += '%';
            out += Hex[c >> 4];
            out += Hex[c & 15];
        }
    }
    return out;
}

std::vector<std::string> X11DataConversions::UriListLines(std::string_view list) {
    std::vector<std::string> lines;
    std::size_t at = 0;
    while (at < list.size()) {
        std::size_t end = list.find('\n', at);
        if (end == std::string_view::npos)
            end = list.size();
        std::string_view line = list.substr(at, end - at);
        while (!line.empty() && (line.back() == '\r' || line.back() == '\0'))
            line.remove_suffix(1);
        if (!line.empty() && line.front() != '#')
            lines.emplace_back(line);
        at = end + 1;
    }
    return lines;
}

std::string X11DataConversions::DropFiles(const std::vector<std::string>& paths) {
    std::string out;
    PutU32(out, 20); // offset of the file list
    PutU32(out, 0);  // drop point
    PutU32(out, 0);
    PutU32(out, 0); // not in the client area
    PutU32(out, 1); // wide characters
    for (const std::string& p : paths) {
        out += Utf8ToUtf16Le(p);
        out.append(2, '\0');
    }
    out.append(2, '\0');
    return out;
}

std::vector<std::string> X11DataConversions::PathsFromDropFiles(std::string_view block) {
    std::vector<std::string> paths;
    if (block.size() < 20)
        return paths;
    const std::uint32_t offset = ReadU32(block, 0);
    const bool wide = ReadU32(block, 16) != 0;
    if (offset < 20 || offset >= block.size())
        return paths;
    std::size_t at = offset;
    const std::size_t unit = wide ? 2 : 1;
    while (at + unit <= block.size()) {
        std::size_t end = at;
        while (end + unit <= block.size() && !(block[end] == 0 && (!wide || block[end + 1] == 0)))
            end += unit;
        if (end == at || end + unit > block.size())
            break;
        const std::string_view raw = block.substr(at, end - at);
        paths.push_back(wide ? Utf16ToUtf8(raw) : Latin1ToUtf8(raw));
        at = end + unit;
    }
    return paths;
}

namespace {

void PutI32(std::string& out, std::int32_t v) {
    PutU32(out, static_cast<std::uint32_t>(v));
}

} // namespace

// A 24-bit bottom-up DIB written straight from the pixels (as the BMP writer would write it, without
// encoding a file and copying it again).
std::optional<std::string> X11DataConversions::DibFromOpaqueImage(const QImage& image) {
    const std::int64_t width = image.width();
    const std::int64_t height = image.height();
    const std::int64_t rowBytes = (width * 3 + 3) & ~std::int64_t{3};
    if (width <= 0 || height <= 0 || rowBytes * height > 0x7FFFFFFF - 40)
        return std::nullopt;
    std::string dib;
    dib.reserve(static_cast<std::size_t>(40 + rowBytes * height));
    PutU32(dib, 40);
    PutI32(dib, static_cast<std::int32_t>(width));
    PutI32(dib, static_cast<std::int32_t>(height));
    dib.push_back(1);
    dib.push_back(0);
    dib.push_back(24);
    dib.push_back(0);
    PutU32(dib, 0);
    PutU32(dib, static_cast<std::uint32_t>(rowBytes * height));
    PutI32(dib, image.dotsPerMeterX());
    PutI32(dib, image.dotsPerMeterY());
    PutU32(dib, 0);
    PutU32(dib, 0);
    dib.resize(static_cast<std::size_t>(40 + rowBytes * height), '\0');
    for (std::int64_t y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(static_cast<int>(height - 1 - y)));
        auto* dst = reinterpret_cast<unsigned char*>(dib.data()) + 40 + y * rowBytes;
        for (std::int64_t x = 0; x < width; ++x) {
            dst[3 * x] = static_cast<unsigned char>(qBlue(src[x]));
            dst[3 * x + 1] = static_cast<unsigned char>(qGreen(src[x]));
            dst[3 * x + 2] = static_cast<unsigned char>(qRed(src[x]));
        }
    }
    return dib;
}

std::optional<std::string> X11DataConversions::DibFromImage(std::string_view bytes, bool isBmp) {
    if (isBmp) {
        if (bytes.size() < 14 + 40 || bytes[0] != 'B' || bytes[1] != 'M')
            return std::nullopt;
        std::string dib(bytes.substr(14));
        if (DibPrefixSize(dib) == 0)
            return std::nullopt;
        return dib;
    }
    QImage image;
    if (!image.loadFromData(QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()))))
        return std::nullopt;
    if (!image.hasAlphaChannel())
        return DibFromOpaqueImage(image.convertToFormat(QImage::Format_RGB32));
    image = image.convertToFormat(QImage::Format_ARGB32);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP") || bmp.size() < 14 + 40)
        return std::nullopt;
    return std::string(bmp.constData() + 14, static_cast<std::size_t>(bmp.size() - 14));
}

std::optional<std::string> X11DataConversions::BmpFromDib(std::string_view dib) {
    const std::size_t prefix = DibPrefixSize(dib);
    if (prefix == 0 || dib.size() > 0x7FFFFFFF - 14)
        return std::nullopt;
    std::string out = "BM";
    PutU32(out, static_cast<std::uint32_t>(dib.size() + 14));
    PutU32(out, 0);
    PutU32(out, static_cast<std::uint32_t>(prefix + 14));
    out += dib;
    return out;
}

std::optional<std::string> X11DataConversions::PngFromDib(std::string_view dib) {
    const std::optional<std::string> bmp = BmpFromDib(dib);
    if (!bmp)
        return std::nullopt;
    QImage image;
    if (!image.loadFromData(QByteArray::fromRawData(bmp->data(), static_cast<qsizetype>(bmp->size())), "BMP"))
        return std::nullopt;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return std::nullopt;
    return std::string(png.constData(), static_cast<std::size_t>(png.size()));
}

std::optional<std::string> X11DataConversions::TargetBytes(X11FormatMap::Kind kind, std::string_view target,
                                                           std::string_view block) {
    using Kind = X11FormatMap::Kind;
    switch (kind) {
    case Kind::Text: {
        // Text kept from single-byte sources (older collections) is no UTF-8: it is read as Latin-1.
        const std::string_view raw = UpToZero(block);
        const std::string text = IsUtf8(raw) ? std::string(raw) : Latin1ToUtf8(raw);
        if (target == "COMPOUND_TEXT")
            return Utf8ToCompoundText(text);
        if (target == "STRING")
            return Utf8ToLatin1(text);
        return text;
    }
    case Kind::Html: {
        const std::optional<Html> h = UnwrapHtml(block);
        if (!h)
            return std::nullopt;
        if (target == "text/html")
            return h->html;
        if (h->sourceUrl.empty())
            return std::nullopt;
        if (target == X11FormatMap::MozUrlPriv)
            return Utf8ToUtf16Le(h->sourceUrl);
        return h->sourceUrl;
    }
    case Kind::Rtf:
    case Kind::EnhMetafile:
        return std::string(block);
    case Kind::MetafilePict:
        if (block.size() <= 16)
            return std::nullopt;
        return std::string(block.substr(16));
    case Kind::Bitmap:
        return target == "image/png" ? PngFromDib(block) : BmpFromDib(block);
    case Kind::HDrop: {
        const std::vector<std::string> paths = PathsFromDropFiles(block);
        if (paths.empty())
            return std::nullopt;
        std::string out = target == "x-special/gnome-copied-files" ? "copy" : "";
        for (const std::string& p : paths) {
            if (target == "x-special/gnome-copied-files")
                out += "\n" + FileUriFromPath(p);
            else
                out += FileUriFromPath(p) + "\r\n";
        }
        return out;
    }
    case Kind::Url: {
        const std::string url = FirstLine(UpToZero(block));
        if (url.empty())
            return std::nullopt;
        return target == "text/x-moz-url" ? Utf8ToUtf16Le(url) : url + "\r\n";
    }
    case Kind::Ignore:
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace bx::platform::x11
