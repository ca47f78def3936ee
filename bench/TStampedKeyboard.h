#pragma once

#include "IKeyboard.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace bx::bench {

// The keyboard a measured sender types through: every key goes on to the real keyboard, and the moment
// one chosen key goes down (before it is passed on) is kept, the first since the last Reset.
class TStampedKeyboard : public platform::IKeyboard {
public:
    using Clock = std::chrono::steady_clock;

    TStampedKeyboard(platform::IKeyboard& keyboard, std::uint8_t stampedVk) : keyboard_(keyboard), vk_(stampedVk) {}

    void Reset() { stamp_.reset(); }
    const std::optional<Clock::time_point>& Stamp() const { return stamp_; }

    // platform::IKeyboard
    void KeyEvent(std::uint8_t vk, std::uint8_t scan, platform::UINT flags) override;
    std::int16_t VkKeyScan(char ch) const override { return keyboard_.VkKeyScan(ch); }
    platform::UINT MapVirtualKey(platform::UINT code, platform::UINT mapType) const override {
        return keyboard_.MapVirtualKey(code, mapType);
    }
    bool IsKeyDown(std::uint8_t vk) const override { return keyboard_.IsKeyDown(vk); }

private:
    platform::IKeyboard& keyboard_;
    std::uint8_t vk_;
    std::optional<Clock::time_point> stamp_;
};

} // namespace bx::bench
