#include "TWindowCommands.h"

#include "TClipListActions.h"
#include "TClipListSelection.h"
#include "TCollectionCommands.h"
#include "TCollectionMoves.h"
#include "TEditPaneActions.h"
#include "TGlueControl.h"
#include "THelpTopics.h"
#include "TImageLists.h"
#include "TImages.h"
#include "TPreviewPane.h"
#include "TRelayfeed.h"
#include "TTransformCommands.h"
#include "TTrayIcon.h"
#include "TWindowHelp.h"
#include "TfrmBX.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace bx::explorer {

namespace {

// Runs a command of the clip list when the window has its core.
void WithList(TfrmBX& window, void (*command)(TClipListActions&)) {
    if (window.ListActions() != nullptr)
        command(*window.ListActions());
}

// Runs the Glue command when the window has its glue tool.
void WithGlue(TfrmBX& window) {
    if (window.GlueControl() != nullptr)
        window.GlueControl()->Click();
}

// Runs a command of the edit pane when the window has its core.
void WithEdit(TfrmBX& window, void (*command)(TEditPaneActions&)) {
    if (window.EditActions() != nullptr)
        command(*window.EditActions());
}

// Runs a collection command when the window has its core.
void WithCollections(TfrmBX& window, void (*command)(shell::TCollectionCommands&)) {
    if (window.CollectionCommands() != nullptr)
        command(*window.CollectionCommands());
}

// Runs a text transformation when the window has its core.
void WithTransforms(TfrmBX& window, void (*command)(pastetools::TTransformCommands&)) {
    if (window.Transforms() != nullptr)
        command(*window.Transforms());
}

using pastetools::TTransformCommands;
using pastetools::TXFormKind;

} // namespace

