// The edit pane's copy on the real X server: the selection goes on the CLIPBOARD selection from a window of
// the program's own, another program (xclip) reads it, and the program's capture takes it as a new clip.
// Runs under Xvfb; skips itself without $DISPLAY or xclip.
#include "EnvUserDirs.h"
#include "ICollectionDialogs.h"
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
#include "TEditCommands.h"
#include "X11Desktop.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

namespace bx::pastetools {
namespace {

using x11test::RunEventsUntil;

// An editor with a fixed text, all of it selected.
class WholeSelection : public IEditPane {
public:
    explicit WholeSelection(std::string text) : text_(std::move(text)) {}
    std::string Text() const override { return text_; }
    std::size_t Length() const override { return text_.size(); }
    bool HasSelection() const override { return true; }
    std::string SelectedText() const override { return text_; }
    bool Editable() const override { return false; }
    std::size_t Caret() const override { return 0; }
    void SetCaret(std::size_t) override {}
    void ReplaceSelection(const std::string&) override {}
    void InsertAt(std::size_t, const std::string&) override {}
    bool CanUndo() const override { return false; }
    void Undo() override {}
    void ClearUndo() override {}
    void ShowEnabling(const TEditEnabling&) override {}

private:
    std::string text_;
};

// No dialog is asked for here.
class NoDialogs : public shell::ICollectionDialogs {
public:
    std::optional<std::string> TextPrompt(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    bool CollectionProperties(shell::TCollectionProperties&) override { return false; }
    int DataSourceProperties(clipstore::TDataSource&) override { return DataSourceCancel; }
    std::optional<int> PickBitmap(int) override { return std::nullopt; }
    std::optional<std::string> PickFolder(const std::string&, const std::string&, bool) override {
        return std::nullopt;
    }
};

TEST(EditCommandsX11Test, ACopyFromThePaneIsReadByOthersAndCaptured) {
    if (const char* display = std::getenv("DISPLAY"); display == nullptr || *display == '\0')
        GTEST_SKIP() << "no X display: run under xvfb-run";
    const QString xclip = QStandardPaths::findExecutable("xclip");
    if (xclip.isEmpty())
        GTEST_SKIP() << "no xclip";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    for (const char* sub : {"config", "data"})
        ASSERT_TRUE(QDir(home.path()).mkpath(sub));
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(home.path() + "/config").constData(), 1);
    ::setenv("XDG_DATA_HOME", QFile::encodeName(home.path() + "/data").constData(), 1);

    platform::x11::X11Desktop desktop;
    platform::sim::SimMessageBoxes boxes;
    platform::EnvUserDirs dirs;
    platform::sim::SimDataFolderDialog folderDialog;
    platform::StrftimeDateTimeFormat dateFormat;
    clipstore::TDataSourceList sources;
    std::vector<std::string> noCtrlV;
    shell::TAppSettings settings(desktop.Registry(), dirs, boxes, folderDialog, sources, noCtrlV);
    settings.UseDefaultDataDirWithoutAsking = true;
    settings.ReadSettings({});
    settings.AutoSave = false;
    shell::TBrindlexCore core(
        shell::TBrindlexCore::Environment{desktop, settings, sources, boxes, dateFormat, std::string(), nullptr});
    shell::TClipListSelection selection(core, desktop);
    NoDialogs dialogs;
    TEditCommands commands(core, desktop, selection, dialogs);
    bool loaded = false;
    const platform::TSubscription onLoaded = core.Events().DataLoaded.Subscribe([&loaded] { loaded = true; });
    core.SetStartupDelay(0);
    core.Startup({});
    ASSERT_TRUE(RunEventsUntil([&loaded] { return loaded; })) << "the data did not load";

    const std::string text = "copied from the pane: Grüße";
    WholeSelection pane(text);
    commands.SetPane(&pane);
    ASSERT_TRUE(commands.Copy());
    shell::TClipListModel& list = core.ClipList();
    EXPECT_TRUE(RunEventsUntil([&] { return list.Count() > 0 && list.Clip(0)->Title == text; })) << "not captured";

    QProcess reader;
    reader.start(xclip, {"-selection", "clipboard", "-o"});
    ASSERT_TRUE(reader.waitForStarted(5000));
    // The program serves the request from its event loop meanwhile.
    EXPECT_TRUE(RunEventsUntil([&reader] { return reader.state() == QProcess::NotRunning; }));
    EXPECT_EQ(reader.readAllStandardOutput().toStdString(), text);
    commands.SetPane(nullptr);
    core.ShutDown();
}

} // namespace
} // namespace bx::pastetools
