// Opening with the desktop's handler, against a stand-in xdg-open that writes down its arguments.
#include "XdgShell.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <thread>

using bx::platform::x11::XdgShell;

namespace {

class XdgShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        const QString script = dir_.filePath("xdg-open");
        std::ofstream(script.toStdString())
            << "#!/bin/sh\n"
            << "printf '%s|' \"$@\" > '" << dir_.filePath("args.tmp").toStdString() << "'\nmv '"
            << dir_.filePath("args.tmp").toStdString() << "' '" << dir_.filePath("args").toStdString() << "'\n";
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        savedPath_ = qgetenv("PATH");
        qputenv("PATH", dir_.path().toLocal8Bit() + ":" + savedPath_);
    }
    void TearDown() override { qputenv("PATH", savedPath_); }

    // What the stand-in was given, each argument followed by '|'; nullopt when it did not run in time.
    std::optional<std::string> Recorded() {
        QElapsedTimer timer;
        timer.start();
        const QString path = dir_.filePath("args");
        while (!QFile::exists(path)) {
            if (timer.elapsed() > 5000)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return std::nullopt;
        const std::string args = f.readAll().toStdString();
        f.remove();
        return args;
    }

    QTemporaryDir dir_;
    QByteArray savedPath_;
};

TEST_F(XdgShellTest, TheTargetGoesToTheHandlerAsItsOneArgument) {
    const std::string folder = dir_.path().toStdString();
    std::ofstream(folder + "/notes.txt") << "x";
    struct Case {
        const char* verb;
        std::string target;
        std::string opened;
    };
    for (const Case& c :
         {Case{"open", "https://example.org/a b?c=1&d=$(true)", "https://example.org/a b?c=1&d=$(true)"},
          Case{"", folder + "/notes.txt", folder + "/notes.txt"}, Case{"explore", folder + "/notes.txt", folder},
          Case{"explore", folder, folder}, Case{"open", "--help", "./--help"}}) {
        SCOPED_TRACE(c.target);
        XdgShell shell;
        EXPECT_TRUE(shell.ShellExecute(c.verb, c.target, "ignored"));
        EXPECT_EQ(Recorded(), c.opened + "|");
    }
}

TEST_F(XdgShellTest, NothingToOpenOrNoHandlerIsAFailure) {
    XdgShell shell;
    EXPECT_FALSE(shell.ShellExecute("open", "", ""));
    EXPECT_FALSE(shell.ShellExecute("print", "/etc/hostname", ""));
    EXPECT_FALSE(XdgShell("bx-no-such-handler").ShellExecute("open", "https://example.org/", ""));
}

} // namespace
