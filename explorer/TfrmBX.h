#pragma once

#include "IMainView.h"
#include "TEvent.h"
#include "TMainWindowWiring.h"
#include "TPreviewPane.h"
#include "TRelayfeed.h"
#include "TWindowModes.h"
#include "TWindowModesControl.h"
#include "TWindowPasteTools.h"
#include "TWindowSplitters.h"

#include <QMainWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QComboBox;
class QDialog;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QTabWidget;
class QTableView;
class QTextEdit;
class QToolBar;
class QToolButton;
class QTreeView;
class QVBoxLayout;

// The core's parts and the paste tools the window hands out are declared with the window's parts that hold
// them (TMainWindowWiring.h, TWindowPasteTools.h).

namespace bx::explorer {

class TClipListView;
class TCollapseTab;
class TQtCollectionDialogs;
class TDropDownBar;
class TFilterBox;
class THexDump;
class THtmlView;
class TSelectItemBar;
class TStatusLine;
class TTrayIcon;
class TWindowCommands;
class TWindowHelp;

// The main window, in one of two views. The traditional view is a strip: the toolbar above the one-line bar
// that names the current clip, with the arrow button that drops the clip list (and the preview below it)
// down. The explorer view has the collection tree on the left, the clip list of the chosen collection with
// the one-line bar above it, and the preview and edit pane below (TPreviewPane) with a page for each kind of
// data. The views, the drop-down, the stacking modes and the stored geometry are TWindowModesControl's;
// the commands (menus, toolbar, the pane's buttons) are TWindowCommands'. What lives while the window shows a
// core (the selection rules, the filter, find, the tree's model and menu, the commands on clips and collections)
// is TMainWindowWiring's; Relayfeed, glue and Flashpick in the window are TWindowPasteTools'; the splitters'
// places and the expanded pane TWindowSplitters'.
// The window shows the core's models and passes the user's actions to them; the behaviour lives in the
// core and in the non-visual list rules.
class TfrmBX : public QMainWindow, public shell::IMainView {
    Q_OBJECT
public:
    // The pages of the preview pane, in order (TfrmBX::TabText, ...).
    using enum TPreviewPane::Tab;

    TfrmBX();
    ~TfrmBX() override;

    // Connects the window to the running core (nullptr disconnects it; do that before the core goes).
    void SetCore(shell::TBrindlexCore* core, platform::IDesktop* desktop);

    // The Relayfeed run the window's commands start and stop (nullptr: none; do that before it goes).
    void SetRelayfeed(pastetools::TRelayfeed* relayfeed) { pasteTools_->SetRelayfeed(relayfeed); }
    // Flashpick, which shows its pick layout in this window (after SetCore; nullptr: none; do that before
    // it or the core goes).
    void SetFlashpick(pastetools::TFlashpick* flashpick) { pasteTools_->SetFlashpick(flashpick); }
    // The glue tool the window's Glue commands drive (after SetCore; nullptr: none; do that before it goes).
    void SetGlue(pastetools::TGlue* glue) { pasteTools_->SetGlue(glue); }
    TGlueControl* GlueControl() const { return pasteTools_->Glue(); }
    // The Config menu's "&Start With The Session": writes or removes the desktop's autostart entry; a failure
    // is told and the mark shows the entry's state.
    void SetAutostart(bool on);
    // The About box (Help menu).
    void ShowAbout();
    // Ctrl+F11: the alternate list in Flashpick's pick layout on or off.
    void ShowFPAlternatesClick() { pasteTools_->ShowFPAlternatesClick(); }
    TFlashpickPanel* FlashpickPanel() const { return pasteTools_->Panel(); }

    // shell::IMainView
    void ShowStatus(int level, bool busy, const std::string& text) override;
    void SetPreviewVisible(bool visible) override;
    void SetPasteEnabled(bool enabled) override;
    void BringToFront() override;
    void Minimize() override;
    void ForgetClips() override;

    // Brings the program forward from any state (the activation hot key, Flashpick): remembers whether it
    // was minimized (WasMinimized), shows, restores and raises the window and makes it the active one.
    // Nothing while the program is busy.
    void ShowMe();
    bool WasMinimized() const;
    // The views (also for Flashpick): the view switch, dropping the list down and raising it.
    void SwitchView() { modes_->SwitchView(); }
    bool ExplorerView() const { return WindowModes() != nullptr && WindowModes()->ExplorerView(); }
    void SetExplorerView(bool explorer) {
        if (explorer != ExplorerView())
            SwitchView();
    }
    void DropDown(bool down) { modes_->DropDown(down); }
    bool DroppedDown() const { return WindowModes() != nullptr && WindowModes()->DroppedDown(); }
    // Collapses or restores the main toolbar (as its collapse tab does).
    void SetMainToolbarCollapsed(bool collapsed);
    bool MainToolbarCollapsed() const;
    // Flashpick's pick layout: the toolbar area 1 pixel high and disabled, or back at its height, enabled,
    // with the view's size limits.
    void CollapseToolbarArea(bool collapse);
    // Minimizes again the window ShowMe brought up.
    void HideAgain() { Minimize(); }
    // Flashpick's toolbar state, stored with the others.
    void SetToolbar3Showing(bool showing) { modes_->Toolbar3Showing = showing; }
    // Before and after every modal box and dialog of the program: an always-on-top window goes below it.
    void SetNotOnTop() { modes_->SetNotOnTop(); }
    void SetStayOnTop() { modes_->SetStayOnTop(); }
    // Both, on every path: the window is below the others while a box or dialog lives.
    class TNotOnTop {
    public:
        explicit TNotOnTop(TfrmBX& window) : window_(window) { window_.SetNotOnTop(); }
        ~TNotOnTop() { window_.SetStayOnTop(); }
        TNotOnTop(const TNotOnTop&) = delete;
        TNotOnTop& operator=(const TNotOnTop&) = delete;

