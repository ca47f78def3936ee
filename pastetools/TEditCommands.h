#pragma once

#include "IEditPane.h"
#include "TEvent.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::platform {
class IDesktop;
class TMessageWindow;
} // namespace bx::platform

namespace bx::shell {
class ICollectionDialogs;
class TBrindlexCore;
class TClipListSelection;
} // namespace bx::shell

namespace bx::pastetools {

// The edit pane's commands on the clip it shows: cut, copy and paste between the editor and the clipboard,
// one-level undo, the selected text as the clip's title, renaming the selected clip, dropping clips of the
// list into the text, and opening an address found in a text (the pane's or a selected clip's) with the
// desktop's handler. A cut or copy goes on the clipboard from a window of its own, so the capture takes it
// like any other program's copy. Every launch is logged; only what TUrlFinder::Launchable accepts is opened.
// The window brackets the commands that show boxes with its on-top handling.
class TEditCommands {
public:
    static constexpr const char* DroppedText = "Dropped...";
    static constexpr const char* NoUrlStatus = "Could Not Determine URL.";
    static constexpr const char* UrlErrorStatus = "Error - Could Not Determine URL.";
    static constexpr const char* LaunchingStatus = "Launching: ";
    static constexpr const char* NoUrlText = "Brindlex could not determine the URL.";
    static constexpr const char* SelectOneText = "Please select one clip before invoking this function.";
    static constexpr const char* TextOnlyText = "This function only works on TEXT items.";
    static constexpr const char* ReadOnlyText = "Sorry, The current collection is Read Only.";
    static constexpr const char* ReadOnlyCaption = "Program Error";
    static constexpr const char* RenameCaption = "Rename Clip Item";
    static constexpr const char* RenamePrompt = "Enter The New Name For The Item:";
    static constexpr const char* ClipboardBusyText = "The Clipboard Is Busy - Try Again.";

    TEditCommands(shell::TBrindlexCore& core, platform::IDesktop& desktop, shell::TClipListSelection& selection,
                  shell::ICollectionDialogs& dialogs);
    ~TEditCommands();
    TEditCommands(const TEditCommands&) = delete;
    TEditCommands& operator=(const TEditCommands&) = delete;

    // The pane's editor (nullptr: none; the commands then do nothing).
    void SetPane(IEditPane* pane);
    // Ends a drag of the list's rows in progress (the window's); none by default.
    std::function<void()> EndDrag;
    // A clip's title changed: its row and the selected-item bar show it.
    platform::TEvent<const clipstore::TClipObj&> TitleChanged;

    // The editor's selection, text or undo state changed: the commands follow (ShowEnabling).
    void SelectionChanged();
    TEditEnabling Enabling() const;
    // Whether the clipboard holds text (the paste command is offered then).
    bool ClipboardHasText() const;

    // The selection to the clipboard (a cut removes it from the text); false when nothing went there.
    bool Cut();
    bool Copy();
    // The clipboard's text replaces the selection; false when there is none.
    bool Paste();
    // Undoes the editor's last change; that undo cannot be undone in turn.
    void Undo();
    // The first characters of the selection become the shown clip's title.
    bool MakeTitle();
    // Asks for a new title of the one selected clip; refused in a read-only collection.
    bool Rename();
    // Whether a drag may drop here: only rows of the program's own clip list.
    static bool CanDrop(bool rowsOfOwnList) { return rowsOfOwnList; }
    // The texts of the selected rows, from the top, go into the text at the caret; the rows are deselected
    // and the list's focused row selected. The caret stays at the end when it was there, else where it was.
    void DropClips();

    // "Launch As URL (Exact Text)": the selection's first 255 characters.
    bool LaunchExact();
    // "Launch As URL (Smart)": the address at the caret; a box when there is none.
    bool LaunchSmart();
    // "Launch as URL" of the clip list: the address in the one selected clip's text.
    bool LaunchSelectedClip();
    // Finds the address at the caret position of text and opens it; the status line tells what happened.
    bool LaunchUrlNear(const std::string& text, std::size_t caret);
    // Opens a text when TUrlFinder::Launchable accepts it (logged either way).
    bool Launch(const std::string& text);

private:
    // The text on the clipboard (decoded as a stored text is); nothing when it holds none.
    bool ReadClipboardText(std::string& text) const;
    bool WriteClipboardText(const std::string& text);
    // The clip's text, or nothing when it has none.
    static bool ClipText(clipstore::TClipObj& clip, std::string& text);
    // What the handler would get for text; empty when refused.
    std::string Target(const std::string& text) const;
    void Status(const std::string& text);

    shell::TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    shell::TClipListSelection& selection_;
    shell::ICollectionDialogs& dialogs_;
    IEditPane* pane_ = nullptr;
    // The window that owns what a cut or copy puts on the clipboard.
    std::unique_ptr<platform::TMessageWindow> window_;
};

} // namespace bx::pastetools
