// The main window's views and modes as rules without a window, on the simulated desktop's clock: the
// layouts, dropping the list down and raising it, shrinking the strip, the stacking modes, the close
// button, maximize switching, the stored geometry and the captions.
#include "TWindowModes.h"
#include "CoreTestFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace bx::shell {
namespace {

// Sizes as a window with a frame and a caption of its own would measure them.
constexpr TLayoutMetrics Metrics{.CollapseTab = 10,
                                 .SeparatorLeft = 200,
                                 .Frame = 4,
                                 .Caption = 18,
                                 .DropDownButton = 22,
                                 .Toolbar = 30,
                                 .Menu = 20};
// W = 10 + 200 + 5 + 2 * 4 = 223; B = 18 + 22 = 40.
constexpr int W = 223;
constexpr int B = 40;
const TWindowRect Screen{0, 0, 1024, 768};

class WindowModesTest : public coretest::CoreFixture {
protected:
    TWindowModes& Modes(int snap = 3) {
        settings->CurrentSnap = snap;
        modes = std::make_unique<TWindowModes>(*settings, desk.Clock());
        modes->CalcLayouts(Metrics);
        return *modes;
    }
    std::unique_ptr<TWindowModes> modes;
};

TEST_F(WindowModesTest, LayoutsComeFromTheMeasuredToolbarAndBar) {
    settings->Height2 = 500;
    TWindowModes& m = Modes();
    struct Case {
        int layout;
        TLayoutRecord record;
    };
    for (const Case& c :
         {Case{1, {W / 2, B + 3, true, false}}, Case{3, {W, B, true, false}}, Case{5, {W + 78, 500, false, true}}}) {
        const TLayoutRecord& r = m.Layout(c.layout);
        EXPECT_EQ(r.Width, c.record.Width) << c.layout;
        EXPECT_EQ(r.Height, c.record.Height) << c.layout;
        EXPECT_EQ(r.DropDownBar, c.record.DropDownBar) << c.layout;
        EXPECT_EQ(r.Tree, c.record.Tree) << c.layout;
    }
    EXPECT_EQ(m.SelectItemWidth(22), W - 8 - 22 - 1);
    // Numbers above 5 are the shrunk strip, 4 the explorer view, those below 3 the strip (only shrinking
    // keeps 1).
    for (const auto& [in, out, shrinking] : {std::tuple{0, 3, false},
                                             {1, 3, false},
                                             {1, 1, true},
                                             {2, 3, true},
                                             {3, 3, false},
                                             {4, 5, false},
                                             {5, 5, false},
                                             {6, 1, true},
                                             {9, 3, false}})
        EXPECT_EQ(TWindowModes::MapLayout(in, shrinking), out) << in << " shrinking " << shrinking;
    // A stored 4 starts the explorer view; the view switch then goes to 3.
    EXPECT_TRUE(Modes(4).ExplorerView());
    EXPECT_EQ(modes->OtherLayout(), 3);
}

TEST_F(WindowModesTest, TheStripIsFixedAndTheExplorerViewFreeAndTheViewSwitchAlternates) {
    settings->split1 = 140;
    settings->split2 = 150;
    settings->split2a = 90;
    settings->Left1 = 10, settings->Top1 = 20;
    settings->Left2 = 100, settings->Top2 = 120, settings->Width2 = 700, settings->Height2 = 520;
    TWindowModes& m = Modes(3);
    TLayoutPlan strip = m.ApplyLayout(true, 3, true);
    EXPECT_FALSE(strip.ExplorerView);
    EXPECT_EQ(strip.Window, (TWindowRect{10, 20, W, 30 + B + 20 + 8}));
    EXPECT_EQ(strip.MinWidth, W);
    EXPECT_EQ(strip.MaxWidth, W);
    EXPECT_EQ(strip.MinHeight, strip.MaxHeight);
    EXPECT_TRUE(strip.MainMenu);
    EXPECT_TRUE(strip.DropDownBar);
    EXPECT_FALSE(strip.Tree);
    EXPECT_EQ(strip.TreeWidth, 1);
    EXPECT_TRUE(strip.Tack);
    EXPECT_EQ(strip.SplitterWidth, 1);
    EXPECT_FALSE(strip.PreviewToolbar);
    EXPECT_EQ(strip.ListHeight, 90);
    EXPECT_FALSE(strip.ExplorerDown);
    // Without the main menu the strip is a menu's height lower.
    settings->ShowMainMenu = false;
    EXPECT_EQ(m.ApplyLayout(false, 3, true).Window.Height, 30 + B + 8);

    // The view switch records where the strip is and opens the explorer view where it was.
    const TLayoutPlan explorer = m.SwitchView(false, {33, 44, W, 200}, {true, false, true});
    EXPECT_EQ(settings->Left1, 33);
    EXPECT_EQ(settings->Top1, 44);
    EXPECT_FALSE(settings->Toolbar2Showing);
    EXPECT_TRUE(explorer.ExplorerView);
    EXPECT_EQ(settings->CurrentSnap, 5);
    EXPECT_EQ(explorer.Window, (TWindowRect{100, 120, 700, 520}));
    EXPECT_EQ(explorer.MinWidth, W + 78);
    EXPECT_EQ(explorer.MaxWidth, TLayoutPlan::NoLimit);
    EXPECT_EQ(explorer.MaxHeight, TLayoutPlan::NoLimit);
    EXPECT_TRUE(explorer.MainMenu) << "the explorer view always has its menu";
    EXPECT_FALSE(explorer.DropDownBar);
    EXPECT_TRUE(explorer.Tree);
    EXPECT_EQ(explorer.TreeWidth, 140);
    EXPECT_FALSE(explorer.Tack);
    EXPECT_EQ(explorer.SplitterWidth, 6);
    EXPECT_TRUE(explorer.PreviewToolbar);
    EXPECT_EQ(explorer.ListHeight, 150);
    EXPECT_TRUE(explorer.ExplorerDown);
    // And back: the explorer view's place is kept; a maximized window is made normal and not recorded.
    m.SwitchView(false, {200, 210, 800, 600}, {true, true, true});
    EXPECT_EQ((TWindowRect{settings->Left2, settings->Top2, settings->Width2, settings->Height2}),
              (TWindowRect{200, 210, 800, 600}));
    EXPECT_EQ(settings->CurrentSnap, 3);
    m.SwitchView(false, {33, 44, W, 200}, {true, true, true});
    const TLayoutPlan fromMaximized = m.SwitchView(true, {0, 0, 1024, 768}, {true, true, true});
    EXPECT_TRUE(fromMaximized.ShowNormal);
    EXPECT_EQ(fromMaximized.Layout, 3);
    EXPECT_EQ(settings->Width2, 800) << "the maximized size is not the explorer view's";
}

TEST_F(WindowModesTest, DroppingDownNearTheBottomMovesUpAndRaisingMovesBack) {
    settings->Height1_Dropdown = 400;
    settings->StickyDropDown = true;
    TWindowModes& m = Modes(3);
    const TWindowRect workArea{0, 0, 1024, 740};
    const int stripHeight = m.ApplyLayout(false, 3, true).Window.Height;
    TLayoutPlan down = m.DropDown(true, {50, 600, W, stripHeight}, workArea);
    EXPECT_TRUE(m.DroppedDown());
    EXPECT_EQ(down.Window.Height, 400);
    EXPECT_EQ(down.MinHeight, 30 + B + 20 + 8);
    EXPECT_EQ(down.MaxHeight, TLayoutPlan::NoLimit);
    EXPECT_TRUE(down.Tack);
    EXPECT_TRUE(down.TackDown);
    EXPECT_TRUE(down.FocusList);
    EXPECT_TRUE(down.Move);
    EXPECT_EQ(down.Window.Top, 740 - 400) << "it ends at the work area's bottom";
    EXPECT_EQ(m.SavedTop(), 600);
    EXPECT_FALSE(m.ListClickRaises()) << "tacked";
    // While down a resize gives the list half of a tall panel, all of a short one.
    EXPECT_EQ(m.DroppedResize(300), 150);
    EXPECT_EQ(settings->split2a, 150);
    EXPECT_EQ(m.DroppedResize(120), 120);
    EXPECT_EQ(m.DroppedResize(9), std::nullopt);
    // The user made it 200 pixels high: raising keeps 250 for the next time, and moves back.
    TLayoutPlan up = m.DropDown(false, {50, 340, W, 200}, workArea);
    EXPECT_EQ(settings->Height1_Dropdown, 250);
    EXPECT_TRUE(up.Move);
    EXPECT_EQ(up.Window.Top, 600);
    EXPECT_EQ(up.Window.Height, stripHeight);
    EXPECT_EQ(up.MaxHeight, stripHeight);
    EXPECT_EQ(m.SavedTop(), 0);
    EXPECT_EQ(m.DroppedResize(300), std::nullopt) << "raised";
    // High on the screen nothing moves; a tall one keeps its height.
    down = m.DropDown(true, {50, 100, W, stripHeight}, workArea);
    EXPECT_FALSE(down.Move);
    EXPECT_EQ(down.Window.Height, 250);
    up = m.DropDown(false, {50, 100, W, 480}, workArea);
    EXPECT_FALSE(up.Move);
    EXPECT_EQ(settings->Height1_Dropdown, 480);
    // In Flashpick the tack stays hidden, the lock shows instead and raising ends Flashpick.
    down = m.DropDown(true, {50, 100, W, stripHeight}, workArea, true, false);
    EXPECT_FALSE(down.Tack);
    EXPECT_FALSE(down.TackDown);
    EXPECT_FALSE(down.FocusList);
    EXPECT_TRUE(down.HalfList);
    EXPECT_TRUE(m.DropDown(false, {50, 100, W, 300}, workArea, true).EndFlashpick);
}

TEST_F(WindowModesTest, AutoShrinkHalvesTheStripButNotWhileDroppedOrInTheExplorerView) {
    settings->AutoShrink = true;
    TWindowModes& m = Modes(3);
    m.StartupDone = true;
    TActivationPlan away = m.AppDeactivate(false, false, false, false);
    ASSERT_TRUE(away.Shrink);
    const std::optional<TLayoutPlan> shrunk = m.AutoShrinkWindow(true);
    ASSERT_TRUE(shrunk.has_value());
    EXPECT_EQ(shrunk->Layout, 1);
    EXPECT_EQ(shrunk->Window.Width, W / 2);
    EXPECT_EQ(shrunk->Window.Height, 30 + B + 3 + 8) << "no menu";
    EXPECT_FALSE(shrunk->MainMenu);
    EXPECT_EQ(settings->CurrentSnap, 3) << "shrinking is no layout choice";
    EXPECT_TRUE(m.Shrunk());
    ASSERT_TRUE(m.AppActivate(false, false).Expand);
    const std::optional<TLayoutPlan> expanded = m.AutoShrinkWindow(false);
    ASSERT_TRUE(expanded.has_value());
    EXPECT_EQ(expanded->Window.Width, W);
    EXPECT_TRUE(expanded->ExpandMainToolbar);
    EXPECT_TRUE(expanded->MainMenu);
    EXPECT_FALSE(m.Shrunk());
    // Dropped down (tacked, so deactivation leaves it down), in Flashpick, in the explorer view: nothing.
    settings->StickyDropDown = true;
    m.DropDown(true, {0, 0, W, 100}, Screen);
    EXPECT_FALSE(m.AppDeactivate(false, false, false, false).RaiseDropDown);
    EXPECT_EQ(m.AutoShrinkWindow(true), std::nullopt);
    m.DropDown(false, {0, 0, W, 300}, Screen);
    EXPECT_EQ(m.AutoShrinkWindow(true, true), std::nullopt);
    m.SwitchView(false, {0, 0, W, 100}, {true, true, true});
    EXPECT_EQ(m.AutoShrinkWindow(true), std::nullopt);
}

TEST_F(WindowModesTest, DeactivationRaisesMinimizesOrLeavesFlashpickAlone) {
    settings->Visibility = 2;
    TWindowModes& m = Modes(3);
    m.DropDown(true, {0, 0, W, 100}, Screen);
    EXPECT_FALSE(m.AppDeactivate(false, false, false, false).Minimize) << "not before the start is over";
    m.StartupDone = true;
    const TActivationPlan away = m.AppDeactivate(false, false, false, false);
    EXPECT_TRUE(away.WriteBack);
    EXPECT_TRUE(away.RaiseDropDown);
    EXPECT_TRUE(away.Minimize);
    // Flashpick: its pasting, its lock and its grace time keep everything; otherwise it ends, unminimized.
    EXPECT_TRUE(m.AppDeactivate(true, true, false, false).Nothing);
    EXPECT_TRUE(m.AppDeactivate(true, false, true, false).Nothing);
    EXPECT_TRUE(m.AppDeactivate(true, false, false, true).Nothing);
    const TActivationPlan fp = m.AppDeactivate(true, false, false, false);
    EXPECT_FALSE(fp.Minimize);
    EXPECT_FALSE(fp.RaiseDropDown);
    EXPECT_TRUE(fp.EndFlashpick);
    EXPECT_TRUE(m.AppActivate(true, true).Nothing);
    m.FirstShowDone = true;
    EXPECT_TRUE(m.AppActivate(false, true).Show);
    settings->Visibility = 1;
    EXPECT_FALSE(m.AppDeactivate(false, false, false, false).Minimize);
}

TEST_F(WindowModesTest, StackingFollowsTheChoiceAndNestedBoxesKeepTheWindowBelow) {
    TWindowModes& m = Modes();
    for (const auto& [visibility, onTop] : {std::pair{0, true}, {1, false}, {2, false}}) {
        m.SetVisibility(visibility);
        EXPECT_EQ(m.OnTop(), onTop) << visibility;
    }
    m.SetVisibility(0);
    // A dialog that opens a message box: the window goes above again only after the dialog.
    m.SetNotOnTop();
    m.SetNotOnTop();
    m.SetStayOnTop();
    EXPECT_FALSE(m.OnTop());
    m.SetStayOnTop();
    EXPECT_TRUE(m.OnTop());
    m.SetStayOnTop();
    EXPECT_TRUE(m.OnTop()) << "an extra end changes nothing";
}

TEST_F(WindowModesTest, TheCloseButtonFollowsGreyX) {
    struct Case {
        int greyX;
        bool atStart, inactive, active;
    };
    for (const Case& c : {Case{0, true, true, true}, Case{1, true, false, true}, Case{2, false, false, false}}) {
        settings->GreyX = c.greyX;
        TWindowModes& m = Modes();
        m.ApplyGreyX();
        EXPECT_EQ(m.CloseEnabled(), c.atStart) << c.greyX;
        m.AppDeactivate(false, false, false, false);
        EXPECT_EQ(m.CloseEnabled(), c.inactive) << c.greyX;
        m.AppActivate(false, false);
        EXPECT_EQ(m.CloseEnabled(), c.active) << c.greyX;
    }
}

TEST_F(WindowModesTest, MaximizingTheStripOpensTheExplorerViewAndASecondMaximizeWithinFiveSecondsRestoresBack) {
    TWindowModes& m = Modes(3);
    EXPECT_FALSE(m.Maximize()) << "the strip switches instead";
    m.SwitchView(false, {0, 0, W, 100}, {true, true, true});
    desk.Advance(4900);
    EXPECT_TRUE(m.Maximize());
    EXPECT_TRUE(m.Restore()) << "within 5 s: restoring returns to the strip";
    m.SwitchView(false, {0, 0, 600, 400}, {true, true, true});
    // Later than 5 s: the explorer view maximizes and restores as any window.
    EXPECT_FALSE(m.Maximize());
    m.SwitchView(false, {0, 0, W, 100}, {true, true, true});
    desk.Advance(5000);
    EXPECT_TRUE(m.Maximize());
    EXPECT_FALSE(m.Restore());
}

TEST_F(WindowModesTest, StoredGeometryFitsTheScreensAndADropDownRecordsWhereTheStripBelongs) {
    // A HiDPI screen: a stored explorer window larger than the work area; a strip on a screen that is gone.
    settings->Left2 = 0, settings->Top2 = 0, settings->Width2 = 2400, settings->Height2 = 1600;
    settings->Left1 = 3000, settings->Top1 = 200;
    TWindowModes& m = Modes(3);
    const std::vector<TWindowRect> screens{{0, 32, 1280, 768}, {1280, 0, 1024, 768}};
    m.FitStoredGeometry(screens);
    EXPECT_EQ((TWindowRect{settings->Left2, settings->Top2, settings->Width2, settings->Height2}),
              (TWindowRect{0, 32, 1280, 768}));
    EXPECT_EQ(m.Layout(5).Height, 768);
    EXPECT_EQ(settings->Left1, 1280 - W);
    EXPECT_EQ(settings->Top1, 200);
    // On the second screen a window stays there.
    EXPECT_EQ(TWindowModes::FitRect({1500, 100, 600, 400}, screens), (TWindowRect{1500, 100, 600, 400}));
    EXPECT_EQ(TWindowModes::FitRect({2200, 600, 600, 400}, screens), (TWindowRect{1704, 368, 600, 400}));
    // Recording while the drop-down has moved the strip up stores the strip's own top.
    m.DropDown(true, {100, 700, W, 100}, screens[0]);
    m.RecordPosition({100, 400, W, 400}, {false, true, true});
    EXPECT_EQ(settings->Top1, 700);
    EXPECT_FALSE(settings->Toolbar1Showing);
    m.ResizeInProgress = true;
    m.RecordPosition({5, 5, W, 400}, {true, true, true});
    EXPECT_EQ(settings->Left1, 100) << "nothing while the program resizes";
}

TEST(WindowCaptionTest, CollectionAndClipTextsCutTo45Characters) {
    const std::string coll = "Short-Term";
    const std::string clip = std::string(44, 'x') + "\xC3\xA9" + "tail"; // 45th character: e acute
    TCaptions c = TWindowModes::Captions(&coll, &clip, false);
    EXPECT_EQ(c.Window, "Brindlex [Short-Term]");
    EXPECT_EQ(c.Application, "Brindlex [" + std::string(44, 'x') + "\xC3\xA9]");
    EXPECT_EQ(c.TrayTip, c.Application);
    c = TWindowModes::Captions(&coll, &clip, true);
    EXPECT_EQ(c.Application, "Brindlex [Short-Term]");
    c = TWindowModes::Captions(nullptr, nullptr, false);
    EXPECT_EQ(c.Window, "Brindlex");
    EXPECT_EQ(c.Application, "Brindlex");
    const std::string exact(45, 'y');
    EXPECT_EQ(TWindowModes::Captions(&exact, nullptr, true).Window, "Brindlex [" + exact + "]");
    EXPECT_EQ(TWindowModes::StatusPanelWidths(400), (std::array<int, 3>{27, 100, 273}));
    EXPECT_EQ(TWindowModes::StatusPanelWidths(50), (std::array<int, 3>{27, 100, 0}));
}

} // namespace
} // namespace bx::shell
