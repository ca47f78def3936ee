// The program as the user starts it, in its own process with a home of its own: start it, signal it,
// wait for it. Needs an X display (run under Xvfb); the tests skip themselves without one.
#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace bx::apptest {

// Polls until the condition holds; these waits are real, as the program runs in its own process.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 10000) {
    const QDeadlineTimer deadline(ms);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

// Why a test cannot drive the program with these tools: the first one not found on PATH (named, with where
// it comes from); empty when all are there.
inline std::string MissingTool(const std::vector<const char*>& tools) {
    for (const char* tool : tools)
        if (QStandardPaths::findExecutable(tool).isEmpty())
            return std::string(tool) + " is not installed (tools/bootstrap installs it)";
    return {};
}

class ProgramTest : public ::testing::Test {
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

    // args: the first start takes the default data folder instead of asking for one, unless told.
    QProcess& Start(const QStringList& args = {"--default-data-dir"}) {
        auto& p = *started_.emplace_back(std::make_unique<QProcess>());
        p.setProcessEnvironment(env_);
        p.start(BRINDLEX_PROGRAM, args);
        EXPECT_TRUE(p.waitForStarted(5000));
        return p;
    }

    // The settings the program finds at its start: lines of the settings file after its header.
    void WriteSettings(const QByteArray& lines) {
        ASSERT_TRUE(QDir().mkpath(home_.path() + "/config/Quorvanti"));
        QFile conf(home_.path() + "/config/Quorvanti/Brindlex5.conf");
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("# Brindlex settings store, format 1\n" + lines);
    }

    // The running program holds the lock and listens.
    bool Listening() const { return QFileInfo::exists(lockPath_) && QFileInfo::exists(socketPath_); }

    // Asks the running program, as a second start asks it, to come forward; true when it answers within
    // ms. Its answer comes from its event loop: whatever it was doing when asked is done by then.
    bool Answers(int ms = 10000) const {
        const QDeadlineTimer deadline(ms);
        QLocalSocket socket;
        socket.connectToServer(socketPath_);
        bool answered = socket.waitForConnected(ms) && socket.write("activate\n") > 0;
        while (answered && !socket.canReadLine())
            answered = socket.waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
        return answered && socket.readLine() == "ok\n";
    }

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

    QString DataDir() const { return home_.path() + "/data/Quorvanti Development/Brindlex5/"; }

    QByteArray Log(const QString& dir = {}) const {
        QFile log((dir.isEmpty() ? DataDir() : dir) + "LOG.TXT");
        return log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray();
    }

    // The program has loaded its data: from now on it captures.
    bool Loaded() const { return Log().contains("Collections Loaded."); }

    // Starts the program and waits until it has loaded its data.
    QProcess& StartLoaded() {
        QProcess& p = Start();
        EXPECT_TRUE(WaitFor([&] { return CatchesStopSignals(p) && Loaded(); }));
        return p;
    }

    // Ends the program with a stop signal, as a logout does; it must end cleanly.
    void Stop(QProcess& p) {
        Signal(p, SIGTERM);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }

    // "brindlex dump" of a collection of the data folder.
    QByteArray Dump(const QString& collection) {
        QProcess dump;
        dump.start(BRINDLEX_PROGRAM, {"dump", DataDir() + collection});
        EXPECT_TRUE(dump.waitForFinished(60000));
        EXPECT_EQ(dump.exitCode(), 0) << dump.readAllStandardError().toStdString();
        return dump.readAllStandardOutput();
    }

    QTemporaryDir home_;
    QProcessEnvironment env_;
    QString lockPath_;
    QString socketPath_;
    std::vector<std::unique_ptr<QProcess>> started_;
};

} // namespace bx::apptest
