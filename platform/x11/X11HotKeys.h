#pragma once

#include "IHotKeys.h"
#include "IWindows.h"
#include "X11KeyMap.h"
#include "XcbConnection.h"

#include <QObject>
#include <QSocketNotifier>

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace bx::platform::x11 {

// Global hot keys of the X server: a passive grab of the key on the root window (XGrabKey), with and without
// NumLock and CapsLock, on a connection of our own read through Qt's event loop. A combination that another
// program has grabbed is refused (the server answers BadAccess; we ask synchronously), and so is one this
// program registered already. A press of a grabbed combination posts WM_HOTKEY to the window that registered
// it (wParam the id, lParam the MOD_* modifiers and the virtual key << 16). When the keyboard mapping changes
// only the keys whose keycode moved are grabbed again (the new grab first): a key that stays where it was keeps
// its grab, so no press is lost while the map is read. Without a display nothing can be registered.
class X11HotKeys : public IHotKeys {
public:
    explicit X11HotKeys(IWindows& windows, const char* display = nullptr);
    ~X11HotKeys() override;
    X11HotKeys(const X11HotKeys&) = delete;
    X11HotKeys& operator=(const X11HotKeys&) = delete;

    // Without a display nothing can be registered.
    bool Available() const override { return conn_ != nullptr; }
    bool RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) override;
    bool UnregisterHotKey(HWND hwnd, int id) override;
    // A _NET_ACTIVE_WINDOW request (source: the application) carrying the server time of the last press,
    // and, for a shown window, raising it and giving it the focus at that time (what works without a
    // window manager; the server ignores a focus change older than the last one).
    bool ActivateForLastPress(std::uint64_t nativeWindow) override;

    bool IsConnected() const { return conn_ != nullptr; }
    // Handles what the X server sent; runs by itself from the event loop.
    void ProcessEvents();

private:
    struct HotKey {
        UINT modifiers = 0;
        UINT vk = 0;
        xcb_keycode_t keycode = 0; // 0 while the current layout has no key for it
        std::uint16_t xModifiers = 0;
    };
    using Owner = std::pair<HWND, int>;

    std::uint16_t XModifiers(UINT modifiers) const;
    std::uint16_t IgnoredModifiers() const; // NumLock and CapsLock
    // Grabs every variant; false (nothing left grabbed) when the server refuses one.
    bool Grab(xcb_keycode_t keycode, std::uint16_t xModifiers);
    void Ungrab(xcb_keycode_t keycode, std::uint16_t xModifiers);
    // Releases the variants of a grab made while `ignored` were the ignored modifiers, except `keep`.
    void Ungrab(xcb_keycode_t keycode, std::uint16_t xModifiers, std::uint16_t ignored,
                const std::vector<std::uint16_t>& keep);
    void OnMappingChanged();
    // Reads what a round trip left in xcb's queue, from the event loop.
    void ReadQueuedSoon();
    void OnKeyPress(const xcb_key_press_event_t& e);

    IWindows& windows_;
    std::unique_ptr<XcbConnection> conn_;
    QObject context_;
    std::unique_ptr<QSocketNotifier> notifier_;
    X11KeyMap map_;
    std::map<Owner, HotKey> keys_;
    xcb_timestamp_t lastPressTime_ = 0; // the server time of the last press of one of our keys
};

} // namespace bx::platform::x11
