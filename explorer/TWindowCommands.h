#pragma once

#include <QObject>
#include <QPointer>

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
class QWidget;

namespace bx::explorer {

class TfrmBX;

// Every command of the explorer window, as one QAction each: its text with its mnemonic, image, shortcut,
// tool tip, whether it is checked, when it is enabled and what it does are one row of the command table
// (TWindowCommands.cpp). The main menu, the toolbar, the preview pane's buttons and any context menu are
// built from these actions, so a command looks and behaves the same wherever it appears. Every command
// runs through the core's guard.
//
// A new command: a value in Command, a row in the table, and its place in a menu or bar below it.
class TWindowCommands : public QObject {
    Q_OBJECT
public:
    enum Command {
        Separator = -1, // in a menu's layout: a separator line
        SelectNext,
        SelectPrevious,
        SelectAll,
        ApplicationProfile,
        ExpandPreview,
        NextCollection,
        PinPreview,
        WordWrap,
        PreviewFont,
        RelayfeedUp,
        RelayfeedDown,
        // Automatic capture and the program's end (TTrayIcon).
        AutoCapture,
        TrayAutoCapture,
        ExitProgram,
        ExplorerView,
        ShowMainMenu,
        AlwaysOnTop,
        NormalWindow,
        AutoHide,
        DropDown,
        StatusBarTack,
        ShowFPAlternates,
        TrayShowMainMenu,
        StartWithSession,
        Help,
        About,
        // The collections (TCollectionCommands).
        SaveAllClips,
        ReloadAllClips,
        EmptyTrash,
        AddCollection,
        CollectionProperties,
        ImportCollections,
        // Moving and copying clips, choosing collections.
        MoveItem,
        CopyItem,
        MoveButton,
        SelectCollection,
        SwitchToLast,
        SwitchToFavorite,
        MoveToTop,
        MoveToBottom,
        // Finding clips and filtering the list.
        Find,
        FindNext,
        FilterList,
        // The clip list's commands (TClipListActions).
        DeleteClips,
        NewClip,
        ClipProperties,
        OpenSourceUrl,
        LocateLastClip,
        ViewDetails,
        LargeIcons,
        // Glue and auto-glue (TGlueControl): the toolbar toggle and the Edit menu's entry, the tray menu's.
        Glue,
        TrayGlue,
        // The edit pane's commands, renaming a clip and launching its address (TEditPaneActions).
        MagCut,
        MagCopy,
        MagPaste,
        MagUndo,
        MagMakeTitle,
        MagLaunchUrl,
        MagLaunchUrlSmart,
        RenameTitle,
        TrayRenameTitle,
        ClipsRename,
        LaunchAsUrl,
        // The text transformations (TTransformCommands): the four cases, line breaks and other formats on
        // the selected clips; the case button, the shifts and the pane's line-break button on the pane's clip.
        CaseLower,
        CaseUpper,
        CaseMixed,
        CaseSentence,
        RemoveLineBreaks,
        StripNonText,
        CaseCycle,
        ShiftLeft,
        ShiftRight,
        PaneRemoveLineBreaks,
        CommandCount
    };
    // When a command is enabled.
    enum class Enable { Always, OneSelected, SomeSelected };

    explicit TWindowCommands(TfrmBX& window);

    QAction* Action(Command command) const { return actions_[static_cast<std::size_t>(command)]; }

    void BuildMenuBar(QMenuBar& bar) const;
    // The main toolbar; the tab that collapses it comes first (tab: nullptr for none).
    void BuildToolBar(QToolBar& bar, QWidget* tab = nullptr) const;
    // The separator after the buttons of the traditional strip (the strip ends at its left edge).
    QAction* StripEnd() const { return stripEnd_; }
    // The toolbar's search button (cmdMainToolbarSearch), shown while the settings ask for it.
    QAction* SearchButton() const { return searchButton_; }
    // The toolbar's remove-line-breaks button (cmdMainToolbarNOCRLF), shown while the settings ask for it.
    QAction* NoCrlfButton() const { return noCrlfButton_; }
    // The window's context menu on its toolbar and bar: the view and the stacking choices.
    void FillWindowMenu(QMenu& menu) const;
    // The preview pane's buttons: pin, word wrap, font, expand, cut, copy, paste; the transformations.
    QWidget* BuildPaneButtons() const;
    // A menu of the commands in this order (a context menu).
    void FillMenu(QMenu& menu, std::span<const Command> commands) const;
    // A tool button for the command.
    QToolButton* Button(QWidget* parent, Command command, const char* objectName) const;

    // The collection button shows the image of the collection shown last.
    void ShowCollectionImage(int imageIndex);

    // A command on the selected clips: enabled while exactly one row (exactlyOne) or at least one row is
    // selected.
    void AddSelectionCommand(QAction* action, bool exactlyOne);
    // The list's selection changed: the commands on the selection follow it.
    void SelectionChanged(std::size_t selected);

private:
    struct Spec {
        Command command;
        const char* name;     // the action's object name
        const char* text;     // with its & mnemonic
        const char* image;    // the name of its image, or nullptr
        const char* shortcut; // or nullptr
        const char* toolTip;  // nullptr: the text without its mnemonic
        bool checkable;
        Enable enable;
        // What it does; checked: the action's state for a checkable command.
        void (*run)(TfrmBX& window, bool checked);
    };
    struct Menu {
        const char* title;
        std::vector<Command> commands;
    };
    static const Spec Table[CommandCount];
    static const std::vector<Menu> MainMenu;

    QAction* Make(const Spec& spec);

    TfrmBX& window_;
    QAction* actions_[CommandCount] = {};
    mutable QAction* stripEnd_ = nullptr;
    mutable QAction* searchButton_ = nullptr;
    mutable QAction* noCrlfButton_ = nullptr;
    std::vector<std::pair<QPointer<QAction>, bool>> selectionCommands_;
};

} // namespace bx::explorer
