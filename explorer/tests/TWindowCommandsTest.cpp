// The explorer window's commands: the main menu as users know it (texts, mnemonics, shortcuts), and the
// toolbar's and the preview pane's buttons, which are the same commands as the menu entries.
#include "BrindlexVersion.h"
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"

#include "TClipListActions.h"
#include "TGlue.h"
#include "TImages.h"
#include "TRelayfeed.h"
#include "TWindowCommands.h"
#include "TfrmAbout.h"
#include "TfrmBX.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace bx::explorer {
namespace {

using Commands = TWindowCommands;

class WindowCommandsTest : public test::ExplorerWindowFixture {};

TEST_F(WindowCommandsTest, TheMainMenuKeepsItsEntriesAndShortcuts) {
    StartWindow();
    struct Entry {
        std::string menu, text, shortcut;
        bool checkable;
    };
    const std::vector<Entry> expected = {
        {"&File", "&Save All Clips To Disk", "Ctrl+S", false},
        {"&File", "Reload All Clips From Disk", "", false},
        {"&File", "Empty &Trash", "", false},
        {"&File", "", "", false},
        {"&File", "Add New Collection", "", false},
        {"&File", "Collection Properties", "", false},
        {"&File", "", "", false},
        {"&File", "Import Collections (v4.x or v5.x)", "", false},
        {"&File", "", "", false},
        {"&File", "E&xit Program (Shut Down)", "", false},
        {"&Edit", "Select &Next Item (Down)", "Ctrl+N", false},
        {"&Edit", "Select &Previous Item (Up)", "Ctrl+P", false},
        {"&Edit", "Select All Items", "Ctrl+A", false},
        {"&Edit", "", "", false},
        {"&Edit", "Create &New, Empty Clip", "", false},
        {"&Edit", "Delete Selected Items", "", false},
        {"&Edit", "Clip Properties", "", false},
        {"&Edit", "Rename &Title", "Ctrl+T", false},
        {"&Edit", "Open Source URL In Browser", "Ctrl+O", false},
        {"&Edit", "", "", false},
        {"&Edit", "Relayfeed &Up", "Ctrl+U", true},
        {"&Edit", "Relayfeed &Down", "Ctrl+D", true},
        {"&Edit", "Glue", "Ctrl+G", true},
        {"&Edit", "", "", false},
        {"&Edit", "Move Item To Collection", "", false},
        {"&Edit", "Copy Item To Collection", "", false},
        {"&Edit", "Move To &Top Of Sort Order", "", false},
        {"&Edit", "Move To &Bottom Of Sort Order", "", false},
        {"&Edit", "", "", false},
        {"&Edit", "&Lower Case", "", false},
        {"&Edit", "Upper &Case", "", false},
        {"&Edit", "&Mixed Case", "", false},
        {"&Edit", "&Sentence Case", "", false},
        {"&Edit", "<< Shift Le&ft", "", false},
        {"&Edit", ">> Shift &Right", "", false},
        {"&Edit", "Remove Line Br&eaks", "", false},
        {"&Edit", "Strip Out Non-TEXT Data Formats", "", false},
        {"&Config", "&Auto Capture", "F12", true},
        {"&Config", "", "", false},
        {"&Config", "Application P&rofile...", "", false},
        {"&Config", "", "", false},
        {"&Config", "&Always On Top", "", true},
        {"&Config", "&Normal Window", "", true},
        {"&Config", "Auto Hide When Not Focused", "", true},
        {"&Config", "", "", false},
        {"&Config", "&Start With The Session", "", true},
        {"&View", "&Find (Search)...", "Ctrl+F", false},
        {"&View", "Find Ne&xt", "F3", false},
        {"&View", "Filter The List", "Ctrl+K", false},
        {"&View", "", "", false},
        {"&View", "Expand Preview Window", "Ctrl+Shift+X", true},
        {"&View", "", "", false},
        {"&View", "Brindlex Explorer", "Ctrl+E", true},
        {"&View", "Show Main Menu When In Traditional View", "", true},
        {"&View", "", "", false},
        {"&View", "Show Alternate Collections in Flashpick", "Ctrl+F11", true},
        {"&View", "", "", false},
        {"&View", "Select Collection", "F7", false},
        {"&View", "Switch To &Last Collection", "F5", false},
        {"&View", "Switch To Fa&vorite Collection ", "F6", false},
        {"&View", "", "", false},
        {"&View", "&Locate Last Captured Clip", "", false},
        {"&View", "", "", false},
        {"&View", "View Details", "", true},
        {"&View", "Large Icons", "", true},
        {"&Help", "&Help", "F1", false},
        {"&Help", "", "", false},
        {"&Help", "&About Brindlex", "", false},
    };
    std::vector<Entry> shown;
    for (QAction* menu : window->menuBar()->actions())
        for (const QAction* entry : menu->menu()->actions())
            shown.push_back({menu->text().toStdString(), entry->text().toStdString(),
                             entry->shortcut().toString().toStdString(), entry->isCheckable()});
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].text);
        EXPECT_EQ(shown[i].menu, expected[i].menu);
        EXPECT_EQ(shown[i].text, expected[i].text);
        EXPECT_EQ(shown[i].shortcut, expected[i].shortcut);
        EXPECT_EQ(shown[i].checkable, expected[i].checkable);
    }
}

