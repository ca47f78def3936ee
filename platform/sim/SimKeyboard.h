#pragma once

#include "IKeyboard.h"

#include <cstdint>
#include <set>
#include <vector>

namespace bx::platform::sim {

// Records every synthetic key event; keys can be held down by a test. The keyboard layout is US English.
class SimKeyboard : public IKeyboard {
public:
    struct Event {
        std::uint8_t vk;
        std::uint8_t scan;
        UINT flags;
        bool operator==(const Event&) const = default;
    };

    void KeyEvent(std::uint8_t vk, std::uint8_t scan, UINT flags) override;
    std::int16_t VkKeyScan(char ch) const override;
    UINT MapVirtualKey(UINT code, UINT mapType) const override;
    bool IsKeyDown(std::uint8_t vk) const override { return held_.contains(vk); }

    const std::vector<Event>& Events() const { return events_; }
    void ClearEvents() { events_.clear(); }
    void Hold(std::uint8_t vk, bool down);

private:
    std::vector<Event> events_;
    std::set<std::uint8_t> held_;
};

} // namespace bx::platform::sim
