// The notification-area icon and auto-capture in the window: the tray menu is made of the main menu's
// commands, F12 and the tray's entry switch capture and both marks and the icon follow whoever switched
// it, and putting the window away hides it in the tray only while a tray can bring it back.
#include "ExplorerWindowFixture.h"

#include "TClipView5.h"
#include "TTrayIcon.h"
#include "TWindowCommands.h"
#include "TfrmBX.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QSystemTrayIcon>
#include <QTest>

#include <string>
#include <vector>

namespace bx::explorer {
namespace {

using Commands = TWindowCommands;

class TrayIconTest : public test::ExplorerWindowFixture {
protected:
    // The window over a running core, with or without a tray on the desktop; the taskbar hints it asks
    // for are recorded.
    void StartWithTray(bool trayAvailable) {
        StartWindow();
        tray = window->Tray();
        tray->TrayAvailable = [this] { return available; };
        available = trayAvailable;
        tray->TrayHostChanged();
        tray->HideTaskbarButton = [this](QWidget&, bool hide) { hints.push_back(hide); };
    }
    void Minimize() {
        window->showMinimized();
        QApplication::processEvents();
    }
    QAction* Action(Commands::Command command) const { return window->Commands()->Action(command); }
    // The icon shows its greyed image: every pixel is grey.
    static bool Greyed(const QIcon& icon) {
        const QImage image = icon.pixmap(32).toImage();
        bool drawn = false;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb pixel = image.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    continue;
                drawn = true;
                if (qRed(pixel) != qGreen(pixel) || qGreen(pixel) != qBlue(pixel))
                    return false;
            }
        return drawn;
    }
    bool Capturing() const { return core->ClipView().Capturing; }

