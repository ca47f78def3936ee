// The virtual keys on a keyboard mapping, without a display: a small German-like layout.
#include "X11KeyMap.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace bx::platform;
using namespace bx::platform::x11;

namespace {

X11KeyMap GermanLike() {
    constexpr int Per = 6;
    const std::map<int, std::vector<X11KeyMap::Keysym>> keys = {
        {10, {'1', '!'}},
        {24, {'q', 'Q', 'q', 'Q', '@', 0x7d9 /* Greek_OMEGA */}},
        {29, {'z', 'Z'}},
        {30, {'u'}},        // a lone letter: its capital is implied
        {47, {0xf6, 0xd6}}, // odiaeresis: no virtual key of its own
        {50, {0xffe1}},     // Shift_L
        {52, {'y', 'Y'}},
        {55, {0x6d6, 0x6f6}}, // Cyrillic zhe: this layout has no v
        {59, {',', ';'}},
        {62, {0xffe2}}, // Shift_R
        {77, {0xff7f}}, // Num_Lock
        {94, {'<', '>', '<', '>', '|', 0xa6}},
        {108, {0xfe03}}, // ISO_Level3_Shift
    };
    std::vector<X11KeyMap::Keysym> syms(static_cast<std::size_t>((120 - 8) * Per), 0);
    for (const auto& [kc, row] : keys)
        for (std::size_t i = 0; i < row.size(); ++i)
            syms[static_cast<std::size_t>((kc - 8) * Per) + i] = row[i];
    std::array<std::vector<xcb_keycode_t>, 8> modifiers;
    modifiers[0] = {50, 62};
    modifiers[4] = {77};  // Mod2
    modifiers[7] = {108}; // Mod5
    X11KeyMap map;
    map.Set(8, Per, std::move(syms), modifiers);
    return map;
}

TEST(X11KeyMapTest, VirtualKeysFollowTheLayout) {
    const X11KeyMap map = GermanLike();
    EXPECT_EQ(map.KeycodeOfVk('Z'), 29);
    EXPECT_EQ(map.KeycodeOfVk('Y'), 52);
    EXPECT_EQ(map.KeycodeOfVk('V'), 55); // where the US keyboard has it
    EXPECT_EQ(map.KeycodeOfVk(VK_SHIFT), 50);
    EXPECT_EQ(map.VkOfKeycode(62), VK_SHIFT);
    EXPECT_EQ(map.VkOfKeycode(62, true), VK_RSHIFT);
    EXPECT_EQ(map.VkOfKeycode(94), VK_OEM_102);
    // The comma key carries ';' shifted, but it is the comma's key; the semicolon's key stays where it is found.
    EXPECT_EQ(map.VkOfKeycode(59), VK_OEM_COMMA);
    EXPECT_EQ(map.VkOfKeycode(47), 0);
    EXPECT_EQ(map.KeycodesOfVk(VK_SHIFT), (std::vector<xcb_keycode_t>{50, 62}));
    EXPECT_EQ(map.ModifierMask(0xff7f), XCB_MOD_MASK_2);
}

TEST(X11KeyMapTest, CharactersAreFoundAtTheirLevel) {
    const X11KeyMap map = GermanLike();
    struct Case {
        char32_t ch;
        int keycode;
        int level;
    };
    for (const Case c : {Case{U'q', 24, 0}, Case{U'Q', 24, 1}, Case{U'@', 24, 2}, Case{U'\u03A9', 24, 3},
                         Case{U'U', 30, 1}, Case{U'|', 94, 2}, Case{U'>', 94, 1}, Case{U'\u00F6', 47, 0}}) {
        const auto place = map.FindChar(c.ch);
        ASSERT_TRUE(place) << static_cast<unsigned>(c.ch);
        EXPECT_EQ(place->keycode, c.keycode) << static_cast<unsigned>(c.ch);
        EXPECT_EQ(place->level, c.level) << static_cast<unsigned>(c.ch);
    }
    EXPECT_FALSE(map.FindChar(U'\u20AC'));
    const std::vector<xcb_keycode_t> unused = map.UnusedKeycodes();
    EXPECT_NE(std::find(unused.begin(), unused.end(), 9), unused.end());
    EXPECT_EQ(std::find(unused.begin(), unused.end(), 24), unused.end());
}

} // namespace
