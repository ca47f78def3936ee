#include "TWindowModes.h"

#include "IClock.h"
#include "TAppSettings.h"

#include <algorithm>

namespace bx::shell {

namespace {

// How long after a maximize of the strip a maximize of the explorer view still counts as its second half.
constexpr std::uint64_t MaximizeSwitchMs = 5000;
// The smallest height a raised drop-down keeps for the next time.
constexpr int MinDropDownHeight = 250;
// How many characters of a title the captions show.
constexpr std::size_t CaptionChars = 45;
// The part of a window that must lie on a screen for the window to be reachable.
constexpr int Grip = 32;

// The first n characters of a UTF-8 text (cut on a character boundary).
std::string FirstChars(const std::string& text, std::size_t n) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && chars++ == n)
            return text.substr(0, i);
    }
    return text;
}

bool Overlaps(const TWindowRect& a, const TWindowRect& b) {
    return a.Left < b.Right() && b.Left < a.Right() && a.Top < b.Bottom() && b.Top < a.Bottom();
}

} // namespace

TWindowModes::TWindowModes(TAppSettings& settings, platform::IClock& clock) : settings_(settings), clock_(clock) {
    const int current = MapLayout(settings_.CurrentSnap, false);
    explorerView_ = current > 3;
    otherLayout_ = current < 4 ? 5 : 3;
}

int TWindowModes::MapLayout(int layout, bool shrinking) {
    if (layout > 5)
        layout = 1;
    if (layout == 4)
        layout = 5;
    // Only the shrunk strip is below 3 (and only while shrinking).
    if (layout < 3 && !(shrinking && layout == 1))
        layout = 3;
    return layout;
}

void TWindowModes::CalcLayouts(const TLayoutMetrics& metrics) {
    metrics_ = metrics;
    const int w = metrics.CollapseTab + metrics.SeparatorLeft + 5 + 2 * metrics.Frame;
    const int b = metrics.Caption + metrics.DropDownButton;
    layouts_[1] = {w / 2, b + 3, true, false};
    layouts_[3] = {w, b, true, false};
    layouts_[5] = {w + 78, settings_.Height2, false, true};
}

const TLayoutRecord& TWindowModes::Layout(int layout) const {
    return layouts_[static_cast<std::size_t>(MapLayout(layout, true))];
}

int TWindowModes::SelectItemWidth(int dropDownButtonWidth) const {
    return std::max(0, layouts_[3].Width - 2 * metrics_.Frame - dropDownButtonWidth - 1);
}

int TWindowModes::CurrentSnap() const {
    return MapLayout(settings_.CurrentSnap, false);
}

bool TWindowModes::MainMenuShown() const {
    return explorerView_ || settings_.ShowMainMenu;
}

int TWindowModes::FixedHeight(int layout, bool menu) const {
    return metrics_.Toolbar + Layout(layout).Height + (menu ? metrics_.Menu : 0) + 2 * metrics_.Frame;
}

TLayoutPlan TWindowModes::ApplyLayout(bool applyPosition, int layout, bool applySize, bool flashpickActive) {
    TLayoutPlan p;
    const int n = MapLayout(layout, layoutSwitching_);
    if (layoutSwitching_) {
        // Shrinking and expanding stay in the traditional view and leave the stored choices alone.
        explorerView_ = false;
        p.ExpandMainToolbar = n != 1;
    } else {
        settings_.CurrentSnap = n;
        explorerView_ = n > 3;
        p.ShowMainMenuChecked = settings_.ShowMainMenu;
    }
    const TLayoutRecord& record = Layout(n);
    p.Layout = n;
    p.ExplorerView = explorerView_;
    p.MainMenu = n > 1 && MainMenuShown();
    p.DropDownBar = record.DropDownBar;
    p.Tree = record.Tree;
    p.TreeWidth = record.Tree ? settings_.split1 : 1;
    p.Tack = !explorerView_ && !flashpickActive;
    p.SplitterWidth = explorerView_ ? 6 : 1;
    p.PreviewToolbar = explorerView_;
    p.ListHeight = explorerView_ ? settings_.split2 : settings_.split2a;
    p.ExplorerDown = explorerView_;
    p.DroppedDown = droppedDown_;
    p.TackDown = settings_.StickyDropDown;
    if (explorerView_) {
        p.MinWidth = layouts_[5].Width;
        p.Window.Height = settings_.Height2;
        p.SetHeight = applySize;
        if (applySize && applyPosition) {
            p.SetWidth = p.SetPosition = true;
            p.Window = {settings_.Left2, settings_.Top2, settings_.Width2, settings_.Height2};
        }
        return p;
    }
    // The strip: its width is the layout's; its height too while the list is not dropped down.
    p.MinWidth = p.MaxWidth = record.Width;
    p.Window.Width = record.Width;
    p.SetWidth = true;
    if (droppedDown_) {
        p.MinHeight = metrics_.Toolbar + layouts_[3].Height + (p.MainMenu ? metrics_.Menu : 0) + 2 * metrics_.Frame;
    } else {
        p.MinHeight = p.MaxHeight = FixedHeight(n, p.MainMenu);
        p.Window.Height = p.MinHeight;
        p.SetHeight = applySize;
    }
    if (applySize && applyPosition) {
        p.SetPosition = true;
        p.Window.Left = settings_.Left1;
        p.Window.Top = settings_.Top1;
    }
    return p;
}

