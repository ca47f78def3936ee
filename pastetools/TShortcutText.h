#pragma once

#include "PlatformTypes.h"

#include <string>
#include <string_view>

namespace bx::pastetools {

// A hot key as the settings and the preferences dialog's hot-key fields hold it: the text "Shift+Ctrl+Q"
// <-> the virtual key with its MOD_* modifiers. Pure.
//
// Written: "Shift+", "Ctrl+", "Alt+" in this order as far as present, then the key's name: "BkSp", "Tab",
// "Enter", "Esc", "Space", "PgUp", "PgDn", "End", "Home", "Left", "Up", "Right", "Down", "Ins", "Del", the
// digit or capital letter, the digit for a number-pad digit, "F1".."F24", and for every other key its X
// keysym name ("KP_Add", "semicolon", "Print", ...); a code without a name writes the modifiers only.
// Read: while the text begins with "Shift+", "^" (Ctrl), "Ctrl+" or "Alt+" (any case, any order,
// repeated) the prefix adds its modifier; the rest is compared, without case, with the written name of
// every key code from FirstKey to LastKey, and the first equal one is the key. An empty rest, or a rest
// that names no key, is no hot key.
class TShortcutText {
public:
    static constexpr platform::UINT FirstKey = 8;
    static constexpr platform::UINT LastKey = 597;

    struct TShortcut {
        platform::UINT Key = 0; // 0: no hot key
        platform::UINT Modifiers = 0;
        bool operator==(const TShortcut&) const = default;
    };

    static std::string Write(platform::UINT key, platform::UINT modifiers);
    static TShortcut Read(std::string_view text);
    // The written name of a key without modifiers; empty for a code without one.
    static std::string KeyName(platform::UINT key);
};

} // namespace bx::pastetools
