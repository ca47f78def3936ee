#include "X11KeyMap.h"

#include "XcbConnection.h"

#include <xkbcommon/xkbcommon.h>

#include <cstdlib>
#include <memory>

namespace bx::platform::x11 {

namespace {

constexpr X11KeyMap::Keysym XK_BackSpace = 0xff08;
constexpr X11KeyMap::Keysym XK_Tab = 0xff09;
constexpr X11KeyMap::Keysym XK_Return = 0xff0d;
constexpr X11KeyMap::Keysym XK_Shift_L = 0xffe1;
constexpr X11KeyMap::Keysym XK_Shift_R = 0xffe2;
constexpr X11KeyMap::Keysym XK_Control_L = 0xffe3;
constexpr X11KeyMap::Keysym XK_Control_R = 0xffe4;
constexpr X11KeyMap::Keysym XK_Meta_L = 0xffe7;
constexpr X11KeyMap::Keysym XK_Meta_R = 0xffe8;
constexpr X11KeyMap::Keysym XK_Alt_L = 0xffe9;
constexpr X11KeyMap::Keysym XK_Alt_R = 0xffea;
constexpr X11KeyMap::Keysym XK_ISO_Level3_Shift = 0xfe03;

bool IsKeypad(X11KeyMap::Keysym sym) {
    return sym >= 0xff80 && sym <= 0xffbd;
}

// The US-keyboard positions of the letters, digits and punctuation keys (the same keycodes under the evdev and
// the older keycode sets): the keys of a layout without Latin letters.
xcb_keycode_t UsPosition(std::uint8_t vk) {
    static constexpr xcb_keycode_t Letters[26] = {38, 56, 54, 40, 26, 41, 42, 43, 31, 44, 45, 46, 58,
                                                  57, 32, 33, 24, 27, 39, 28, 30, 55, 25, 53, 29, 52};
    if (vk >= 'A' && vk <= 'Z')
        return Letters[vk - 'A'];
    if (vk >= '1' && vk <= '9')
        return static_cast<xcb_keycode_t>(10 + (vk - '1'));
    if (vk == '0')
        return 19;
    switch (vk) {
    case VK_OEM_1:
        return 47;
    case VK_OEM_PLUS:
        return 21;
    case VK_OEM_COMMA:
        return 59;
    case VK_OEM_MINUS:
        return 20;
    case VK_OEM_PERIOD:
        return 60;
    case VK_OEM_2:
        return 61;
    case VK_OEM_3:
        return 49;
    case VK_OEM_4:
        return 34;
    case VK_OEM_5:
        return 51;
    case VK_OEM_6:
        return 35;
    case VK_OEM_7:
        return 48;
    case VK_OEM_102:
        return 94;
    default:
        return 0;
    }
}

} // namespace

std::vector<X11KeyMap::Keysym> X11KeyMap::VkKeysyms(std::uint8_t vk) {
    if (vk >= 'A' && vk <= 'Z')
        return {static_cast<Keysym>(vk - 'A' + 'a')};
    if (vk >= '0' && vk <= '9')
        return {static_cast<Keysym>(vk)};
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD0 + 9)
        return {static_cast<Keysym>(0xffb0 + (vk - VK_NUMPAD0))}; // KP_0 ...
    if (vk >= VK_F1 && vk <= VK_F24)
        return {static_cast<Keysym>(0xffbe + (vk - VK_F1))}; // F1 ...
    switch (vk) {
    case VK_BACK:
        return {XK_BackSpace};
    case VK_TAB:
        return {XK_Tab, 0xfe20 /* ISO_Left_Tab */};
    case VK_CLEAR:
        return {0xff0b}; // Clear
    case VK_RETURN:
        return {XK_Return, 0xff8d}; // and KP_Enter
    case VK_SHIFT:
        return {XK_Shift_L, XK_Shift_R};
    case VK_CONTROL:
        return {XK_Control_L, XK_Control_R};
    case VK_MENU:
        return {XK_Alt_L, XK_Alt_R, XK_Meta_L, XK_Meta_R};
    case VK_PAUSE:
        return {0xff13}; // Pause
    case VK_CAPITAL:
        return {0xffe5};
    case VK_ESCAPE:
        return {0xff1b};
    case VK_SPACE:
        return {0x20};
    case VK_PRIOR:
        return {0xff55};
    case VK_NEXT:
        return {0xff56};
    case VK_END:
        return {0xff57};
    case VK_HOME:
        return {0xff50};
    case VK_LEFT:
        return {0xff51};
    case VK_UP:
        return {0xff52};
    case VK_RIGHT:
        return {0xff53};
    case VK_DOWN:
        return {0xff54};
    case VK_SELECT:
        return {0xff60}; // Select
    case VK_EXECUTE:
        return {0xff62}; // Execute
    case VK_SNAPSHOT:
        return {0xff61}; // Print
    case VK_INSERT:
        return {0xff63};
    case VK_DELETE:
        return {0xffff};
    case VK_HELP:
        return {0xff6a}; // Help
    case VK_LWIN:
        return {0xffeb}; // Super_L
    case VK_RWIN:
        return {0xffec}; // Super_R
    case VK_APPS:
        return {0xff67}; // Menu
    case VK_MULTIPLY:
        return {0xffaa}; // KP_Multiply
    case VK_ADD:
        return {0xffab}; // KP_Add
    case VK_SEPARATOR:
        return {0xffac}; // KP_Separator
    case VK_SUBTRACT:
        return {0xffad}; // KP_Subtract
    case VK_DECIMAL:
        return {0xffae}; // KP_Decimal
    case VK_DIVIDE:
        return {0xffaf}; // KP_Divide
    case VK_NUMLOCK:
        return {0xff7f};
    case VK_SCROLL:
        return {0xff14}; // Scroll_Lock
    case VK_LSHIFT:
        return {XK_Shift_L};
    case VK_RSHIFT:
        return {XK_Shift_R};
    case VK_LCONTROL:
        return {XK_Control_L};
    case VK_RCONTROL:
        return {XK_Control_R};
    case VK_LMENU:
        return {XK_Alt_L, XK_Meta_L};
    case VK_RMENU:
        return {XK_Alt_R, XK_ISO_Level3_Shift, XK_Meta_R};
    case VK_VOLUME_MUTE:
        return {0x1008ff12}; // XF86AudioMute
    case VK_VOLUME_DOWN:
        return {0x1008ff11}; // XF86AudioLowerVolume
    case VK_VOLUME_UP:
        return {0x1008ff13}; // XF86AudioRaiseVolume
    case VK_MEDIA_NEXT_TRACK:
        return {0x1008ff17}; // XF86AudioNext
    case VK_MEDIA_PREV_TRACK:
        return {0x1008ff16}; // XF86AudioPrev
    case VK_MEDIA_STOP:
        return {0x1008ff15}; // XF86AudioStop
    case VK_MEDIA_PLAY_PAUSE:
        return {0x1008ff14}; // XF86AudioPlay
    case VK_OEM_1:
        return {';'};
    case VK_OEM_PLUS:
        return {'='};
    case VK_OEM_COMMA:
        return {','};
    case VK_OEM_MINUS:
        return {'-'};
    case VK_OEM_PERIOD:
        return {'.'};
    case VK_OEM_2:
        return {'/'};
    case VK_OEM_3:
        return {'`'};
    case VK_OEM_4:
        return {'['};
    case VK_OEM_5:
        return {'\\'};
    case VK_OEM_6:
        return {']'};
    case VK_OEM_7:
        return {'\''};
    case VK_OEM_102:
        return {'<'};
    default:
        return {};
    }
}

