// Virtual-key codes of the classic desktop API, as the keystroke sender, the hot keys and their settings use
// them; each desktop maps them onto its own keys. Letters and digits are their upper-case ASCII codes ('A',
// '0'); the VK_OEM_* codes are the punctuation keys of a US keyboard.
#pragma once

#include <cstdint>

namespace bx::platform {

inline constexpr std::uint8_t VK_BACK = 0x08;
inline constexpr std::uint8_t VK_TAB = 0x09;
inline constexpr std::uint8_t VK_CLEAR = 0x0C;
inline constexpr std::uint8_t VK_RETURN = 0x0D;
inline constexpr std::uint8_t VK_SHIFT = 0x10;
inline constexpr std::uint8_t VK_CONTROL = 0x11;
inline constexpr std::uint8_t VK_MENU = 0x12; // Alt
inline constexpr std::uint8_t VK_PAUSE = 0x13;
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
inline constexpr std::uint8_t VK_SELECT = 0x29;
inline constexpr std::uint8_t VK_EXECUTE = 0x2B;
inline constexpr std::uint8_t VK_SNAPSHOT = 0x2C;
inline constexpr std::uint8_t VK_INSERT = 0x2D;
inline constexpr std::uint8_t VK_DELETE = 0x2E;
inline constexpr std::uint8_t VK_HELP = 0x2F;
inline constexpr std::uint8_t VK_LWIN = 0x5B;
inline constexpr std::uint8_t VK_RWIN = 0x5C;
inline constexpr std::uint8_t VK_APPS = 0x5D;
inline constexpr std::uint8_t VK_NUMPAD0 = 0x60; // VK_NUMPAD0 + 9 is VK_NUMPAD9
inline constexpr std::uint8_t VK_MULTIPLY = 0x6A;
inline constexpr std::uint8_t VK_ADD = 0x6B;
inline constexpr std::uint8_t VK_SEPARATOR = 0x6C;
inline constexpr std::uint8_t VK_SUBTRACT = 0x6D;
inline constexpr std::uint8_t VK_DECIMAL = 0x6E;
inline constexpr std::uint8_t VK_DIVIDE = 0x6F;
inline constexpr std::uint8_t VK_F1 = 0x70; // VK_F1 + n - 1 is Fn, up to F24
inline constexpr std::uint8_t VK_F9 = 0x78;
inline constexpr std::uint8_t VK_F10 = 0x79;
inline constexpr std::uint8_t VK_F12 = 0x7B;
inline constexpr std::uint8_t VK_F24 = 0x87;
inline constexpr std::uint8_t VK_NUMLOCK = 0x90;
inline constexpr std::uint8_t VK_SCROLL = 0x91;
inline constexpr std::uint8_t VK_LSHIFT = 0xA0;
inline constexpr std::uint8_t VK_RSHIFT = 0xA1;
inline constexpr std::uint8_t VK_LCONTROL = 0xA2;
inline constexpr std::uint8_t VK_RCONTROL = 0xA3;
inline constexpr std::uint8_t VK_LMENU = 0xA4;
inline constexpr std::uint8_t VK_RMENU = 0xA5;
inline constexpr std::uint8_t VK_VOLUME_MUTE = 0xAD;
inline constexpr std::uint8_t VK_VOLUME_DOWN = 0xAE;
inline constexpr std::uint8_t VK_VOLUME_UP = 0xAF;
inline constexpr std::uint8_t VK_MEDIA_NEXT_TRACK = 0xB0;
inline constexpr std::uint8_t VK_MEDIA_PREV_TRACK = 0xB1;
inline constexpr std::uint8_t VK_MEDIA_STOP = 0xB2;
inline constexpr std::uint8_t VK_MEDIA_PLAY_PAUSE = 0xB3;
inline constexpr std::uint8_t VK_OEM_1 = 0xBA;      // ;:
inline constexpr std::uint8_t VK_OEM_PLUS = 0xBB;   // =+
inline constexpr std::uint8_t VK_OEM_COMMA = 0xBC;  // ,<
inline constexpr std::uint8_t VK_OEM_MINUS = 0xBD;  // -_
inline constexpr std::uint8_t VK_OEM_PERIOD = 0xBE; // .>
inline constexpr std::uint8_t VK_OEM_2 = 0xBF;      // /?
inline constexpr std::uint8_t VK_OEM_3 = 0xC0;      // `~
inline constexpr std::uint8_t VK_OEM_4 = 0xDB;      // [{
inline constexpr std::uint8_t VK_OEM_5 = 0xDC;      // backslash |
inline constexpr std::uint8_t VK_OEM_6 = 0xDD;      // ]}
inline constexpr std::uint8_t VK_OEM_7 = 0xDE;      // '"
inline constexpr std::uint8_t VK_OEM_102 = 0xE2;    // the key beside the left Shift of a 102-key keyboard

// The shift state in the high byte of IKeyboard::VkKeyScan's answer.
inline constexpr std::int16_t VkScanShift = 0x100;
inline constexpr std::int16_t VkScanControl = 0x200;
inline constexpr std::int16_t VkScanAlt = 0x400;

} // namespace bx::platform
