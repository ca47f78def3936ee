// The keystroke sender: what a key string types (on the simulated US layout), the token table, the
// malformed strings, and the sending itself on the simulated desktop.
#include "TSendKey.h"
#include "KeyText.h"
#include "SimApp.h"
#include "SimDesktop.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace bx::pastetools {
namespace {

using keytext::Text;
using platform::sim::SimKeyboard;

struct TypedCase {
    const char* keys;
    const char* typed;
    friend void PrintTo(const TypedCase& c, std::ostream* os) { *os << '"' << c.keys << '"'; }
};

class KeyStringTyped : public ::testing::TestWithParam<TypedCase> {};

TEST_P(KeyStringTyped, AsTheseKeyEvents) {
    SimKeyboard layout;
    TSendKey::Modifiers pending;
    EXPECT_EQ(Text(TSendKey::KeyEventsFor(GetParam().keys, pending, false, layout)), GetParam().typed);
    EXPECT_EQ(pending, TSendKey::Modifiers{}) << "every flag was used by a key";
}

INSTANTIATE_TEST_SUITE_P(
    TSendKey, KeyStringTyped,
    ::testing::Values(
        // The program's own strings: the paste, the Edit menu's paste, the window menu, Tab and Enter.
        TypedCase{"^V", "Ctrl↓ V↓ V↑ Ctrl↑"}, TypedCase{"^v", "Ctrl↓ V↓ V↑ Ctrl↑"}, TypedCase{"@e", "Alt↓ E↓ E↑ Alt↑"},
        TypedCase{"p", "P↓ P↑"}, TypedCase{"@ ", "Alt↓ Space↓ Space↑ Alt↑"}, TypedCase{"{TAB}", "Tab↓ Tab↑"},
        TypedCase{"{tab}", "Tab↓ Tab↑"}, TypedCase{"{ENTER}", "Enter↓ Enter↑"},
        // The terminal's paste: Shift is held by its flag and once more as the key's own.
        TypedCase{"^~v", "Ctrl↓ Shift↓ Shift↓ V↓ V↑ Shift↑ Shift↑ Ctrl↑"},
        // Modifier tokens set their flag, in any case; MENU names the Alt key and strikes it.
        TypedCase{"{CTRL}v", "Ctrl↓ V↓ V↑ Ctrl↑"}, TypedCase{"{ctrl}v", "Ctrl↓ V↓ V↑ Ctrl↑"},
        TypedCase{"{ALT}{F4}", "Alt↓ F4↓ F4↑ Alt↑"}, TypedCase{"{Shift}{END}", "Shift↓ Shift↓ End↓ End↑ Shift↑ Shift↑"},
        TypedCase{"{MENU}", "Alt↓ Alt↑"},
        TypedCase{"{l}{R}{dn}{PGUP}", "Left↓ Left↑ Right↓ Right↑ Down↓ Down↑ PgUp↓ PgUp↑"},
        // Flags hold for the next key only, from a character or a token.
        TypedCase{"@^x", "Alt↓ Ctrl↓ X↓ X↑ Ctrl↑ Alt↑"}, TypedCase{"a^b", "A↓ A↑ Ctrl↓ B↓ B↑ Ctrl↑"},
        TypedCase{"^ab", "Ctrl↓ A↓ A↑ Ctrl↑ B↓ B↑"}, TypedCase{"^{TAB}x", "Ctrl↓ Tab↓ Tab↑ Ctrl↑ X↓ X↑"},
        // Characters with the shift state of the layout.
        TypedCase{"A", "Shift↓ A↓ A↑ Shift↑"}, TypedCase{"~a", "Shift↓ Shift↓ A↓ A↑ Shift↑ Shift↑"},
        TypedCase{"%1", "Shift↓ 5↓ 5↑ Shift↑ 1↓ 1↑"},
        // A bracket alone is a character.
        TypedCase{"{", "Shift↓ [↓ [↑ Shift↑"}, TypedCase{"}", "Shift↓ ]↓ ]↑ Shift↑"}));

// A layout whose control characters ask for the shift states a real layout can give a character.
class StatesLayout : public SimKeyboard {
public:
    std::int16_t VkKeyScan(char ch) const override {
        static const std::map<char, std::int16_t> states{
            {'\x01', platform::VkScanControl | 'A'},
            {'\x02', platform::VkScanControl | platform::VkScanShift | 'B'},
            {'\x03', platform::VkScanControl | platform::VkScanAlt | 'C'},
            {'\x04', platform::VkScanControl | platform::VkScanAlt | platform::VkScanShift | 'D'},
            {'\x05', -1}};
        const auto found = states.find(ch);
        return found != states.end() ? found->second : SimKeyboard::VkKeyScan(ch);
    }
};

TEST(TSendKeyTest, TheLayoutsShiftStatesHoldTheirModifiersAroundTheKey) {
    StatesLayout layout;
    const auto typed = [&](const char* keys) {
        TSendKey::Modifiers pending;
        return Text(TSendKey::KeyEventsFor(keys, pending, false, layout));
    };
    EXPECT_EQ(typed("\x01"), "Ctrl↓ A↓ A↑ Ctrl↑");
    EXPECT_EQ(typed("\x02"), "Ctrl↓ Shift↓ Shift↓ B↓ B↑ Shift↑ Shift↑ Ctrl↑");
    EXPECT_EQ(typed("\x03"), "Ctrl↓ Alt↓ C↓ C↑ Ctrl↑ Alt↑");
    EXPECT_EQ(typed("\x04"), "Shift↓ Ctrl↓ Alt↓ Shift↓ D↓ D↑ Shift↑ Shift↑ Ctrl↑ Alt↑");
    EXPECT_EQ(typed("x\x05y"), "X↓ X↑ Y↓ Y↑") << "a character no key types is left out";
}

TEST(TSendKeyTest, EveryTokenOfTheTableNamesItsKey) {
    const std::map<std::string, int> table{
        {"CTRL", 0x11},   {"ALT", 0x12},   {"MENU", 0x12}, {"SHIFT", 0x10}, {"SPACE", 0x20},  {"F1", 0x70},
        {"F2", 0x71},     {"F3", 0x72},    {"F4", 0x73},   {"F5", 0x74},    {"F6", 0x75},     {"F7", 0x76},
        {"F8", 0x77},     {"F9", 0x78},    {"F10", 0x79},  {"F11", 0x7A},   {"F12", 0x7B},    {"INSERT", 0x2D},
        {"DELETE", 0x2E}, {"DEL", 0x2E},   {"HOME", 0x24}, {"END", 0x23},   {"PGUP", 0x21},   {"PGDN", 0x22},
        {"TAB", 0x09},    {"ENTER", 0x0D}, {"BKSP", 0x08}, {"PRTSC", 0x2C}, {"ESCAPE", 0x1B}, {"ESC", 0x1B},
        {"UP", 0x26},     {"DOWN", 0x28},  {"DN", 0x28},   {"LEFT", 0x25},  {"L", 0x25},      {"RIGHT", 0x27},
        {"R", 0x27}};
    for (const auto& [token, vk] : table) {
        EXPECT_EQ(TSendKey::TokenKey(token), vk) << token;
        std::string lower = token;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(TSendKey::TokenKey(lower), vk) << lower;
    }
    EXPECT_EQ(TSendKey::TokenKey("F13"), std::nullopt);
    EXPECT_EQ(TSendKey::TokenKey("ENTE"), std::nullopt);
}

TEST(TSendKeyTest, EveryEventCarriesItsScanCodeAndTheKeyUpAndExtendedFlags) {
    SimKeyboard layout;
    TSendKey::Modifiers pending;
    const auto events = TSendKey::KeyEventsFor("^{HOME}", pending, false, layout);
    using platform::KEYEVENTF_EXTENDEDKEY;
    using platform::KEYEVENTF_KEYUP;
    const auto scan = [&](std::uint8_t vk) { return static_cast<std::uint8_t>(layout.MapVirtualKey(vk, 0)); };
    // The extended flag goes with a scan code that has any of the bits E0 hex.
    const std::vector<TSendKey::KeyEvent> expected{
        {platform::VK_CONTROL, scan(platform::VK_CONTROL), 0},
        {platform::VK_HOME, scan(platform::VK_HOME), KEYEVENTF_EXTENDEDKEY},
        {platform::VK_HOME, scan(platform::VK_HOME), KEYEVENTF_EXTENDEDKEY | KEYEVENTF_KEYUP},
        {platform::VK_CONTROL, scan(platform::VK_CONTROL), KEYEVENTF_KEYUP}};
    EXPECT_EQ(events, expected);
}

struct MalformedCase {
    const char* keys;
    const char* error;
    friend void PrintTo(const MalformedCase& c, std::ostream* os) { *os << '"' << c.keys << '"'; }
};

class MalformedKeyString : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedKeyString, IsRefusedWholeAndLeavesThePendingFlags) {
    platform::sim::SimDesktop desk;
    TSendKey sender(desk.Keyboard(), desk.Windows());
    sender.SendKeys("^");
    try {
        sender.SendKeys(std::string("ab") + GetParam().keys);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), GetParam().error);
    }
    EXPECT_TRUE(desk.SimulatedKeyboard().Events().empty()) << "nothing of the string was typed";
    EXPECT_TRUE(sender.Pending().Ctrl);
    sender.SendKeys("v");
    EXPECT_EQ(Text(desk.SimulatedKeyboard().Events()), "Ctrl↓ V↓ V↑ Ctrl↑");
}