TEST_F(WindowCommandsTest, TheButtonsAreTheCommandsWithTheirToolTips) {
    StartWindow();
    struct Button {
        const char* name;
        Commands::Command command;
        const char* toolTip;
    };
    const Button buttons[] = {
        {"cmdCollection", Commands::NextCollection, "Next collection (with Ctrl: from the first)"},
        {"cmdScrollUp", Commands::SelectPrevious, "Select Previous Item (Up)"},
        {"cmdScrollDown", Commands::SelectNext, "Select Next Item (Down)"},
        {"cmdMag_Pin", Commands::PinPreview, "Pin the preview to this clip"},
        {"cmdMag_WordWrap", Commands::WordWrap, "Word wrap"},
        {"cmdMagFont", Commands::PreviewFont, "Display font"},
        {"cmdMag_SizeWindow", Commands::ExpandPreview, "Expand Preview Window"},
        {"cmdExplorer", Commands::ExplorerView, "Toggle between \"Traditional View\" and \"Explorer View\"."},
        {"cmdMoveItem", Commands::MoveButton, "Move the selected clips to the last collection (with Ctrl: copy)"},
        {"cmdDelete", Commands::DeleteClips, "Delete Selected Items"},
        {"cmdLVReport", Commands::ViewDetails, "View Details"},
        {"cmdLVLargeIcons", Commands::LargeIcons, "View Thumbnails"},
        {"cmdGlue", Commands::Glue, "Glue the selected clips, or auto-glue on or off"},
    };
    for (const Button& expected : buttons) {
        SCOPED_TRACE(expected.name);
        auto* button = window->findChild<QToolButton*>(expected.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->defaultAction(), window->Commands()->Action(expected.command));
        EXPECT_EQ(button->toolTip().toStdString(), expected.toolTip);
    }
}

// The menu entry and the pane's button are one command: either shows the other's state, and moving a
// splitter releases both.
TEST_F(WindowCommandsTest, TheExpandEntryAndThePanesButtonShareTheirState) {
    StartWindow();
    CopyText(editor, "words");
    QAction* entry = window->Commands()->Action(Commands::ExpandPreview);
    auto* button = window->findChild<QToolButton*>("cmdMag_SizeWindow");
    entry->trigger();
    EXPECT_TRUE(button->isChecked());
    EXPECT_EQ(window->TreeSplitter()->sizes().value(0), 1);
    emit window->TreeSplitter()->splitterMoved(150, 1);
    EXPECT_FALSE(entry->isChecked());
    EXPECT_FALSE(button->isChecked());
    button->click();
    EXPECT_TRUE(entry->isChecked());
    EXPECT_EQ(window->ListSplitter()->sizes().value(0), 1);
    button->click();
    EXPECT_FALSE(entry->isChecked());
}

