#include "TUrlFinder.h"

#include "TUtf8.h"

#include <algorithm>
#include <cctype>

namespace bx::pastetools {

namespace {

// Where each character of a UTF-8 text begins (a byte that starts no valid sequence is a character of its
// own), with the end of the text last.
std::vector<std::size_t> CharStarts(std::string_view text) {
    std::vector<std::size_t> starts;
    starts.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size();) {
        starts.push_back(i);
        i += std::max<std::size_t>(1, clipstore::TUtf8::SequenceLength(text, i));
    }
    starts.push_back(text.size());
    return starts;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool IsAsciiAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

// The scheme of an address ("http" of "http://x"), or empty when the text has none. A host with a port
// ("a.b:8080") has none: a scheme holds no full stop.
std::string_view Scheme(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0 || !IsAsciiAlpha(text[0]))
        return {};
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = text[i];
        if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '+' && c != '-')
            return {};
    }
    return text.substr(0, colon);
}

} // namespace

bool TUrlFinder::IsUrlChar(char32_t c) {
    if (c <= U' ' || c > U'~')
        return false;
    static constexpr std::u32string_view Excluded = U"!\"$'()*;<>[]^`{|}";
    return Excluded.find(c) == std::u32string_view::npos;
}

std::string TUrlFinder::Near(std::string_view text, std::size_t caret) {
    const std::vector<std::size_t> starts = CharStarts(text);
    const std::size_t count = starts.size() - 1;
    const auto urlChar = [&](std::size_t i) {
        // Only single-byte characters can be address characters.
        return starts[i + 1] - starts[i] == 1 && IsUrlChar(static_cast<unsigned char>(text[starts[i]]));
    };
    caret = std::min(caret, count);
    std::size_t anchor = 0;
    if (caret > 0 && urlChar(caret - 1))
        anchor = caret - 1;
    else if (caret < count && urlChar(caret))
        anchor = caret;
    else
        return {};
    std::size_t first = anchor;
    while (first > 0 && urlChar(first - 1))
        --first;
    std::size_t last = anchor;
    while (last + 1 < count && urlChar(last + 1))
        ++last;
    const std::string_view url = text.substr(starts[first], starts[last + 1] - starts[first]);
    if (url.size() < 2 || url.find('.') == std::string_view::npos)
        return {};
    return std::string(url);
}

std::vector<std::size_t> TUrlFinder::AfterFullStops(std::string_view text) {
    std::vector<std::size_t> positions;
    const std::vector<std::size_t> starts = CharStarts(text);
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
        if (text[starts[i]] == '.')
            positions.push_back(i + 1);
    return positions;
}

bool TUrlFinder::HostLike(std::string_view text) {
    const std::size_t end = std::min(text.find_first_of("/?#"), text.size());
    std::string_view host = text.substr(0, end);
    if (const std::size_t colon = host.find(':'); colon != std::string_view::npos) {
        const std::string_view port = host.substr(colon + 1);
        if (port.empty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), IsAsciiDigit))
            return false;
        host = host.substr(0, colon);
    }
    int labels = 0;
    std::string_view lastLabel;
    while (true) {
        const std::size_t dot = host.find('.');
        const std::string_view label = host.substr(0, dot);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (const char c : label)
            if (!IsAsciiAlpha(c) && !IsAsciiDigit(c) && c != '-')
                return false;
        ++labels;
        lastLabel = label;
        if (dot == std::string_view::npos)
            break;
        host.remove_prefix(dot + 1);
    }
    return labels >= 2 && IsAsciiAlpha(lastLabel.front());
}

std::string TUrlFinder::Launchable(std::string_view text, const std::function<bool(const std::string&)>& exists,
                                   std::string_view home) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    if (text.empty() || text.size() > 4096)
        return {};
    for (const char c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            return {};
    if (const std::string_view scheme = Scheme(text); !scheme.empty()) {
        const std::string name = Lower(scheme);
        const std::string_view rest = text.substr(scheme.size() + 1);
        if (name == "http" || name == "https" || name == "ftp" || name == "file")
            return rest.size() > 2 && rest.starts_with("//") ? std::string(text) : std::string();
        if (name == "mailto")
            return rest.empty() ? std::string() : std::string(text);
        // Any other scheme (javascript:, smb:, a program's own) is not handed on.
        return {};
    }
    if (text.front() == '/')
        return exists(std::string(text)) ? std::string(text) : std::string();
    if (text.starts_with("~/")) {
        if (home.empty())
            return {};
        const std::string path = std::string(home) + std::string(text.substr(2));
        return exists(path) ? path : std::string();
    }
    if (HostLike(text))
        return "https://" + std::string(text);
    return {};
}

} // namespace bx::pastetools
