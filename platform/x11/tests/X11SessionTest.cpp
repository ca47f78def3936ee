// The session of the real desktop: stop signals reach the program once, on the event loop; the login
// manager's sleep signal and the delay inhibitor, against a stand-in login manager on a private bus.
#include "X11Session.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QDBusVirtualObject>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <poll.h>
#include <unistd.h>

using namespace bx::platform;
using bx::platform::x11::X11Session;

namespace {

// Runs the event loop until the condition holds or the time is up (a safety net: the events are prompt).
bool RunUntil(const std::function<bool()>& condition, int ms = 5000) {
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

void RunFor(int ms) {
    RunUntil([] { return false; }, ms);
}

std::vector<std::string> warnings;
void CollectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings.push_back(text.toStdString());
}

TEST(X11SessionTest, StopSignalsEndTheSessionOnceAndOnTheEventLoop) {
    for (const int sig : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(sig);
        X11Session session("unix:path=/nonexistent/bus");
        int ended = 0;
        session.OnEndSession = [&] { ++ended; };
        ASSERT_EQ(std::raise(sig), 0);
        EXPECT_EQ(ended, 0) << "never from inside the signal handler";
        ASSERT_TRUE(RunUntil([&] { return ended > 0; }));
        std::raise(sig);
        std::raise(SIGTERM);
        session.EndSession(); // the toolkit's session end after a signal
        RunFor(100);
        EXPECT_EQ(ended, 1);
        EXPECT_TRUE(session.Ended());
    }
}

TEST(X11SessionTest, HandlersAreRestoredAndAnIgnoredSignalStaysIgnored) {
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGTERM, nullptr, &before), 0);
    std::signal(SIGHUP, SIG_IGN); // as nohup starts a program
    {
        X11Session session("unix:path=/nonexistent/bus");
        int ended = 0;
        session.OnEndSession = [&] { ++ended; };
        std::raise(SIGHUP);
        RunFor(100);
        EXPECT_EQ(ended, 0);
        struct sigaction during {};
        ::sigaction(SIGTERM, nullptr, &during);
        EXPECT_NE(during.sa_handler, before.sa_handler);

        X11Session second("unix:path=/nonexistent/bus");
        int secondEnded = 0;
        second.OnEndSession = [&] { ++secondEnded; };
        std::raise(SIGTERM);
        ASSERT_TRUE(RunUntil([&] { return ended == 1; }));
        EXPECT_EQ(secondEnded, 0) << "only the first session object watches the signals";
    }
    struct sigaction after {};
    ::sigaction(SIGTERM, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
    std::signal(SIGHUP, SIG_DFL);
}

TEST(X11SessionTest, WithoutASystemBusThereAreNoPowerEventsAndNoError) {
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
    {
        X11Session session("unix:path=/nonexistent/bus");
        bool heard = false;
        session.OnSuspend = [&] { heard = true; };
        RunFor(100);
        EXPECT_FALSE(session.WatchesPowerEvents());
        EXPECT_FALSE(session.HoldsSleepInhibitor());
        EXPECT_FALSE(heard);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(warnings.empty()) << warnings.front();
}

// The login manager as far as the program uses it: Inhibit hands out the write end of a pipe (so the
// test sees when every copy of it is closed), and the test emits PrepareForSleep.
class FakeLoginManager : public QDBusVirtualObject {
public:
    ~FakeLoginManager() override {
        for (const int fd : readEnds)
            ::close(fd);
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.type() != QDBusMessage::MethodCallMessage || message.member() != "Inhibit")
            return false;
        QStringList args;
        for (const QVariant& v : message.arguments())
            args << v.toString();
        requests.push_back(args.join('|').toStdString());
        int fds[2];
        if (::pipe(fds) != 0)
            return false;
        readEnds.push_back(fds[0]);
        connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]))));
        ::close(fds[1]);
        return true;
    }
    // Whether the program still holds the inhibitor it was given as the n-th.
    bool Held(std::size_t n) const {
        pollfd p{readEnds.at(n), POLLIN, 0};
        return ::poll(&p, 1, 0) == 0;
    }
    std::vector<std::string> requests;
    std::vector<int> readEnds;
};

class PrivateBus : public ::testing::Test {
protected:
    void SetUp() override {
        const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
        if (daemon.isEmpty())
            GTEST_SKIP() << "no dbus-daemon";
        bus_.start(daemon, {"--session", "--nofork", "--print-address"});
        ASSERT_TRUE(bus_.waitForStarted(5000));
        ASSERT_TRUE(bus_.waitForReadyRead(5000));
        address_ = bus_.readLine().trimmed().toStdString();
        ASSERT_FALSE(address_.empty());
        QDBusConnection login = QDBusConnection::connectToBus(QString::fromStdString(address_), "fake_login");
        ASSERT_TRUE(login.isConnected());
        ASSERT_TRUE(login.registerService("org.freedesktop.login1"));
        ASSERT_TRUE(login.registerVirtualObject("/org/freedesktop/login1", &manager_));
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus("fake_login");
        if (bus_.state() != QProcess::NotRunning) {
            bus_.kill();
            bus_.waitForFinished(5000);
        }
    }
    void SendPrepareForSleep(bool starting) {
        QDBusMessage signal =
            QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
        signal << starting;
        ASSERT_TRUE(QDBusConnection("fake_login").send(signal));
    }

    QProcess bus_;
    std::string address_;
    FakeLoginManager manager_;
};

TEST_F(PrivateBus, SleepIsDelayedUntilTheProgramSavedAndTheInhibitorReturnsAfterTheWakeUp) {
    X11Session session(address_);
    std::string heard;
    bool heldWhileSaving = false;
    session.OnSuspend = [&] {
        heard += "suspend ";
        heldWhileSaving = manager_.Held(0);
    };
    session.OnResume = [&] { heard += "resume "; };
    EXPECT_TRUE(session.WatchesPowerEvents());
    ASSERT_TRUE(RunUntil([&] { return session.HoldsSleepInhibitor(); }));
    ASSERT_EQ(manager_.requests.size(), 1u);
    const std::string& request = manager_.requests[0];
    EXPECT_EQ(request.substr(0, 6), "sleep|");
    EXPECT_EQ(request.substr(request.size() - 6), "|delay");
    EXPECT_TRUE(manager_.Held(0));

    SendPrepareForSleep(true);
    ASSERT_TRUE(RunUntil([&] { return !manager_.Held(0); }));
    EXPECT_EQ(heard, "suspend ");
    EXPECT_TRUE(heldWhileSaving) << "the inhibitor is released only after the save";
    EXPECT_FALSE(session.HoldsSleepInhibitor());

    SendPrepareForSleep(false);
    ASSERT_TRUE(RunUntil([&] { return session.HoldsSleepInhibitor(); }));
    EXPECT_EQ(heard, "suspend resume ");
    ASSERT_EQ(manager_.requests.size(), 2u);
    EXPECT_TRUE(manager_.Held(1));
}

} // namespace

int main(int argc, char** argv) {
    // A test run started in the background or under nohup inherits ignored stop signals, which the
    // program keeps ignored; these tests want them delivered.
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, SIG_DFL);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