TLayoutPlan TWindowModes::SwitchView(bool maximized, const TWindowRect& window, const std::array<bool, 3>& toolbars,
                                     bool flashpickActive) {
    if (!maximized)
        RecordPosition(window, toolbars);
    droppedDown_ = false;
    savedTop_ = 0;
    shrunk_ = false;
    const int next = otherLayout_;
    otherLayout_ = CurrentSnap();
    TLayoutPlan p = ApplyLayout(true, next, true, flashpickActive);
    p.ShowNormal = maximized;
    return p;
}

TLayoutPlan TWindowModes::DropDown(bool down, const TWindowRect& window, const TWindowRect& workArea,
                                   bool flashpickActive, bool fpLock) {
    if (explorerView_ || down == droppedDown_)
        return ApplyLayout(false, CurrentSnap(), false, flashpickActive);
    settings_.Left1 = window.Left;
    settings_.Top1 = savedTop_ > 0 ? savedTop_ : window.Top;
    if (!down) {
        droppedDown_ = false;
        settings_.Height1_Dropdown = std::max(window.Height, MinDropDownHeight);
        TLayoutPlan p = ApplyLayout(false, CurrentSnap(), true, flashpickActive);
        p.EndFlashpick = flashpickActive;
        p.ListHeight = settings_.split2;
        if (savedTop_ > 0) {
            p.Move = true;
            p.Window.Left = window.Left;
            p.Window.Top = savedTop_;
            savedTop_ = 0;
        }
        return p;
    }
    droppedDown_ = true;
    TLayoutPlan p = ApplyLayout(false, CurrentSnap(), false, flashpickActive);
    p.TackDown = flashpickActive ? fpLock : settings_.StickyDropDown;
    p.SetHeight = true;
    p.Window.Height = std::max(settings_.Height1_Dropdown, p.MinHeight);
    p.FocusList = !flashpickActive;
    p.HalfList = flashpickActive;
    p.Window.Left = window.Left;
    p.Window.Top = window.Top;
    // Near the bottom of the screen the window moves up so that it ends at the work area's bottom.
    if (window.Top + p.Window.Height > workArea.Bottom()) {
        savedTop_ = window.Top;
        p.Move = true;
        p.Window.Top = std::max(workArea.Bottom() - p.Window.Height, workArea.Top);
    }
    return p;
}

bool TWindowModes::ListClickRaises() const {
    return droppedDown_ && !settings_.StickyDropDown;
}

std::optional<int> TWindowModes::DroppedResize(int rightPanelHeight) {
    if (!droppedDown_ || explorerView_ || ResizeInProgress || rightPanelHeight < 10)
        return std::nullopt;
    settings_.split2a = rightPanelHeight > 159 ? rightPanelHeight / 2 : rightPanelHeight;
    return settings_.split2a;
}

std::optional<TLayoutPlan> TWindowModes::AutoShrinkWindow(bool shrink, bool flashpickActive) {
    if (explorerView_ || flashpickActive || droppedDown_)
        return std::nullopt;
    layoutSwitching_ = true;
    TLayoutPlan p = ApplyLayout(false, shrink ? 1 : 3, true, flashpickActive);
    shrunk_ = shrink;
    layoutSwitching_ = false;
    return p;
}

TActivationPlan TWindowModes::AppActivate(bool flashpickActive, bool hidden) {
    TActivationPlan a;
    if (flashpickActive) {
        a.Nothing = true;
        return a;
    }
    if (settings_.GreyX == 0 || settings_.GreyX == 1)
        closeEnabled_ = true;
    a.Show = FirstShowDone && hidden;
    a.Expand = settings_.AutoShrink && shrunk_;
    return a;
}

TActivationPlan TWindowModes::AppDeactivate(bool flashpickActive, bool flashpickPasting, bool flashpickLocked,
                                            bool withinFlashpickGrace) {
    TActivationPlan a;
    if (flashpickPasting || (flashpickActive && (flashpickLocked || withinFlashpickGrace))) {
        a.Nothing = true;
        return a;
    }
    a.WriteBack = true;
    if (settings_.GreyX > 0)
        closeEnabled_ = false;
    a.RaiseDropDown = !explorerView_ && droppedDown_ && !settings_.StickyDropDown && !flashpickActive;
    if (StartupDone && settings_.Visibility == 2 && !flashpickActive)
        a.Minimize = true;
    else
        a.Shrink = settings_.AutoShrink;
    a.EndFlashpick = flashpickActive;
    return a;
}

