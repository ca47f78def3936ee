#pragma once

#include "IBrowserLink.h"
#include "IHotKeys.h"
#include "IKeyboard.h"
#include "IShell.h"
#include "ISound.h"

namespace bx::platform::x11 {

// Keys, hot keys, sounds, the shell and the browsers' address services of the real desktop while they are not built
// yet: every request is refused (hot keys cannot be registered, sound events do not play, nothing is opened), which the
// callers handle as they handle a refusal by the desktop.
class NullDesktopServices : public IKeyboard, public IHotKeys, public ISound, public IShell, public IBrowserLink {
public:
    void KeyEvent(std::uint8_t, std::uint8_t, UINT) override {}
    std::int16_t VkKeyScan(char) const override { return -1; }
    UINT MapVirtualKey(UINT, UINT) const override { return 0; }
    bool IsKeyDown(std::uint8_t) const override { return false; }

    bool RegisterHotKey(HWND, int, UINT, UINT) override { return false; }
    bool UnregisterHotKey(HWND, int) override { return false; }

    bool PlaySoundEvent(const std::string&) override { return false; }
    void MessageBeep(UINT) override {}

    bool ShellExecute(const std::string&, const std::string&, const std::string&) override { return false; }

    bool Connect(const std::string&, const std::string&) override { return false; }
    bool OpenLink() override { return false; }
    std::optional<std::string> Request(const std::string&) override { return std::nullopt; }
    void Close() override {}
};

} // namespace bx::platform::x11
