// Help in the real program on the X desktop (Xvfb, openbox): F1 runs the desktop's handler, xdg-open found
// on PATH, with the page that forwards the browser to the user manual's section of the view shown. A
// stand-in xdg-open first on PATH writes down what it was asked to open. Without a display, openbox or
// xdotool the test skips.
#include "DesktopProgramFixture.h"

#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

namespace bx::apptest {
namespace {

class HelpX11Test : public DesktopProgramTest {
protected:
    HelpX11Test() : DesktopProgramTest({"xdotool"}) {}

    void SetUp() override {
        DesktopProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The stand-in handler: one line per call, its arguments.
        const QString bin = home_.path() + "/bin";
        opened_ = home_.path() + "/opened.txt";
        ASSERT_TRUE(QDir().mkpath(bin));
        QFile stub(bin + "/xdg-open");
        ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
        stub.write("#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + QFile::encodeName(opened_) + "'\n");
        stub.close();
        ASSERT_TRUE(stub.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
        env_.insert("PATH", bin + ":" + env_.value("PATH"));
    }

    static QString Run(const QStringList& args) {
        QProcess p;
        p.start("xdotool", args);
        return p.waitForFinished(10000) ? QString::fromUtf8(p.readAllStandardOutput()) : QString();
    }

    QStringList Opened() const {
        QFile file(opened_);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

    // Presses the key in the program's window and returns the address the page it opened forwards to.
    QString HelpAfter(const QString& window, const char* key) {
        const qsizetype before = Opened().size();
        Run({"windowactivate", "--sync", window});
        Run({"key", "--clearmodifiers", key});
        if (!WaitFor([&] { return Opened().size() > before; }))
            return "(nothing opened)";
        const QString target = Opened().back();
        const QString page = QUrl(target).toLocalFile();
        if (!page.startsWith(home_.path() + "/runtime/"))
            return "(not the forwarding page: " + target + ")";
        QFile file(page);
        if (!file.open(QIODevice::ReadOnly))
            return "(no page at " + page + ")";
        const QRegularExpressionMatch refresh =
            QRegularExpression("content=\"0; url=([^\"]*)\"").match(QString::fromUtf8(file.readAll()));
        return refresh.hasMatch() ? refresh.captured(1) : "(no forwarding)";
    }

    QString opened_;
};

TEST_F(HelpX11Test, F1OpensTheManualAtTheSectionOfTheViewShown) {
    WriteSettings("[Software/Quorvanti/Brindlex5/Position]\nCurrentSnap=5\n");
    QProcess& program = StartLoaded();
    QString window;
    ASSERT_TRUE(WaitFor([&] {
        window = Run({"search", "--onlyvisible", "--pid", QString::number(program.processId())})
                     .split('\n', Qt::SkipEmptyParts)
                     .value(0);
        return !window.isEmpty();
    }));
    ASSERT_TRUE(Answers());
    // The copy the build made beside the program, as an installation puts it beside bin/.
    const QString manual = QUrl::fromLocalFile(QDir::cleanPath(QFileInfo(BRINDLEX_PROGRAM).canonicalPath() +
                                                               "/../share/doc/brindlex/manual/index.html"))
                               .toString(QUrl::FullyEncoded);
    EXPECT_EQ(HelpAfter(window, "F1"), manual + "#explorer-view");
    Run({"key", "--clearmodifiers", "ctrl+e"});
    ASSERT_TRUE(Answers());
    EXPECT_EQ(HelpAfter(window, "F1"), manual + "#traditional-view");
    Stop(program);
}

} // namespace
} // namespace bx::apptest