void TWindowModes::ApplyGreyX() {
    closeEnabled_ = settings_.GreyX != 2;
}

void TWindowModes::SetVisibility(int visibility) {
    settings_.Visibility = std::clamp(visibility, 0, 2);
}

void TWindowModes::SetNotOnTop() {
    ++notOnTop_;
}

void TWindowModes::SetStayOnTop() {
    if (notOnTop_ > 0)
        --notOnTop_;
}

bool TWindowModes::OnTop() const {
    return settings_.Visibility == 0 && notOnTop_ == 0;
}

bool TWindowModes::Maximize() {
    const std::uint64_t now = clock_.TickCount();
    if (!explorerView_) {
        maximizeSwitchUntil_ = now + MaximizeSwitchMs;
        restoreSwitchesBack_ = false;
        return false;
    }
    restoreSwitchesBack_ = now < maximizeSwitchUntil_;
    return true;
}

bool TWindowModes::Restore() {
    const bool back = restoreSwitchesBack_ && explorerView_;
    restoreSwitchesBack_ = false;
    return back;
}

std::optional<TLayoutPlan> TWindowModes::ToggleMainMenu(bool flashpickActive) {
    settings_.ShowMainMenu = !settings_.ShowMainMenu;
    if (flashpickActive)
        return std::nullopt;
    return ApplyLayout(false, CurrentSnap(), true, flashpickActive);
}

void TWindowModes::RecordPosition(const TWindowRect& window, const std::array<bool, 3>& toolbars) {
    if (ResizeInProgress)
        return;
    if (explorerView_) {
        settings_.Left2 = window.Left;
        settings_.Top2 = window.Top;
        settings_.Width2 = window.Width;
        settings_.Height2 = window.Height;
    } else {
        // A drop-down that moved the window up is not where the strip belongs.
        settings_.Left1 = window.Left;
        settings_.Top1 = droppedDown_ && savedTop_ > 0 ? savedTop_ : window.Top;
    }
    settings_.Toolbar1Showing = toolbars[0];
    settings_.Toolbar2Showing = toolbars[1];
    settings_.Toolbar3Showing = toolbars[2];
}

TWindowRect TWindowModes::FitRect(TWindowRect rect, const std::vector<TWindowRect>& workAreas) {
    if (workAreas.empty())
        return rect;
    // The screen that holds the window's top left corner, else the primary one.
    const TWindowRect grip{rect.Left, rect.Top, Grip, Grip};
    const auto on =
        std::find_if(workAreas.begin(), workAreas.end(), [&](const TWindowRect& area) { return Overlaps(grip, area); });
    const TWindowRect& area = on != workAreas.end() ? *on : workAreas.front();
    rect.Width = std::clamp(rect.Width, 1, std::max(area.Width, 1));
    rect.Height = std::clamp(rect.Height, 1, std::max(area.Height, 1));
    rect.Left = std::clamp(rect.Left, area.Left, area.Right() - rect.Width);
    rect.Top = std::clamp(rect.Top, area.Top, area.Bottom() - rect.Height);
    return rect;
}

void TWindowModes::FitStoredGeometry(const std::vector<TWindowRect>& workAreas) {
    const int stripWidth = layouts_[3].Width > 0 ? layouts_[3].Width : settings_.Width1;
    const TWindowRect strip =
        FitRect({settings_.Left1, settings_.Top1, stripWidth, FixedHeight(3, settings_.ShowMainMenu)}, workAreas);
    settings_.Left1 = strip.Left;
    settings_.Top1 = strip.Top;
    // The list dropped down is never taller than the screen.
    if (!workAreas.empty())
        settings_.Height1_Dropdown = std::min(settings_.Height1_Dropdown, workAreas.front().Height);
    const TWindowRect explorer =
        FitRect({settings_.Left2, settings_.Top2, settings_.Width2, settings_.Height2}, workAreas);
    settings_.Left2 = explorer.Left;
    settings_.Top2 = explorer.Top;
    settings_.Width2 = explorer.Width;
    settings_.Height2 = explorer.Height;
    layouts_[5].Height = settings_.Height2;
}

TCaptions TWindowModes::Captions(const std::string* collectionTitle, const std::string* clipTitle, bool useCollTitle) {
    try {
        const auto text = [](const std::string* title) {
            return title != nullptr ? "Brindlex [" + FirstChars(*title, CaptionChars) + "]" : std::string("Brindlex");
        };
        TCaptions c;
        c.Window = text(collectionTitle);
        c.Application = useCollTitle ? c.Window : text(clipTitle);
        c.TrayTip = c.Application;
        return c;
    } catch (...) {
        return {};
    }
}

std::array<int, 3> TWindowModes::StatusPanelWidths(int barWidth) {
    return {27, 100, std::max(0, barWidth - 127)};
}

} // namespace bx::shell
