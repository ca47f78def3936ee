// The program's global hot keys on the X server with a window manager (openbox): pressed by xdotool while
// another program's window has the focus, as the user presses them. Skips without $DISPLAY or openbox.
#include "DesktopProgramFixture.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <string>

namespace bx::apptest {
namespace {

class HotKeyRunTest : public DesktopProgramTest {
protected:
    // The program's window and the text window are real X windows (the tests may run offscreen).
    HotKeyRunTest() : DesktopProgramTest({"xdotool", "xclip"}) {}

    void SetUp() override {
        DesktopProgramTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // Captures are logged (data events), so the test can wait for them.
        WriteSettings("[Software/Quorvanti/Brindlex5/Preferences]\nLogLevel=55\n");
    }

    int Captures() const { return static_cast<int>(Log().count("<CaptureTheClip,End")); }

    QProcess& Run(const QString& program, const QStringList& args) {
        auto& p = *started_.emplace_back(std::make_unique<QProcess>());
        p.setProcessEnvironment(env_);
        p.start(program, args);
        EXPECT_TRUE(p.waitForStarted(5000)) << program.toStdString();
        return p;
    }
    // What a short-lived tool prints.
    static QByteArray Output(const QString& program, const QStringList& args) {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(5000))
            return "(no answer)";
        return p.readAllStandardOutput().trimmed();
    }
    static QByteArray ClipboardText() { return Output("xclip", {"-o", "-selection", "clipboard"}); }
    // The program whose window has the input focus.
    static QByteArray FocusedPid() { return Output("xdotool", {"getwindowfocus", "getwindowpid"}); }
    static void Press(const char* keys) { Output("xdotool", {"key", keys}); }

    static bool Said(QProcess& p, const QByteArray& line) {
        QByteArray out;
        return WaitFor([&] {
            p.waitForReadyRead(20);
            out += p.readAllStandardOutput();
            return out.contains(line + "\n");
        });
    }

    // The program with these clips (copied in this order by another program) and the user at work in a text
    // window of another program, which has the focus.
    QProcess& StartWithClipsAndEditor(const QStringList& texts, QProcess*& editor) {
        QProcess& program = StartLoaded();
        for (int i = 0; i < texts.size(); ++i) {
            Run(BX_X11_PEER, {"own", "UTF8_STRING:=" + texts[i]});
            EXPECT_TRUE(WaitFor([&] { return Captures() == i + 1; })) << texts[i].toStdString();
        }
        editor = &Run(BX_TEXT_WINDOW, {});
        EXPECT_TRUE(Said(*editor, "focused"));
        const QByteArray editorPid = QByteArray::number(editor->processId());
        EXPECT_TRUE(WaitFor([&] { return FocusedPid() == editorPid; })) << "the text window is not in front";
        return program;
    }
};

TEST_F(HotKeyRunTest, TheNextClipKeyPressedInAnotherWindowPutsTheNextClipOnTheClipboard) {
    const QStringList texts = {"first hot-key clip", "second hot-key clip", "third hot-key clip"};
    QProcess* editorProcess = nullptr;
    QProcess& program = StartWithClipsAndEditor(texts, editorProcess);
    ASSERT_FALSE(HasFailure());
    QProcess& editor = *editorProcess;
    const QByteArray editorPid = QByteArray::number(editor.processId());

    // Row 0 is the newest clip; the next row down is the one copied before it.
    Press("ctrl+alt+n");
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == texts[1].toUtf8(); })) << ClipboardText().toStdString();
    Press("ctrl+alt+n");
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == texts[0].toUtf8(); })) << ClipboardText().toStdString();
    Press("ctrl+alt+p");
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == texts[1].toUtf8(); })) << ClipboardText().toStdString();
    // Selecting a clip leaves the user where he works.
    EXPECT_EQ(FocusedPid(), editorPid);

    // The activation key brings the program's window up, past the window manager's focus-stealing
    // prevention: the user has just typed in the text window.
    Output("xdotool", {"type", "typed"});
    ASSERT_TRUE(Said(editor, "text typed"));
    Press("ctrl+alt+c");
    const QByteArray programPid = QByteArray::number(program.processId());
    EXPECT_TRUE(WaitFor([&] { return FocusedPid() == programPid; }, 5000)) << FocusedPid().toStdString();
    Stop(program);
}

TEST_F(HotKeyRunTest, FlashpickPastesThePickedClipIntoTheWindowInFrontAtTheCaretAndGivesItTheFocusBack) {
    QProcess* editorProcess = nullptr;
    QProcess& program = StartWithClipsAndEditor({"third pick", "second pick", "first pick"}, editorProcess);
    ASSERT_FALSE(HasFailure());
    QProcess& editor = *editorProcess;
    const QByteArray editorPid = QByteArray::number(editor.processId());
    const QByteArray programPid = QByteArray::number(program.processId());
    // Some text with the caret between its halves, where the clip must land.
    Output("xdotool", {"type", "[]"});
    ASSERT_TRUE(Said(editor, "text %5B%5D"));
    Press("Left");

    // The pick list comes up over the editor; its first row is the newest clip.
    Press("shift+ctrl+q");
    ASSERT_TRUE(WaitFor([&] { return FocusedPid() == programPid; }, 5000)) << "the pick list did not come up";
    Press("Down");
    Press("Down");
    // Moving the selection puts each clip on the clipboard at once.
    EXPECT_TRUE(WaitFor([&] { return ClipboardText() == "third pick"; })) << ClipboardText().toStdString();
    // The pick list as the user sees it.
    EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(BX_ARTIFACT_DIR "/flashpick_pick_layout_x11.png"));
    Press("Return");
    // The third row is the oldest clip.
    EXPECT_TRUE(Said(editor, "text %5B" + QByteArray("third pick").toPercentEncoding() + "%5D"));
    EXPECT_TRUE(WaitFor([&] { return FocusedPid() == editorPid; }, 5000)) << FocusedPid().toStdString();
    Stop(program);
}

} // namespace
} // namespace bx::apptest
