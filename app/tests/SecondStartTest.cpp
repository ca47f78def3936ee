// The program as the user starts it, twice: the second start hands over to the running program and ends
// with status 0; a stop signal ends the running program with status 0; the lock of a killed program is
// taken over by the next start. Needs an X display (run under Xvfb); skips itself without one.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include <sys/stat.h>

namespace {

// Polls until the condition holds; these waits are real, as the program runs in its own process.
bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

class SecondStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0')
            GTEST_SKIP() << "no X display";
        ASSERT_TRUE(home_.isValid());
        const QString root = home_.path();
        for (const char* sub : {"runtime", "config", "data"})
            ASSERT_TRUE(QDir(root).mkpath(sub));
        ::chmod(QFile::encodeName(root + "/runtime").constData(), 0700);
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("HOME", root);
        env_.insert("XDG_RUNTIME_DIR", root + "/runtime");
        env_.insert("XDG_CONFIG_HOME", root + "/config");
        env_.insert("XDG_DATA_HOME", root + "/data");
        lockPath_ = root + "/runtime/brindlex.lock";
        socketPath_ = root + "/runtime/brindlex.socket";
    }

    void TearDown() override {
        for (auto& p : started_) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }

    QProcess& Start() {
        auto& p = *started_.emplace_back(std::make_unique<QProcess>());
        p.setProcessEnvironment(env_);
        p.start(BRINDLEX_PROGRAM, {});
        EXPECT_TRUE(p.waitForStarted(5000));
        return p;
    }

    // The running program holds the lock and listens.
    bool Listening() const { return QFileInfo::exists(lockPath_) && QFileInfo::exists(socketPath_); }

    // The program catches the stop signals (it has come that far in its start).
    static bool CatchesStopSignals(const QProcess& p) {
        QFile status(QString("/proc/%1/status").arg(p.processId()));
        if (!status.open(QIODevice::ReadOnly))
            return false;
        for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
            if (line.startsWith("SigCgt:")) {
                bool ok = false;
                const qulonglong caught = line.mid(7).trimmed().toULongLong(&ok, 16);
                const qulonglong wanted = (1ull << (SIGTERM - 1)) | (1ull << (SIGINT - 1));
                return ok && (caught & wanted) == wanted;
            }
        }
        return false;
    }

    QByteArray LockOwner() const {
        QFile file(lockPath_);
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readLine().trimmed();
    }

    static void Signal(QProcess& p, int sig) { ::kill(static_cast<pid_t>(p.processId()), sig); }

    QTemporaryDir home_;
    QProcessEnvironment env_;
    QString lockPath_;
    QString socketPath_;
    std::vector<std::unique_ptr<QProcess>> started_;
};

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
    EXPECT_FALSE(QFileInfo::exists(lockPath_)) << "a program that ends gives up its lock";
}

TEST_F(SecondStartTest, TheLockOfAKilledProgramGoesToTheNextStartWhichEndsOnSigint) {
    QProcess& killed = Start();
    ASSERT_TRUE(WaitFor([&] { return Listening(); }));
    Signal(killed, SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(lockPath_)) << "a killed program leaves its lock behind";

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

int main(int argc, char** argv) {
    // A test run started in the background or under nohup inherits ignored stop signals, which the
    // program keeps ignored; these tests want them delivered.
    for (const int sig : {SIGTERM, SIGINT, SIGHUP})
        std::signal(sig, SIG_DFL);
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
