#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace bx::platform::x11 {

// Virtual-key codes of the classic desktop API, as the keystroke sender and the hot-key settings use them.
inline constexpr std::uint8_t VK_BACK = 0x08;
inline constexpr std::uint8_t VK_TAB = 0x09;
inline constexpr std::uint8_t VK_RETURN = 0x0D;
inline constexpr std::uint8_t VK_SHIFT = 0x10;
inline constexpr std::uint8_t VK_CONTROL = 0x11;
inline constexpr std::uint8_t VK_MENU = 0x12;
inline constexpr std::uint8_t VK_CAPITAL = 0x14;
inline constexpr std::uint8_t VK_ESCAPE = 0x1B;
inline constexpr std::uint8_t VK_SPACE = 0x20;
inline constexpr std::uint8_t VK_PRIOR = 0x21;
inline constexpr std::uint8_t VK_NEXT = 0x22;
inline constexpr std::uint8_t VK_END = 0x23;
inline constexpr std::uint8_t VK_HOME = 0x24;
inline constexpr std::uint8_t VK_LEFT = 0x25;
inline constexpr std::uint8_t VK_UP = 0x26;
inline constexpr std::uint8_t VK_RIGHT = 0x27;
inline constexpr std::uint8_t VK_DOWN = 0x28;
inline constexpr std::uint8_t VK_INSERT = 0x2D;
inline constexpr std::uint8_t VK_DELETE = 0x2E;
inline constexpr std::uint8_t VK_LWIN = 0x5B;
inline constexpr std::uint8_t VK_NUMPAD0 = 0x60;
inline constexpr std::uint8_t VK_F1 = 0x70;
inline constexpr std::uint8_t VK_F9 = 0x78;
inline constexpr std::uint8_t VK_F24 = 0x87;
inline constexpr std::uint8_t VK_NUMLOCK = 0x90;
inline constexpr std::uint8_t VK_LSHIFT = 0xA0;
inline constexpr std::uint8_t VK_RSHIFT = 0xA1;
inline constexpr std::uint8_t VK_LCONTROL = 0xA2;
inline constexpr std::uint8_t VK_RCONTROL = 0xA3;
inline constexpr std::uint8_t VK_LMENU = 0xA4;
inline constexpr std::uint8_t VK_RMENU = 0xA5;
inline constexpr std::uint8_t VK_OEM_1 = 0xBA;
inline constexpr std::uint8_t VK_OEM_PLUS = 0xBB;
inline constexpr std::uint8_t VK_OEM_COMMA = 0xBC;
inline constexpr std::uint8_t VK_OEM_MINUS = 0xBD;
inline constexpr std::uint8_t VK_OEM_PERIOD = 0xBE;
inline constexpr std::uint8_t VK_OEM_2 = 0xBF;
inline constexpr std::uint8_t VK_OEM_3 = 0xC0;
inline constexpr std::uint8_t VK_OEM_4 = 0xDB;
inline constexpr std::uint8_t VK_OEM_5 = 0xDC;
inline constexpr std::uint8_t VK_OEM_6 = 0xDD;
inline constexpr std::uint8_t VK_OEM_7 = 0xDE;
inline constexpr std::uint8_t VK_OEM_102 = 0xE2;

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
