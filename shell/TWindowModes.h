#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bx::platform {
class IClock;
}

namespace bx::shell {

class TAppSettings;

// A window's place and size (the client area: the window manager draws its frame outside).
struct TWindowRect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    int Right() const { return Left + Width; }
    int Bottom() const { return Top + Height; }
    bool operator==(const TWindowRect&) const = default;
};

// One layout of the main window: its width, its height below the toolbar, and which parts it shows.
struct TLayoutRecord {
    int Width = 0;
    int Height = 0;
    bool DropDownBar = false;
    bool Tree = false;
};

// What the window measures of its parts before the layouts are computed.
struct TLayoutMetrics {
    int CollapseTab = 0;    // the width of the main toolbar's collapse tab
    int SeparatorLeft = 0;  // the left edge of the separator before the view buttons, right of the tab
    int Frame = 0;          // the frame drawn around the client area by the window itself (0 under X11)
    int Caption = 0;        // the caption drawn by the window itself (0 under a window manager)
    int DropDownButton = 0; // the height of the arrow button
    int Toolbar = 0;        // the height of the main toolbar
    int Menu = 0;           // the height of the main menu bar
};

// What the window must show after a layout change; the window applies it to its widgets.
struct TLayoutPlan {
    static constexpr int NoLimit = 16777215; // no maximum (Qt's QWIDGETSIZE_MAX)
    int Layout = 3;
    bool ExplorerView = false;
    // Sizes: what to set (the window's current values stay where a flag is clear).
    bool SetWidth = false;
    bool SetHeight = false;
    bool SetPosition = false;
    TWindowRect Window;
    int MinWidth = 0;
    int MinHeight = 0;
    int MaxWidth = NoLimit;
    int MaxHeight = NoLimit;
    // Parts.
    bool MainMenu = true;
    bool DropDownBar = false;
    bool Tree = true;
    int TreeWidth = 0;
    bool ExpandMainToolbar = false; // the main toolbar is expanded (shrink and expand only)
    bool Tack = false;              // the status bar's tack is visible
    int SplitterWidth = 6;
    bool PreviewToolbar = true; // the preview pane's toolbar has its height (else 1 pixel)
    int ListHeight = 0;
    bool HalfList = false;     // the list takes half of the right-hand panel (Flashpick while dropped)
    bool ExplorerDown = false; // the view button is down and "Brindlex Explorer" is checked
    bool ShowMainMenuChecked = false;
    // Dropping down and raising.
    bool DroppedDown = false;
    bool TackDown = false;
    bool FocusList = false;
    bool EndFlashpick = false;
    bool Move = false; // move the window to Window.Left/Top
    bool ShowNormal = false;
};

// What the window does when the program is activated or deactivated.
// In this order: write back, raise the drop-down, minimize or shrink (AutoShrinkWindow), end Flashpick.
struct TActivationPlan {
    bool Nothing = false;
    bool Show = false;      // the window was hidden: show it
    bool WriteBack = false; // write pending edits back and put the edited clip on the clipboard
    bool RaiseDropDown = false;
    bool Minimize = false;
    bool Shrink = false; // shrink the strip
    bool Expand = false; // expand the shrunk strip
    bool EndFlashpick = false;
};

// The captions: the window's, the taskbar button's (the application title) and the tray icon's tip.
struct TCaptions {
    std::string Window = "Brindlex";
    std::string Application = "Brindlex";
    std::string TrayTip = "Brindlex";
};

// The rules of the main window's views and modes, without the window: the layouts of the traditional
// strip and of the explorer view, switching between them, dropping the list down and raising it,
// shrinking the strip, the stacking modes, the close button, maximize and restore switching, the stored
// geometry and the captions. Every rule is a computation; the window applies its results to its widgets.
// Times come from the desktop's clock, so the rules run on virtual time in tests.
class TWindowModes {
public:
    TWindowModes(TAppSettings& settings, platform::IClock& clock);

    // Layout numbers: 4 becomes 5, above 5 becomes 1, below 3 becomes 3 (except while shrinking).
    static int MapLayout(int layout, bool shrinking);
    // Computes the layouts 1, 3 and 5 from the measured parts.
    void CalcLayouts(const TLayoutMetrics& metrics);
    const TLayoutRecord& Layout(int layout) const;
    const TLayoutMetrics& Metrics() const { return metrics_; }
    // The width of the one-line bar: the strip less the frame, the arrow button and a pixel.
    int SelectItemWidth(int dropDownButtonWidth) const;