    TTrayIcon* tray = nullptr;
    bool available = false;
    std::vector<bool> hints;
};

TEST_F(TrayIconTest, TheMenuIsMadeOfTheMainMenusCommands) {
    StartWithTray(true);
    const std::vector<std::string> expected = {"Aut&o Capture",
                                               "Show Main Menu",
                                               "",
                                               "Remove Line Br&eaks",
                                               "<< Shift Le&ft",
                                               ">> Shift &Right",
                                               "&Lower Case",
                                               "Upper &Case",
                                               "&Mixed Case",
                                               "&Sentence Case",
                                               "",
                                               "Relayfeed &Up",
                                               "Relayfeed &Down",
                                               "&Glue",
                                               "",
                                               "Select &Previous Item (Up)",
                                               "Select &Next Item (Down)",
                                               "Rename &Title",
                                               "",
                                               "&Help",
                                               "E&xit Program (Shut Down)"};
    std::vector<std::string> shown;
    for (const QAction* entry : tray->Menu()->actions())
        shown.push_back(entry->text().toStdString());
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(tray->Icon()->contextMenu(), tray->Menu());
    EXPECT_EQ(tray->Menu()->objectName(), "PopupMenuSysTray");
    // Each entry is the main menu's own action, so it is enabled and checked as its twin there.
    std::vector<const QAction*> mainMenu;
    for (QAction* menu : window->menuBar()->actions())
        for (const QAction* entry : menu->menu()->actions())
            mainMenu.push_back(entry);
    for (const Commands::Command command : {Commands::RelayfeedUp, Commands::RelayfeedDown, Commands::SelectPrevious,
                                            Commands::SelectNext, Commands::ExitProgram}) {
        SCOPED_TRACE(Action(command)->text().toStdString());
        EXPECT_TRUE(tray->Menu()->actions().contains(Action(command)));
        EXPECT_NE(std::find(mainMenu.begin(), mainMenu.end(), Action(command)), mainMenu.end());
    }
    EXPECT_TRUE(tray->Menu()->actions().contains(Action(Commands::TrayAutoCapture)));
    EXPECT_EQ(Action(Commands::AutoCapture)->shortcut(), QKeySequence(Qt::Key_F12));
    // "Show Main Menu" is a twin of its own with the View menu's entry: both marks follow the setting.
    const bool menuShown = Action(Commands::ShowMainMenu)->isChecked();
    EXPECT_EQ(Action(Commands::TrayShowMainMenu)->isChecked(), menuShown);
    Action(Commands::TrayShowMainMenu)->trigger();
    EXPECT_EQ(Action(Commands::ShowMainMenu)->isChecked(), !menuShown);
    EXPECT_EQ(Action(Commands::TrayShowMainMenu)->isChecked(), !menuShown);
}

TEST_F(TrayIconTest, F12AndTheTrayEntrySwitchCaptureAndTheMarksAndTheIconFollow) {
    StartWithTray(true);
    QAction* config = Action(Commands::AutoCapture);
    QAction* trayEntry = Action(Commands::TrayAutoCapture);
    const auto shows = [&](bool on) {
        EXPECT_EQ(Capturing(), on);
        EXPECT_EQ(config->isChecked(), on);
        EXPECT_EQ(trayEntry->isChecked(), on);
        EXPECT_EQ(Greyed(tray->Icon()->icon()), !on);
        EXPECT_EQ(Greyed(window->windowIcon()), !on);
    };
    {
        SCOPED_TRACE("started");
        shows(true);
    }
    window->activateWindow();
    QApplication::processEvents();
    ASSERT_TRUE(window->isActiveWindow());
    QTest::keyClick(window.get(), Qt::Key_F12);
    {
        SCOPED_TRACE("F12");
        shows(false);
    }
    trayEntry->trigger();
    {
        SCOPED_TRACE("the tray's entry");
        shows(true);
    }
    // Switched elsewhere (the command line's "NOCAPTURE" does it so), the marks follow too.
    core->SetAutoCapture(false);
    {
        SCOPED_TRACE("switched by the core");
        shows(false);
    }
    // Switched off, a copy is not captured.
    const std::size_t rows = core->ClipList().Count();
    CopyText(editor, "not captured");
    EXPECT_EQ(core->ClipList().Count(), rows);
}

TEST_F(TrayIconTest, TheTipIsTheApplicationTitle) {
    StartWithTray(true);
    EXPECT_EQ(tray->Tip(), window->windowTitle());
    tray->SetTip("Brindlex [Clips]");
    EXPECT_EQ(tray->Icon()->toolTip(), "Brindlex [Clips]");
}

// With a tray, minimizing and closing hide the window there while capture goes on; the icon's click
// brings it back without a taskbar button; Exit ends the program.
TEST_F(TrayIconTest, WithATrayTheWindowHidesThereAndTheIconBringsItBack) {
    StartWithTray(true);
    int cameBack = 0;
    const platform::TSubscription counting = tray->CameBack.Subscribe([&] { ++cameBack; });
    EXPECT_TRUE(tray->Icon()->isVisible());
    Minimize();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(tray->AppMinimized());
    emit tray->Icon()->activated(QSystemTrayIcon::Trigger);
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_FALSE(tray->AppMinimized());
    ASSERT_FALSE(hints.empty());
    EXPECT_TRUE(hints.back()) << "shown from the tray, the window keeps its taskbar button hidden";

    EXPECT_FALSE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(tray->AppMinimized());
    EXPECT_FALSE(core->Ended());
    EXPECT_TRUE(Capturing());
    // A second start (or the hot key) brings it back as well.
    window->BringToFront();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(tray->AppMinimized());
    EXPECT_FALSE(tray->State().HiddenInTray());
    window->close();
    emit tray->Icon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(tray->AppMinimized());

    EXPECT_EQ(cameBack, 3) << "the icon's click, a second start, the double click";

    Action(Commands::ExitProgram)->trigger();
    EXPECT_TRUE(core->Ended());
    EXPECT_FALSE(tray->Icon()->isVisible());
}

// Without a tray (or with the icon switched off) nothing hides the window: it minimizes with its
// taskbar button, and closing it ends the program as before.
TEST_F(TrayIconTest, WithoutATrayTheWindowMinimizesAndClosingEndsTheProgram) {
    for (const bool iconOff : {false, true}) {
        SCOPED_TRACE(iconOff ? "icon switched off" : "no tray");
        settings->UseSysTray = !iconOff;
        StartWithTray(iconOff);
        EXPECT_EQ(tray->Icon()->isVisible(), !iconOff);
        Minimize();
        EXPECT_TRUE(window->isVisible());
        EXPECT_TRUE(window->isMinimized());
        EXPECT_TRUE(tray->AppMinimized());
        window->showNormal();
        QApplication::processEvents();
        EXPECT_FALSE(tray->AppMinimized());
        window->close();
        EXPECT_TRUE(core->Ended());
        EXPECT_TRUE(std::find(hints.begin(), hints.end(), true) == hints.end());
        TearDown();
        SetUp();
    }
}

// The tray host ends while the window is hidden there: the window comes back minimized, with its
// taskbar button.
TEST_F(TrayIconTest, ATrayThatGoesAwayGivesTheHiddenWindowBack) {
    StartWithTray(true);
    Minimize();
    ASSERT_FALSE(window->isVisible());
    available = false;
    tray->TrayHostChanged();
    QApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());
    EXPECT_TRUE(tray->AppMinimized());
    ASSERT_FALSE(hints.empty());
    EXPECT_FALSE(hints.back());
}

} // namespace
} // namespace bx::explorer
