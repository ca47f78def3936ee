// The shortcut text of the hot keys: what the settings hold <-> the key and its modifiers.
#include "TShortcutText.h"

#include "IHotKeys.h"
#include "VirtualKeys.h"

#include <gtest/gtest.h>

#include <ostream>

namespace bx::pastetools {
namespace {

using namespace platform;
using TShortcut = TShortcutText::TShortcut;
constexpr UINT Ctrl = MOD_CONTROL;
constexpr UINT Alt = MOD_ALT;
constexpr UINT Shift = MOD_SHIFT;

struct ReadCase {
    const char* text;
    TShortcut expected;
    const char* written; // Write of what was read
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class ShortcutReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ShortcutReadTest, ReadsTheKeyAndItsModifiersAndWritesThemInTheOneOrder) {
    const ReadCase& c = GetParam();
    const TShortcut got = TShortcutText::Read(c.text);
    EXPECT_EQ(got.Key, c.expected.Key);
    EXPECT_EQ(got.Modifiers, c.expected.Modifiers);
    if (got.Key != 0) {
        EXPECT_EQ(TShortcutText::Write(got.Key, got.Modifiers), c.written);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShortcutReadTest,
    ::testing::Values(
        // The four defaults.
        ReadCase{"Ctrl+Alt+C", {'C', Ctrl | Alt}, "Ctrl+Alt+C"},
        ReadCase{"Ctrl+Alt+N", {'N', Ctrl | Alt}, "Ctrl+Alt+N"},
        ReadCase{"Ctrl+Alt+P", {'P', Ctrl | Alt}, "Ctrl+Alt+P"},
        ReadCase{"Shift+Ctrl+Q", {'Q', Shift | Ctrl}, "Shift+Ctrl+Q"},
        // Prefixes in any order and case, repeated, "^" for Ctrl; the written form puts them in order.
        ReadCase{"alt+SHIFT+ctrl+f5", {VK_F1 + 4, Shift | Ctrl | Alt}, "Shift+Ctrl+Alt+F5"},
        ReadCase{"^Alt+^x", {'X', Ctrl | Alt}, "Ctrl+Alt+X"}, ReadCase{"^^F24", {VK_F24, Ctrl}, "Ctrl+F24"},
        ReadCase{"Ctrl+Ctrl+7", {'7', Ctrl}, "Ctrl+7"},
        // Named keys, compared without case; a number-pad digit is written as its digit, which reads as
        // the digit key (the first code of that name).
        ReadCase{"Shift+bksp", {VK_BACK, Shift}, "Shift+BkSp"}, ReadCase{"pgdn", {VK_NEXT, 0}, "PgDn"},
        ReadCase{"Ctrl+Del", {VK_DELETE, Ctrl}, "Ctrl+Del"}, ReadCase{"ENTER", {VK_RETURN, 0}, "Enter"},
        ReadCase{"Alt+Space", {VK_SPACE, Alt}, "Alt+Space"}, ReadCase{"Ctrl+kp_add", {VK_ADD, Ctrl}, "Ctrl+KP_Add"},
        ReadCase{"Ctrl+Alt+semicolon", {VK_OEM_1, Ctrl | Alt}, "Ctrl+Alt+semicolon"},
        // No hot key: empty, modifiers alone, unknown names, a name that is only a prefix of one.
        ReadCase{"", {}, ""}, ReadCase{"Ctrl+Alt+", {}, ""}, ReadCase{"^", {}, ""}, ReadCase{"Ctrl+Alt+Banana", {}, ""},
        ReadCase{"Ctrl+F25", {}, ""}, ReadCase{"Ctrl+Alt+CC", {}, ""}, ReadCase{"Ctrl-Alt-C", {}, ""},
        ReadCase{" Ctrl+C", {}, ""}),
    [](const ::testing::TestParamInfo<ReadCase>& p) { return "Case" + std::to_string(p.index); });

TEST(ShortcutWriteTest, WritesTheNamedKeysAndTheNumberPadAsDigits) {
    EXPECT_EQ(TShortcutText::Write(VK_NUMPAD0 + 3, Ctrl | Alt), "Ctrl+Alt+3");
    EXPECT_EQ(TShortcutText::Write(VK_ESCAPE, Shift | Alt), "Shift+Alt+Esc");
    EXPECT_EQ(TShortcutText::Write(VK_PRIOR, 0), "PgUp");
    EXPECT_EQ(TShortcutText::Write(VK_INSERT, Shift), "Shift+Ins");
    EXPECT_EQ(TShortcutText::Write(VK_F12, MOD_WIN), "F12") << "no text for the Win modifier";
    EXPECT_EQ(TShortcutText::Write(0x300, Ctrl), "Ctrl+") << "a code without a name";
}

TEST(ShortcutWriteTest, EveryNamedKeyReadsBackAsTheFirstKeyOfItsNameWithTheSameModifiers) {
    for (UINT key = TShortcutText::FirstKey; key <= TShortcutText::LastKey; ++key) {
        const std::string name = TShortcutText::KeyName(key);
        if (name.empty())
            continue;
        for (const UINT mods : {0u, Shift | Ctrl | Alt, Alt}) {
            const TShortcut got = TShortcutText::Read(TShortcutText::Write(key, mods));
            EXPECT_EQ(TShortcutText::KeyName(got.Key), name) << key;
            EXPECT_LE(got.Key, key) << name;
            EXPECT_EQ(got.Modifiers, mods) << name;
        }
    }
    // Every key the keystroke sender names reads back as itself.
    for (const UINT key : {UINT{VK_BACK}, UINT{VK_TAB}, UINT{VK_RETURN}, UINT{VK_ESCAPE}, UINT{VK_SPACE}, UINT{VK_HOME},
                           UINT{VK_DOWN}, UINT{'0'}, UINT{'Z'}, UINT{VK_F1}, UINT{VK_F24}})
        EXPECT_EQ(TShortcutText::Read(TShortcutText::Write(key, Ctrl)), (TShortcut{key, Ctrl})) << key;
}

} // namespace
} // namespace bx::pastetools
