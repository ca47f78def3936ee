#pragma once

#include "IWindows.h"

namespace bx::platform {

// The head of the clipboard-viewer chain; each viewer keeps its own link to the next one. A viewer that
// joins is sent WM_DRAWCLIPBOARD at once; a change of the clipboard is posted to the head.
class ClipboardViewerChain {
public:
    explicit ClipboardViewerChain(IWindows& windows) : windows_(windows) {}

    // Makes hwnd the head; returns the previous head.
    HWND Join(HWND hwnd);
    // Takes remove out: the head mends itself, or is sent WM_CHANGECBCHAIN(remove, next).
    void Leave(HWND remove, HWND next);
    void NotifyChanged();
    HWND Head() const { return head_; }

private:
    IWindows& windows_;
    HWND head_ = NoWindow;
};

} // namespace bx::platform
