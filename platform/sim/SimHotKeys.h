#pragma once

#include "IHotKeys.h"
#include "IWindows.h"

#include <map>
#include <set>
#include <utility>

namespace bx::platform::sim {

// The hot-key table of the simulated desktop. A test presses a combination; the window that
// registered it is posted WM_HOTKEY.
class SimHotKeys : public IHotKeys {
public:
    explicit SimHotKeys(IWindows& windows) : windows_(windows) {}

    bool RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) override;
    bool UnregisterHotKey(HWND hwnd, int id) override;

    // Another program holds this combination: registering it fails.
    void TakeByOtherProgram(UINT modifiers, UINT vk) { taken_.insert({modifiers, vk}); }
    // Presses the combination; false when nobody registered it.
    bool Press(UINT modifiers, UINT vk);
    bool IsRegistered(UINT modifiers, UINT vk) const;

private:
    using Combination = std::pair<UINT, UINT>;
    IWindows& windows_;
    std::map<std::pair<HWND, int>, Combination> registered_;
    std::set<Combination> taken_;
};

} // namespace bx::platform::sim
