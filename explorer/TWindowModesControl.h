#pragma once

#include "TEvent.h"
#include "TWindowLayout.h"
#include "TWindowModes.h"

#include <QObject>

#include <memory>
#include <vector>

class QEvent;

namespace bx::explorer {

class TCollapseTab;
class THintFilter;
class TfrmBX;

// The main window's views and modes on its widgets: it runs the rules of shell::TWindowModes when the user
// switches the view, drops the list down, tacks it, chooses a stacking mode, maximizes or restores, toggles the
// main menu or a toolbar, and when the program is activated or deactivated, and applies their plans through
// TWindowLayout. It restores the stored geometry at the start and records it at the shut-down.
class TWindowModesControl : public QObject {
    Q_OBJECT
public:
    TWindowModesControl(TfrmBX& window, const TWindowLayout::Parts& parts, TCollapseTab* previewTab);
    ~TWindowModesControl() override;

    // Connects the rules to the running core's settings and clock (nullptr: none).
    void SetCore(bool attached);
    shell::TWindowModes* Modes() const { return modes_.get(); }

    // The start: the layouts measured, the stored geometry fitted to the screens, the stored view applied.
    void Start();
    void SwitchView();
    void DropDown(bool down);
    void SetTack(bool on);
    void ToggleMainMenu();
    void SetVisibility(int visibility);
    void SetNotOnTop();
    void SetStayOnTop();
    void ApplyStacking();
    void SetShowHint();
    void ApplyLayout(bool applyPosition, int layout, bool applySize);
    void AutoShrink(bool shrink);
    // With AutoShrink set, a shrunk strip expands (restored from minimized or from the tray).
    void ExpandIfShrunk();
    void RecordPosition();
    void ToolbarToggled();
    std::array<bool, 3> ToolbarStates() const;

    // The window's events.
    void OnStateChange(QEvent* event);
    void OnResize();
    void OnApplicationState(bool active);
    void OnFirstShow();
    // Whether a close request from the window manager's close button may close the window.
    bool CloseEnabled() const;
    // A click, double click, Enter or Escape in the list while dropped down.
    void ListClicked(bool always);

    bool Toolbar3Showing = true;

protected:
    // Enter and Escape in the dropped-down list (the list still gets them).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The signals of the toolbar, the drop-down bar and the list, and the window's context menu.
    void Connect(const TWindowLayout::Parts& parts);
    void Apply(const shell::TLayoutPlan& plan);
    void ShowMarks();
    bool FlashpickActive() const;

    TfrmBX& window_;
    TWindowLayout layout_;
    TCollapseTab* previewTab_;
    std::unique_ptr<THintFilter> hints_;
    std::unique_ptr<shell::TWindowModes> modes_;
    bool syncing_ = false;
    bool active_ = false;
    bool switchPending_ = false;
};

} // namespace bx::explorer
