// Auto-glue in the real program on the X desktop with a window manager (openbox, under Xvfb): Ctrl+G in
// its window switches it on, three texts copied with xclip become one glue clip with the separator between
// them (the clipboard holds the glued text after each), Ctrl+G ends it, and putting the glue clip back
// gives its text to xclip -o. Without a display, openbox, xdotool or xclip the test skips.
#include "DesktopProgramFixture.h"

#include <QProcess>

#include <gtest/gtest.h>

namespace bx::apptest {
namespace {

class GlueX11Test : public DesktopProgramTest {
protected:
    GlueX11Test() : DesktopProgramTest({"xdotool", "xclip"}) {}

    static QByteArray Output(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(10000))
            return "(no answer)";
        return p.readAllStandardOutput();
    }
    static QByteArray ClipboardText() { return Output("xclip", {"-o", "-selection", "clipboard"}); }
    static void Press(const char* keys) { Output("xdotool", {"key", "--clearmodifiers", keys}); }

    // xclip takes the clipboard with the text and serves it until another program takes it.
    void Copy(const QByteArray& text) {
        auto& xclip = *started_.emplace_back(std::make_unique<QProcess>());
        xclip.setProcessEnvironment(env_);
        xclip.start("xclip", {"-selection", "clipboard"});
        ASSERT_TRUE(xclip.waitForStarted(5000));
        xclip.write(text);
        ASSERT_TRUE(xclip.waitForBytesWritten(5000));
        xclip.closeWriteChannel();
    }
    int Captures() const { return static_cast<int>(Log().count("<CaptureTheClip,End")); }
};

TEST_F(GlueX11Test, ThreeTextsCopiedWithXclipBecomeOneGlueClipWhoseTextGoesBackToTheClipboard) {
    // Data events are logged, so the test can wait for them; the separator is a line break, two hyphens
    // and a line break.
    WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nLogLevel=55\nGlueSeparator=\\\\n--\\\\n\n"
                  "[Software/Quorvanti/Brindlex5/Position]\nCurrentSnap=5\n");
    QProcess& program = StartLoaded();
    QStringList windows;
    ASSERT_TRUE(WaitFor([&] {
        windows = QString::fromUtf8(
                      Output("xdotool", {"search", "--onlyvisible", "--pid", QString::number(program.processId())}))
                      .split('\n', Qt::SkipEmptyParts);
        return !windows.isEmpty();
    }));
    Output("xdotool", {"windowactivate", "--sync", windows.front()});
    ASSERT_TRUE(Answers());
    Press("ctrl+g");
    ASSERT_TRUE(WaitFor([&] { return Log().contains("Auto-Glue On"); })) << Log().toStdString();

    QByteArray glued;
    int n = 0;
    for (const QByteArray& text : {QByteArray("one"), QByteArray("zwei \xc3\xa4"), QByteArray("three")}) {
        glued += (glued.isEmpty() ? "" : "\n--\n") + text;
        Copy(text);
        // The program appends the text (the log tells: the first glued text is the copy itself) and puts the
        // whole glued text on the clipboard.
        const QByteArray appended = "AutoGlue,Glue: (" + QByteArray::number(++n) + ") Items";
        ASSERT_TRUE(WaitFor([&] { return Log().contains(appended); })) << Log().right(3000).toStdString();
        ASSERT_TRUE(WaitFor([&] { return ClipboardText() == glued; }))
            << "expected " << glued.toStdString() << ", the clipboard holds " << ClipboardText().toStdString();
    }
    EXPECT_EQ(Captures(), 0) << "no text became a clip of its own";
    Press("ctrl+g");
    ASSERT_TRUE(WaitFor([&] { return Log().contains("Auto-Glue Off"); })) << Log().toStdString();

    // Another copy is captured and selected on top of the list; the next row is the glue clip, which goes back.
    Copy("other");
    ASSERT_TRUE(WaitFor([&] { return Captures() == 1 && ClipboardText() == "other"; }));
    ASSERT_TRUE(Answers());
    Press("ctrl+n");
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == glued; })) << ClipboardText().toStdString();
    Stop(program);

    const QByteArray dump = Dump("Short-Term");
    EXPECT_TRUE(dump.contains("\"title\": \"Glue Complete: (3) Items\"")) << dump.toStdString();
    EXPECT_TRUE(dump.contains("\"creator\": \"Brindlex - Glue\"")) << dump.toStdString();
}

} // namespace
} // namespace bx::apptest
