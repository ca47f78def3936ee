#pragma once

#include "VirtualKeys.h"

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace bx::platform::x11 {

// The keyboard mapping of the X server (keysyms per keycode and the modifier map) and the virtual keys on it.
//
// A virtual key stands for keysyms: letters for their lower-case keysym, digits for theirs, named keys for
// theirs (VK_RETURN: Return, VK_SHIFT: Shift_L or Shift_R, F1-F24, ...), and the VK_OEM_* punctuation keys
// for the character they carry on a US keyboard. Its key is the keycode whose unshifted keysym is one of them,
// else one that has it shifted; so the keys follow the current layout (VK 'Z' is the key that types z). A
// letter, digit or punctuation key the layout does not have at those levels (a Cyrillic layout has no Latin
// letters) is the key at the US position.
//
// Levels are those of the first group: 0 plain, 1 Shift, 2 AltGr (ISO_Level3_Shift), 3 AltGr+Shift.
class X11KeyMap {
public:
    using Keysym = std::uint32_t;
    static constexpr Keysym NoSymbol = 0;

    struct Place {
        xcb_keycode_t keycode = 0;
        int level = 0;
    };

    // Reads the mapping from the server; false when it does not answer.
    bool Load(xcb_connection_t* conn);
    // A mapping given directly: keysymsPerKeycode columns for each keycode from minKeycode on, and the
    // keycodes of each of the eight modifiers.
    void Set(xcb_keycode_t minKeycode, int keysymsPerKeycode, std::vector<Keysym> keysyms,
             const std::array<std::vector<xcb_keycode_t>, 8>& modifiers);

    xcb_keycode_t MinKeycode() const { return min_; }
    xcb_keycode_t MaxKeycode() const;
    Keysym At(xcb_keycode_t keycode, int level) const;
    // Where a character is typed: the lowest level first, keypad keys last; nullopt when no key has it.
    std::optional<Place> FindChar(char32_t ch) const;
    // Where a keysym is, the lowest level first.
    std::optional<Place> FindKeysym(Keysym sym) const;
    // Keycodes that carry no keysym at all (free for a keysym of our own).
    std::vector<xcb_keycode_t> UnusedKeycodes() const;

    // The modifier bit (ShiftMask ... Mod5Mask) that a key with this keysym sets; 0 when none does.
    std::uint16_t ModifierMask(Keysym sym) const;

    xcb_keycode_t KeycodeOfVk(std::uint8_t vk) const { return vkKeycode_[vk]; }
    // The virtual key of a keycode (VK_SHIFT rather than VK_LSHIFT unless leftRight); 0 when it has none.
    std::uint8_t VkOfKeycode(xcb_keycode_t keycode, bool leftRight = false) const;
    // Every keycode that carries one of the virtual key's keysyms unshifted or shifted (both Shift keys for
    // VK_SHIFT).
    std::vector<xcb_keycode_t> KeycodesOfVk(std::uint8_t vk) const;
    // The keysyms a virtual key stands for (the first is the one it types); empty for unknown keys.
    static std::vector<Keysym> VkKeysyms(std::uint8_t vk);

private:
    void Index();
    int Column(int level) const;

    xcb_keycode_t min_ = 8;
    int perKeycode_ = 0;
    std::vector<Keysym> syms_;
    std::array<std::vector<xcb_keycode_t>, 8> modifiers_;
    std::array<xcb_keycode_t, 256> vkKeycode_{};
    std::array<std::uint8_t, 256> keycodeVk_{};
};

} // namespace bx::platform::x11