INSTANTIATE_TEST_SUITE_P(
    TSendKey, MalformedKeyString,
    ::testing::Values(MalformedCase{"{PAGEDOWN}", "No Closing brackets"}, MalformedCase{"{TAB", "No Closing brackets"},
                      MalformedCase{"{ABC}", "Invalid token"}, MalformedCase{"{}", "Invalid token"},
                      MalformedCase{"{{TAB}", "Invalid token"}, MalformedCase{"}", "Invalid token"}));

TEST(TSendKeyTest, SendsTypedKeysAndKeepsAFlagPendingFromOneStringToTheNext) {
    platform::sim::SimDesktop desk;
    TSendKey sender(desk.Keyboard(), desk.Windows());
    int handled = 0;
    const platform::HWND window = desk.Windows().CreateWindow("queue", [&](platform::UINT, auto, auto) {
        ++handled;
        return platform::LRESULT{0};
    });
    desk.Windows().PostMessage(window, platform::WM_USER, 0, 0);

    EXPECT_EQ(sender.SendKeys(""), -1);
    EXPECT_EQ(handled, 0) << "an empty string does nothing at all";
    EXPECT_EQ(sender.SendKeys("^"), 0);
    EXPECT_TRUE(desk.SimulatedKeyboard().Events().empty());
    EXPECT_EQ(handled, 1) << "pending messages are handled after a string";
    EXPECT_EQ(sender.SendKeys("v"), 0);
    EXPECT_EQ(Text(desk.SimulatedKeyboard().Events()), "Ctrl↓ V↓ V↑ Ctrl↑");

    desk.SimulatedKeyboard().ClearEvents();
    sender.TokensOnly = true;
    sender.SendKeys("@^~{TAB}");
    EXPECT_EQ(Text(desk.SimulatedKeyboard().Events()),
              "Shift↓ 2↓ 2↑ Shift↑ Shift↓ 6↓ 6↑ Shift↑ Shift↓ `↓ `↑ Shift↑ Tab↓ Tab↑");
    desk.Windows().DestroyWindow(window);
}

TEST(TSendKeyTest, SendsToAWindowByBringingItForwardAndToAGoneWindowNothing) {
    platform::sim::SimDesktop desk;
    TSendKey sender(desk.Keyboard(), desk.Windows());
    platform::sim::SimApp other(desk, "/usr/bin/mousepad", "other");
    other.TakeForeground();
    auto target = std::make_unique<platform::sim::SimApp>(desk, "/usr/bin/gedit", "notes");

    EXPECT_EQ(sender.SendKeysTo("^v", target->Window()), 0);
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), target->Window());
    EXPECT_EQ(Text(target->KeysReceived()), "Ctrl↓ V↓ V↑ Ctrl↑");

    other.TakeForeground();
    const platform::HWND gone = target->Window();
    target.reset();
    EXPECT_EQ(sender.SendKeysTo("^v", gone), -1);
    EXPECT_TRUE(other.KeysReceived().empty()) << "the keys meant for the gone window reach no other";
    EXPECT_EQ(desk.Windows().GetForegroundWindow(), other.Window());
}

} // namespace
} // namespace bx::pastetools