    private:
        TfrmBX& window_;
    };
    // The stacking mode (0 always on top, 1 normal window, 2 hidden when not focused).
    void SetVisibility(int visibility) { modes_->SetVisibility(visibility); }
    // The main menu in the traditional view on or off.
    void ToggleMainMenu() { modes_->ToggleMainMenu(); }
    // The window's tool tips from the settings (at the start and after the preferences).
    void SetShowHint() { modes_->SetShowHint(); }
    // Alt+Down: drops the list down in the traditional view.
    void DropDownKey() {
        if (!ExplorerView() && !DroppedDown())
            DropDown(true);
    }
    // The tack: the dropped-down list stays down.
    void SetTack(bool on) { modes_->SetTack(on); }
    // Restored from the tray: a shrunk strip expands (with AutoShrink set).
    void ExpandIfShrunk() { modes_->ExpandIfShrunk(); }
    // What Flashpick tells the deactivation rule (nothing runs: all false).
    struct TFlashpickFlags {
        bool Pasting = false;
        bool Locked = false;
        bool WithinGrace = false;
    };
    std::function<TFlashpickFlags()> FlashpickFlags;
    // A layout change or the program's deactivation ends Flashpick.
    platform::TEvent<> EndFlashpickRequested;
    // The captions changed (the tray icon's tip is Captions().TrayTip).
    platform::TEvent<> CaptionChanged;
    const shell::TCaptions& Captions() const { return captions_; }
    // The rules of the views and modes (nullptr without a core).
    shell::TWindowModes* WindowModes() const { return modes_->Modes(); }

    // The application profile dialog (Config menu), over the current clip's application.
    void ShowApplicationProfile();
    // For tests: called with each dialog before it runs.
    std::function<void(QDialog&)> BeforeDialog;
    // The collection commands (main menu, the tree's context menu) and the tree's context menu; nullptr
    // without a core.
    shell::TCollectionCommands* CollectionCommands() const {
        return wiring_ != nullptr ? wiring_->CollectionCommands() : nullptr;
    }
    TCollectionMenu* CollectionMenu() const { return wiring_ != nullptr ? wiring_->CollectionMenu() : nullptr; }

    // Find (View menu): the dialog and the search, and the search again with the same text and scope. Find()
    // is nullptr without a core; its ClearSearchResults empties the Search Results collection.
    void FindClick();
    void FindNextClick();
    shell::TFind* Find() const { return wiring_ != nullptr ? wiring_->Find() : nullptr; }
    // The filter box above the clip list gets the focus (Ctrl+K); the filter is nullptr without a core.
    void FocusFilter();
    TFilterBox* FilterBox() const { return filterBox_; }
    shell::TClipFilter* ClipFilter() const { return wiring_ != nullptr ? wiring_->Filter() : nullptr; }

    // The preview pane.
    void UpdateMagView();
    void RescueEditing();
    void SetPinned(bool pinned);
    bool Pinned() const;
    void SelectNextItem(bool next);
    // The collection button: the next collection (fromFirst: after the first node).
    void NextCollection(bool fromFirst);
    // A command on the selected clips: enabled while exactly one row (exactlyOne) or at least one row is
    // selected.
    void AddSelectionCommand(QAction* action, bool exactlyOne);
    // The list keeps this height when its splitter is pushed to the top.
    static constexpr int MinListHeight = TWindowSplitters::MinListHeight;

