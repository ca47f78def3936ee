// Relayfeed on the real X server with a window manager: the program's core on the X11 desktop (in this
// process, as the program's entry builds it), a Qt text window of another process as the paste target
// (bx_text_window) and XTest Ctrl+V presses. Runs under Xvfb; skips itself without $DISPLAY or openbox.
// Every wait polls with a deadline while the event loop serves the clipboard.
#include "WindowManagerRun.h"

#include "EnvUserDirs.h"
#include "IKeyboard.h"
#include "RunEventsUntil.h"
#include "SimDataFolderDialog.h"
#include "SimMessageBoxes.h"
#include "StrftimeDateTimeFormat.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListModel.h"
#include "TClipListSelection.h"
#include "TClipObj.h"
#include "TDataSourceList.h"
#include "TRelayfeed.h"
#include "VirtualKeys.h"
#include "X11Desktop.h"

#include <QDir>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace bx::pastetools {
namespace {

using Dir = TRelayfeed::TRFDirection;
using TRFState = shell::TBrindlexCore::TRFState;

constexpr int WaitMs = 5000;

// The program as its entry builds it: the desktop, the settings, the core, the list's selection rules
// and Relayfeed.
struct Program {
    platform::x11::X11Desktop desktop;
    platform::sim::SimMessageBoxes boxes;
    platform::EnvUserDirs dirs;
    platform::sim::SimDataFolderDialog folderDialog;
    platform::StrftimeDateTimeFormat dateFormat;
    clipstore::TDataSourceList sources;
    std::vector<std::string> noCtrlV;
    std::unique_ptr<shell::TAppSettings> settings;
    std::unique_ptr<shell::TBrindlexCore> core;
    std::unique_ptr<shell::TClipListSelection> selection;
    std::unique_ptr<TRelayfeed> relay;
    platform::TSubscription onLoaded;
    bool loaded = false;

    ~Program() {
        relay.reset();
        selection.reset();
        core.reset();
    }
};

class RelayfeedX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0')
            GTEST_SKIP() << "no X display: run under xvfb-run";
        ASSERT_TRUE(home_.isValid());
        const QString root = home_.path();
        for (const char* sub : {"config", "data"})
            ASSERT_TRUE(QDir(root).mkpath(sub));
        env_ = QProcessEnvironment::systemEnvironment();
        env_.insert("HOME", root);
        env_.insert("XDG_CONFIG_HOME", root + "/config");
        env_.insert("XDG_DATA_HOME", root + "/data");
        if (const std::string why = wm_.Start(env_); !why.empty())
            GTEST_SKIP() << "no window manager: " << why;
        // The program's settings and data live in the test's home.
        ::setenv("XDG_CONFIG_HOME", QFile::encodeName(root + "/config").constData(), 1);
        ::setenv("XDG_DATA_HOME", QFile::encodeName(root + "/data").constData(), 1);

