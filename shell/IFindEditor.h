#pragma once

#include <cstddef>
#include <string>

namespace bx::shell {

// The text editor of the preview pane as a search within the shown clip sees it. Positions and lengths
// count bytes of the UTF-8 text. The window implements it; tests use a plain string.
class IFindEditor {
public:
    virtual ~IFindEditor() = default;

    virtual std::string Text() const = 0;
    virtual std::size_t SelStart() const = 0;
    virtual std::size_t SelLength() const = 0;
    // Selects the range and gives the editor the focus (length 0: only the caret goes to start).
    virtual void SelectAndFocus(std::size_t start, std::size_t length) = 0;
};

} // namespace bx::shell
