// The command line as a newcomer tries it: help, the version and mistakes are answered at once, with
// no display and nothing started.
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace {

struct Ran {
    int exitCode = -1;
    QString out;
    QString err;
};

Ran RunProgram(const QStringList& args) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("QT_QPA_PLATFORM");
    env.remove("WAYLAND_DISPLAY");
    p.setProcessEnvironment(env);
    p.start(BRINDLEX_PROGRAM, args);
    EXPECT_TRUE(p.waitForFinished(10000)) << args.join(' ').toStdString();
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(CommandLineTest, HelpVersionAndMistakesAreAnsweredWithoutADisplay) {
    struct Case {
        QStringList args;
        int exitCode;
        const char* out; // what standard output contains
        int errLines;
    };
    const Case cases[] = {
        {{"--help"}, 0, "Usage: brindlex [options] [NOCAPTURE]", 0},
        {{"-h"}, 0, "--default-data-dir", 0},
        {{"--version"}, 0, "Brindlex " BRINDLEX_VERSION_TEXT "\n", 0},
        {{"--no-such-option"}, 2, "", 1},
        {{"extra", "words"}, 2, "", 1},
        {{"dump", "--help"}, 0, "usage: brindlex dump DIR", 0},
        {{"dump", "--bogus"}, 1, "", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const Ran ran = RunProgram(c.args);
        EXPECT_EQ(ran.exitCode, c.exitCode) << ran.err.toStdString();
        EXPECT_TRUE(ran.out.contains(c.out)) << ran.out.toStdString();
        EXPECT_EQ(ran.err.count('\n'), c.errLines) << ran.err.toStdString();
        if (c.exitCode != 0) {
            EXPECT_TRUE(ran.err.startsWith("brindlex")) << ran.err.toStdString();
        }
    }
}

} // namespace
