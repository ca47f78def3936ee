// Synthetic keys and hot keys against a real X server: keys typed into a Qt line edit, hot keys pressed by
// xdotool, a grab held by another client. Needs $DISPLAY (e.g. under xvfb-run); without one these tests skip.
#include "QtWindows.h"
#include "X11HotKeys.h"
#include "X11KeyMap.h"
#include "X11Keyboard.h"
#include "XcbConnection.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace bx::platform;
using namespace bx::platform::x11;

namespace {

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

// Runs the event loop until done() holds or the time is up.
bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

bool RunTool(const QString& program, const QStringList& args) {
    if (QStandardPaths::findExecutable(program).isEmpty())
        return false;
    return QProcess::execute(program, args) == 0;
}

// Types text the way the keystroke sender does: each character's key from VkKeyScan, Shift around it when
// its shift state asks for it (text here needs neither Ctrl nor Alt).
void Type(IKeyboard& kb, const std::string& cp1252) {
    for (const char ch : cp1252) {
        const std::int16_t scan = kb.VkKeyScan(ch);
        ASSERT_NE(scan, -1) << "no key for " << static_cast<int>(static_cast<unsigned char>(ch));
        const auto vk = static_cast<std::uint8_t>(scan & 0xFF);
        const bool shift = (scan & 0x100) != 0;
        ASSERT_EQ(scan & 0x600, 0) << "Ctrl or Alt asked for " << ch;
        if (shift)
            kb.KeyEvent(VK_SHIFT, static_cast<std::uint8_t>(kb.MapVirtualKey(VK_SHIFT, 0)), 0);
        kb.KeyEvent(vk, static_cast<std::uint8_t>(kb.MapVirtualKey(vk, 0)), 0);
        kb.KeyEvent(vk, static_cast<std::uint8_t>(kb.MapVirtualKey(vk, 0)), KEYEVENTF_KEYUP);
        if (shift)
            kb.KeyEvent(VK_SHIFT, static_cast<std::uint8_t>(kb.MapVirtualKey(VK_SHIFT, 0)), KEYEVENTF_KEYUP);
    }
}

class X11KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay())
            GTEST_SKIP() << "no X display";
    }
    void TearDown() override {
        if (HasDisplay())
            RunTool("setxkbmap", {"us"});
    }
};

// Shift characters on every layout; on the German layout '@', '€' and '|' need AltGr, on the US layout the
// euro sign is on no key at all. Without setxkbmap the server's layout stands in for the US one.
TEST_F(X11KeyboardTest, TextTypedIntoALineEditArrivesAsTyped) {
    for (const char* layout : {"us", "de"}) {
        SCOPED_TRACE(layout);
        if (!RunTool("setxkbmap", {layout}) && std::string(layout) == "de")
            GTEST_SKIP() << "setxkbmap cannot set the German layout: AltGr characters untested";
        X11Keyboard kb;
        ASSERT_TRUE(kb.IsConnected());
        QLineEdit edit;
        edit.show();
        edit.activateWindow();
        edit.setFocus();
        ASSERT_TRUE(WaitUntil([&] { return edit.hasFocus() && QApplication::focusWidget() == &edit; }));

        const std::string text = "Hello, World! @\x80|"; // \x80: the euro sign of the classic code page
        Type(kb, text);
        const QString expected = QString::fromUtf8("Hello, World! @\u20AC|");
        EXPECT_TRUE(WaitUntil([&] { return edit.text() == expected; }))
            << edit.text().toStdString() << " instead of " << expected.toStdString();
        EXPECT_FALSE(kb.IsKeyDown(VK_SHIFT)); // nothing left pressed
    }
}