bool X11KeyMap::Load(xcb_connection_t* conn) {
    const xcb_setup_t* setup = xcb_get_setup(conn);
    const xcb_keycode_t first = setup->min_keycode;
    const int count = setup->max_keycode - setup->min_keycode + 1;
    if (count <= 0)
        return false;
    const auto mapCookie = xcb_get_keyboard_mapping(conn, first, static_cast<std::uint8_t>(count));
    const auto modCookie = xcb_get_modifier_mapping(conn);
    XcbReply<xcb_get_keyboard_mapping_reply_t> map(xcb_get_keyboard_mapping_reply(conn, mapCookie, nullptr));
    XcbReply<xcb_get_modifier_mapping_reply_t> mods(xcb_get_modifier_mapping_reply(conn, modCookie, nullptr));
    if (!map || !mods)
        return false;

    const int per = map->keysyms_per_keycode;
    const int length = xcb_get_keyboard_mapping_keysyms_length(map.get());
    if (per <= 0 || length < per * count)
        return false;
    const xcb_keysym_t* keysyms = xcb_get_keyboard_mapping_keysyms(map.get());
    std::vector<Keysym> syms(keysyms, keysyms + per * count);

    std::array<std::vector<xcb_keycode_t>, 8> modifiers;
    const int perModifier = mods->keycodes_per_modifier;
    if (xcb_get_modifier_mapping_keycodes_length(mods.get()) >= perModifier * 8) {
        const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(mods.get());
        for (int m = 0; m < 8; ++m)
            for (int i = 0; i < perModifier; ++i)
                if (const xcb_keycode_t code = codes[m * perModifier + i]; code != 0)
                    modifiers[static_cast<std::size_t>(m)].push_back(code);
    }
    Set(first, per, std::move(syms), modifiers);
    return true;
}

