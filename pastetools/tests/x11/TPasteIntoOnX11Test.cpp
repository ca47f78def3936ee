// The paste into the target application on the real X11 desktop: the target, a Qt text window, is
// activated while another window has the focus, and the clipboard's text arrives in it (the keys go through
// the X server by XTest); a target whose program is on the terminal list gets Ctrl+Shift+V. Needs $DISPLAY (under
// xvfb-run); without one the tests skip.
#include "SimDataFolderDialog.h"
#include "SimDateTimeFormat.h"
#include "SimMessageBoxes.h"
#include "SimUserDirs.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TDataSourceList.h"
#include "TPasteInto.h"
#include "TSendKey.h"
#include "X11Desktop.h"
#include "XcbConnection.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace bx::pastetools {
namespace {

bool HasDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

// Runs the event loop until done() holds or 5 s are up.
bool WaitUntil(const std::function<bool()>& done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 5000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Shows the window and gives it the focus, as the user's click would.
bool Activate(QWidget& window) {
    window.show();
    window.activateWindow();
    window.raise();
    return WaitUntil([&] { return window.isActiveWindow(); });
}

// Every key pressed in one widget, with its modifiers.
class KeyLog : public QObject {
public:
    explicit KeyLog(QWidget& widget) : widget_(widget) { widget_.installEventFilter(this); }
    ~KeyLog() override { widget_.removeEventFilter(this); }
    bool Pressed(Qt::Key key, Qt::KeyboardModifiers modifiers) const {
        for (const auto& [k, m] : presses_)
            if (k == key && m == modifiers)
                return true;
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched == &widget_) {
            const auto* key = static_cast<QKeyEvent*>(event);
            presses_.emplace_back(static_cast<Qt::Key>(key->key()), key->modifiers());
        }
        return false;
    }

private:
    QWidget& widget_;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> presses_;
};

class TPasteIntoOnX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HasDisplay())
            GTEST_SKIP() << "no X display";
        // Without a window manager, an active window named on the root window is what an earlier test's
        // program left there: the input focus tells.
        if (auto conn = platform::x11::XcbConnection::Open();
            conn && !conn->GetProperty(conn->Root(), conn->Atom("_NET_SUPPORTING_WM_CHECK"), false)) {
            xcb_delete_property(conn->Raw(), conn->Root(), conn->Atom("_NET_ACTIVE_WINDOW"));
            conn->Flush();
        }
        root_ = std::filesystem::temp_directory_path() / ("bx_paste_x11_" + std::to_string(::getpid()));
        std::filesystem::create_directories(root_);
        ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
        desktop = std::make_unique<platform::x11::X11Desktop>();
        settings =
            std::make_unique<shell::TAppSettings>(desktop->Registry(), dirs_, boxes_, folderDialog_, sources_, noCtrlV);
        core = std::make_unique<shell::TBrindlexCore>(
            shell::TBrindlexCore::Environment{*desktop, *settings, sources_, boxes_, dateFormat_, "", nullptr});
        sendKey = std::make_unique<TSendKey>(desktop->Keyboard(), desktop->Windows());
        paste = std::make_unique<TPasteInto>(*desktop, *core, *sendKey, noCtrlV);
    }
    void TearDown() override {
        paste.reset();
        sendKey.reset();
        core.reset();
        settings.reset();
        desktop.reset();
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }

    // The target is in front when Flashpick is called; then the program's window (here a stand-in) is.
    bool PickFrom(QWidget& target, QWidget& program) {
        if (!Activate(target))
            return false;
        const std::string title = target.windowTitle().toStdString();
        platform::HWND window = platform::NoWindow;
        if (!WaitUntil([&] {
                window = desktop->Windows().GetForegroundWindow();
                return desktop->Windows().GetWindowText(window) == title;
            }))
            return false;
        paste->NoteTarget(window);
        return Activate(program);
    }

    std::vector<std::string> noCtrlV;
    std::unique_ptr<platform::x11::X11Desktop> desktop;
    std::unique_ptr<shell::TAppSettings> settings;
    std::unique_ptr<shell::TBrindlexCore> core;
    std::unique_ptr<TSendKey> sendKey;
    std::unique_ptr<TPasteInto> paste;

private:
    std::filesystem::path root_;
    platform::sim::SimUserDirs dirs_;
    platform::sim::SimMessageBoxes boxes_;
    platform::sim::SimDataFolderDialog folderDialog_;
    platform::sim::SimDateTimeFormat dateFormat_;
    clipstore::TDataSourceList sources_;
};

TEST_F(TPasteIntoOnX11Test, TheTargetIsActivatedAndPastesTheClipboard) {
    // The clipboard's text; the paste reads it from the X server's CLIPBOARD selection.
    QApplication::clipboard()->setText("pasted across");

    QPlainTextEdit target;
    target.setWindowTitle("Target notes");
    QWidget program;
    program.setWindowTitle("Brindlex stand-in");
    ASSERT_TRUE(PickFrom(target, program));
    EXPECT_EQ(paste->TargetTitle, "Target notes");
    EXPECT_FALSE(paste->TargetIsTerminal());

    EXPECT_TRUE(paste->PasteInto({}));
    EXPECT_TRUE(WaitUntil([&] { return target.toPlainText() == "pasted across"; }))
        << target.toPlainText().toStdString();
    EXPECT_TRUE(WaitUntil([&] { return target.isActiveWindow(); }));
}

TEST_F(TPasteIntoOnX11Test, AProgramOnTheTerminalListGetsCtrlShiftV) {
    QLineEdit terminal;
    terminal.setWindowTitle("ann@host: ~");
    QWidget program;
    program.setWindowTitle("Brindlex stand-in");
    ASSERT_TRUE(PickFrom(terminal, program));
    // This test program stands for the terminal emulator.
    settings->TerminalPrograms = {paste->TargetProgram};
    ASSERT_TRUE(paste->TargetIsTerminal());

    KeyLog keys(terminal);
    EXPECT_TRUE(paste->PasteInto({}));
    EXPECT_TRUE(WaitUntil([&] { return keys.Pressed(Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier); }));
    EXPECT_FALSE(keys.Pressed(Qt::Key_V, Qt::ControlModifier)) << "no plain Ctrl+V";
    EXPECT_TRUE(terminal.isActiveWindow());
}

} // namespace
} // namespace bx::pastetools
