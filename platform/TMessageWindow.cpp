#include "TMessageWindow.h"

#include <utility>

namespace bx::platform {

TMessageWindow::TMessageWindow(IWindows& windows, const std::string& title, WindowProc proc)
    : windows_(windows), handle_(windows.CreateWindow(title, std::move(proc))) {}

TMessageWindow::~TMessageWindow() {
    windows_.DestroyWindow(handle_);
}

} // namespace bx::platform
