#pragma once

#include "IDesktop.h"
#include "PlatformTypes.h"
#include "TEvent.h"

#include <functional>
#include <memory>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::platform {
class TMessageWindow;
}

namespace bx::shell {

class TBrindlexCore;

// How the main clip list answers its selection changes and keys, without a window: a single selected
// row becomes the current clip and goes on the clipboard; no selection is reported after a short wait
// (a click between two rows briefly selects nothing); several selected rows clear the current clip;
// while an arrow key is held the selection moves through the list without placing each clip, and the
// row under the selection when the key is released is placed. The preview pane follows through
// PreviewStale unless it is pinned. During a Relayfeed run a selected row becomes the run's next
// clip instead (announced as the core's UserMoving, RunRow) and is announced on the clipboard. Moving
// to the next or previous row by command is announced as UserMoving, OtherRow.
class TClipListSelection {
public:
    static constexpr platform::TimerId NoSelectionTimer = 3;
    static constexpr platform::UINT NoSelectionDelayMs = 250;

    // Answers the core's ListSelectionChanged in place of the core's own answer, while it lives.
    TClipListSelection(TBrindlexCore& core, platform::IDesktop& desktop);
    ~TClipListSelection();
    TClipListSelection(const TClipListSelection&) = delete;
    TClipListSelection& operator=(const TClipListSelection&) = delete;

    // The preview pane keeps its clip.
    bool Pinned = false;
    // The clip the preview pane shows (the current clip unless pinned) and the tree node it came from.
    clipstore::TClipObj* EditClip = nullptr;
    int EditNode = -1;
    // The row selected (or focused in a selection of several) before the current one and the current one;
    // -1 after a row was added.
    int PrevSelIndex = -1;
    int CurSelIndex = -1;

    // Emitted first at every change of the list's selection (the window shows it).
    platform::TEvent<> SelectionSeen;
    // The current clip or EditClip changed: the preview pane shows the current state (UpdateMagView).
    platform::TEvent<> PreviewStale;
    // The clip the preview pane shows is about to change: its pending edits are written back into it
    // (RescueEditing).
    platform::TEvent<> EditLeaving;

    // An Up or Down arrow key went down / came up in the list.
    void ArrowKeyDown();
    void ArrowKeyUp();
    bool ArrowKeyHeld() const { return arrowHeld_; }
    // Selects the next (or previous) row, clamped to the list (Ctrl+N, Ctrl+P, the spin button, the
    // mouse wheel); nothing with fewer than two rows.
    void SelectNext(bool next);
    // Selects every row.
    void SelectAll();
    // The list's selection changed.
    void SelectionChanged();
    // A row was added: the previous and current row indexes are forgotten.
    void RowAdded();

private:
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void NoSelectionCheck();
    void PlaceSelected();
    // A row selected by the user during a Relayfeed run: the run goes on from there.
    void RelayfeedSelected();
    void Refresh();

    TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    std::unique_ptr<platform::TMessageWindow> window_;
    platform::TSubscription subscription_;
    bool arrowHeld_ = false;
};

} // namespace bx::shell
