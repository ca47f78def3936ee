// Window messages and timers of the real desktop on Qt's event loop.
#include "QtWindows.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

using namespace bx::platform;

namespace {

TEST(QtWindowsTest, PostedMessagesArriveWhenTheLoopRunsAndSentOnesAtOnce) {
    x11::QtWindows windows;
    std::vector<UINT> got;
    const HWND w = windows.CreateWindow("w", [&](UINT msg, WPARAM, LPARAM) {
        got.push_back(msg);
        return 42;
    });
    EXPECT_TRUE(windows.PostMessage(w, WM_USER, 0, 0));
    EXPECT_EQ(windows.SendMessage(w, WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(got, std::vector<UINT>{WM_USER + 1});
    windows.ProcessMessages();
    EXPECT_EQ(got, (std::vector<UINT>{WM_USER + 1, WM_USER}));
}

TEST(QtWindowsTest, OneShotTimerFiresOnceAndDestroyingTheWindowStopsItsTimers) {
    x11::QtWindows windows;
    int fired = 0;
    QEventLoop loop;
    const HWND w = windows.CreateWindow("w", [&](UINT msg, WPARAM id, LPARAM) {
        if (msg == WM_TIMER && id == 5) {
            ++fired;
            loop.quit();
        }
        return 0;
    });
    const HWND gone = windows.CreateWindow("gone", [&](UINT, WPARAM, LPARAM) {
        ADD_FAILURE() << "a destroyed window got a message";
        return 0;
    });
    windows.SetTimer(gone, 1, 0, TimerKind::Repeating);
    windows.DestroyWindow(gone);
    windows.SetTimer(w, 5, 0, TimerKind::OneShot);
    QTimer::singleShot(5000, &loop, &QEventLoop::quit); // a safety net only
    loop.exec();
    windows.ProcessMessages();
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(windows.KillTimer(w, 5)) << "a one-shot timer is gone once it fired";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
