#include "THtmlView.h"

#include <QByteArray>

#include <charconv>
#include <optional>

namespace bx::explorer {

namespace {

// The number after "Name:" in the header of an "HTML Format" block.
std::optional<std::size_t> HeaderNumber(std::string_view header, std::string_view name) {
    const std::size_t at = header.find(name);
    if (at == std::string_view::npos)
        return std::nullopt;
    std::size_t pos = at + name.size();
    while (pos < header.size() && header[pos] == ' ')
        ++pos;
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(header.data() + pos, header.data() + header.size(), value);
    if (ec != std::errc() || end == header.data() + pos)
        return std::nullopt;
    return value;
}

} // namespace

THtmlView::THtmlView(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
}

QVariant THtmlView::loadResource(int, const QUrl&) {
    ++refused_;
    // An empty resource rather than none: for none the document would read local files itself.
    return QVariant(QByteArray());
}

std::string THtmlView::Fragment(std::string_view block) {
    // Up to the first zero byte: the clipboard block may be longer than its text.
    if (const std::size_t zero = block.find('\0'); zero != std::string_view::npos)
        block = block.substr(0, zero);
    // The header is short; its numbers count bytes from the start of the block.
    const std::string_view header = block.substr(0, std::min<std::size_t>(block.size(), 1024));
    const auto startFragment = HeaderNumber(header, "StartFragment:");
    const auto endFragment = HeaderNumber(header, "EndFragment:");
    if (startFragment && endFragment && *startFragment <= *endFragment && *endFragment <= block.size())
        return std::string(block.substr(*startFragment, *endFragment - *startFragment));
    const auto startHtml = HeaderNumber(header, "StartHTML:");
    if (startHtml && *startHtml <= block.size())
        return std::string(block.substr(*startHtml));
    // No header: the block is HTML itself when it looks like it.
    const std::size_t tag = block.find('<');
    return tag == std::string_view::npos ? std::string() : std::string(block.substr(tag));
}

void THtmlView::ShowHtmlFormat(std::string_view block) {
    setHtml(QString::fromUtf8(Fragment(block)));
}

void THtmlView::ShowText(const std::string& text) {
    setPlainText(QString::fromStdString(text));
}

} // namespace bx::explorer
