// One running program per user: the lock, the activation message and its answer, a lock left by a dead
// program, a running program that does not answer, and requests that are not ours.
#include "SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

using bx::platform::x11::SingleInstance;

namespace {

bool RunUntil(const std::function<bool()>& condition, int ms = 5000) {
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ::chmod(dir_.path().toLocal8Bit().constData(), 0700);
        folder_ = dir_.path().toStdString() + "/";
    }
    QTemporaryDir dir_;
    std::string folder_;
};

TEST_F(SingleInstanceTest, ASecondStartIsAnsweredAndTheFirstComesForward) {
    SingleInstance first(folder_);
    int activations = 0;
    first.OnActivate = [&] { ++activations; };
    ASSERT_TRUE(first.TryBecomePrimary());

    struct stat st {};
    ASSERT_EQ(::stat(first.SocketPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 077, 0u) << "only the user may talk to the running program";

    SingleInstance second(folder_);
    EXPECT_FALSE(second.TryBecomePrimary());
    EXPECT_FALSE(second.IsPrimary());
    // The second start waits for the answer while the first one's event loop runs.
    std::atomic<int> answered{-1};
    std::thread later([&] { answered = second.NotifyPrimary(5000) ? 1 : 0; });
    EXPECT_TRUE(RunUntil([&] { return answered.load() >= 0; }));
    later.join();
    EXPECT_EQ(answered.load(), 1);
    EXPECT_TRUE(RunUntil([&] { return activations > 0; }));
    EXPECT_EQ(activations, 1);
}

TEST_F(SingleInstanceTest, TheLockOfAProgramThatDiedIsTakenOverAndProgramsWeStartDoNotKeepIt) {
    const QString lockPath = QString::fromStdString(folder_ + "brindlex.lock");
    // Another process holds the lock (the command it runs does not), then dies without a word.
    QProcess holder;
    holder.start("flock", {"--nonblock", "--close", lockPath, "sh", "-c", "echo locked; exec sleep 30"});
    ASSERT_TRUE(holder.waitForReadyRead(5000));
    ASSERT_EQ(holder.readLine(), QByteArray("locked\n"));
    EXPECT_FALSE(SingleInstance(folder_).TryBecomePrimary());
    holder.kill();
    ASSERT_TRUE(holder.waitForFinished(5000));

    QProcess started;
    {
        SingleInstance first(folder_);
        ASSERT_TRUE(first.TryBecomePrimary()) << "the dead program's lock is taken over";
        // A program we start while we run outlives us.
        started.start("sleep", {"30"});
        ASSERT_TRUE(started.waitForStarted(5000));
    }
    SingleInstance next(folder_);
    EXPECT_TRUE(next.TryBecomePrimary()) << "the lock did not go to the program we started";
    started.kill();
    started.waitForFinished(5000);
}

TEST_F(SingleInstanceTest, ARunningProgramThatDoesNotAnswerIsReportedAfterTheWait) {
    SingleInstance first(folder_);
    ASSERT_TRUE(first.TryBecomePrimary());
    SingleInstance second(folder_);
    ASSERT_FALSE(second.TryBecomePrimary());
    // The first program's event loop does not run while we wait here: it hangs.
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(second.NotifyPrimary(300));
    EXPECT_GE(waited.elapsed(), 290);
    EXPECT_LT(waited.elapsed(), 2000);
}

TEST_F(SingleInstanceTest, NoRunningProgramMeansNoAnswerWithinTheWait) {
    SingleInstance lone(folder_);
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(lone.NotifyPrimary(200));
    EXPECT_LT(waited.elapsed(), 2000);
}

TEST_F(SingleInstanceTest, RequestsThatAreNotOursAreDropped) {
    SingleInstance first(folder_);
    int activations = 0;
    first.OnActivate = [&] { ++activations; };
    ASSERT_TRUE(first.TryBecomePrimary());
    for (const QByteArray& request : {QByteArray("hello\n"), QByteArray(4096, 'a'), QByteArray("activate now\n")}) {
        SCOPED_TRACE(request.left(16).toStdString());
        QLocalSocket socket;
        socket.connectToServer(QString::fromStdString(first.SocketPath()));
        ASSERT_TRUE(socket.waitForConnected(2000));
        socket.write(request);
        socket.flush();
        EXPECT_TRUE(RunUntil([&] {
            socket.waitForReadyRead(0);
            return socket.state() == QLocalSocket::UnconnectedState;
        })) << "the connection is closed";
        EXPECT_EQ(socket.readAll(), QByteArray()) << "and not answered";
    }
    EXPECT_EQ(activations, 0);
}

TEST(SingleInstanceFolderTest, TheRuntimeFolderElseAPrivateFolderUnderTmp) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    QTemporaryDir runtime;
    ::chmod(runtime.path().toLocal8Bit().constData(), 0700);
    const std::string fallback = "/tmp/brindlex-" + std::to_string(::getuid()) + "/";

    ::setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    EXPECT_EQ(SingleInstance::DefaultFolder(), runtime.path().toStdString() + "/");
    ::setenv("XDG_RUNTIME_DIR", "relative/dir", 1);
    EXPECT_EQ(SingleInstance::DefaultFolder(), fallback);
    ::chmod(runtime.path().toLocal8Bit().constData(), 0755);
    ::setenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit().constData(), 1);
    EXPECT_EQ(SingleInstance::DefaultFolder(), fallback) << "a runtime folder others may enter is not used";
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstance::DefaultFolder(), fallback);

    struct stat st {};
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    if (saved)
        ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

} // namespace
