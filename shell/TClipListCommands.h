#pragma once

#include "TClipMove.h"

#include <functional>
#include <string>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::platform {
class IShell;
}

namespace bx::shell {

class TBrindlexCore;
class TClipListSelection;

// The commands on the rows of the clip list: deleting the selected clips to the Trash Can, a new empty
// clip, reordering by a drop on the list (new sort keys between the drop target and the row above it),
// locating the collection of the current clip and opening a clip's source address with the desktop's
// handler. Every refusal is a message box or a status text; the window brackets the commands with its
// on-top handling.
class TClipListCommands {
public:
    static constexpr const char* FlashpickText = "You cannot delete while in Flashpick.";
    static constexpr const char* CannotDeleteText = "You cannot delete from this collection.";
    static constexpr const char* SafeText = "Delete From \"Safe\" Collection - Are You Sure?";
    static constexpr const char* NothingText = "Nothing To Delete!";
    static constexpr const char* DeletingText = "Moving Items To TrashCan...";
    static constexpr const char* ReadOnlyText = "Sorry, The current collection is Read Only.";
    static constexpr const char* ReadOnlyCaption = "Program Error";
    static constexpr const char* NewClipCreator = "Brindlex - Manually Created";
    static constexpr const char* NoUrlText = "Please pick ONE clip, with a valid Source URL.";
    static constexpr const char* NoUrlCaption = "Error";
    static constexpr const char* LocatedText = "The last clip was captured into: ";
    static constexpr const char* NotLocatedText = "It is not known which collecton the last clip went into.";
    static constexpr const char* InvalidDropText = "Invalid Drop Target";

    TClipListCommands(TBrindlexCore& core, TClipListSelection& selection, platform::IShell& shell);

    // Cancels a drag in progress (the window's); none by default.
    std::function<void()> CancelDrag;
    // The edit pane is un-pinned (the window's button follows); none by default.
    std::function<void()> Unpin;

    // Moves the selected clips to the Trash Can with their files; returns the number moved. Refused in
    // Flashpick, in the Search Results, in a read-only collection and in the Trash Can itself (only
    // emptying it removes clips); a safe collection asks first when the settings say so.
    int DeleteSelected();
    // A new clip with an empty text at the collection's place for new clips, selected, current and on the
    // clipboard; nullptr when refused.
    clipstore::TClipObj* NewClip();
    // The selected rows dropped on row target: they go just above it, in their order, with sort keys
    // between the target's and the one above it. False (and "Invalid Drop Target") for no row or a selected
    // one.
    bool DropOnRow(int target);
    // Tells the collection of the current clip.
    void LocateLastClip();
    // "Open Source URL In Browser": the current clip's address.
    bool OpenSourceUrl();
    // Opens an address with the desktop's handler: only web, mail and file addresses and absolute paths
    // that exist; false for anything else (logged).
    bool OpenUrl(const std::string& url);
    static bool IsOpenableUrl(const std::string& url);

private:
    TBrindlexCore& core_;
    TClipListSelection& selection_;
    platform::IShell& shell_;
    clipstore::TClipMove move_;
};

} // namespace bx::shell