// The command table. Menu texts and shortcuts are the ones users know: keep them.
const TWindowCommands::Spec TWindowCommands::Table[CommandCount] = {
    {SelectNext, "mnuSelectNext", "Select &Next Item (Down)", nullptr, "Ctrl+N", "Select Next Item (Down)", false,
     Enable::Always, [](TfrmBX& window, bool) { window.SelectNextItem(true); }},
    {SelectPrevious, "mnuSelectPrevious", "Select &Previous Item (Up)", nullptr, "Ctrl+P", "Select Previous Item (Up)",
     false, Enable::Always, [](TfrmBX& window, bool) { window.SelectNextItem(false); }},
    {SelectAll, "mnuSelectAll", "Select All Items", nullptr, "Ctrl+A", nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) {
         if (window.Selection() != nullptr)
             window.Selection()->SelectAll();
     }},
    {ApplicationProfile, "mnuApplicationProfile", "Application P&rofile...", nullptr, nullptr, nullptr, false,
     Enable::Always, [](TfrmBX& window, bool) { window.ShowApplicationProfile(); }},
    {ExpandPreview, "mnuSizePreviewWindow", "Expand Preview Window", "TB_SIZEWINDOW", "Ctrl+Shift+X", nullptr, true,
     Enable::Always, [](TfrmBX& window, bool on) { window.ExpandPane(on); }},
    // With Ctrl held down: from the first collection.
    {NextCollection, "actNextCollection", "Next Collection", "TB_BLANK", nullptr,
     "Next collection (with Ctrl: from the first)", false, Enable::Always,
     [](TfrmBX& window, bool) {
         window.NextCollection((QApplication::keyboardModifiers() & Qt::ControlModifier) != 0);
     }},
    // Its image shows the pin's state (the pane sets it).
    {PinPreview, "actPinPreview", "Pin Preview", nullptr, nullptr, "Pin the preview to this clip", true, Enable::Always,
     [](TfrmBX& window, bool on) { window.SetPinned(on); }},
    {WordWrap, "actWordWrap", "Word Wrap", "TB_WORDWRAP", nullptr, "Word wrap", true, Enable::Always,
     [](TfrmBX& window, bool on) { window.pane_->SetWordWrap(on); }},
    {PreviewFont, "actPreviewFont", "Display Font", "TB_FONT", nullptr, "Display font", false, Enable::Always,
     [](TfrmBX& window, bool) { window.pane_->ChooseMagFont(); }},
    // Checked while a run goes that way; the window sets the marks from the run's state.
    {RelayfeedUp, "mnuRelayfeedUp", "Relayfeed &Up", nullptr, "Ctrl+U", "Relayfeed up", true, Enable::Always,
     [](TfrmBX& window, bool) { window.RelayfeedClick(pastetools::TRelayfeed::TRFDirection::Up); }},
    {RelayfeedDown, "mnuRelayfeedDown", "Relayfeed &Down", nullptr, "Ctrl+D", "Relayfeed down", true, Enable::Always,
     [](TfrmBX& window, bool) { window.RelayfeedClick(pastetools::TRelayfeed::TRFDirection::Down); }},
    // Automatic capture: the Config menu's entry and the notification-area menu's, two texts of one
    // state (the tray icon sets both marks from it); Exit closes the program the normal way.
    {AutoCapture, "mnuAutoCapture", "&Auto Capture", nullptr, "F12", "Auto capture", true, Enable::Always,
     [](TfrmBX& window, bool on) { window.Tray()->AutoCaptureClick(on); }},
    {TrayAutoCapture, "mnuSTAutoCapture", "Aut&o Capture", nullptr, nullptr, "Auto capture", true, Enable::Always,
     [](TfrmBX& window, bool on) { window.Tray()->AutoCaptureClick(on); }},
    {ExitProgram, "mnuExit", "E&xit Program (Shut Down)", nullptr, nullptr, "Exit program (shut down)", false,
     Enable::Always, [](TfrmBX& window, bool) { window.Tray()->ExitProgram(); }},
    // The view switch; checked in the explorer view (the window sets the mark from the layout).
    {ExplorerView, "mnuBrindlexExplorer", "Brindlex Explorer", "TB_MAGNIFY", "Ctrl+E",
     "Toggle between \"Traditional View\" and \"Explorer View\".", true, Enable::Always,
     [](TfrmBX& window, bool) { window.ExplorerClick(); }},
    {ShowMainMenu, "mnuShowMainMenu", "Show Main Menu When In Traditional View", nullptr, nullptr, nullptr, true,
     Enable::Always, [](TfrmBX& window, bool) { window.ToggleMainMenu(); }},
    // The stacking modes: one of the three is checked.
    {AlwaysOnTop, "mnuAlwaysOnTop", "&Always On Top", nullptr, nullptr, nullptr, true, Enable::Always,
     [](TfrmBX& window, bool on) {
         if (on)
             window.SetVisibility(0);
     }},
    {NormalWindow, "mnuNormalWindow", "&Normal Window", nullptr, nullptr, nullptr, true, Enable::Always,
     [](TfrmBX& window, bool on) {
         if (on)
             window.SetVisibility(1);
     }},
    {AutoHide, "mnuAutoHide", "Auto Hide When Not Focused", nullptr, nullptr, nullptr, true, Enable::Always,
     [](TfrmBX& window, bool on) {
         if (on)
             window.SetVisibility(2);
     }},
    // Drops the list of the traditional view down.
    {DropDown, "actDropDown", "Drop Down List", nullptr, "Alt+Down", nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { window.DropDownKey(); }},
    // The tack: the dropped-down list stays down.
    {StatusBarTack, "actStatusBarTack", "Keep The List Down", "TB_TACK0", nullptr, "Keep the list dropped down (tack)",
     true, Enable::Always, [](TfrmBX& window, bool on) { window.SetTack(on); }},
    // Flashpick's alternate list (the window sets the mark from the settings).
    {ShowFPAlternates, "mnuShowFPAlternates", "Show Alternate Collections in Flashpick", nullptr, "Ctrl+F11", nullptr,
     true, Enable::Always, [](TfrmBX& window, bool) { window.ShowFPAlternatesClick(); }},
    // The notification-area menu's twin of "Show Main Menu When In Traditional View" (both marks follow the
    // setting).
    {TrayShowMainMenu, "mnuSTShowMainMenu", "Show Main Menu", nullptr, nullptr, nullptr, true, Enable::Always,
     [](TfrmBX& window, bool) { window.ToggleMainMenu(); }},
    // The autostart entry of the desktop (the window sets the mark from it).
    {StartWithSession, "mnuStartWithSession", "&Start With The Session", nullptr, nullptr,
     "Start Brindlex when you log in", true, Enable::Always, [](TfrmBX& window, bool on) { window.SetAutostart(on); }},
    // The topic of the window's help context in the user manual.
    {Help, "mnuHelp", "&Help", nullptr, "F1", "Help", false, Enable::Always,
     [](TfrmBX& window, bool) { window.Help()->ShowWindowTopic(); }},
    {About, "mnuAbout", "&About Brindlex", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { window.ShowAbout(); }},
    // The collections: the main menu's commands act on the selected node.
    {SaveAllClips, "mnuFileSave", "&Save All Clips To Disk", nullptr, "Ctrl+S", nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithCollections(window, [](shell::TCollectionCommands& c) { c.SaveAll(); }); }},
    {ReloadAllClips, "mnuReloadAll", "Reload All Clips From Disk", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithCollections(window, [](shell::TCollectionCommands& c) { c.ReloadAll(); }); }},
    {EmptyTrash, "mnuEmptyTrash", "Empty &Trash", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithCollections(window, [](shell::TCollectionCommands& c) { c.EmptyTrash(); }); }},
    {AddCollection, "mnuAddCollection", "Add New Collection", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) {
         WithCollections(window, [](shell::TCollectionCommands& c) { c.NewCollection(c.MainMenuNode()); });
     }},
    {CollectionProperties, "mnuCollectionProperties", "Collection Properties", nullptr, nullptr, nullptr, false,
     Enable::Always,
     [](TfrmBX& window,
        bool) { WithCollections(window, [](shell::TCollectionCommands& c) { c.Properties(c.MainMenuNode()); }); }},
    {ImportCollections, "mnuImport", "Import Collections (v4.x or v5.x)", nullptr, nullptr, nullptr, false,
     Enable::Always,
     [](TfrmBX& window, bool) { WithCollections(window, [](shell::TCollectionCommands& c) { c.Import(); }); }},
    // The pick menu of the collections, for moving or copying the selected clips.
    {MoveItem, "mnuMoveItem", "Move Item To Collection", nullptr, nullptr, nullptr, false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->MoveItemToCollection(false);
     }},
    {CopyItem, "mnuCopyItem", "Copy Item To Collection", nullptr, nullptr, nullptr, false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->MoveItemToCollection(true);
     }},
    // The toolbar's move button: again to the last target (with Ctrl: a copy); its arrow: the pick menu.
    {MoveButton, "actMoveItem", "Move Item", "TB_MOVE", nullptr,
     "Move the selected clips to the last collection (with Ctrl: copy)", false, Enable::Always,
     [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->MoveButtonClick();
     }},
    {SelectCollection, "mnuSelectCollection", "Select Collection", nullptr, "F7", nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->SelectCollection();
     }},
    {SwitchToLast, "mnuSwitchToLastCollection", "Switch To &Last Collection", nullptr, "F5", nullptr, false,
     Enable::Always,
     [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->Switch().SwitchToLast();
     }},
    {SwitchToFavorite, "mnuSwitchToFavoriteCollection", "Switch To Fa&vorite Collection ", nullptr, "F6", nullptr,
     false, Enable::Always,
     [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->SwitchToFavorite();
     }},
    {MoveToTop, "mnuMoveToTop", "Move To &Top Of Sort Order", nullptr, nullptr, nullptr, false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->Mover().MoveWithinCollection(true);
     }},
    {MoveToBottom, "mnuMoveToBottom", "Move To &Bottom Of Sort Order", nullptr, nullptr, nullptr, false,
     Enable::SomeSelected, [](TfrmBX& window, bool) {
         if (window.Moves() != nullptr)
             window.Moves()->Mover().MoveWithinCollection(false);
     }},
    {Find, "mnuFind", "&Find (Search)...", "TB_SEARCH", "Ctrl+F", "Find clips", false, Enable::Always,
     [](TfrmBX& window, bool) { window.FindClick(); }},
    {FindNext, "mnuFindNext", "Find Ne&xt", nullptr, "F3", nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { window.FindNextClick(); }},
    {FilterList, "actFilterList", "Filter The List", nullptr, "Ctrl+K", nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { window.FocusFilter(); }},
    // The clip list's commands; the Delete key is the list's own (TClipListActions), so that it still
    // deletes text in the editor.
    {DeleteClips, "mnuDeleteSelectedItems", "Delete Selected Items", "TV_TRASH", nullptr, nullptr, false,
     Enable::SomeSelected,
     [](TfrmBX& window, bool) { WithList(window, [](TClipListActions& a) { a.DeleteSelected(); }); }},
    {NewClip, "mnuNewClip", "Create &New, Empty Clip", "TB_NEW", nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithList(window, [](TClipListActions& a) { a.NewClip(); }); }},
    {ClipProperties, "mnuClipProperties", "Clip Properties", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithList(window, [](TClipListActions& a) { a.Properties(); }); }},
    {OpenSourceUrl, "mnuOpenSourceURL", "Open Source URL In Browser", nullptr, "Ctrl+O", nullptr, false,
     Enable::Always,
     [](TfrmBX& window, bool) { WithList(window, [](TClipListActions& a) { a.OpenSourceUrl(); }); }},
    {LocateLastClip, "mnuLocateLastClip", "&Locate Last Captured Clip", nullptr, nullptr, nullptr, false,
     Enable::Always,
     [](TfrmBX& window, bool) { WithList(window, [](TClipListActions& a) { a.LocateLastClip(); }); }},
    {ViewDetails, "cmdLVReport", "View Details", "TB_REPORT", nullptr, nullptr, true, Enable::Always,
     [](TfrmBX& window, bool checked) {
         if (checked)
             WithList(window, [](TClipListActions& a) { a.SetLargeIcons(false); });
     }},
    {LargeIcons, "cmdLVLargeIcons", "Large Icons", "TB_THUMBNAIL", nullptr, "View Thumbnails", true, Enable::Always,
     [](TfrmBX& window, bool checked) {
         if (checked)
             WithList(window, [](TClipListActions& a) { a.SetLargeIcons(true); });
     }},
    // Checked while auto-glue is on (TGlueControl sets both marks and the button's image from it).
    {Glue, "mnuEditGlue", "Glue", "TB_GLUE", "Ctrl+G", "Glue the selected clips, or auto-glue on or off", true,
     Enable::Always, [](TfrmBX& window, bool) { WithGlue(window); }},
    {TrayGlue, "mnuSTGlue", "&Glue", nullptr, nullptr, "Auto-glue on or off", true, Enable::Always,
     [](TfrmBX& window, bool) { WithGlue(window); }},
    // The edit pane's commands: its buttons and its pop-up menu (the editor's keys run them too); enabled by
    // the editor's state (TEditPaneActions).
    {MagCut, "mnuMag_Cut", "Cu&t", "TB_CUT", nullptr, "Cut", false, Enable::Always,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.Cut(); }); }},
    {MagCopy, "mnuMag_Copy", "&Copy", "TB_COPY", nullptr, "Copy", false, Enable::Always,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.Copy(); }); }},
    {MagPaste, "mnuMag_Paste", "&Paste", "TB_PASTE", nullptr, "Paste", false, Enable::Always,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.Paste(); }); }},
    {MagUndo, "mnuMag_Undo", "Undo", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.Undo(); }); }},
    {MagMakeTitle, "mnuMag_MakeTitle", "Set As Title", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.MakeTitle(); }); }},
    {MagLaunchUrl, "mnuMag_LaunchURL", "Launch As URL (Exact Text)", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.LaunchExact(); }); }},
    {MagLaunchUrlSmart, "mnuLaunchURLCloseEnough", "Launch As URL (Smart)", nullptr, nullptr, nullptr, false,
     Enable::Always, [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.LaunchSmart(); }); }},
    // Renaming the selected clip: the Edit menu's, the notification-area menu's and the clip list's entries.
    {RenameTitle, "mnuTitle", "Rename &Title", nullptr, "Ctrl+T", nullptr, false, Enable::OneSelected,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.Rename(); }); }},
    {TrayRenameTitle, "mnuSystrayTitle", "Rename &Title", nullptr, nullptr, nullptr, false, Enable::OneSelected,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.Rename(); }); }},
    {ClipsRename, "mnuPopupClips_Rename", "&Rename", nullptr, "Ctrl+R", nullptr, false, Enable::OneSelected,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.Rename(); }); }},
    // The address in the selected clip's text (its messages tell what is wrong with the selection).
    {LaunchAsUrl, "LaunchasURL1", "Launch as URL", nullptr, nullptr, nullptr, false, Enable::Always,
     [](TfrmBX& window, bool) { WithEdit(window, [](TEditPaneActions& a) { a.LaunchSelectedClip(); }); }},
    // The text transformations: the menus' entries work on the selected clips, the pane's buttons and the
    // shifts on the pane's clip and its selection. With Ctrl, removing line breaks also joins paragraphs and
    // shift left drops any first character.
    {CaseLower, "mnuMagCase_Lower", "&Lower Case", nullptr, nullptr, nullptr, false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         WithTransforms(window, [](TTransformCommands& t) {
             t.MnuChangeCase(TXFormKind::Lower, TTransformCommands::LowerPosition);
         });
     }},
    {CaseUpper, "mnuMagCase_Upper", "Upper &Case", nullptr, nullptr, nullptr, false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         WithTransforms(window, [](TTransformCommands& t) {
             t.MnuChangeCase(TXFormKind::Upper, TTransformCommands::UpperPosition);
         });
     }},
    {CaseMixed, "mnuMagCase_Mixed", "&Mixed Case", nullptr, nullptr, nullptr, false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         WithTransforms(window, [](TTransformCommands& t) {
             t.MnuChangeCase(TXFormKind::Mixed, TTransformCommands::MixedPosition);
         });
     }},
    {CaseSentence, "mnuMagCase_Sentence", "&Sentence Case", nullptr, nullptr, nullptr, false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         WithTransforms(window, [](TTransformCommands& t) {
             t.MnuChangeCase(TXFormKind::Sentence, TTransformCommands::SentencePosition);
         });
     }},
    {RemoveLineBreaks, "mnuRemoveLineBreaks", "Remove Line Br&eaks", "TB_NOCRLF_LARGE", nullptr,
     "Remove line breaks (with Ctrl: between paragraphs too)", false, Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         WithTransforms(window, [](TTransformCommands& t) {
             t.MnuChangeCase(TXFormKind::FlowText, TTransformCommands::FlowPosition);
         });
     }},
    {StripNonText, "mnuEditNukeNonText", "Strip Out Non-TEXT Data Formats", nullptr, nullptr, nullptr, false,
     Enable::SomeSelected,
     [](TfrmBX& window, bool) {
         WithTransforms(window, [](TTransformCommands& t) {
             t.MnuChangeCase(TXFormKind::StripNonText, TTransformCommands::StripPosition);
         });
     }},
    {CaseCycle, "actMagCase", "Change Case", "TB_CASE", nullptr, "Change case: lower, UPPER, Mixed, Sentence", false,
     Enable::Always,
     [](TfrmBX& window, bool) { WithTransforms(window, [](TTransformCommands& t) { t.CaseClick(); }); }},
    {ShiftLeft, "mnuShiftLeft", "<< Shift Le&ft", "TB_SHIFTLEFT", nullptr,
     "Shift left: remove a blank or Tab from each line (with Ctrl: any first character)", false, Enable::Always,
     [](TfrmBX& window, bool) { WithTransforms(window, [](TTransformCommands& t) { t.Shift(false); }); }},
    {ShiftRight, "mnuShiftRight", ">> Shift &Right", "TB_SHIFTRIGHT", nullptr,
     "Shift right: a blank before each line", false, Enable::Always,
     [](TfrmBX& window, bool) { WithTransforms(window, [](TTransformCommands& t) { t.Shift(true); }); }},
    {PaneRemoveLineBreaks, "actMagRemoveCRLF", "Remove Line Breaks", "TB_NOCRLF", nullptr,
     "Remove line breaks (with Ctrl: between paragraphs too)", false, Enable::Always,
     [](TfrmBX& window, bool) {
         WithTransforms(window, [](TTransformCommands& t) {
             t.MagChangeCase(TXFormKind::FlowText, TTransformCommands::FlowPosition);
         });
     }},
};