TEST_F(X11KeyboardTest, KeysFollowTheLayoutWhenItChanges) {
    if (!RunTool("setxkbmap", {"us"}))
        GTEST_SKIP() << "setxkbmap cannot set the US layout";
    X11Keyboard kb;
    ASSERT_TRUE(kb.IsConnected());
    const UINT yUs = kb.MapVirtualKey('Y', 0);
    const UINT zUs = kb.MapVirtualKey('Z', 0);
    const UINT vUs = kb.MapVirtualKey('V', 0);
    ASSERT_NE(yUs, 0u);
    EXPECT_EQ(kb.MapVirtualKey(yUs, 1), UINT{'Y'});
    EXPECT_EQ(kb.MapVirtualKey('Y', 2), UINT{'Y'});
    EXPECT_EQ(kb.VkKeyScan('!'), 0x100 | '1'); // Shift and 1
    EXPECT_EQ(kb.VkKeyScan('@'), 0x100 | '2');

    if (!RunTool("setxkbmap", {"de"}))
        GTEST_SKIP() << "setxkbmap cannot set the German layout";
    // Y and Z change places; the change reaches the keyboard without the event loop running.
    EXPECT_EQ(kb.MapVirtualKey('Y', 0), zUs);
    EXPECT_EQ(kb.MapVirtualKey('Z', 0), yUs);
    EXPECT_EQ(kb.VkKeyScan('z'), 'Z');
    EXPECT_EQ(kb.VkKeyScan('!'), 0x100 | '1');
    const std::int16_t at = kb.VkKeyScan('@');
    EXPECT_NE(at & 0xFF, '2');
    EXPECT_EQ(at >> 8, 0); // an AltGr character is a private key that brings its own AltGr
    EXPECT_EQ(kb.VkKeyScan('@'), at);

    // A layout without Latin letters keeps them where the US keyboard has them (Ctrl+V still pastes).
    if (!RunTool("setxkbmap", {"ru"}))
        GTEST_SKIP() << "setxkbmap cannot set the Russian layout";
    EXPECT_EQ(kb.MapVirtualKey('V', 0), vUs);
}

TEST_F(X11KeyboardTest, AKeyPressedIsDownUntilReleased) {
    X11Keyboard kb;
    ASSERT_TRUE(kb.IsConnected());
    for (const std::uint8_t vk : {VK_SHIFT, VK_CONTROL, std::uint8_t{'Q'}}) {
        EXPECT_FALSE(kb.IsKeyDown(vk));
        kb.KeyEvent(vk, 0, 0);
        EXPECT_TRUE(kb.IsKeyDown(vk)) << int(vk);
        kb.KeyEvent(vk, 0, KEYEVENTF_KEYUP);
        EXPECT_FALSE(kb.IsKeyDown(vk)) << int(vk);
    }
}

// ---- hot keys ----

class X11HotKeysTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay())
            GTEST_SKIP() << "no X display";
        if (QStandardPaths::findExecutable("xdotool").isEmpty())
            GTEST_SKIP() << "xdotool is not installed";
        hotKeys_ = std::make_unique<X11HotKeys>(windows_);
        ASSERT_TRUE(hotKeys_->IsConnected());
        window_ = windows_.CreateWindow("hot keys", [this](UINT msg, WPARAM wParam, LPARAM lParam) {
            if (msg == WM_HOTKEY)
                received_.emplace_back(wParam, lParam);
            return LRESULT{0};
        });
    }

    QtWindows windows_;
    std::unique_ptr<X11HotKeys> hotKeys_;
    HWND window_ = NoWindow;
    std::vector<std::pair<WPARAM, LPARAM>> received_;
};

// Ctrl+Alt+M, as the program's own hot keys look (theirs are held by the program that the whole-program tests
// run beside these). (Ctrl+Alt+F1-F12 would never fire: the standard keymap switches consoles with them, and
// the server keeps those presses to itself.)
TEST_F(X11HotKeysTest, AGrabbedKeyFiresWithAndWithoutNumLockUntilUnregistered) {
    ASSERT_TRUE(hotKeys_->RegisterHotKey(window_, 7, MOD_CONTROL | MOD_ALT, 'M'));
    const LPARAM expected = static_cast<LPARAM>((MOD_CONTROL | MOD_ALT) | (UINT{'M'} << 16));

    ASSERT_TRUE(RunTool("xdotool", {"key", "ctrl+alt+m"}));
    ASSERT_TRUE(WaitUntil([&] { return received_.size() == 1; }));
    EXPECT_EQ(received_[0], (std::pair<WPARAM, LPARAM>{7, expected}));

    ASSERT_TRUE(RunTool("xdotool", {"key", "Num_Lock"}));
    ASSERT_TRUE(RunTool("xdotool", {"key", "ctrl+alt+m"}));
    const bool withNumLock = WaitUntil([&] { return received_.size() == 2; });
    ASSERT_TRUE(RunTool("xdotool", {"key", "Num_Lock"}));
    EXPECT_TRUE(withNumLock);

    ASSERT_TRUE(RunTool("xdotool", {"key", "ctrl+m"})); // other modifiers: not ours
    EXPECT_TRUE(hotKeys_->UnregisterHotKey(window_, 7));
    EXPECT_FALSE(hotKeys_->UnregisterHotKey(window_, 7));
    ASSERT_TRUE(RunTool("xdotool", {"key", "ctrl+alt+m"}));
    WaitUntil([] { return false; }, 300);
    EXPECT_EQ(received_.size(), 2u);
}

