#pragma once

#include "TEvent.h"

#include <QWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QMenu;
class QTableView;
class QToolBar;
class QToolButton;

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::pastetools {
class TFlashpick;
}

namespace bx::explorer {

class TClipTableModel;
class TClipTitleDelegate;

// Flashpick's widgets. The panel itself is pnlFlashpick, shown only during Flashpick in the preview
// pane's place: the title pnlFPAlternate ("Alternate Collection: " + its name) above the alternate list
// lvFP, which shows Flashpick's alternate list with the clip list's columns and drawing and refuses
// in-place editing. Beside it, for the window to place: Toolbar3 (30 pixels high while shown) with
// "Set" (the collections' menu that chooses the alternate collection), Tab, Enter (toggles while
// sticky), "Sticky?", "Paste" and help; and the lock button "FP" for the status bar. Every signal goes
// to TFlashpick's handlers through the core's guard; Enter, a double-click and Escape in lvFP and its
// focus do too.
class TFlashpickPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int Toolbar3Height = 30;

    explicit TFlashpickPanel(QWidget* parent = nullptr);
    ~TFlashpickPanel() override;

    // Shows Flashpick's lists and states (nullptr for both lets go; do that before they go).
    void Attach(pastetools::TFlashpick* flashpick, shell::TBrindlexCore* core);

    // What the window's IFlashpickView does with these widgets.
    // The panel shown (the "Set" button enabled) or hidden (height 0, "Set" disabled).
    void ShowFPPanel(bool on);
    void ShowToolbar3(bool show);
    void ShowLockButton(bool visible, bool down);
    bool LockDown() const;
    void SuspendRepaint(bool suspend);
    void FocusFP();

    QLabel* AlternateTitle() const { return pnlFPAlternate_; }
    QTableView* List() const { return lvFP_; }
    QToolBar* Toolbar3() const { return Toolbar3_; }
    QToolButton* SetButton() const { return cmdFlashpickSetAlternate_; }
    QMenu* SetMenu() const { return setMenu_; }
    // Fills the "Set" button's menu when set (the window's pick menu), instead of the plain list of the
    // tree's collections.
    std::function<void(QMenu&)> FillSetMenuWith;
    QToolButton* TabButton() const { return cmdFPTab_; }
    QToolButton* EnterButton() const { return cmdFPEnter_; }
    QCheckBox* StickyBox() const { return chkFPStickyButtons_; }
    QToolButton* PasteButton() const { return cmdFPPasteIt_; }
    QToolButton* HelpButton() const { return cmdFPHelp_; }
    // cmdFPLock, for the status bar's first panel.
    QToolButton* LockButton() const { return cmdFPLock_; }

signals:
    // cmdFPHelp: the help topic of Flashpick.
    void HelpRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildToolbar();
    void Guard(const std::function<void()>& handler);
    // The sticky box and the Tab and Enter buttons from the settings.
    void ShowButtonStates();
    void ShowAlternate();
    void FillSetMenu();
    void ListReset();
    void UpdateFormatIconRoom();
    void SyncSelection();
    void OnViewSelectionChanged();

    pastetools::TFlashpick* flashpick_ = nullptr;
    shell::TBrindlexCore* core_ = nullptr;
    std::vector<platform::TSubscription> subscriptions_;
    bool syncing_ = false;
    // The list changed since the room for its format images was worked out.
    bool formatIconsStale_ = true;

    QLabel* pnlFPAlternate_ = nullptr;
    QTableView* lvFP_ = nullptr;
    TClipTableModel* model_ = nullptr;
    TClipTitleDelegate* titleDelegate_ = nullptr;
    QToolBar* Toolbar3_ = nullptr;
    QToolButton* cmdFlashpickSetAlternate_ = nullptr;
    QMenu* setMenu_ = nullptr;
    QToolButton* cmdFPTab_ = nullptr;
    QToolButton* cmdFPEnter_ = nullptr;
    QCheckBox* chkFPStickyButtons_ = nullptr;
    QToolButton* cmdFPPasteIt_ = nullptr;
    QToolButton* cmdFPHelp_ = nullptr;
    QToolButton* cmdFPLock_ = nullptr;
};

} // namespace bx::explorer