// The main menu.
const std::vector<TWindowCommands::Menu> TWindowCommands::MainMenu = {
    {"&File",
     {SaveAllClips, ReloadAllClips, EmptyTrash, Separator, AddCollection, CollectionProperties, Separator,
      ImportCollections, Separator, ExitProgram}},
    {"&Edit", {SelectNext,  SelectPrevious, SelectAll, Separator,    NewClip,          DeleteClips, ClipProperties,
               RenameTitle, OpenSourceUrl,  Separator, RelayfeedUp,  RelayfeedDown,    Glue,        Separator,
               MoveItem,    CopyItem,       MoveToTop, MoveToBottom, Separator,        CaseLower,   CaseUpper,
               CaseMixed,   CaseSentence,   ShiftLeft, ShiftRight,   RemoveLineBreaks, StripNonText}},
    {"&Config",
     {AutoCapture, Separator, ApplicationProfile, Separator, AlwaysOnTop, NormalWindow, AutoHide, Separator,
      StartWithSession}},
    {"&View",
     {Find, FindNext, FilterList, Separator, ExpandPreview, Separator, ExplorerView, ShowMainMenu, Separator,
      ShowFPAlternates, Separator, SelectCollection, SwitchToLast, SwitchToFavorite, Separator, LocateLastClip,
      Separator, ViewDetails, LargeIcons}},
    {"&Help", {Help, Separator, About}},
};

