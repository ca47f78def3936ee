// The hot keys' contract, run on the simulated desktop and on the X server (key grabs, pressed through XTest;
// skipped without $DISPLAY): a press posts WM_HOTKEY to the window that registered the combination, a
// combination is registered once, one that another program holds is refused, and an unregistered one is quiet.
// What did not arrive is known from the order of events: a second combination (the sentinel) is pressed
// after it and arrives after anything the first one would have brought.
#include "ContractDesktops.h"
#include "IHotKeys.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

using namespace bx::platform;
using namespace bx::platform::contract;

namespace {

// Combinations no desktop of the tests keeps for itself (Ctrl+Alt+F1-F12 switch consoles on X).
constexpr UINT Mods = MOD_CONTROL | MOD_ALT | MOD_SHIFT;
constexpr UINT Key = 'J';
constexpr UINT Sentinel = 'K';

using Received = std::pair<WPARAM, LPARAM>;

LPARAM HotKeyParam(UINT modifiers, UINT vk) {
    return static_cast<LPARAM>(modifiers | (vk << 16));
}

template <typename Desktop> class HotKeyContract : public ::testing::Test {
protected:
    void SetUp() override {
        if (const std::string why = Desktop::Unavailable(); !why.empty())
            GTEST_SKIP() << why;
        desk_ = std::make_unique<Desktop>();
        window_ = desk_->Windows().CreateWindow("hot keys", [this](UINT msg, WPARAM wParam, LPARAM lParam) {
            if (msg == WM_HOTKEY)
                received_.emplace_back(wParam, lParam);
            return LRESULT{0};
        });
    }

    IHotKeys& Keys() { return desk_->HotKeys(); }
    bool RunUntilReceived(std::size_t count) {
        return desk_->RunUntil([&] { return received_.size() >= count; });
    }

    std::vector<Received> received_; // outlives the desktop, whose window writes to it
    std::unique_ptr<Desktop> desk_;
    HWND window_ = NoWindow;
};

TYPED_TEST_SUITE(HotKeyContract, Desktops);

TYPED_TEST(HotKeyContract, APressPostsWmHotKeyToTheWindowThatRegisteredIt) {
    ASSERT_TRUE(this->Keys().RegisterHotKey(this->window_, 7, Mods, Key));
    this->desk_->PressHotKey(Mods, Key);
    EXPECT_TRUE(this->received_.empty()) << "posted, not sent";
    ASSERT_TRUE(this->RunUntilReceived(1));
    EXPECT_EQ(this->received_, (std::vector<Received>{{7, HotKeyParam(Mods, Key)}}));

    EXPECT_TRUE(this->Keys().UnregisterHotKey(this->window_, 7));
    EXPECT_FALSE(this->Keys().UnregisterHotKey(this->window_, 7));
    ASSERT_TRUE(this->Keys().RegisterHotKey(this->window_, 8, Mods, Sentinel));
    this->desk_->PressHotKey(Mods, Key);
    this->desk_->PressHotKey(Mods, Sentinel);
    ASSERT_TRUE(this->RunUntilReceived(2));
    EXPECT_EQ(this->received_, (std::vector<Received>{{7, HotKeyParam(Mods, Key)}, {8, HotKeyParam(Mods, Sentinel)}}))
        << "an unregistered combination is quiet";
}

TYPED_TEST(HotKeyContract, ACombinationIsRegisteredOnce) {
    IHotKeys& keys = this->Keys();
    const HWND other = this->desk_->Windows().CreateWindow("other", [](UINT, WPARAM, LPARAM) { return LRESULT{0}; });
    ASSERT_TRUE(keys.RegisterHotKey(this->window_, 1, Mods, Key));
    EXPECT_TRUE(keys.RegisterHotKey(this->window_, 1, Mods, Key)) << "the same registration again";
    EXPECT_FALSE(keys.RegisterHotKey(this->window_, 2, Mods, Key)) << "under another id";
    EXPECT_FALSE(keys.RegisterHotKey(other, 1, Mods, Key)) << "for another window";
    EXPECT_TRUE(keys.RegisterHotKey(this->window_, 2, Mods & ~MOD_SHIFT, Key)) << "other modifiers";
    EXPECT_TRUE(keys.UnregisterHotKey(this->window_, 1));
    EXPECT_TRUE(keys.RegisterHotKey(other, 1, Mods, Key)) << "free again";
    this->desk_->Windows().DestroyWindow(other);
    EXPECT_FALSE(keys.RegisterHotKey(other, 3, Mods, Sentinel)) << "no hot key for a window that is gone";
}

TYPED_TEST(HotKeyContract, ACombinationAnotherProgramHoldsIsRefused) {
    this->desk_->TakeHotKeyByAnotherProgram(Mods, Key);
    EXPECT_FALSE(this->Keys().RegisterHotKey(this->window_, 1, Mods, Key));
    EXPECT_TRUE(this->Keys().RegisterHotKey(this->window_, 1, Mods, Sentinel));
}

} // namespace
