#pragma once

#include "IWindows.h"

#include <string>

namespace bx::platform {

// A window of this program for as long as the object lives: created in the constructor, destroyed
// (with its timers) in the destructor.
class TMessageWindow {
public:
    TMessageWindow(IWindows& windows, const std::string& title, WindowProc proc);
    ~TMessageWindow();
    TMessageWindow(const TMessageWindow&) = delete;
    TMessageWindow& operator=(const TMessageWindow&) = delete;

    HWND Handle() const { return handle_; }

private:
    IWindows& windows_;
    HWND handle_;
};

} // namespace bx::platform
