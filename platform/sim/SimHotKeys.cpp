#include "SimHotKeys.h"

namespace bx::platform::sim {

bool SimHotKeys::IsRegistered(UINT modifiers, UINT vk) const {
    for (const auto& [owner, combination] : registered_)
        if (combination == Combination{modifiers, vk})
            return true;
    return false;
}

bool SimHotKeys::RegisterHotKey(HWND hwnd, int id, UINT modifiers, UINT vk) {
    if (!available_ || taken_.contains({modifiers, vk}) || !windows_.IsWindow(hwnd))
        return false;
    auto existing = registered_.find({hwnd, id});
    if (IsRegistered(modifiers, vk) &&
        (existing == registered_.end() || existing->second != Combination{modifiers, vk}))
        return false;
    registered_[{hwnd, id}] = {modifiers, vk};
    return true;
}

bool SimHotKeys::UnregisterHotKey(HWND hwnd, int id) {
    return registered_.erase({hwnd, id}) == 1;
}

bool SimHotKeys::Press(UINT modifiers, UINT vk) {
    for (const auto& [owner, combination] : registered_)
        if (combination == Combination{modifiers, vk}) {
            ++presses_;
            return windows_.PostMessage(owner.first, WM_HOTKEY, static_cast<WPARAM>(owner.second),
                                        static_cast<LPARAM>(modifiers | (vk << 16)));
        }
    return false;
}

bool SimHotKeys::ActivateForLastPress(std::uint64_t nativeWindow) {
    if (presses_ == 0)
        return false;
    activations_.push_back({nativeWindow, presses_});
    return true;
}

} // namespace bx::platform::sim