class RelayfeedCommandsTest : public test::ExplorerWindowFixture {
protected:
    void StartWithRelayfeed() {
        StartWindow();
        relay = std::make_unique<pastetools::TRelayfeed>(*core, desk, boxes);
        window->SetRelayfeed(relay.get());
        for (const char* text : {"one", "two", "three"})
            CopyText(editor, text);
    }
    void TearDown() override {
        if (window != nullptr)
            window->SetRelayfeed(nullptr);
        relay.reset();
        ExplorerWindowFixture::TearDown();
    }
    std::unique_ptr<pastetools::TRelayfeed> relay;
};

// The menu entries and the buttons of the panel are the two directions: checkable, at most one of
// them checked (the run's direction), and each starts and stops the run.
TEST_F(RelayfeedCommandsTest, TheEntriesAndButtonsStartAndStopTheRunAndShowItsDirection) {
    using Dir = pastetools::TRelayfeed::TRFDirection;
    StartWithRelayfeed();
    QAction* up = window->Commands()->Action(Commands::RelayfeedUp);
    QAction* down = window->Commands()->Action(Commands::RelayfeedDown);
    auto* panel = window->findChild<QWidget*>("pnlRF");
    ASSERT_NE(panel, nullptr);
    auto* upButton = panel->findChild<QToolButton*>("cmdRFUp");
    auto* downButton = panel->findChild<QToolButton*>("cmdRFDown");
    ASSERT_NE(upButton, nullptr);
    ASSERT_NE(downButton, nullptr);
    EXPECT_EQ(upButton->defaultAction(), up);
    EXPECT_EQ(downButton->defaultAction(), down);
    EXPECT_TRUE(upButton->isCheckable());
    EXPECT_TRUE(downButton->isCheckable());
    const auto shows = [&](Dir direction) {
        EXPECT_EQ(relay->RFDirection(), direction);
        EXPECT_EQ(up->isChecked(), direction == Dir::Up);
        EXPECT_EQ(upButton->isChecked(), direction == Dir::Up);
        EXPECT_EQ(down->isChecked(), direction == Dir::Down);
        EXPECT_EQ(downButton->isChecked(), direction == Dir::Down);
    };
    core->ClipList().SelectOnly(1);
    downButton->click();
    shows(Dir::Down);
    up->trigger(); // the other direction takes over: one group
    shows(Dir::Up);
    upButton->click(); // the same direction again ends the run
    shows(Dir::None);
    EXPECT_EQ(core->RFState(), shell::TBrindlexCore::TRFState::Idle);
    down->trigger();
    shows(Dir::Down);
    // A paste of the program in front: the next row is announced, selected and shown.
    paint.TakeForeground();
    ASSERT_TRUE(paint.Paste({platform::CF_TEXT}));
    desk.Advance(relay->Interval() + 50);
    QApplication::processEvents();
    EXPECT_TRUE(core->ClipList().IsSelected(2));
    EXPECT_EQ(window->TextEditor()->toPlainText().toStdString(), core->ClipList().Clip(2)->Title);
    // The run ends elsewhere (another program copies): the marks follow.
    CopyText(paint, "elsewhere");
    shows(Dir::None);
    // Without a selected row nothing starts, and nothing is shown checked.
    core->ClipList().ClearSelection();
    downButton->click();
    shows(Dir::None);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
}

class GlueCommandsTest : public test::ExplorerWindowFixture {
protected:
    void TearDown() override {
        if (window != nullptr)
            window->SetGlue(nullptr);
        glue.reset();
        ExplorerWindowFixture::TearDown();
    }
    // The title the list's row shows for the clip.
    std::string RowTitle(const clipstore::TClipObj* clip) const {
        const int row = core->ClipList().RowOf(clip);
        return window->List()->model()->index(row, 0).data().toString().toStdString();
    }
    std::unique_ptr<pastetools::TGlue> glue;
};