TWindowCommands::TWindowCommands(TfrmBX& window) : QObject(&window), window_(window) {
    for (const Spec& spec : Table)
        actions_[static_cast<std::size_t>(spec.command)] = Make(spec);
    auto* stacking = new QActionGroup(this);
    for (const Command command : {AlwaysOnTop, NormalWindow, AutoHide})
        stacking->addAction(Action(command));
    auto* listView = new QActionGroup(this);
    for (const Command command : {ViewDetails, LargeIcons})
        listView->addAction(Action(command));
    Action(ViewDetails)->setChecked(true);
}

void TWindowCommands::FillWindowMenu(QMenu& menu) const {
    static const Command commands[] = {ExplorerView, ShowMainMenu, Separator, AlwaysOnTop, NormalWindow, AutoHide};
    FillMenu(menu, commands);
}

QAction* TWindowCommands::Make(const Spec& spec) {
    auto* action = new QAction(spec.text, &window_);
    action->setObjectName(spec.name);
    if (spec.image != nullptr)
        action->setIcon(TImages::Icon(spec.image));
    // The images are the buttons'; the menus show none.
    action->setIconVisibleInMenu(false);
    if (spec.shortcut != nullptr)
        action->setShortcut(QKeySequence(spec.shortcut));
    if (spec.toolTip != nullptr)
        action->setToolTip(spec.toolTip);
    action->setCheckable(spec.checkable);
    // The shortcuts work in every view, also while the main menu is hidden.
    if (spec.shortcut != nullptr)
        window_.addAction(action);
    TfrmBX* window = &window_;
    const auto run = spec.run;
    const auto guarded = [window, run](bool checked) {
        window->Guard([window, run, checked] { run(*window, checked); });
    };
    // A checkable command follows its state, however it is set; the others run when triggered.
    if (spec.checkable)
        connect(action, &QAction::toggled, this, guarded);
    else
        connect(action, &QAction::triggered, this, guarded);
    if (spec.enable != Enable::Always)
        AddSelectionCommand(action, spec.enable == Enable::OneSelected);
    return action;
}

