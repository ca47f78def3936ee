#include "X11FormatMap.h"

namespace bx::platform::x11 {

const std::vector<X11FormatMap::Kind>& X11FormatMap::DerivedOrder() {
    static const std::vector<Kind> order{Kind::Text,        Kind::Html,  Kind::Rtf, Kind::Bitmap, Kind::MetafilePict,
                                         Kind::EnhMetafile, Kind::HDrop, Kind::Url, Kind::Ignore};
    return order;
}

UINT X11FormatMap::StandardFormat(Kind kind) {
    switch (kind) {
    case Kind::Text:
        return CF_TEXT;
    case Kind::Bitmap:
        return CF_BITMAP;
    case Kind::MetafilePict:
        return CF_METAFILEPICT;
    case Kind::EnhMetafile:
        return CF_ENHMETAFILE;
    case Kind::HDrop:
        return CF_HDROP;
    default:
        return 0;
    }
}

std::string_view X11FormatMap::RegisteredName(Kind kind) {
    switch (kind) {
    case Kind::Html:
        return HtmlName;
    case Kind::Rtf:
        return RtfName;
    case Kind::Url:
        return UrlName;
    case Kind::Ignore:
        return IgnoreName;
    default:
        return {};
    }
}

const std::vector<std::string_view>& X11FormatMap::SourceTargets(Kind kind) {
    static const std::vector<std::string_view> text{
        "UTF8_STRING", "text/plain;charset=utf-8", "TEXT", "COMPOUND_TEXT", "STRING", "text/plain"};
    static const std::vector<std::string_view> html{"text/html"};
    static const std::vector<std::string_view> rtf{"text/rtf", "text/richtext"};
    static const std::vector<std::string_view> bitmap{"image/bmp",  "image/png",  "image/jpeg", "image/gif",
                                                      "image/tiff", "image/webp", "image/x-bmp"};
    static const std::vector<std::string_view> wmf{WmfTarget};
    static const std::vector<std::string_view> emf{EmfTarget};
    static const std::vector<std::string_view> hdrop{"x-special/gnome-copied-files", "text/uri-list"};
    static const std::vector<std::string_view> url{"text/x-moz-url", "text/uri-list"};
    static const std::vector<std::string_view> ignore{IgnoreName, PasswordHint};
    switch (kind) {
    case Kind::Text:
        return text;
    case Kind::Html:
        return html;
    case Kind::Rtf:
        return rtf;
    case Kind::Bitmap:
        return bitmap;
    case Kind::MetafilePict:
        return wmf;
    case Kind::EnhMetafile:
        return emf;
    case Kind::HDrop:
        return hdrop;
    case Kind::Url:
        return url;
    case Kind::Ignore:
        return ignore;
    }
    return ignore;
}

const std::vector<std::string_view>& X11FormatMap::WrittenTargets(Kind kind) {
    static const std::vector<std::string_view> text{
        "UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "TEXT", "COMPOUND_TEXT", "STRING"};
    static const std::vector<std::string_view> html{"text/html", MozUrlPriv, ChromiumSourceUrl};
    static const std::vector<std::string_view> bitmap{"image/png", "image/bmp"};
    static const std::vector<std::string_view> hdrop{"text/uri-list", "x-special/gnome-copied-files"};
    static const std::vector<std::string_view> url{"text/x-moz-url", "text/uri-list"};
    static const std::vector<std::string_view> ignore{IgnoreName};
    switch (kind) {
    case Kind::Text:
        return text;
    case Kind::Html:
        return html;
    case Kind::Bitmap:
        return bitmap;
    case Kind::HDrop:
        return hdrop;
    case Kind::Url:
        return url;
    case Kind::Ignore:
        return ignore;
    default:
        return SourceTargets(kind);
    }
}

bool X11FormatMap::IsMetaTarget(std::string_view name) {
    static const std::vector<std::string_view> meta{"TARGETS",       "TIMESTAMP",
                                                    "MULTIPLE",      "SAVE_TARGETS",
                                                    "DELETE",        "PIXMAP",
                                                    "BITMAP",        "DRAWABLE",
                                                    "COLORMAP",      "LENGTH",
                                                    "HOSTNAME",      "CLIENT_WINDOW",
                                                    "OWNER_OS",      "USER",
                                                    "PROCESS",       "TASK",
                                                    "NAME",          "CLASS",
                                                    "ATOM",          "INTEGER",
                                                    "_QT_SELECTION", "_QT_CLIPBOARD_SENTINEL",
                                                    "INCR"};
    if (name.empty() || name.substr(0, 7) == "INSERT_")
        return true;
    for (std::string_view m : meta)
        if (m == name)
            return true;
    return false;
}

} // namespace bx::platform::x11
