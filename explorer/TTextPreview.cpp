#include "TTextPreview.h"

#include "TUtf8.h"

namespace bx::explorer {

using clipstore::TUtf8;

namespace {

// The longest beginning of at most max bytes that ends on a character boundary, when the bytes are UTF-8
// up to there; nullopt when they are not.
std::optional<std::string_view> Utf8Beginning(std::string_view bytes, std::size_t max) {
    if (bytes.size() <= max)
        return TUtf8::IsValid(bytes) ? std::optional(bytes) : std::nullopt;
    // A character may be cut at the end: one of the last three positions is a boundary.
    for (std::size_t cut = 0; cut < 4 && cut < max; ++cut)
        if (const std::string_view part = bytes.substr(0, max - cut); TUtf8::IsValid(part))
            return part;
    return std::nullopt;
}

QString MegaBytes(std::size_t bytes) {
    if (bytes < 1024 * 1024)
        return QString::number(static_cast<double>(bytes) / 1024, 'f', 1) + " KB";
    return QString::number(static_cast<double>(bytes) / (1024 * 1024), 'f', 1) + " MB";
}

} // namespace

TTextPreview::Shown TTextPreview::Make(std::string_view bytes) {
    Shown shown;
    shown.bytes = bytes.size();
    const std::optional<std::string_view> utf8 = Utf8Beginning(bytes, MaxBytes);
    shown.windows1252 = !utf8;
    const std::string_view part = utf8 ? *utf8 : bytes.substr(0, MaxBytes);
    shown.whole = part.size() == bytes.size();
    const QString text = utf8 ? QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size()))
                              : QString::fromStdString(TUtf8::FromWindows1252(part));
    // Lines beyond the editor's means are broken where they reach the limit.
    qsizetype lineStart = 0;
    shown.text.reserve(text.size() + text.size() / MaxLineChars);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == '\n' || c == '\r') {
            lineStart = i + 1;
        } else if (i - lineStart >= MaxLineChars && !c.isLowSurrogate()) {
            shown.text += '\n';
            shown.whole = false;
            lineStart = i;
        }
        shown.text += c;
    }
    return shown;
}

QString TTextPreview::Notice(const Shown& shown) {
    if (shown.whole)
        return {};
    return QString("This text (%1) is shown in part: its beginning, with lines longer than %2 characters broken. "
                   "The clip keeps the whole text; it cannot be edited here.")
        .arg(MegaBytes(shown.bytes))
        .arg(MaxLineChars);
}

std::string TTextPreview::Store(const QString& text, bool windows1252) {
    std::string utf8 = text.toStdString();
    if (windows1252)
        if (std::optional<std::string> single = TUtf8::ToWindows1252(utf8))
            return std::move(*single);
    return utf8;
}

qsizetype TTextPreview::TextIndex(const QString& shown, qsizetype editorPosition) {
    qsizetype index = 0;
    for (qsizetype position = 0; position < editorPosition && index < shown.size(); ++position)
        index += shown[index] == u'\r' && index + 1 < shown.size() && shown[index + 1] == u'\n' ? 2 : 1;
    return index;
}

qsizetype TTextPreview::EditorPosition(const QString& shown, qsizetype textIndex) {
    qsizetype position = 0;
    for (qsizetype index = 0; index < textIndex && index < shown.size(); ++position)
        index += shown[index] == u'\r' && index + 1 < shown.size() && shown[index + 1] == u'\n' ? 2 : 1;
    return position;
}

} // namespace bx::explorer