        program_ = std::make_unique<Program>();
        Program& p = *program_;
        p.settings = std::make_unique<shell::TAppSettings>(p.desktop.Registry(), p.dirs, p.boxes, p.folderDialog,
                                                           p.sources, p.noCtrlV);
        p.settings->UseDefaultDataDirWithoutAsking = true;
        p.settings->ReadSettings({});
        p.settings->AutoSave = false;
        p.settings->RelayfeedDelay = 150;
        p.core = std::make_unique<shell::TBrindlexCore>(shell::TBrindlexCore::Environment{
            p.desktop, *p.settings, p.sources, p.boxes, p.dateFormat, std::string(), nullptr});
        p.selection = std::make_unique<shell::TClipListSelection>(*p.core, p.desktop);
        p.relay = std::make_unique<TRelayfeed>(*p.core, p.desktop, p.boxes);
        p.onLoaded = p.core->Events().DataLoaded.Subscribe([&p] { p.loaded = true; });
        p.core->SetStartupDelay(0);
        p.core->Startup({});
        ASSERT_TRUE(RunUntil([&p] { return p.loaded; })) << "the data did not load";
    }

    void TearDown() override {
        for (auto& [process, out] : started_) {
            process->kill();
            process->waitForFinished(5000);
        }
        started_.clear();
        program_.reset();
        wm_.Stop();
    }

    static bool RunUntil(const std::function<bool()>& condition, int ms = WaitMs) {
        return x11test::RunEventsUntil(condition, ms);
    }

    QProcess& Run(const QString& program, const QStringList& args, const QProcessEnvironment& env) {
        auto process = std::make_unique<QProcess>();
        QProcess& p = *process;
        started_.emplace_back(std::move(process), QByteArray());
        p.setProcessEnvironment(env);
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(program, args);
        EXPECT_TRUE(p.waitForStarted(5000)) << program.toStdString();
        return p;
    }

    // The lines a started program has printed so far.
    QList<QByteArray> Lines(QProcess& process) {
        for (auto& [p, out] : started_) {
            if (p.get() == &process) {
                out += p->readAllStandardOutput();
                return out.split('\n');
            }
        }
        return {};
    }

    bool Said(QProcess& process, const QByteArray& line) {
        return RunUntil([&] { return Lines(process).contains(line); });
    }

    // Another program copies the text; true once the core has listed it.
    bool Copy(const std::string& text) {
        shell::TClipListModel& list = program_->core->ClipList();
        const std::size_t before = list.Count();
        Run(BX_X11_PEER, {"own", QString::fromStdString("UTF8_STRING:=" + text)}, env_);
        return RunUntil([&] { return list.Count() == before + 1 && list.Clip(0)->Title == text; });
    }

    // Opens the text window and waits until it is the window in front, as the desktop sees it.
    QProcess& OpenTextWindow() {
        QProcessEnvironment env = env_;
        env.insert("QT_QPA_PLATFORM", "xcb"); // the tests may run with the offscreen platform
        QProcess& window = Run(BX_TEXT_WINDOW, {}, env);
        EXPECT_TRUE(Said(window, "focused")) << "the text window did not get the focus";
        platform::IWindows& windows = program_->desktop.Windows();
        EXPECT_TRUE(RunUntil([&] {
            const platform::HWND front = windows.GetForegroundWindow();
            return front != platform::NoWindow &&
                   windows.GetWindowProcessId(front) == static_cast<std::uint32_t>(window.processId());
        })) << "the text window is not the active window";
        return window;
    }

    // The text window's text now.
    std::string TextOf(QProcess& window) {
        std::string text;
        for (const QByteArray& line : Lines(window))
            if (line.startsWith("text "))
                text = QByteArray::fromPercentEncoding(line.mid(5)).toStdString();
        return text;
    }

    // Ctrl+V as the user presses it, through XTest to the focused window.
    void PressCtrlV() {
        platform::IKeyboard& keys = program_->desktop.Keyboard();
        keys.KeyEvent(platform::VK_CONTROL, 0, 0);
        keys.KeyEvent('V', 0, 0);
        keys.KeyEvent('V', 0, platform::KEYEVENTF_KEYUP);
        keys.KeyEvent(platform::VK_CONTROL, 0, platform::KEYEVENTF_KEYUP);
    }

    // Copies the texts (the last one ends up in row 0) and starts a run up from the first one's row, so
    // that the run goes through them in the order they were copied.
    void StartRunThrough(const std::vector<std::string>& texts) {
        for (const std::string& text : texts)
            ASSERT_TRUE(Copy(text)) << text;
        shell::TBrindlexCore& core = *program_->core;
        const std::size_t first = texts.size() - 1;
        ASSERT_EQ(core.ClipList().Clip(first)->Title, texts.front());
        core.ClipList().SetSelection({first}, static_cast<int>(first));
        ASSERT_TRUE(RunUntil([&] { return core.CurrentClip() == Clip(first); })) << "the row was not selected";
        program_->relay->RFClick(Dir::Up);
        ASSERT_EQ(core.RFState(), TRFState::Armed);
    }

    clipstore::TClipObj* Clip(std::size_t row) const { return program_->core->ClipList().Clip(row); }

    // After the paste of row's clip: the next row's clip is announced, or the run has ended.
    bool RunMovedOnFrom(std::size_t row) {
        const shell::TBrindlexCore& core = *program_->core;
        if (row == 0)
            return RunUntil([&] { return core.RFState() == TRFState::Idle; });
        return RunUntil(
            [&] { return core.RFState() == TRFState::Armed && program_->relay->RFItem() == Clip(row - 1); });
    }

    QTemporaryDir home_;
    QProcessEnvironment env_;
    x11test::WindowManagerRun wm_;
    std::unique_ptr<Program> program_;
    std::vector<std::pair<std::unique_ptr<QProcess>, QByteArray>> started_;
};

const std::vector<std::string> Texts = {"first clip;", "second clip;", "third clip;"};

TEST_F(RelayfeedX11Test, ThreeCtrlVPressesInAQtTextWindowPasteTheRunsThreeClipsInOrder) {
    QProcess& window = OpenTextWindow();
    StartRunThrough(Texts);
    std::string expected;
    for (std::size_t i = 0; i < Texts.size(); ++i) {
        expected += Texts[i];
        PressCtrlV();
        EXPECT_TRUE(RunUntil([&] { return TextOf(window) == expected; }))
            << "paste " << i + 1 << ": the window holds \"" << TextOf(window) << "\"";
        ASSERT_TRUE(RunMovedOnFrom(Texts.size() - 1 - i)) << "paste " << i + 1 << " did not move the run";
    }
    EXPECT_EQ(TextOf(window), "first clip;second clip;third clip;");
    EXPECT_EQ(program_->relay->RFDirection(), Dir::None);
}

TEST_F(RelayfeedX11Test, AWatcherThatReadsEveryNewOwnerAtOnceDoesNotMoveTheRun) {
    QProcess& window = OpenTextWindow();
    QProcess& watcher = Run(BX_X11_PEER, {"watch", "UTF8_STRING"}, env_);
    ASSERT_TRUE(Said(watcher, "watching"));
    StartRunThrough(Texts);
    std::string expected;
    for (std::size_t i = 0; i < Texts.size(); ++i) {
        const std::size_t row = Texts.size() - 1 - i;
        // The watcher has read the clip the run announces; the run still waits for the paste.
        ASSERT_TRUE(Said(watcher, QByteArray("got ") + Texts[i].c_str())) << "clip " << i + 1;
        EXPECT_EQ(program_->core->RFState(), TRFState::Armed) << "clip " << i + 1;
        EXPECT_EQ(program_->relay->RFItem(), Clip(row)) << "clip " << i + 1;
        expected += Texts[i];
        PressCtrlV();
        EXPECT_TRUE(RunUntil([&] { return TextOf(window) == expected; }))
            << "paste " << i + 1 << ": the window holds \"" << TextOf(window) << "\"";
        ASSERT_TRUE(RunMovedOnFrom(row)) << "paste " << i + 1 << " did not move the run";
    }
    EXPECT_EQ(TextOf(window), "first clip;second clip;third clip;");
}

} // namespace
} // namespace bx::pastetools
