#pragma once

#include "IKeyboard.h"
#include "X11KeyMap.h"
#include "XcbConnection.h"

#include <QObject>
#include <QSocketNotifier>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace bx::platform::x11 {

// Synthetic keys on the X server (XTest), under its current keyboard layout.
//
// Virtual keys press the keycode X11KeyMap gives them. VkKeyScan finds a character's key and level: on the
// plain or the Shift level of a key with a virtual key it answers that key (with the Shift state); a
// character that needs AltGr, or lies on a key without a virtual key, gets a private virtual key of its own
// (from the codes the classic API leaves unassigned), which KeyEvent presses with AltGr and Shift as needed.
// A character no key has is typed through a keycode without keysyms that is given its keysym (and freed again
// when the keyboard is destroyed). Characters are those of the classic single-byte code page (Windows-1252:
// 0x80 is the euro sign); KeyScanCodePoint takes any Unicode character.
//
// The mapping is read again when the server reports a change (MappingNotify). Without a display nothing is
// typed and no character has a key.
class X11Keyboard : public IKeyboard {
public:
    explicit X11Keyboard(const char* display = nullptr);
    ~X11Keyboard() override;
    X11Keyboard(const X11Keyboard&) = delete;
    X11Keyboard& operator=(const X11Keyboard&) = delete;

    void KeyEvent(std::uint8_t vk, std::uint8_t scan, UINT flags) override;
    std::int16_t VkKeyScan(char ch) const override;
    UINT MapVirtualKey(UINT code, UINT mapType) const override;
    bool IsKeyDown(std::uint8_t vk) const override;

    bool IsConnected() const { return conn_ != nullptr; }
    std::int16_t KeyScanCodePoint(char32_t ch) const;
    // Handles what the X server sent (mapping changes); runs by itself from the event loop.
    void ProcessEvents() const;

private:
    struct Pressed {
        xcb_keycode_t keycode = 0;
        std::vector<xcb_keycode_t> modifiers; // pressed before the key, released after it
    };

    void Reload() const;
    std::uint8_t PrivateKeyFor(X11KeyMap::Keysym sym) const;
    X11KeyMap::Keysym PrivateKeysym(std::uint8_t vk) const;
    std::optional<X11KeyMap::Place> PlaceForKeysym(X11KeyMap::Keysym sym);
    void Fake(bool press, xcb_keycode_t keycode);

    std::unique_ptr<XcbConnection> conn_;
    QObject context_;
    std::unique_ptr<QSocketNotifier> notifier_;
    bool hasXTest_ = false;
    mutable X11KeyMap map_;
    // Private virtual keys: code -> keysym, handed out in turn.
    mutable std::map<std::uint8_t, X11KeyMap::Keysym> private_;
    mutable std::size_t nextPrivate_ = 0;
    // Keycodes without keysyms that we gave one: keycode -> keysym, reused oldest first.
    mutable std::vector<std::pair<xcb_keycode_t, X11KeyMap::Keysym>> borrowed_;
    std::size_t nextBorrowed_ = 0;
    std::map<std::uint8_t, Pressed> down_;
};

} // namespace bx::platform::x11
