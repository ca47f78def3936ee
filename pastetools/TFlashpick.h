#pragma once

#include "IDesktop.h"
#include "IFlashpickView.h"
#include "IMessageBoxes.h"
#include "TClipListModel.h"
#include "TEvent.h"

#include <cstdint>
#include <string>

namespace bx::clipstore {
class TClipColl;
class TClipObj;
} // namespace bx::clipstore

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::pastetools {

class TPasteInto;
class TRelayfeed;

// The hot-key pick list. The Flashpick hot key, pressed in another program (the target), notes that
// program's window, brings the program's window up in its pick layout (the clip list dropped down and,
// when ShowFPAlternates is set, the alternate list lvFP beside it, which shows the collection named by
// FPAlternateColl) and gives the target back the clip chosen there: selecting a row in either list puts
// its clip on the clipboard, Enter or a double-click pastes it into the target (TPasteInto) and, unless
// the lock button is down, ends Flashpick. Escape, the loss of the activation (after a grace time), the
// view switch and raising the list end it without pasting. The hot key pressed while the program itself
// is in front says so and ends an open Flashpick.
//
// The window shows the pick layout through IFlashpickView; its deactivation asks IgnoresDeactivation()
// before its own rules and calls FPTerminate() after them. Start and end are logged at LogDetail.
class TFlashpick {
public:
    using TFPList = IFlashpickView::TFPList;

    // After the start, the program losing the activation or the lists' focus changes are ignored this
    // long; after the end, clicks in the clip list are.
    static constexpr std::uint64_t GraceMs = 500;
    static constexpr std::uint64_t IgnoreClicksMs = 500;
    // After a Tab or Enter sent to the target by the plain buttons, before the program comes back.
    static constexpr platform::UINT ButtonWaitMs = 100;
    static constexpr const char* IntoItselfText =
        "You tried to Flashpick INTO Brindlex, which is not possible.\n"
        "Please invoke the Flashpick hotkey from WITHIN the application which you want to paste into.";
    static constexpr const char* AlternatePrefix = "Alternate Collection: ";

    // Subscribes to the core (the alternate collection is looked up when the data has been loaded);
    // nothing is owned.
    TFlashpick(shell::TBrindlexCore& core, platform::IDesktop& desktop, platform::IMessageBoxes& boxes,
               TPasteInto& paste, TRelayfeed& relayfeed);
    ~TFlashpick();
    TFlashpick(const TFlashpick&) = delete;
    TFlashpick& operator=(const TFlashpick&) = delete;

    // The window that shows the pick layout (nullptr: none; an open Flashpick ends first). Without a
    // window the hot key does nothing.
    void SetView(IFlashpickView* view);

    // The hot key: starts Flashpick into the window in front.
    void Flashpick();
    // A list received the focus: its selected row (the first when none is) goes on the clipboard, and
    // the next Flashpick starts in this list. Ignored unless active and past the grace time.
    void lvClipsEnter(TFPList list);
    // Enter or a double-click in either list: pastes the clipboard into the target; ends Flashpick
    // unless locked, also when the paste fails. Nothing unless active.
    void ProcessFlashpickSelection();
    // Ends Flashpick and restores the window's layout. Nothing unless active.
    void FPTerminate();
    // Escape in either list or in the sticky check box: ends Flashpick, raises the dropped list and
    // gives the target back the foreground. Nothing unless active.
    void EscapePressed();
    // A mouse press in the clip list while active: with several rows selected the list takes one row
    // at a time until Flashpick ends.
    void lvClipsMouseDown();

    // The alternate collection: the collection of this node of the collection tree, or (node -1) the
    // first node in display order whose text is FPAlternateColl exactly. No such node: nothing changes.
    void mnuSetFPAlternate(int node);

    // The panel's buttons.
    void chkFPStickyButtonsClick(bool sticky);
    void cmdFPTabClick(bool down);
    void cmdFPEnterClick(bool down);
    void cmdFPPasteItClick();
    void cmdFPLockClick(bool down);
    // Ctrl+F11: shows or hides the alternate list.
    void mnuShowFPAlternatesClick();

    // The window's deactivation does nothing of its own while this holds: keys are being sent to the
    // target, or Flashpick is active and locked, or within the grace time after its start.
    bool IgnoresDeactivation() const;
    // Clicks in the clip list are ignored shortly after Flashpick ended.
    bool IgnoresClicks() const;

    bool FPActive() const { return fpActive_; }
    bool LastListWasFP() const { return lastListWasFP_; }
    bool WasDroppedDown() const { return wasDroppedDown_; }
    bool LeftExplorerView() const { return leftExplorerView_; }
    // On the desktop's monotonic tick (milliseconds).
    std::uint64_t FlashpickGraceUntil() const { return graceUntil_; }
    std::uint64_t IgnoreClicksUntil() const { return ignoreClicksUntil_; }

    // The rows of lvFP: the alternate collection's clips, with their own selection.
    shell::TClipListModel& AlternateList() { return alternate_; }
    clipstore::TClipColl* AlternateColl() const { return alternate_.Coll(); }
    // pnlFPAlternate's text: "Alternate Collection: " + the collection's name; empty while none is shown.
    std::string AlternateTitle() const;

    // The alternate collection changed (pnlFPAlternate follows).
    platform::TEvent<> AlternateChanged;
    // The sticky, Tab and Enter states changed (the buttons follow).
    platform::TEvent<> ButtonsChanged;

private:
    // Puts the clip on the clipboard as the current clip, unless it is already.
    void Place(clipstore::TClipObj* clip);
    // Runs the selection handling of the list's selected row; selects the first row when none is.
    void PlaceSelectionOf(TFPList list);
    // The paste and what follows it; Flashpick stays open when keepOpen.
    void Paste(bool keepOpen);
    // A key sent to the target by a plain (not sticky) Tab or Enter button.
    void SendButtonKey(const char* keys);
    // The window in front is one of this program's.
    bool IsOwnWindow(platform::HWND window) const;
    void RefillAlternate();
    void AlternateSelectionChanged();
    void TreeChanged();
    std::uint64_t Now() const;

    shell::TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    platform::IMessageBoxes& boxes_;
    TPasteInto& paste_;
    TRelayfeed& relayfeed_;
    IFlashpickView* view_ = nullptr;
    shell::TClipListModel alternate_;

    bool fpActive_ = false;
    bool lastListWasFP_ = false;
    bool wasDroppedDown_ = false;
    bool leftExplorerView_ = false;
    bool singleSelection_ = false;
    std::uint64_t graceUntil_ = 0;
    std::uint64_t ignoreClicksUntil_ = 0;

    platform::TSubscription dataLoaded_;
    platform::TSubscription treeChanged_;
    platform::TSubscription alternateSelection_;
};

} // namespace bx::pastetools
