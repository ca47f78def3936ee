#include "TShortcutText.h"

#include "IHotKeys.h"
#include "VirtualKeys.h"

#include <array>
#include <cctype>
#include <utility>

namespace bx::pastetools {

using platform::MOD_ALT;
using platform::MOD_CONTROL;
using platform::MOD_SHIFT;
using platform::UINT;

namespace {

struct KeyNameRow {
    UINT key;
    const char* name;
};

// The keys with a short name of their own.
constexpr std::array<KeyNameRow, 15> ShortNames = {{{platform::VK_BACK, "BkSp"},
                                                    {platform::VK_TAB, "Tab"},
                                                    {platform::VK_RETURN, "Enter"},
                                                    {platform::VK_ESCAPE, "Esc"},
                                                    {platform::VK_SPACE, "Space"},
                                                    {platform::VK_PRIOR, "PgUp"},
                                                    {platform::VK_NEXT, "PgDn"},
                                                    {platform::VK_END, "End"},
                                                    {platform::VK_HOME, "Home"},
                                                    {platform::VK_LEFT, "Left"},
                                                    {platform::VK_UP, "Up"},
                                                    {platform::VK_RIGHT, "Right"},
                                                    {platform::VK_DOWN, "Down"},
                                                    {platform::VK_INSERT, "Ins"},
                                                    {platform::VK_DELETE, "Del"}}};

// Every other key that has a name: the X keysym of the key (unshifted, US layout).
constexpr std::array<KeyNameRow, 46> KeysymNames = {{{platform::VK_CLEAR, "Clear"},
                                                     {platform::VK_SHIFT, "Shift_L"},
                                                     {platform::VK_CONTROL, "Control_L"},
                                                     {platform::VK_MENU, "Alt_L"},
                                                     {platform::VK_PAUSE, "Pause"},
                                                     {platform::VK_CAPITAL, "Caps_Lock"},
                                                     {platform::VK_SELECT, "Select"},
                                                     {platform::VK_EXECUTE, "Execute"},
                                                     {platform::VK_SNAPSHOT, "Print"},
                                                     {platform::VK_HELP, "Help"},
                                                     {platform::VK_LWIN, "Super_L"},
                                                     {platform::VK_RWIN, "Super_R"},
                                                     {platform::VK_APPS, "Menu"},
                                                     {platform::VK_MULTIPLY, "KP_Multiply"},
                                                     {platform::VK_ADD, "KP_Add"},
                                                     {platform::VK_SEPARATOR, "KP_Separator"},
                                                     {platform::VK_SUBTRACT, "KP_Subtract"},
                                                     {platform::VK_DECIMAL, "KP_Decimal"},
                                                     {platform::VK_DIVIDE, "KP_Divide"},
                                                     {platform::VK_NUMLOCK, "Num_Lock"},
                                                     {platform::VK_SCROLL, "Scroll_Lock"},
                                                     {platform::VK_LSHIFT, "Shift_L"},
                                                     {platform::VK_RSHIFT, "Shift_R"},
                                                     {platform::VK_LCONTROL, "Control_L"},
                                                     {platform::VK_RCONTROL, "Control_R"},
                                                     {platform::VK_LMENU, "Alt_L"},
                                                     {platform::VK_RMENU, "Alt_R"},
                                                     {platform::VK_VOLUME_MUTE, "XF86AudioMute"},
                                                     {platform::VK_VOLUME_DOWN, "XF86AudioLowerVolume"},
                                                     {platform::VK_VOLUME_UP, "XF86AudioRaiseVolume"},
                                                     {platform::VK_MEDIA_NEXT_TRACK, "XF86AudioNext"},
                                                     {platform::VK_MEDIA_PREV_TRACK, "XF86AudioPrev"},
                                                     {platform::VK_MEDIA_STOP, "XF86AudioStop"},
                                                     {platform::VK_MEDIA_PLAY_PAUSE, "XF86AudioPlay"},
                                                     {platform::VK_OEM_1, "semicolon"},
                                                     {platform::VK_OEM_PLUS, "equal"},
                                                     {platform::VK_OEM_COMMA, "comma"},
                                                     {platform::VK_OEM_MINUS, "minus"},
                                                     {platform::VK_OEM_PERIOD, "period"},
                                                     {platform::VK_OEM_2, "slash"},
                                                     {platform::VK_OEM_3, "grave"},
                                                     {platform::VK_OEM_4, "bracketleft"},
                                                     {platform::VK_OEM_5, "backslash"},
                                                     {platform::VK_OEM_6, "bracketright"},
                                                     {platform::VK_OEM_7, "apostrophe"},
                                                     {platform::VK_OEM_102, "less"}}};

constexpr std::array<std::pair<const char*, UINT>, 4> Prefixes = {
    {{"Shift+", MOD_SHIFT}, {"^", MOD_CONTROL}, {"Ctrl+", MOD_CONTROL}, {"Alt+", MOD_ALT}}};

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const char* FindName(const auto& table, UINT key) {
    for (const KeyNameRow& row : table)
        if (row.key == key)
            return row.name;
    return nullptr;
}

} // namespace

std::string TShortcutText::KeyName(UINT key) {
    if (const char* name = FindName(ShortNames, key))
        return name;
    if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z'))
        return std::string(1, static_cast<char>(key));
    if (key >= platform::VK_NUMPAD0 && key <= platform::VK_NUMPAD0 + 9u)
        return std::string(1, static_cast<char>('0' + (key - platform::VK_NUMPAD0)));
    if (key >= platform::VK_F1 && key <= platform::VK_F24)
        return "F" + std::to_string(key - platform::VK_F1 + 1);
    if (const char* name = FindName(KeysymNames, key))
        return name;
    return {};
}

std::string TShortcutText::Write(UINT key, UINT modifiers) {
    std::string text;
    if ((modifiers & MOD_SHIFT) != 0)
        text += "Shift+";
    if ((modifiers & MOD_CONTROL) != 0)
        text += "Ctrl+";
    if ((modifiers & MOD_ALT) != 0)
        text += "Alt+";
    return text + KeyName(key);
}

TShortcutText::TShortcut TShortcutText::Read(std::string_view text) {
    UINT modifiers = 0;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [prefix, modifier] : Prefixes) {
            const std::string_view p(prefix);
            if (text.size() >= p.size() && EqualNoCase(text.substr(0, p.size()), p)) {
                modifiers |= modifier;
                text.remove_prefix(p.size());
                found = true;
            }
        }
    }
    if (text.empty())
        return {};
    for (UINT key = FirstKey; key <= LastKey; ++key)
        if (EqualNoCase(KeyName(key), text))
            return {key, modifiers};
    return {};
}

} // namespace bx::pastetools