// The toolbar toggle, the Edit menu's and the tray menu's entries are one state: auto-glue's, with the
// button's image for it; the row and the preview follow the glue clip; the clip list's menu glues the
// selected clips.
TEST_F(GlueCommandsTest, TheEntriesSwitchAutoGlueAndShowItsStateAndTheListsMenuGluesTheSelection) {
    StartWindow();
    glue = std::make_unique<pastetools::TGlue>(*core, boxes);
    window->SetGlue(glue.get());
    CopyText(editor, "one");
    QAction* entry = window->Commands()->Action(Commands::Glue);
    QAction* tray = window->Commands()->Action(Commands::TrayGlue);
    auto* button = window->findChild<QToolButton*>("cmdGlue");
    ASSERT_NE(button, nullptr);
    const auto image = [](const QIcon& icon) { return icon.pixmap(16, 16).toImage(); };
    const auto shows = [&](bool on) {
        EXPECT_EQ(glue->AutoGlueOn(), on);
        EXPECT_EQ(entry->isChecked(), on);
        EXPECT_EQ(tray->isChecked(), on);
        EXPECT_EQ(button->isChecked(), on);
        EXPECT_EQ(image(button->icon()), image(TImages::Icon(on ? "TB_GLUE_TIPPED" : "TB_GLUE")));
    };
    shows(false);
    core->ClipList().SelectOnly(0);
    button->click();
    shows(true);
    clipstore::TClipObj* clip = glue->GlueClip();
    ASSERT_NE(clip, nullptr);
    desk.Advance(static_cast<std::uint64_t>(settings->DelayAfterCopy));
    CopyText(paint, "two");
    QApplication::processEvents();
    EXPECT_EQ(RowTitle(clip), "Glue: (1) Items");
    EXPECT_EQ(window->TextEditor()->toPlainText().toStdString(), "two");
    tray->trigger();
    shows(false);
    EXPECT_EQ(RowTitle(clip), "Glue Complete: (1) Items");
    entry->trigger();
    shows(true);
    entry->trigger();
    shows(false);

    // Two rows and the list's menu: a new clip of both texts, and the editor has the focus.
    const std::size_t rows = core->ClipList().Count();
    core->ClipList().SetSelection({0, 1}, 1);
    QKeyEvent menuKey(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier);
    QApplication::sendEvent(window->List(), &menuKey);
    QMenu* menu = window->ListActions()->Open();
    ASSERT_NE(menu, nullptr);
    auto* glueClips = menu->findChild<QAction*>("mnuPopupClips_GlueClips");
    ASSERT_NE(glueClips, nullptr);
    EXPECT_EQ(glueClips->text().toStdString(), "&Glue Clips Together");
    glueClips->trigger();
    menu->close();
    QApplication::processEvents();
    EXPECT_EQ(core->ClipList().Count(), rows + 1);
    ASSERT_NE(core->CurrentClip(), nullptr);
    EXPECT_EQ(core->CurrentClip()->Title, "Glue: (2 Items)");
    EXPECT_EQ(RowTitle(core->CurrentClip()), "Glue: (2 Items)");
    shows(false);
}

TEST_F(WindowCommandsTest, StartWithTheSessionWritesAndRemovesTheDesktopsAutostartEntry) {
    StartWindow();
    const std::string entry = root + "config/autostart/io.github.quorvanti.Brindlex.desktop";
    QAction* action = window->Commands()->Action(Commands::StartWithSession);
    EXPECT_FALSE(action->isChecked());
    action->trigger();
    EXPECT_TRUE(action->isChecked());
    EXPECT_TRUE(std::filesystem::exists(entry));
    action->trigger();
    EXPECT_FALSE(action->isChecked());
    EXPECT_FALSE(std::filesystem::exists(entry));
    // A folder that cannot be made: the user is told and the mark stays off.
    std::filesystem::remove_all(root + "config");
    std::ofstream(root + "config") << "a file where the folder would be";
    action->trigger();
    EXPECT_FALSE(action->isChecked());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes().front().type, platform::MsgType::Error);
}

TEST_F(WindowCommandsTest, AboutShowsTheVersionAndTheDataFolder) {
    StartWindow();
    QString shown;
    window->BeforeDialog = [&](QDialog& dialog) {
        auto* about = qobject_cast<TfrmAbout*>(&dialog);
        ASSERT_NE(about, nullptr);
        shown = about->Text()->text();
        QMetaObject::invokeMethod(&dialog, &QDialog::accept, Qt::QueuedConnection);
    };
    window->Commands()->Action(Commands::About)->trigger();
    EXPECT_TRUE(shown.startsWith(QString("Brindlex ") + platform::BrindlexVersion)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QString::fromStdString(sources.Source(0)->Directory))) << shown.toStdString();
}

} // namespace
} // namespace bx::explorer