    // For tests and the other parts of the window.
    TPreviewPane* PreviewPane() const { return pane_; }
    TWindowCommands* Commands() const { return commands_; }
    // Moving clips and collections, the pick menu, the last and favorite collection; nullptr without a core.
    TCollectionMoves* Moves() const { return wiring_ != nullptr ? wiring_->Moves() : nullptr; }
    // The text transformations on the pane's clip and the selected clips (while the window has its core).
    pastetools::TTransformCommands* Transforms() const { return wiring_ != nullptr ? wiring_->Transforms() : nullptr; }
    // The clip list's commands, its context menu and its dialogs; nullptr without a core.
    TClipListActions* ListActions() const { return wiring_ != nullptr ? wiring_->ListActions() : nullptr; }
    // The edit pane's commands, renaming and launching addresses; nullptr without a core.
    TEditPaneActions* EditActions() const { return wiring_ != nullptr ? wiring_->EditActions() : nullptr; }
    pastetools::TFlashpick* Flashpick() const { return pasteTools_->Flashpick(); }
    // The notification-area icon, auto-capture and where the window goes when put away.
    TTrayIcon* Tray() const { return tray_; }
    // Help: the manual's topics for the window and its controls.
    TWindowHelp* Help() const { return help_; }
    QTreeView* Tree() const { return tvCollections_; }
    QTableView* List() const;
    QTabWidget* Pane() const { return pane_->Tabs(); }
    QSplitter* TreeSplitter() const { return Splitter1_; }
    QSplitter* ListSplitter() const { return splitter2_; }
    QPlainTextEdit* TextEditor() const { return pane_->TextEditor(); }
    QLabel* TextNotice() const { return pane_->TextNotice(); }
    QTextEdit* RtfEditor() const { return pane_->RtfEditor(); }
    THtmlView* HtmlView() const { return pane_->HtmlView(); }
    THexDump* HexDump() const { return pane_->HexDump(); }
    QComboBox* BinaryFormats() const { return pane_->BinaryFormats(); }
    QCheckBox* StretchBox() const { return pane_->StretchBox(); }
    QLabel* BitmapImage() const { return pane_->BitmapImage(); }
    TSelectItemBar* SelectItemBar() const { return HCSelectItem_; }
    TDropDownBar* DropDownBar() const { return dropDownBar_; }
    QToolBar* MainToolbar() const { return toolbar_; }
    QToolButton* Tack() const { return cmdStatusBarTack_; }
    QString Notice() const { return pane_->Notice(); }
    bool PaneShown() const { return pane_->PaneShown(); }
    QString StatusPanel(int panel) const;
    QString PinImage() const { return pane_->PinImage(); }
    shell::TClipListSelection* Selection() const { return wiring_ != nullptr ? wiring_->Selection() : nullptr; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The command table runs the window's own handlers; the modes lay out its parts.
    friend class TWindowCommands;
    friend class TWindowModesControl;
    friend class TFlashpickWindow;
    friend class TMainWindowWiring;
    friend class TWindowPasteTools;
    // Runs a handler of the window: an exception that escapes it goes to the program's error trap.
    void Guard(const std::function<void()>& handler);
    // A Relayfeed command: starts or stops the run; the check marks and buttons show its state after.
    void RelayfeedClick(pastetools::TRelayfeed::TRFDirection direction) { pasteTools_->RelayfeedClick(direction); }
    void OnWindowChange(QEvent* event);
    void BuildWidgets();
    void BuildBars();
    // The view switch as the user asks for it (button, menu, Ctrl+E): it ends Flashpick first.
    void ExplorerClick();

    void ConnectPane();
    void OnClipShown(const clipstore::TClipObj* clip);
    void UpdateCaption();
    void ExpandPane(bool expand) { splitters_->ExpandPane(expand); }
    // The mouse wheel anywhere in the window; true when the turn was used.
    bool WheelTurned(QObject* watched, QEvent* event);
    class TWheelFilter;
    std::unique_ptr<TWheelFilter> wheelFilter_;

    shell::TBrindlexCore* core_ = nullptr;
    platform::IDesktop* desktop_ = nullptr;
    std::unique_ptr<TQtCollectionDialogs> collDialogs_;
    // The parts and connections that live while the window shows a core.
    std::unique_ptr<TMainWindowWiring> wiring_;
    TFilterBox* filterBox_ = nullptr;

    TWindowCommands* commands_ = nullptr;
    TTrayIcon* tray_ = nullptr;
    TWindowHelp* help_ = nullptr;
    std::unique_ptr<TStatusLine> status_;
    QSplitter* Splitter1_ = nullptr;
    QSplitter* splitter2_ = nullptr;
    // Their places in the settings and the expanded pane.
    std::unique_ptr<TWindowSplitters> splitters_;
    QTreeView* tvCollections_ = nullptr;
    QWidget* rightPart_ = nullptr;
    TSelectItemBar* HCSelectItem_ = nullptr;
    TClipListView* lvClips_ = nullptr;
    TPreviewPane* pane_ = nullptr;
    // Relayfeed, glue and Flashpick in the window.
    std::unique_ptr<TWindowPasteTools> pasteTools_;
    QVBoxLayout* rightLayout_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    TCollapseTab* toolbarTab_ = nullptr;
    TCollapseTab* previewTab_ = nullptr;
    TDropDownBar* dropDownBar_ = nullptr;
    QToolButton* cmdStatusBarTack_ = nullptr;
    TWindowModesControl* modes_ = nullptr;
    shell::TCaptions captions_;
    bool firstShow_ = true;
};

} // namespace bx::explorer
