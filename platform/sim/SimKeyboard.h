#pragma once

#include "IClock.h"
#include "IKeyboard.h"
#include "IWindows.h"

#include <cstdint>
#include <set>
#include <vector>

namespace bx::platform::sim {

// Records every synthetic key event; keys can be held down by a test. The keyboard layout is US English.
// On a desktop, each event also records the window in front when it came (the one that receives it) and
// the moment of virtual time.
class SimKeyboard : public IKeyboard {
public:
    struct Event {
        std::uint8_t vk;
        std::uint8_t scan;
        UINT flags;
        bool operator==(const Event&) const = default;
    };
    struct Delivery {
        Event event;
        HWND window = NoWindow;
        std::uint64_t tick = 0;
    };

    SimKeyboard() = default;
    SimKeyboard(const IWindows& windows, const IClock& clock) : windows_(&windows), clock_(&clock) {}

    void KeyEvent(std::uint8_t vk, std::uint8_t scan, UINT flags) override;
    std::int16_t VkKeyScan(char ch) const override;
    UINT MapVirtualKey(UINT code, UINT mapType) const override;
    bool IsKeyDown(std::uint8_t vk) const override { return held_.contains(vk); }

    const std::vector<Event>& Events() const { return events_; }
    const std::vector<Delivery>& Deliveries() const { return deliveries_; }
    // The events that reached the window (it was in front when they came).
    std::vector<Event> EventsTo(HWND window) const;
    void ClearEvents() {
        events_.clear();
        deliveries_.clear();
    }
    void Hold(std::uint8_t vk, bool down);

private:
    const IWindows* windows_ = nullptr;
    const IClock* clock_ = nullptr;
    std::vector<Event> events_;
    std::vector<Delivery> deliveries_;
    std::set<std::uint8_t> held_;
};

} // namespace bx::platform::sim
