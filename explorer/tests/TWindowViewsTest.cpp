// The main window's two views on a running core of the simulated desktop (offscreen): the traditional strip
// with its drop-down bar, dropping the list down and raising it, the view switch from the button, the menu and
// Ctrl+E without the menu, maximize switching and the stacking modes around a dialog.
// Screenshots of the strip, the dropped-down list and the explorer view are saved in the build directory.
#include "CoreTestFixture.h"
#include "ExplorerWindowFixture.h"

#include "TDropDownBar.h"
#include "TSelectItemBar.h"
#include "TWindowCommands.h"
#include "TfrmBX.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHelpEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <QWindow>

#include <string>

namespace bx::explorer {
namespace {

using namespace shell::coretest;
using Commands = TWindowCommands;

class WindowViewsTest : public test::ExplorerWindowFixture {
protected:
    // The program as it starts by default: in the traditional view.
    void StartStrip() {
        StartWindow(0, 0, false);
        CopyText(editor, "first clip");
        CopyText(editor, "second clip");
        QApplication::processEvents();
    }
    QToolButton* Button(const char* name) const { return window->findChild<QToolButton*>(name); }
    bool InStrip() const { return window->DropDownBar()->isVisibleTo(window.get()) && !window->ExplorerView(); }
    void Save(const char* name) const {
        QApplication::processEvents();
        EXPECT_TRUE(window->grab().toImage().save(QString(BX_ARTIFACT_DIR "/") + name));
    }
};

TEST_F(WindowViewsTest, TheStripDropsItsListDownAndTheViewSwitchOpensTheExplorerView) {
    settings->Left1 = 40;
    settings->Top1 = 30;
    settings->UseCollTitle = false;
    StartStrip();
    ASSERT_TRUE(InStrip());
    EXPECT_EQ(window->SelectItemBar()->parentWidget(), window->DropDownBar()) << "the one-line bar is in the strip";
    EXPECT_EQ(window->SelectItemBar()->Text().toStdString(), "second clip");
    EXPECT_FALSE(window->TreeSplitter()->isVisibleTo(window.get()));
    EXPECT_FALSE(window->statusBar()->isVisibleTo(window.get()));
    EXPECT_EQ(window->minimumWidth(), window->maximumWidth()) << "the strip has the width of its buttons";
    EXPECT_EQ(window->minimumHeight(), window->maximumHeight());
    EXPECT_EQ(window->pos(), QPoint(40, 30));
    EXPECT_EQ(window->windowTitle().toStdString(), "Brindlex [second clip]");
    Save("window_traditional_view.png");

    // The arrow button drops the list down with the tack; a click in the list raises it again.
    Button("cmdDropDown")->click();
    ASSERT_TRUE(window->DroppedDown());
    EXPECT_TRUE(window->List()->isVisibleTo(window.get()));
    EXPECT_FALSE(window->Tree()->isVisibleTo(window.get()));
    EXPECT_TRUE(window->Tack()->isVisibleTo(window.get()));
    EXPECT_EQ(window->height(), settings->Height1_Dropdown);
    EXPECT_TRUE(Button("cmdDropDown")->isChecked());
    Save("window_dropped_down.png");
    window->List()->clicked(window->List()->model()->index(1, 0));
    EXPECT_FALSE(window->DroppedDown());
    EXPECT_FALSE(window->List()->isVisibleTo(window.get()));
    // Tacked, a click leaves it down; Escape raises it. Alt+Down drops it.
    window->Commands()->Action(Commands::DropDown)->trigger();
    ASSERT_TRUE(window->DroppedDown());
    window->Tack()->click();
    EXPECT_TRUE(settings->StickyDropDown);
    window->List()->clicked(window->List()->model()->index(0, 0));
    EXPECT_TRUE(window->DroppedDown());

    // The view switch from the button: the explorer view with the tree, the one-line bar above the list.
    Button("cmdExplorer")->click();
    ASSERT_TRUE(window->ExplorerView());
    EXPECT_FALSE(window->DroppedDown());
    EXPECT_TRUE(window->Tree()->isVisibleTo(window.get()));
    EXPECT_FALSE(window->DropDownBar()->isVisibleTo(window.get()));
    EXPECT_TRUE(window->SelectItemBar()->isVisibleTo(window.get()));
    EXPECT_NE(window->SelectItemBar()->parentWidget(), window->DropDownBar());
    EXPECT_FALSE(window->Tack()->isVisibleTo(window.get()));
    EXPECT_TRUE(window->Commands()->Action(Commands::ExplorerView)->isChecked());
    EXPECT_EQ(settings->CurrentSnap, 5);
    EXPECT_LT(window->minimumWidth(), window->maximumWidth());
    window->resize(900, 600);
    Save("window_explorer_view.png");
    // And back from the menu entry: the strip where it was.
    window->Commands()->Action(Commands::ExplorerView)->trigger();
    EXPECT_TRUE(InStrip());
    EXPECT_EQ(window->pos(), QPoint(40, 30));
    EXPECT_EQ(settings->Width2, 900) << "the explorer view's size is kept";
}

TEST_F(WindowViewsTest, WithoutTheMainMenuCtrlEStillSwitchesAndTheContextMenuBringsTheMenuBack) {
    StartStrip();
    const int withMenu = window->height();
    window->Commands()->Action(Commands::ShowMainMenu)->trigger();
    EXPECT_FALSE(settings->ShowMainMenu);
    EXPECT_FALSE(window->menuBar()->isVisibleTo(window.get()));
    EXPECT_LT(window->height(), withMenu);
    // Ctrl+E belongs to the window itself, not only to the hidden menu.
    QAction* switchView = window->Commands()->Action(Commands::ExplorerView);
    EXPECT_EQ(switchView->shortcut(), QKeySequence("Ctrl+E"));
    EXPECT_TRUE(window->actions().contains(switchView));
    switchView->trigger();
    EXPECT_TRUE(window->ExplorerView());
    EXPECT_TRUE(window->menuBar()->isVisibleTo(window.get())) << "the explorer view always has its menu";
    switchView->trigger();
    EXPECT_FALSE(window->menuBar()->isVisibleTo(window.get()));
    EXPECT_EQ(window->MainToolbar()->contextMenuPolicy(), Qt::CustomContextMenu);
    EXPECT_EQ(window->DropDownBar()->contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(WindowViewsTest, MaximizingTheStripOpensTheExplorerViewAndMaximizingAgainThenRestoringReturns) {
    StartStrip();
    window->showMaximized();
    QApplication::processEvents();
    ASSERT_TRUE(window->ExplorerView());
    EXPECT_FALSE(window->isMaximized()) << "the explorer view at its saved size";
    desk.Advance(3000);
    window->showMaximized();
    QApplication::processEvents();
    EXPECT_TRUE(window->isMaximized());
    window->showNormal();
    QApplication::processEvents();
    EXPECT_TRUE(InStrip());
}

TEST_F(WindowViewsTest, AlwaysOnTopIsTheWindowsAboveStateAndDialogsAreNeverCovered) {
    StartStrip();
    const auto onTop = [&] { return window->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint); };
    EXPECT_FALSE(onTop());
    window->Commands()->Action(Commands::AlwaysOnTop)->trigger();
    EXPECT_EQ(settings->Visibility, 0);
    EXPECT_TRUE(onTop());
    EXPECT_TRUE(window->isVisible());
    bool belowDuringDialog = false;
    window->BeforeDialog = [&](QDialog& dialog) {
        belowDuringDialog = !onTop();
        dialog.reject();
        QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
    };
    window->ShowApplicationProfile();
    EXPECT_TRUE(belowDuringDialog);
    EXPECT_TRUE(onTop()) << "above again once the dialog is closed";
    window->Commands()->Action(Commands::AutoHide)->trigger();
    EXPECT_EQ(settings->Visibility, 2);
    EXPECT_FALSE(onTop());
    EXPECT_FALSE(window->Commands()->Action(Commands::AlwaysOnTop)->isChecked());
}

TEST_F(WindowViewsTest, ToolbarStatesAndHintsComeFromTheSettingsAndTheStatesAreStoredAtTheEnd) {
    settings->Toolbar1Showing = false;
    settings->ShowHint = false;
    settings->ShowSearch = true;
    settings->ShowNOCRLF = false;
    StartStrip();
    EXPECT_TRUE(window->MainToolbarCollapsed());
    EXPECT_FALSE(Button("cmdExplorer")->isVisibleTo(window.get()));
    // Without hints a tool-tip request shows nothing.
    QToolButton* tab = Button("ToolBar1Tab");
    QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), tab->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(tab, &help);
    EXPECT_FALSE(QToolTip::isVisible());
    settings->ShowHint = true;
    window->SetShowHint();
    QApplication::sendEvent(tab, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), tab->toolTip());
    QToolTip::hideText();
    // The tabs collapse and expand; the states are stored at the shut-down.
    tab->click();
    QApplication::processEvents(); // the toolbar lays its items out again
    EXPECT_FALSE(window->MainToolbarCollapsed());
    EXPECT_TRUE(Button("cmdExplorer")->isVisibleTo(window.get()));
    EXPECT_TRUE(window->Commands()->SearchButton()->isVisible());
    EXPECT_FALSE(window->Commands()->NoCrlfButton()->isVisible()) << "hidden by the settings";
    Button("ToolBar2Tab")->click();
    ASSERT_TRUE(core->FormCloseQuery());
    EXPECT_TRUE(settings->Toolbar1Showing);
    EXPECT_FALSE(settings->Toolbar2Showing);
}

} // namespace
} // namespace bx::explorer
