#pragma once

namespace bx::pastetools {

// What Flashpick asks of the main window: its pick layout (the clip list dropped down, the alternate
// list's panel, the Flashpick toolbar and the lock button), which list has the focus, bringing the
// window forward and hiding it again. The main window implements it; every call returns at once.
// The lists' rows and selections are not asked for here: they are the clip list models'.
class IFlashpickView {
public:
    // The two lists of the pick layout: the clip list (lvClips) and the alternate list (lvFP).
    enum class TFPList { Clips, FP };

    virtual ~IFlashpickView() = default;

    // The clip list is dropped down below the traditional strip (its drop-down button is down).
    virtual bool DroppedDown() const = 0;
    // Drops the list down or raises it, as the drop-down button's click does.
    virtual void DropDown(bool down) = 0;
    // The explorer view is showing (else the traditional view).
    virtual bool ExplorerView() const = 0;
    // Switches to the explorer view or to the traditional view, as the view button does.
    virtual void SetExplorerView(bool explorer) = 0;
    // Expands the traditional strip when it is shrunk.
    virtual void ExpandIfShrunk() = 0;
    // Collapses the main toolbar area (1 pixel high, disabled) or restores it (its normal height,
    // enabled, the traditional view's size limits).
    virtual void CollapseToolbarArea(bool collapse) = 0;
    // Toolbar3, the Flashpick toolbar: 30 pixels high while shown, 0 otherwise.
    virtual void ShowToolbar3(bool show) = 0;
    // On: the preview pane is hidden and disabled and pnlFlashpick fills its place, the "Set" button
    // is enabled. Off: the reverse.
    virtual void ShowFPPanel(bool on) = 0;
    // The lock button cmdFPLock in the status bar: shown with this down state, or hidden.
    virtual void ShowLockButton(bool visible, bool down) = 0;
    virtual bool LockDown() const = 0;
    // While suspended the two lists are not repainted.
    virtual void SuspendRepaint(bool suspend) = 0;
    // Gives the list the keyboard focus (the list's focus-in runs TFlashpick::lvClipsEnter).
    virtual void FocusList(TFPList list) = 0;
    // Brings the program forward from any state (shown, restored, in front, the foreground window);
    // notes whether it was minimized (or hidden in the tray) before.
    virtual void ShowMe() = 0;
    virtual bool WasMinimized() const = 0;
    // Minimizes (or hides into the tray) again the window ShowMe brought up.
    virtual void HideAgain() = 0;
    // The clip list takes one row at a time (true) or several (false).
    virtual void SetSingleSelection(bool single) = 0;
};

} // namespace bx::pastetools
