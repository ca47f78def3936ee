#pragma once

#include <string>

namespace bx::shell {

// What the program's core asks of its main window. The window implements it; without a window (tests,
// a program run without one) nothing is shown. Every call returns at once.
class IMainView {
public:
    virtual ~IMainView() = default;

    // The status line: the text goes into the status bar; while busy the window shows the busy
    // cursor and takes no input. At StatusInBarAndItemBar the text also goes into the selected-item bar.
    virtual void ShowStatus(int level, bool busy, const std::string& text) = 0;
    // Shows or hides the preview pane (a pinned pane stays).
    virtual void SetPreviewVisible(bool visible) = 0;
    // The preview pane's paste command is offered only while the clipboard holds text.
    virtual void SetPasteEnabled(bool enabled) = 0;
    // Brings the window forward (a second start of the program asked for it).
    virtual void BringToFront() = 0;
    // Minimizes the window (started minimized).
    virtual void Minimize() = 0;
    // Every clip is about to be freed (the data is loaded again, or the program closes): the window
    // writes a pending edit back into its clip and lets go of the clips it shows, a pinned one included.
    virtual void ForgetClips() = 0;
};

} // namespace bx::shell