void TWindowCommands::BuildMenuBar(QMenuBar& bar) const {
    for (const Menu& menu : MainMenu)
        FillMenu(*bar.addMenu(menu.title), menu.commands);
}

void TWindowCommands::FillMenu(QMenu& menu, std::span<const Command> commands) const {
    for (const Command command : commands) {
        if (command == Separator)
            menu.addSeparator();
        else
            menu.addAction(Action(command));
    }
}

QToolButton* TWindowCommands::Button(QWidget* parent, Command command, const char* objectName) const {
    auto* button = new QToolButton(parent);
    button->setObjectName(objectName);
    button->setDefaultAction(Action(command));
    return button;
}

void TWindowCommands::BuildToolBar(QToolBar& bar, QWidget* tab) const {
    if (tab != nullptr)
        bar.addWidget(tab);
    QToolButton* collection = Button(&bar, NextCollection, "cmdCollection");
    collection->setIconSize(TImageLists::ImageSize(TImageLists::Toolbar));
    bar.addWidget(collection);
    // The spin button: the upper arrow selects the previous row, the lower one the next.
    auto* scroll = new QWidget(&bar);
    scroll->setObjectName("cmdScroll");
    auto* layout = new QVBoxLayout(scroll);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (const bool next : {false, true}) {
        QToolButton* arrow = Button(scroll, next ? SelectNext : SelectPrevious, next ? "cmdScrollDown" : "cmdScrollUp");
        arrow->setArrowType(next ? Qt::DownArrow : Qt::UpArrow);
        arrow->setFixedSize(20, 12);
        arrow->setAutoRepeat(true);
        layout->addWidget(arrow);
    }
    bar.addWidget(scroll);
    // The Relayfeed buttons: at most one is down, the direction of the run.
    auto* relayfeed = new QWidget(&bar);
    relayfeed->setObjectName("pnlRF");
    auto* rfLayout = new QHBoxLayout(relayfeed);
    rfLayout->setContentsMargins(0, 0, 0, 0);
    rfLayout->setSpacing(0);
    for (const bool up : {true, false}) {
        QToolButton* button = Button(relayfeed, up ? RelayfeedUp : RelayfeedDown, up ? "cmdRFUp" : "cmdRFDown");
        button->setArrowType(up ? Qt::UpArrow : Qt::DownArrow);
        rfLayout->addWidget(button);
    }
    bar.addWidget(relayfeed);
    QToolButton* glue = Button(&bar, Glue, "cmdGlue");
    glue->setIconSize(TImageLists::ImageSize(TImageLists::Toolbar));
    bar.addWidget(glue);
    QToolButton* explorer = Button(&bar, ExplorerView, "cmdExplorer");
    explorer->setIconSize(TImageLists::ImageSize(TImageLists::Toolbar));
    bar.addWidget(explorer);
    // The traditional strip ends here; the explorer view's own buttons follow.
    stripEnd_ = bar.addSeparator();
    stripEnd_->setObjectName("tbSeparator1");
    // The move button: clips go to the last collection again; its arrow opens the pick menu.
    QToolButton* move = Button(&bar, MoveButton, "cmdMoveItem");
    move->setIconSize(TImageLists::ImageSize(TImageLists::Toolbar));
    bar.addWidget(move);
    QToolButton* search = Button(&bar, Find, "cmdMainToolbarSearch");
    search->setIconSize(TImageLists::ImageSize(TImageLists::Toolbar));
    searchButton_ = bar.addWidget(search);
    QToolButton* noCrlf = Button(&bar, RemoveLineBreaks, "cmdMainToolbarNOCRLF");
    noCrlf->setIconSize(TImageLists::ImageSize(TImageLists::Toolbar));
    noCrlfButton_ = bar.addWidget(noCrlf);
    // Deleting the selected clips, and the list's view: details or large icons.
    const std::pair<Command, const char*> listButtons[] = {
        {DeleteClips, "cmdDelete"}, {ViewDetails, "cmdLVReport"}, {LargeIcons, "cmdLVLargeIcons"}};
    for (const auto& [command, name] : listButtons)
        bar.addWidget(Button(&bar, command, name));
}

