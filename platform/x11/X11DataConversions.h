#pragma once

#include "X11FormatMap.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QImage;

namespace bx::platform::x11 {

// Byte conversions between X11 targets and the clipboard formats the program knows: text encodings,
// the HTML clipboard envelope, file lists (DROPFILES), addresses and bitmaps (packed DIB). Every input
// is untrusted: malformed data gives nullopt or an empty result, never a read past its end.
class X11DataConversions {
public:
    // The bytes before the first zero; all of them when there is none.
    static std::string_view UpToZero(std::string_view s);
    // The bytes before the first line end.
    static std::string FirstLine(std::string_view s);
    static bool IsUtf8(std::string_view s);
    static std::string Latin1ToUtf8(std::string_view s);
    // STRING: Latin-1, every character without a Latin-1 form written as "?" (as the toolkits do).
    static std::string Utf8ToLatin1(std::string_view s);
    // COMPOUND_TEXT: Latin-1 characters as they are, every run of other characters as a UTF-8 segment
    // (ESC % G ... ESC % @).
    static std::string Utf8ToCompoundText(std::string_view s);
    // Little-endian unless a byte-order mark says otherwise; the mark is dropped.
    static std::string Utf16ToUtf8(std::string_view s);
    static std::string Utf8ToUtf16Le(std::string_view s);

    // The text of a text target as UTF-8, decoded by the type it came with, ended by one zero. The bytes
    // are taken over: text that is UTF-8 already is not copied.
    static std::optional<std::string> TextFromTarget(std::string_view target, std::string_view type,
                                                     std::string&& bytes);

    // The HTML clipboard envelope: the header with the offsets, then the document bytes unchanged, then a
    // zero; the fragment is the whole document.
    static std::string WrapHtml(std::string_view html, std::string_view sourceUrl);
    struct Html {
        std::string html;
        std::string sourceUrl;
    };
    static std::optional<Html> UnwrapHtml(std::string_view envelope);

    // File URIs ("file://host/path" with percent escapes) to paths; nullopt for a URI that is not a file.
    static std::optional<std::string> PathFromFileUri(std::string_view uri);
    static std::string FileUriFromPath(std::string_view path);
    // The lines of a URI list, without comments and line ends.
    static std::vector<std::string> UriListLines(std::string_view list);
    // A DROPFILES block with wide paths.
    static std::string DropFiles(const std::vector<std::string>& paths);
    static std::vector<std::string> PathsFromDropFiles(std::string_view block);

    // A packed DIB from image/bmp (the file header removed) or from any image Qt reads.
    static std::optional<std::string> DibFromImage(std::string_view bytes, bool isBmp);
    // A 24-bit packed DIB of an opaque image (Format_RGB32); none when it is empty or too large.
    static std::optional<std::string> DibFromOpaqueImage(const QImage& image);
    static std::optional<std::string> BmpFromDib(std::string_view dib);
    static std::optional<std::string> PngFromDib(std::string_view dib);

    // The bytes another program is given for a target from a block of the kind's format (text as UTF-8
    // already); nullopt when the block gives none for that target.
    static std::optional<std::string> TargetBytes(X11FormatMap::Kind kind, std::string_view target,
                                                  std::string_view block);
};

} // namespace bx::platform::x11