void X11KeyMap::Set(xcb_keycode_t minKeycode, int keysymsPerKeycode, std::vector<Keysym> keysyms,
                    const std::array<std::vector<xcb_keycode_t>, 8>& modifiers) {
    min_ = minKeycode;
    perKeycode_ = keysymsPerKeycode > 0 ? keysymsPerKeycode : 0;
    syms_ = std::move(keysyms);
    if (perKeycode_ > 0)
        syms_.resize(syms_.size() - syms_.size() % static_cast<std::size_t>(perKeycode_));
    else
        syms_.clear();
    // Keycodes end at 255.
    const std::size_t most = static_cast<std::size_t>(256 - min_) * static_cast<std::size_t>(perKeycode_);
    if (syms_.size() > most)
        syms_.resize(most);
    modifiers_ = modifiers;
    Index();
}

xcb_keycode_t X11KeyMap::MaxKeycode() const {
    if (perKeycode_ == 0 || syms_.empty())
        return min_;
    return static_cast<xcb_keycode_t>(min_ + syms_.size() / static_cast<std::size_t>(perKeycode_) - 1);
}

int X11KeyMap::Column(int level) const {
    // The core mapping of an XKB server: group 1 levels 1-2, group 2 levels 1-2, group 1 levels 3-4.
    static constexpr int Columns[] = {0, 1, 4, 5};
    return level >= 0 && level < 4 ? Columns[level] : perKeycode_;
}

X11KeyMap::Keysym X11KeyMap::At(xcb_keycode_t keycode, int level) const {
    if (keycode < min_ || syms_.empty() || keycode > MaxKeycode())
        return NoSymbol;
    const int column = Column(level);
    const auto row = static_cast<std::size_t>(keycode - min_) * static_cast<std::size_t>(perKeycode_);
    const Keysym sym = column < perKeycode_ ? syms_[row + static_cast<std::size_t>(column)] : NoSymbol;
    if (sym == NoSymbol && level == 1) {
        // A single keysym stands for both levels; a lone lower-case letter has its capital shifted.
        const Keysym plain = syms_[row];
        if (plain >= 'a' && plain <= 'z')
            return plain - 'a' + 'A';
        return plain;
    }
    return sym;
}

std::optional<X11KeyMap::Place> X11KeyMap::FindKeysym(Keysym sym) const {
    if (sym == NoSymbol)
        return std::nullopt;
    for (int level = 0; level < 4; ++level)
        for (int kc = min_; kc <= MaxKeycode(); ++kc)
            if (At(static_cast<xcb_keycode_t>(kc), level) == sym)
                return Place{static_cast<xcb_keycode_t>(kc), level};
    return std::nullopt;
}

std::optional<X11KeyMap::Place> X11KeyMap::FindChar(char32_t ch) const {
    if (ch == U'\n')
        ch = U'\r'; // a line break is typed with Return
    if (ch == 0)
        return std::nullopt;
    for (const bool keypad : {false, true})
        for (int level = 0; level < 4; ++level)
            for (int kc = min_; kc <= MaxKeycode(); ++kc) {
                const Keysym sym = At(static_cast<xcb_keycode_t>(kc), level);
                if (sym != NoSymbol && IsKeypad(sym) == keypad && xkb_keysym_to_utf32(sym) == ch)
                    return Place{static_cast<xcb_keycode_t>(kc), level};
            }
    return std::nullopt;
}

std::vector<xcb_keycode_t> X11KeyMap::UnusedKeycodes() const {
    std::vector<xcb_keycode_t> out;
    for (int kc = min_; kc <= MaxKeycode() && perKeycode_ > 0; ++kc) {
        const auto row = static_cast<std::size_t>(kc - min_) * static_cast<std::size_t>(perKeycode_);
        bool empty = true;
        for (int c = 0; c < perKeycode_ && empty; ++c)
            empty = syms_[row + static_cast<std::size_t>(c)] == NoSymbol;
        if (empty)
            out.push_back(static_cast<xcb_keycode_t>(kc));
    }
    return out;
}

