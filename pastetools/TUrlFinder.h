#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace bx::pastetools {

// Finding an address in a text and deciding what of it may go to the desktop's handler. Texts are UTF-8 and
// positions count characters, so no character is ever split.
class TUrlFinder {
public:
    // At most this many characters of a text are launched.
    static constexpr std::size_t MaxLaunchChars = 255;

    // The characters an address is made of: letters, digits and # % & + , - . / : = ? @ \ _ ~ (printable ASCII
    // only).
    static bool IsUrlChar(char32_t c);

    // The run of address characters at the caret (caret: the number of characters before it): the one that
    // holds the character left of the caret, else the one right of it. Empty when that run is shorter than two
    // characters or has no full stop.
    static std::string Near(std::string_view text, std::size_t caret);

    // The character positions just after each full stop of the text, in order (where Near looks for an address
    // in a clip's text).
    static std::vector<std::size_t> AfterFullStops(std::string_view text);

    // What goes to the desktop's handler for a text the user launches, or empty when it is refused. Accepted: an
    // address with a scheme the desktop handles (http, https, ftp, mailto, file), an absolute path or one under
    // "~/" (home ends with "/") that exists, and a host name with its path and no scheme ("www.example.org/x",
    // "a.b/c"), which is opened as https. Surrounding blanks and line breaks are dropped; control characters
    // anywhere else refuse the text.
    static std::string Launchable(std::string_view text, const std::function<bool(const std::string&)>& exists,
                                  std::string_view home);

    // Whether text (no scheme) begins with a host name: labels of letters, digits and hyphens, at least two,
    // the last one starting with a letter, an optional port, then the end or "/", "?" or "#".
    static bool HostLike(std::string_view text);
};

} // namespace bx::pastetools
