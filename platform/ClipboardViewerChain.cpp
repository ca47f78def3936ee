#include "ClipboardViewerChain.h"

namespace bx::platform {

HWND ClipboardViewerChain::Join(HWND hwnd) {
    const HWND previous = head_;
    head_ = hwnd;
    if (hwnd != NoWindow)
        windows_.SendMessage(hwnd, WM_DRAWCLIPBOARD, 0, 0);
    return previous;
}

void ClipboardViewerChain::Leave(HWND remove, HWND next) {
    if (head_ == remove)
        head_ = next;
    else if (head_ != NoWindow)
        windows_.SendMessage(head_, WM_CHANGECBCHAIN, remove, static_cast<LPARAM>(next));
}

void ClipboardViewerChain::NotifyChanged() {
    if (head_ != NoWindow)
        windows_.PostMessage(head_, WM_DRAWCLIPBOARD, 0, 0);
}

} // namespace bx::platform
