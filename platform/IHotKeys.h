#pragma once

#include "PlatformTypes.h"

#include <cstdint>

namespace bx::platform {

inline constexpr UINT MOD_ALT = 0x0001;
inline constexpr UINT MOD_CONTROL = 0x0002;
inline constexpr UINT MOD_SHIFT = 0x0004;
inline constexpr UINT MOD_WIN = 0x0008;

// Global hot keys: a registered key combination posts WM_HOTKEY (wParam = id) to its window,
// whichever application is in front.
class IHotKeys {
public:
    virtual ~IHotKeys() = default;

    // False when the desktop has no global hot keys at all (no window system to reach): nothing can be
    // registered, and no combination is to blame.
    virtual bool Available() const = 0;
    // False when the combination is taken (by this or another program).
    virtual bool RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) = 0;
    virtual bool UnregisterHotKey(HWND hwnd, int id) = 0;
    // Brings a top-level window of this program forward as the answer to the last hot-key press: the
    // window system hears the press's own time with the request, so that a window manager's
    // focus-stealing prevention lets the window through. nativeWindow is the window system's id of the
    // window (QWidget::winId). False when no hot key was pressed yet, or without a window system.
    virtual bool ActivateForLastPress(std::uint64_t nativeWindow) = 0;
};

} // namespace bx::platform