std::uint16_t X11KeyMap::ModifierMask(Keysym sym) const {
    for (std::size_t m = 0; m < modifiers_.size(); ++m)
        for (const xcb_keycode_t kc : modifiers_[m])
            if (At(kc, 0) == sym || At(kc, 1) == sym)
                return static_cast<std::uint16_t>(1u << m);
    return 0;
}

void X11KeyMap::Index() {
    vkKeycode_.fill(0);
    keycodeVk_.fill(0);
    // How each key was found: 0 unshifted, 1 shifted, 2 by its US position. A keycode belongs to the virtual
    // key found the surest way, and among those to the lowest code (VK_SHIFT before VK_LSHIFT).
    std::array<int, 256> how{};
    for (int level = 0; level < 2; ++level)
        for (int vk = 1; vk < 256; ++vk) {
            if (vkKeycode_[static_cast<std::size_t>(vk)] != 0)
                continue;
            for (const Keysym sym : VkKeysyms(static_cast<std::uint8_t>(vk))) {
                for (int kc = min_; kc <= MaxKeycode() && vkKeycode_[static_cast<std::size_t>(vk)] == 0; ++kc)
                    if (At(static_cast<xcb_keycode_t>(kc), level) == sym) {
                        vkKeycode_[static_cast<std::size_t>(vk)] = static_cast<xcb_keycode_t>(kc);
                        how[static_cast<std::size_t>(vk)] = level;
                    }
            }
        }
    for (int vk = 1; vk < 256; ++vk) {
        const xcb_keycode_t us = UsPosition(static_cast<std::uint8_t>(vk));
        if (vkKeycode_[static_cast<std::size_t>(vk)] == 0 && us >= min_ && us <= MaxKeycode() &&
            At(us, 0) != NoSymbol) {
            vkKeycode_[static_cast<std::size_t>(vk)] = us;
            how[static_cast<std::size_t>(vk)] = 2;
        }
    }
    for (int pass = 0; pass < 3; ++pass)
        for (int vk = 1; vk < 256; ++vk) {
            const xcb_keycode_t kc = vkKeycode_[static_cast<std::size_t>(vk)];
            if (kc != 0 && how[static_cast<std::size_t>(vk)] == pass && keycodeVk_[kc] == 0)
                keycodeVk_[kc] = static_cast<std::uint8_t>(vk);
        }
}

std::uint8_t X11KeyMap::VkOfKeycode(xcb_keycode_t keycode, bool leftRight) const {
    std::uint8_t vk = keycodeVk_[keycode];
    if (vk == VK_LSHIFT || vk == VK_RSHIFT)
        vk = VK_SHIFT;
    else if (vk == VK_LCONTROL || vk == VK_RCONTROL)
        vk = VK_CONTROL;
    else if (vk == VK_LMENU || vk == VK_RMENU)
        vk = VK_MENU;
    if (!leftRight || (vk != VK_SHIFT && vk != VK_CONTROL && vk != VK_MENU))
        return vk;
    switch (At(keycode, 0)) {
    case XK_Shift_L:
        return VK_LSHIFT;
    case XK_Shift_R:
        return VK_RSHIFT;
    case XK_Control_L:
        return VK_LCONTROL;
    case XK_Control_R:
        return VK_RCONTROL;
    case XK_Alt_L:
    case XK_Meta_L:
        return VK_LMENU;
    case XK_Alt_R:
    case XK_Meta_R:
        return VK_RMENU;
    default:
        return vk;
    }
}

std::vector<xcb_keycode_t> X11KeyMap::KeycodesOfVk(std::uint8_t vk) const {
    std::vector<xcb_keycode_t> out;
    const std::vector<Keysym> syms = VkKeysyms(vk);
    for (int kc = min_; kc <= MaxKeycode(); ++kc)
        for (const Keysym sym : syms)
            if (At(static_cast<xcb_keycode_t>(kc), 0) == sym || At(static_cast<xcb_keycode_t>(kc), 1) == sym) {
                out.push_back(static_cast<xcb_keycode_t>(kc));
                break;
            }
    if (out.empty() && vkKeycode_[vk] != 0)
        out.push_back(vkKeycode_[vk]);
    return out;
}

} // namespace bx::platform::x11
