#pragma once

#include "PlatformTypes.h"
#include "VirtualKeys.h"

#include <cstdint>

namespace bx::platform {

inline constexpr UINT KEYEVENTF_EXTENDEDKEY = 0x0001;
inline constexpr UINT KEYEVENTF_KEYUP = 0x0002;

// Synthetic keyboard input to the application in front.
class IKeyboard {
public:
    virtual ~IKeyboard() = default;

    // Presses (flags without KEYEVENTF_KEYUP) or releases a virtual key.
    virtual void KeyEvent(std::uint8_t vk, std::uint8_t scan, UINT flags) = 0;
    // The virtual key (low byte) and shift state (high byte: VkScanShift, ...) that types ch; -1 when no key does.
    virtual std::int16_t VkKeyScan(char ch) const = 0;
    // Translates between virtual keys and scan codes (mapType as the classic API).
    virtual UINT MapVirtualKey(UINT code, UINT mapType) const = 0;
    // Whether the key is held down now.
    virtual bool IsKeyDown(std::uint8_t vk) const = 0;
};

} // namespace bx::platform
