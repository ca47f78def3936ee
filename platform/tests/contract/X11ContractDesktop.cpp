#include "X11ContractDesktop.h"

#include "X11KeyMap.h"

#include <xcb/xtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>

#include <cstdlib>

namespace bx::platform::contract {

std::string X11ContractDesktop::Unavailable() {
    const char* display = std::getenv("DISPLAY");
    return display == nullptr || *display == '\0' ? "no X display" : "";
}

X11ContractDesktop::X11ContractDesktop() {
    marker_ = windows_.CreateWindow("contract marker", [this](UINT msg, WPARAM, LPARAM) {
        if (msg == WM_USER)
            ++markers_;
        return LRESULT{0};
    });
}

X11ContractDesktop::~X11ContractDesktop() {
    for (auto& p : peers_) {
        p->kill();
        p->waitForFinished(2000);
    }
}

IClipboard& X11ContractDesktop::Clipboard() {
    if (!clipboard_)
        clipboard_ = std::make_unique<x11::X11ClipboardBridge>(windows_);
    return *clipboard_;
}

IHotKeys& X11ContractDesktop::HotKeys() {
    if (!hotKeys_) {
        WakeTheSyntheticKeyboard();
        hotKeys_ = std::make_unique<x11::X11HotKeys>(windows_);
    }
    return *hotKeys_;
}

void X11ContractDesktop::WakeTheSyntheticKeyboard() {
    // The server switches its core keyboard to the XTest device at the first synthetic key and tells every
    // client that the mapping changed; the hot keys grab their keys again then, and a press that comes in
    // between is lost. One Shift pressed and released before the hot keys exist, and answered (the round
    // trip), makes that switch happen first.
    std::unique_ptr<x11::XcbConnection> conn = x11::XcbConnection::Open();
    if (!conn)
        return;
    x11::X11KeyMap map;
    map.Load(conn->Raw());
    const xcb_keycode_t shift = map.KeycodeOfVk(VK_SHIFT);
    xcb_test_fake_input(conn->Raw(), XCB_KEY_PRESS, shift, XCB_CURRENT_TIME, conn->Root(), 0, 0, 0);
    xcb_test_fake_input(conn->Raw(), XCB_KEY_RELEASE, shift, XCB_CURRENT_TIME, conn->Root(), 0, 0, 0);
    std::free(xcb_get_input_focus_reply(conn->Raw(), xcb_get_input_focus(conn->Raw()), nullptr));
}

bool X11ContractDesktop::RunUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    }
    return true;
}

void X11ContractDesktop::Settle() {
    for (int turn = 0; turn < 3; ++turn) {
        const int expected = markers_ + 1;
        windows_.PostMessage(marker_, WM_USER, 0, 0);
        RunUntil([&] { return markers_ >= expected; });
    }
}

std::uint32_t X11ContractDesktop::CopyByAnotherProgram(const std::string& format, const std::string& bytes) {
    peers_.push_back(std::make_unique<QProcess>());
    QProcess& peer = *peers_.back();
    peer.start(BX_X11_PEER, {"own", QString::fromStdString(format + ":=" + bytes)});
    if (!peer.waitForStarted(3000))
        return 0;
    return static_cast<std::uint32_t>(peer.processId());
}

void X11ContractDesktop::PressHotKey(UINT modifiers, UINT vk) {
    if (!keyboard_)
        keyboard_ = std::make_unique<x11::X11Keyboard>();
    std::vector<std::uint8_t> keys;
    if ((modifiers & MOD_CONTROL) != 0)
        keys.push_back(VK_CONTROL);
    if ((modifiers & MOD_ALT) != 0)
        keys.push_back(VK_MENU);
    if ((modifiers & MOD_SHIFT) != 0)
        keys.push_back(VK_SHIFT);
    if ((modifiers & MOD_WIN) != 0)
        keys.push_back(VK_LWIN);
    keys.push_back(static_cast<std::uint8_t>(vk));
    for (const std::uint8_t key : keys)
        keyboard_->KeyEvent(key, 0, 0);
    for (auto key = keys.rbegin(); key != keys.rend(); ++key)
        keyboard_->KeyEvent(*key, 0, KEYEVENTF_KEYUP);
}

void X11ContractDesktop::TakeHotKeyByAnotherProgram(UINT modifiers, UINT vk) {
    if (!otherProgram_)
        otherProgram_ = x11::XcbConnection::Open();
    if (!otherProgram_)
        return;
    x11::X11KeyMap map;
    map.Load(otherProgram_->Raw());
    // The modifiers of the standard keymap: Alt is Mod1, the Windows key Mod4.
    std::uint16_t mask = 0;
    mask |= (modifiers & MOD_SHIFT) != 0 ? XCB_MOD_MASK_SHIFT : 0;
    mask |= (modifiers & MOD_CONTROL) != 0 ? XCB_MOD_MASK_CONTROL : 0;
    mask |= (modifiers & MOD_ALT) != 0 ? XCB_MOD_MASK_1 : 0;
    mask |= (modifiers & MOD_WIN) != 0 ? XCB_MOD_MASK_4 : 0;
    const xcb_void_cookie_t grab =
        xcb_grab_key_checked(otherProgram_->Raw(), 1, otherProgram_->Root(), mask,
                             map.KeycodeOfVk(static_cast<std::uint8_t>(vk)), XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    std::free(xcb_request_check(otherProgram_->Raw(), grab));
}

} // namespace bx::platform::contract
