// The program as the user starts it, twice: the second start hands over to the running program and ends
// with status 0; a stop signal ends the running program with status 0; the lock of a killed program is
// taken over by the next start.
#include "ProgramFixture.h"

#include <QElapsedTimer>

namespace bx::apptest {
namespace {

using SecondStartTest = ProgramTest;

TEST_F(SecondStartTest, TheSecondStartHandsOverAndEndsAndTheFirstEndsOnSigterm) {
    QProcess& first = Start();
    ASSERT_TRUE(WaitFor([&] { return Listening() && CatchesStopSignals(first); }));

    QElapsedTimer took;
    took.start();
    QProcess& second = Start();
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_LT(took.elapsed(), 3000);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardError().contains("Brindlex is already running."));
    EXPECT_EQ(first.state(), QProcess::Running);
    EXPECT_EQ(LockOwner(), QByteArray::number(first.processId()));

    // A running program that hangs: the next start gives up after its wait and says so.
    Signal(first, SIGSTOP);
    took.restart();
    QProcess& third = Start();
    const bool thirdEnded = third.waitForFinished(10000);
    Signal(first, SIGCONT);
    ASSERT_TRUE(thirdEnded);
    EXPECT_GE(took.elapsed(), 1500);
    EXPECT_EQ(third.exitCode(), 1);
    EXPECT_TRUE(third.readAllStandardError().contains("does not answer"));

    Signal(first, SIGTERM);
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
    QProcess probe;
    probe.start("flock", {"--nonblock", lockPath_, "true"});
    ASSERT_TRUE(probe.waitForFinished(5000));
    EXPECT_EQ(probe.exitCode(), 0) << "a program that ends gives up its lock";
}

TEST_F(SecondStartTest, TheLockOfAKilledProgramGoesToTheNextStartWhichEndsOnSigint) {
    QProcess& killed = Start();
    ASSERT_TRUE(WaitFor([&] { return Listening(); }));
    Signal(killed, SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(lockPath_)) << "a killed program leaves its lock file behind";

    QProcess& next = Start();
    EXPECT_TRUE(WaitFor([&] { return LockOwner() == QByteArray::number(next.processId()); }));
    ASSERT_TRUE(WaitFor([&] { return CatchesStopSignals(next); }));
    EXPECT_EQ(next.state(), QProcess::Running);

    Signal(next, SIGINT);
    ASSERT_TRUE(next.waitForFinished(10000));
    EXPECT_EQ(next.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
}

} // namespace
} // namespace bx::apptest
