// The screen's active window: found by the window manager's word or by the input focus, known by its
// title and process, and activated again. Needs an X display (skips without one).
#include "X11ActiveWindow.h"
#include "QtWindows.h"
#include "XcbConnection.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <unistd.h>

namespace bx::platform::x11 {
namespace {

// Another client with top-level windows of its own.
class Peer {
public:
    explicit Peer(XcbConnection& conn) : conn_(conn) {}

    xcb_window_t MakeWindow(const std::string& title) {
        const xcb_window_t w = xcb_generate_id(conn_.Raw());
        xcb_create_window(conn_.Raw(), XCB_COPY_FROM_PARENT, w, conn_.Root(), 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_change_property(conn_.Raw(), XCB_PROP_MODE_REPLACE, w, conn_.Atom("_NET_WM_NAME"),
                            conn_.Atom("UTF8_STRING"), 8, static_cast<std::uint32_t>(title.size()), title.data());
        xcb_map_window(conn_.Raw(), w);
        Sync();
        return w;
    }
    void Focus(xcb_window_t w) {
        xcb_set_input_focus(conn_.Raw(), XCB_INPUT_FOCUS_PARENT, w, XCB_CURRENT_TIME);
        Sync();
    }
    xcb_window_t Focused() {
        auto* r = xcb_get_input_focus_reply(conn_.Raw(), xcb_get_input_focus(conn_.Raw()), nullptr);
        const xcb_window_t w = r != nullptr ? r->focus : XCB_NONE;
        std::free(r);
        return w;
    }
    void SetActive(xcb_window_t w) {
        xcb_change_property(conn_.Raw(), XCB_PROP_MODE_REPLACE, conn_.Root(), conn_.Atom("_NET_ACTIVE_WINDOW"),
                            XCB_ATOM_WINDOW, 32, 1, &w);
        Sync();
    }
    void ClearActive() {
        xcb_delete_property(conn_.Raw(), conn_.Root(), conn_.Atom("_NET_ACTIVE_WINDOW"));
        Sync();
    }

private:
    void Sync() { std::free(xcb_get_input_focus_reply(conn_.Raw(), xcb_get_input_focus(conn_.Raw()), nullptr)); }

    XcbConnection& conn_;
};

TEST(X11ActiveWindowTest, TheActiveWindowIsKnownByTitleAndProcessAndCanBeActivatedAgain) {
    if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X display";
    auto conn = XcbConnection::Open();
    ASSERT_TRUE(conn);
    Peer peer(*conn);
    peer.ClearActive();
    const xcb_window_t one = peer.MakeWindow("Letter \xE2\x80\x93 Editor");
    const xcb_window_t two = peer.MakeWindow("Terminal");

    QtWindows windows;
    X11ActiveWindow active(windows);
    windows.SetActiveWindowSource(&active);

    // Without a window manager the input focus tells.
    peer.Focus(one);
    const HWND first = windows.GetForegroundWindow();
    ASSERT_NE(first, NoWindow);
    EXPECT_EQ(windows.GetWindowText(first), "Letter \xE2\x80\x93 Editor");
    EXPECT_EQ(windows.GetWindowProcessId(first), static_cast<std::uint32_t>(::getpid()));
    peer.Focus(two);
    const HWND second = windows.GetForegroundWindow();
    EXPECT_NE(second, first);
    EXPECT_EQ(windows.GetWindowText(second), "Terminal");

    // Activating the first window gives it the focus back.
    EXPECT_TRUE(windows.SetForegroundWindow(first));
    EXPECT_EQ(peer.Focused(), one);

    // The window manager's word comes first; the same window keeps its handle.
    peer.SetActive(two);
    EXPECT_EQ(windows.GetForegroundWindow(), second);
    peer.ClearActive();

    windows.SetActiveWindowSource(nullptr);
    xcb_destroy_window(conn->Raw(), one);
    xcb_destroy_window(conn->Raw(), two);
    conn->Flush();
}

TEST(X11ActiveWindowTest, AWindowThatIsGoneCannotBeActivatedAndItsHandleGoes) {
    if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X display";
    auto conn = XcbConnection::Open();
    ASSERT_TRUE(conn);
    Peer peer(*conn);
    peer.ClearActive();
    const xcb_window_t stays = peer.MakeWindow("Stays");
    const xcb_window_t goes = peer.MakeWindow("Goes");

    QtWindows windows;
    X11ActiveWindow active(windows);
    windows.SetActiveWindowSource(&active);
    peer.Focus(goes);
    const HWND gone = windows.GetForegroundWindow();
    ASSERT_NE(gone, NoWindow);
    peer.Focus(stays);
    xcb_destroy_window(conn->Raw(), goes);
    peer.Focus(stays);

    EXPECT_FALSE(windows.SetForegroundWindow(gone)) << "keys sent now would reach another window";
    EXPECT_FALSE(windows.IsWindow(gone));
    EXPECT_EQ(peer.Focused(), stays);

    // The window manager's word about a window that is gone (left by a program that ended) is not taken.
    peer.SetActive(goes);
    const HWND focused = windows.GetForegroundWindow();
    EXPECT_EQ(windows.GetWindowText(focused), "Stays");
    peer.ClearActive();

    windows.SetActiveWindowSource(nullptr);
    xcb_destroy_window(conn->Raw(), stays);
    conn->Flush();
}

} // namespace
} // namespace bx::platform::x11
