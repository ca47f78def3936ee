// The simulated session: sleep, wake-up and the end of the session as the program hears them.
#include "SimDesktop.h"

#include <gtest/gtest.h>

#include <string>

using namespace bx::platform;
using namespace bx::platform::sim;

namespace {

TEST(SimSessionTest, EventsReachTheProgramAndTheSessionEndsOnlyOnce) {
    SimDesktop desk;
    std::string heard;
    ISession& session = desk.Session();
    session.OnSuspend = [&] { heard += "suspend "; };
    session.OnResume = [&] { heard += "resume "; };
    session.OnEndSession = [&] {
        heard += "end ";
        // A stop request that arrives while the program is closing changes nothing.
        desk.SimulatedSession().EndSession();
    };

    desk.SimulatedSession().Suspend();
    desk.SimulatedSession().Resume();
    EXPECT_FALSE(desk.SimulatedSession().Ended());
    desk.SimulatedSession().EndSession();
    desk.SimulatedSession().EndSession();
    EXPECT_EQ(heard, "suspend resume end ");
    EXPECT_TRUE(desk.SimulatedSession().Ended());
}

TEST(SimSessionTest, EventsWithoutListenersAreHarmless) {
    SimSession session;
    session.Suspend();
    session.Resume();
    session.EndSession();
    EXPECT_TRUE(session.Ended());
}

} // namespace