    // Switches to a layout. flashpickActive: the pick list is up (the tack stays hidden).
    TLayoutPlan ApplyLayout(bool applyPosition, int layout, bool applySize, bool flashpickActive = false);
    // The view switch: raises the drop-down, records the view left (or makes a maximized window normal),
    // goes to the other layout with position and size.
    TLayoutPlan SwitchView(bool maximized, const TWindowRect& window, const std::array<bool, 3>& toolbars,
                           bool flashpickActive = false);

    // Drops the list down (down) or raises it. window: the window now; workArea: the screen's work area.
    TLayoutPlan DropDown(bool down, const TWindowRect& window, const TWindowRect& workArea,
                         bool flashpickActive = false, bool fpLock = false);
    // A resize while dropped down, with the right-hand panel's height: the list's new height, if any.
    std::optional<int> DroppedResize(int rightPanelHeight);
    // Whether a click (or Enter) in the list raises the drop-down.
    bool ListClickRaises() const;

    // Shrinks the strip to layout 1 or expands it to 3; nothing in the explorer view, in Flashpick or
    // while dropped down.
    std::optional<TLayoutPlan> AutoShrinkWindow(bool shrink, bool flashpickActive = false);

    // Activation and deactivation of the program. hidden: the window is not shown now.
    TActivationPlan AppActivate(bool flashpickActive, bool hidden);
    TActivationPlan AppDeactivate(bool flashpickActive, bool flashpickPasting, bool flashpickLocked,
                                  bool withinFlashpickGrace);
    // Whether the window's close button closes the window now (GreyX: 0 always, 1 while the program is
    // active, 2 never once the start is over).
    bool CloseEnabled() const { return closeEnabled_; }
    // At start-up and after the preferences dialog: GreyX 2 disables the close button.
    void ApplyGreyX();

    // Stacking. The Config menu's choice (0 always on top, 1 normal, 2 hide when not focused).
    void SetVisibility(int visibility);
    // Before a modal box or dialog and after it, on every path; brackets nest, so the window goes above
    // the others again only when the outermost box has closed.
    void SetNotOnTop();
    void SetStayOnTop();
    // Whether the window is to be above the others now.
    bool OnTop() const;

    // Maximize and restore. Maximize: true when the window is to be maximized; false when the strip
    // switches to the explorer view instead (the caller then switches). Restore: true when the restore
    // returns to the traditional view.
    bool Maximize();
    bool Restore();

    // The main menu in the traditional view toggled: the layout to re-apply (none in Flashpick).
    std::optional<TLayoutPlan> ToggleMainMenu(bool flashpickActive = false);
    // Whether the main menu shows in the current view.
    bool MainMenuShown() const;

    // Stores the current view's geometry and the toolbars' states (nothing while the program resizes).
    void RecordPosition(const TWindowRect& window, const std::array<bool, 3>& toolbars);
    // The stored geometry of both views fitted into the screens' work areas (the first is the primary):
    // no larger than the primary work area, and moved there when its top left corner is on no screen.
    void FitStoredGeometry(const std::vector<TWindowRect>& workAreas);
    static TWindowRect FitRect(TWindowRect rect, const std::vector<TWindowRect>& workAreas);

    // The captions from the shown collection's title and the current clip's title (nullptr: none).
    static TCaptions Captions(const std::string* collectionTitle, const std::string* clipTitle, bool useCollTitle);
    // The status bar's three panels for its width.
    static std::array<int, 3> StatusPanelWidths(int barWidth);

    // The window's state.
    bool ExplorerView() const { return explorerView_; }
    int OtherLayout() const { return otherLayout_; }
    int CurrentSnap() const;
    bool Shrunk() const { return shrunk_; }
    bool DroppedDown() const { return droppedDown_; }
    int SavedTop() const { return savedTop_; }
    bool LayoutSwitching() const { return layoutSwitching_; }
    bool ResizeInProgress = false;
    bool AppMinimized = false;
    bool WasMinimized = false;
    bool StartupDone = false;
    // The window has been shown once.
    bool FirstShowDone = false;

private:
    TAppSettings& settings_;
    platform::IClock& clock_;
    TLayoutMetrics metrics_;
    std::array<TLayoutRecord, 6> layouts_{};
    bool explorerView_ = false;
    int otherLayout_ = 5;
    bool shrunk_ = false;
    bool layoutSwitching_ = false;
    bool droppedDown_ = false;
    int savedTop_ = 0;
    std::uint64_t maximizeSwitchUntil_ = 0;
    bool restoreSwitchesBack_ = false;
    bool closeEnabled_ = true;
    int notOnTop_ = 0;

    int FixedHeight(int layout, bool menu) const;
};

} // namespace bx::shell
