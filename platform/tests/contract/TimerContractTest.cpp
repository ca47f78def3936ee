// The timers' contract, run on the simulated desktop (virtual time) and the real one (QTimers on Qt's event
// loop; no display needed): one-shot and repeating timers, killing, restarting a running timer, and the
// timers of a destroyed window. What did not happen is known from the order of events: a later timer (the
// sentinel) fires only after what should have come before it.
#include "ContractDesktops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace bx::platform;
using namespace bx::platform::contract;

namespace {

template <typename Desktop> class TimerContract : public ::testing::Test {
protected:
    void SetUp() override {
        desk_ = std::make_unique<Desktop>();
        window_ = desk_->Windows().CreateWindow("timers", [this](UINT msg, WPARAM id, LPARAM) {
            if (msg == WM_TIMER)
                fired_.push_back(static_cast<TimerId>(id));
            return LRESULT{0};
        });
    }

    IWindows& Windows() { return desk_->Windows(); }
    int Fired(TimerId id) const { return static_cast<int>(std::count(fired_.begin(), fired_.end(), id)); }
    // Runs until the sentinel timer has fired.
    bool RunUntilFired(TimerId sentinel) {
        return desk_->RunUntil([&] { return Fired(sentinel) > 0; });
    }

    std::vector<TimerId> fired_; // outlives the desktop, whose window writes to it
    std::unique_ptr<Desktop> desk_;
    HWND window_ = NoWindow;
};

TYPED_TEST_SUITE(TimerContract, Desktops);

TYPED_TEST(TimerContract, AOneShotTimerFiresOnceAndIsGoneThen) {
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 1, 10, TimerKind::OneShot));
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 9, 200, TimerKind::OneShot));
    EXPECT_TRUE(this->fired_.empty()) << "nothing fires before the loop runs";
    ASSERT_TRUE(this->RunUntilFired(9));
    EXPECT_EQ(this->fired_, (std::vector<TimerId>{1, 9}));
    EXPECT_FALSE(this->Windows().KillTimer(this->window_, 1)) << "a one-shot timer is gone once it fired";
}

TYPED_TEST(TimerContract, ARepeatingTimerFiresUntilItIsKilled) {
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 1, 10, TimerKind::Repeating));
    ASSERT_TRUE(this->desk_->RunUntil([&] { return this->Fired(1) >= 3; }));
    EXPECT_TRUE(this->Windows().KillTimer(this->window_, 1));
    EXPECT_FALSE(this->Windows().KillTimer(this->window_, 1));
    const int fired = this->Fired(1);
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 9, 50, TimerKind::OneShot));
    ASSERT_TRUE(this->RunUntilFired(9));
    EXPECT_EQ(this->Fired(1), fired) << "a killed timer fires no more";
}

TYPED_TEST(TimerContract, SettingARunningTimerRestartsItWithTheNewIntervalAndKind) {
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 1, 60'000, TimerKind::OneShot));
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 2, 10, TimerKind::Repeating));
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 9, 500, TimerKind::OneShot));
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 1, 10, TimerKind::OneShot));
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 2, 10, TimerKind::OneShot));
    ASSERT_TRUE(this->RunUntilFired(9));
    EXPECT_EQ(this->Fired(1), 1) << "the new, shorter interval";
    EXPECT_EQ(this->Fired(2), 1) << "a repeating timer set again as a one-shot one fires once";
    EXPECT_EQ(this->fired_.back(), TimerId{9});
}

TYPED_TEST(TimerContract, TheTimersOfADestroyedWindowStop) {
    int gotten = 0;
    const HWND gone = this->Windows().CreateWindow("gone", [&](UINT, WPARAM, LPARAM) {
        ++gotten;
        return LRESULT{0};
    });
    ASSERT_TRUE(this->Windows().SetTimer(gone, 1, 10, TimerKind::Repeating));
    this->Windows().DestroyWindow(gone);
    EXPECT_FALSE(this->Windows().SetTimer(gone, 2, 10, TimerKind::OneShot)) << "no timer for a window that is gone";
    EXPECT_FALSE(this->Windows().KillTimer(gone, 1));
    ASSERT_TRUE(this->Windows().SetTimer(this->window_, 9, 100, TimerKind::OneShot));
    ASSERT_TRUE(this->RunUntilFired(9));
    EXPECT_EQ(gotten, 0);
}

} // namespace
