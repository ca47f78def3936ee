#pragma once

#include "IKeyboard.h"
#include "IWindows.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace bx::pastetools {

// The keystroke sender: types a key string into the window that has the focus, or into a given window
// after bringing it to the foreground.
//
// A key string is typed character by character. "@", "^" and "~" set the pending Alt, Ctrl and Shift
// flags (with TokensOnly they are typed as ordinary characters); "{NAME}" names a key of the token table
// (upper or lower case, at most 7 characters): {ALT}, {CTRL} and {SHIFT} set their flag, any other token
// strikes its key. Every other character strikes the key that types it on the current layout
// (VkKeyScan), with the shift state the layout asks for. The pending flags hold the modifiers down for
// the next key struck only, and stay pending from the end of one string to the next. A malformed string
// ("No Closing brackets", "Invalid token") is refused whole: nothing is typed and the pending flags stay
// as they were.
class TSendKey {
public:
    // One press or release, as the keyboard gets it.
    struct KeyEvent {
        std::uint8_t Vk = 0;
        std::uint8_t Scan = 0;
        platform::UINT Flags = 0; // KEYEVENTF_KEYUP, KEYEVENTF_EXTENDEDKEY
        bool operator==(const KeyEvent&) const = default;
    };
    // The modifiers held down for the next key struck (CtrlAlt: the AltGr combination).
    struct Modifiers {
        bool Alt = false;
        bool Ctrl = false;
        bool Shift = false;
        bool CtrlAlt = false;
        bool operator==(const Modifiers&) const = default;
    };

    static constexpr std::size_t MaxTokenLength = 7;

    TSendKey(platform::IKeyboard& keyboard, platform::IWindows& windows);

    // Treat "@", "^" and "~" as ordinary characters.
    bool TokensOnly = false;

    // Types the string into the window that has the focus, then lets the program handle its pending
    // messages once; -1 for an empty string (nothing is sent), else 0. Throws std::runtime_error
    // "No Closing brackets" or "Invalid token" for a malformed string, having sent nothing.
    int SendKeys(std::string_view keys);
    // Brings the window to the foreground (gives it the focus) and types the string into it; NoWindow
    // types into whatever has the focus. -1 when nothing is sent: an empty string, or a window that
    // cannot be brought forward (it is gone), whose keys would reach another window.
    int SendKeysTo(std::string_view keys, platform::HWND window);

    const Modifiers& Pending() const { return pending_; }

    // The key of a token (compared in upper case); nothing when the table has no such token.
    static std::optional<std::uint8_t> TokenKey(std::string_view token);
    // The key events the string makes on the layout, starting from the pending flags, which it leaves
    // as the string leaves them. Throws as SendKeys does, leaving the flags untouched.
    static std::vector<KeyEvent> KeyEventsFor(std::string_view keys, Modifiers& pending, bool tokensOnly,
                                              const platform::IKeyboard& layout);

private:
    platform::IKeyboard& keyboard_;
    platform::IWindows& windows_;
    Modifiers pending_;
};

} // namespace bx::pastetools