QWidget* TWindowCommands::BuildPaneButtons() const {
    auto* corner = new QWidget();
    auto* layout = new QHBoxLayout(corner);
    layout->setContentsMargins(0, 0, 0, 0);
    const std::pair<Command, const char*> buttons[] = {
        {PinPreview, "cmdMag_Pin"},  {WordWrap, "cmdMag_WordWrap"},
        {PreviewFont, "cmdMagFont"}, {ExpandPreview, "cmdMag_SizeWindow"},
        {MagCut, "cmdMag_Cut"},      {MagCopy, "cmdMag_Copy"},
        {MagPaste, "cmdMag_Paste"}};
    for (const auto& [command, name] : buttons)
        layout->addWidget(Button(corner, command, name));
    // The transformations of the pane's text; the case button has a help topic of its own.
    const std::pair<Command, const char*> transforms[] = {{CaseCycle, "cmdMag_Case"},
                                                          {ShiftLeft, "cmdMag_ShiftLeft"},
                                                          {ShiftRight, "cmdMag_ShiftRight"},
                                                          {PaneRemoveLineBreaks, "cmdMag_RemoveCRLF"}};
    for (const auto& [command, name] : transforms) {
        QToolButton* button = Button(corner, command, name);
        if (command == CaseCycle)
            TWindowHelp::SetContext(*button, shell::THelpTopics::CaseButton);
        layout->addWidget(button);
    }
    return corner;
}

void TWindowCommands::ShowCollectionImage(int imageIndex) {
    const QColor face = window_.palette().color(QPalette::Button);
    const QPixmap button = TImages::CollectionButtonImage(imageIndex, face);
    const QPixmap doubled = TImages::CollectionButtonImage(imageIndex, face, 2.0);
    TImageLists::Program().Replace(TImageLists::Toolbar, TImageLists::CollectionButton, button.toImage());
    TImageLists::Program().Replace(TImageLists::Toolbar, TImageLists::CollectionButton, doubled.toImage());
    QIcon icon(button);
    icon.addPixmap(doubled);
    Action(NextCollection)->setIcon(icon);
}

void TWindowCommands::AddSelectionCommand(QAction* action, bool exactlyOne) {
    selectionCommands_.push_back({action, exactlyOne});
}

void TWindowCommands::SelectionChanged(std::size_t selected) {
    for (const auto& [action, exactlyOne] : selectionCommands_)
        if (action != nullptr)
            action->setEnabled(exactlyOne ? selected == 1 : selected >= 1);
}

} // namespace bx::explorer
