// Virtual time: timers, posted messages, other programs' actions and sleeping.
#include "SimDesktop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace bx::platform;
using namespace bx::platform::sim;

namespace {

class SimTimeTest : public ::testing::Test {
protected:
    SimDesktop desk;
    std::vector<std::string> log;

    HWND Window(const std::string& name) {
        return desk.Windows().CreateWindow(name, [this, name](UINT msg, WPARAM w, LPARAM) {
            if (msg == WM_TIMER)
                log.push_back(name + ":timer" + std::to_string(w) + "@" +
                              std::to_string(desk.SimulatedClock().Elapsed()));
            else
                log.push_back(name + ":msg" + std::to_string(msg) + "@" +
                              std::to_string(desk.SimulatedClock().Elapsed()));
            return 0;
        });
    }
};

TEST_F(SimTimeTest, TimersFireInOrderOfTimeAtTheirDueMoment) {
    const HWND a = Window("a");
    const HWND b = Window("b");
    desk.Windows().SetTimer(a, 1, 300, TimerKind::OneShot);
    desk.Windows().SetTimer(b, 2, 100, TimerKind::Repeating);
    desk.Advance(350);
    EXPECT_EQ(log, (std::vector<std::string>{"b:timer2@100", "b:timer2@200", "a:timer1@300", "b:timer2@300"}));
}

TEST_F(SimTimeTest, SettingARunningTimerRestartsItAndKillingStopsIt) {
    const HWND a = Window("a");
    desk.Windows().SetTimer(a, 7, 100, TimerKind::OneShot);
    desk.Advance(80);
    desk.Windows().SetTimer(a, 7, 100, TimerKind::OneShot);
    desk.Advance(90);
    EXPECT_TRUE(log.empty());
    desk.Advance(10);
    EXPECT_EQ(log, (std::vector<std::string>{"a:timer7@180"}));
    desk.Windows().SetTimer(a, 8, 0, TimerKind::Repeating);
    EXPECT_TRUE(desk.Windows().KillTimer(a, 8));
    EXPECT_FALSE(desk.Windows().KillTimer(a, 8));
    desk.Advance(1000);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(SimTimeTest, PostedMessagesWaitForProcessingAndDieWithTheirWindow) {
    const HWND a = Window("a");
    const HWND b = Window("b");
    desk.Windows().PostMessage(a, WM_USER, 0, 0);
    desk.Windows().PostMessage(b, WM_USER + 1, 0, 0);
    EXPECT_TRUE(log.empty());
    desk.Windows().DestroyWindow(b);
    EXPECT_FALSE(desk.Windows().PostMessage(b, WM_USER, 0, 0));
    desk.ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a:msg1024@0"}));
}

TEST_F(SimTimeTest, SleepMovesTimeAndLetsOtherProgramsActButDeliversNothing) {
    const HWND a = Window("a");
    desk.Windows().SetTimer(a, 1, 50, TimerKind::OneShot);
    int acted = 0;
    desk.SimulatedClock().After(30, [&] { ++acted; });
    const std::int32_t before = desk.Clock().TimeOfDayMs();
    desk.Clock().Sleep(100);
    EXPECT_EQ(acted, 1);
    EXPECT_EQ(desk.Clock().TimeOfDayMs(), before + 100);
    EXPECT_TRUE(log.empty()) << "a sleeping program handles no messages";
    desk.ProcessMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"a:timer1@100"})) << "the overdue timer fires when messages are processed";
}

} // namespace
