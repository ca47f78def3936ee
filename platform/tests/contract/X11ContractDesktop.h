#pragma once

#include "QtWindows.h"
#include "X11ClipboardBridge.h"
#include "X11HotKeys.h"
#include "X11Keyboard.h"
#include "XcbConnection.h"

#include <QProcess>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bx::platform::contract {

// The real desktop as the contract suites drive it: Qt's event loop, the X server of $DISPLAY (Xvfb in the
// tests), other programs as processes (bx_x11_peer) and key presses through XTest. Waiting polls the event
// loop until the awaited thing happened, with a deadline; it never sleeps a fixed time. The clipboard, the
// hot keys and the keyboard are made when first used, so the timers run without a display.
class X11ContractDesktop {
public:
    // Why the clipboard and the hot keys cannot run here; empty when they can.
    static std::string Unavailable();

    X11ContractDesktop();
    ~X11ContractDesktop();
    X11ContractDesktop(const X11ContractDesktop&) = delete;
    X11ContractDesktop& operator=(const X11ContractDesktop&) = delete;

    IWindows& Windows() { return windows_; }
    IClipboard& Clipboard();
    IHotKeys& HotKeys();

    // Runs the event loop until done() holds; false when it does not within five seconds.
    bool RunUntil(const std::function<bool()>& done);
    // Delivers what the desktop has queued: what the clipboard heard from the server is posted within a few
    // turns of the loop, so three turns, each marked by a message posted to a window of our own, settle it.
    void Settle();

    std::uint32_t CopyByAnotherProgram(const std::string& format, const std::string& bytes);
    void PressHotKey(UINT modifiers, UINT vk);
    void TakeHotKeyByAnotherProgram(UINT modifiers, UINT vk);

private:
    static void WakeTheSyntheticKeyboard();

    x11::QtWindows windows_;
    std::unique_ptr<x11::X11ClipboardBridge> clipboard_;
    std::unique_ptr<x11::X11HotKeys> hotKeys_;
    std::unique_ptr<x11::X11Keyboard> keyboard_;
    std::unique_ptr<x11::XcbConnection> otherProgram_; // holds key grabs as another program would
    std::vector<std::unique_ptr<QProcess>> peers_;
    HWND marker_ = NoWindow;
    int markers_ = 0;
};

} // namespace bx::platform::contract
