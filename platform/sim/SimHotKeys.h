#pragma once

#include "IHotKeys.h"
#include "IWindows.h"

#include <cstdint>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace bx::platform::sim {

// The hot-key table of the simulated desktop. A test presses a combination; the window that
// registered it is posted WM_HOTKEY.
class SimHotKeys : public IHotKeys {
public:
    explicit SimHotKeys(IWindows& windows) : windows_(windows) {}

    bool Available() const override { return available_; }
    bool RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) override;
    bool UnregisterHotKey(HWND hwnd, int id) override;
    // Logged with the number of the press it answers (Presses() at the time).
    bool ActivateForLastPress(std::uint64_t nativeWindow) override;

    // A desktop without hot keys: every registration fails.
    void SetAvailable(bool available) { available_ = available; }
    // Another program holds this combination: registering it fails.
    void TakeByOtherProgram(UINT modifiers, UINT vk) { taken_.insert({modifiers, vk}); }
    // Presses the combination; false when nobody registered it.
    bool Press(UINT modifiers, UINT vk);
    bool IsRegistered(UINT modifiers, UINT vk) const;
    // How many presses reached a registered window.
    int Presses() const { return presses_; }
    struct Activation {
        std::uint64_t nativeWindow;
        int press;
    };
    const std::vector<Activation>& Activations() const { return activations_; }

private:
    using Combination = std::pair<UINT, UINT>;
    IWindows& windows_;
    std::map<std::pair<HWND, int>, Combination> registered_;
    std::set<Combination> taken_;
    int presses_ = 0;
    bool available_ = true;
    std::vector<Activation> activations_;
};

} // namespace bx::platform::sim