TEST_F(X11HotKeysTest, AKeyAnotherClientGrabbedIsRefused) {
    std::unique_ptr<XcbConnection> other = XcbConnection::Open();
    ASSERT_TRUE(other);
    X11KeyMap map;
    ASSERT_TRUE(map.Load(other->Raw()));
    const xcb_keycode_t f10 = map.KeycodeOfVk(VK_F9 + 1);
    ASSERT_NE(f10, 0);
    xcb_void_cookie_t grab = xcb_grab_key_checked(other->Raw(), 1, other->Root(), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1,
                                                  f10, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(other->Raw(), grab), nullptr);

    EXPECT_FALSE(hotKeys_->RegisterHotKey(window_, 1, MOD_CONTROL | MOD_ALT, VK_F9 + 1));
    EXPECT_TRUE(hotKeys_->RegisterHotKey(window_, 2, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F9 + 1));
    // Our own combination is not ours twice either.
    EXPECT_FALSE(hotKeys_->RegisterHotKey(window_, 3, MOD_CONTROL | MOD_ALT | MOD_SHIFT, VK_F9 + 1));

    xcb_ungrab_key(other->Raw(), f10, other->Root(), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    std::free(xcb_get_input_focus_reply(other->Raw(), xcb_get_input_focus(other->Raw()), nullptr)); // done
    EXPECT_TRUE(hotKeys_->RegisterHotKey(window_, 1, MOD_CONTROL | MOD_ALT, VK_F9 + 1));
}

// The keysyms of a keycode, as the server holds them now.
std::vector<xcb_keysym_t> KeysymsOf(XcbConnection& conn, xcb_keycode_t keycode) {
    XcbReply<xcb_get_keyboard_mapping_reply_t> reply(
        xcb_get_keyboard_mapping_reply(conn.Raw(), xcb_get_keyboard_mapping(conn.Raw(), keycode, 1), nullptr));
    if (!reply)
        return {};
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(reply.get());
    return std::vector<xcb_keysym_t>(syms, syms + reply->keysyms_per_keycode);
}

void SetKeysyms(XcbConnection& conn, xcb_keycode_t keycode, std::vector<xcb_keysym_t> syms, std::size_t width) {
    syms.resize(width, 0);
    xcb_change_keyboard_mapping(conn.Raw(), 1, keycode, static_cast<std::uint8_t>(width), syms.data());
    std::free(xcb_get_input_focus_reply(conn.Raw(), xcb_get_input_focus(conn.Raw()), nullptr)); // done
}

// The user's layout puts M on another key: the hot key is pressed there, and the keys that stayed keep theirs.
TEST_F(X11HotKeysTest, AfterAKeyboardChangeAMovedKeyFiresAtItsNewPlaceAndTheOthersStill) {
    std::unique_ptr<XcbConnection> conn = XcbConnection::Open();
    ASSERT_TRUE(conn);
    X11KeyMap map;
    ASSERT_TRUE(map.Load(conn->Raw()));
    const xcb_keycode_t oldM = map.KeycodeOfVk('M');
    ASSERT_NE(oldM, 0);
    const std::vector<xcb_keysym_t> mSyms = KeysymsOf(*conn, oldM);
    xcb_keycode_t spare = 0;
    for (xcb_keycode_t k = 255; k > 8 && spare == 0; --k) {
        const std::vector<xcb_keysym_t> syms = KeysymsOf(*conn, k);
        if (!syms.empty() && std::all_of(syms.begin(), syms.end(), [](xcb_keysym_t s) { return s == 0; }))
            spare = k;
    }
    if (spare == 0)
        GTEST_SKIP() << "no unused keycode";
    ASSERT_TRUE(hotKeys_->RegisterHotKey(window_, 1, MOD_CONTROL | MOD_ALT, 'M'));
    ASSERT_TRUE(hotKeys_->RegisterHotKey(window_, 2, MOD_CONTROL | MOD_ALT, 'L'));

    SetKeysyms(*conn, spare, mSyms, mSyms.size());
    SetKeysyms(*conn, oldM, {}, mSyms.size());
    // xdotool presses M where the server has it now; the first presses may come before we have heard of the change.
    const bool moved = WaitUntil([&] {
        RunTool("xdotool", {"key", "ctrl+alt+m"});
        return !received_.empty();
    });
    ASSERT_TRUE(RunTool("xdotool", {"key", "ctrl+alt+l"}));
    const bool stayed = WaitUntil([&] { return !received_.empty() && received_.back().first == 2; });
    SetKeysyms(*conn, oldM, mSyms, mSyms.size());
    SetKeysyms(*conn, spare, {}, mSyms.size());
    EXPECT_TRUE(moved) << "M at its new key";
    EXPECT_TRUE(stayed) << "L where it was";
    EXPECT_EQ(received_.front().first, 1u);
}

// The activation of our window carries the time of the press it answers: a focus change after the press
// wins over it (the server keeps the newer one), a new press brings our window the focus.
TEST_F(X11HotKeysTest, OurWindowTakesTheFocusAtThePressTime) {
    QWidget ours;
    ours.setWindowTitle("hot-key window");
    ours.resize(200, 100);
    ours.show();
    const auto ourWindow = static_cast<xcb_window_t>(ours.winId());
    std::unique_ptr<XcbConnection> other = XcbConnection::Open();
    ASSERT_TRUE(other);
    const xcb_window_t theirs = xcb_generate_id(other->Raw());
    xcb_create_window(other->Raw(), XCB_COPY_FROM_PARENT, theirs, other->Root(), 0, 0, 100, 100, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(other->Raw(), theirs);
    auto focus = [&] {
        XcbReply<xcb_get_input_focus_reply_t> reply(
            xcb_get_input_focus_reply(other->Raw(), xcb_get_input_focus(other->Raw()), nullptr));
        return reply ? reply->focus : XCB_NONE;
    };
    auto focusTheirs = [&] {
        xcb_set_input_focus(other->Raw(), XCB_INPUT_FOCUS_PARENT, theirs, XCB_CURRENT_TIME);
        return focus() == theirs;
    };
    ASSERT_TRUE(WaitUntil([&] { return ours.isVisible() && focusTheirs(); }));
    EXPECT_FALSE(hotKeys_->ActivateForLastPress(ourWindow)) << "no press yet";

    ASSERT_TRUE(hotKeys_->RegisterHotKey(window_, 1, MOD_CONTROL | MOD_ALT, 'K'));
    ASSERT_TRUE(RunTool("xdotool", {"key", "ctrl+alt+k"}));
    ASSERT_TRUE(WaitUntil([&] { return received_.size() == 1; }));
    ASSERT_TRUE(focusTheirs()); // after the press
    EXPECT_TRUE(hotKeys_->ActivateForLastPress(ourWindow));
    EXPECT_EQ(focus(), theirs) << "a request at the press's time is older than the focus change";

    ASSERT_TRUE(RunTool("xdotool", {"key", "ctrl+alt+k"}));
    ASSERT_TRUE(WaitUntil([&] { return received_.size() == 2; }));
    EXPECT_TRUE(hotKeys_->ActivateForLastPress(ourWindow));
    EXPECT_TRUE(WaitUntil([&] { return focus() == ourWindow; }));
    xcb_destroy_window(other->Raw(), theirs);
    other->Flush();
}

} // namespace
