#include "TClipListSelection.h"

#include "StatusLevels.h"
#include "TBrindlexCore.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TMessageWindow.h"

#include <string>

namespace bx::shell {

using clipstore::TClipObj;
using platform::LPARAM;
using platform::LRESULT;
using platform::UINT;
using platform::WPARAM;

TClipListSelection::TClipListSelection(TBrindlexCore& core, platform::IDesktop& desktop)
    : core_(core), desktop_(desktop) {
    window_ = std::make_unique<platform::TMessageWindow>(
        desktop_.Windows(), "Brindlex clip list",
        [this](UINT msg, WPARAM wParam, LPARAM lParam) { return WndProc(msg, wParam, lParam); });
    // Before the core's own answer, which it replaces: the rules below decide when a clip is placed.
    subscription_ = core_.Events().ListSelectionChanged.Subscribe(
        [this](TListSelectionChange& change) {
            change.Taken = true;
            SelectionChanged();
        },
        TListSelectionChange::TakeOverOrder);
}

TClipListSelection::~TClipListSelection() = default;

LRESULT TClipListSelection::WndProc(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == platform::WM_TIMER && wParam == NoSelectionTimer) {
        desktop_.Windows().KillTimer(window_->Handle(), NoSelectionTimer);
        core_.Guarded([this] { NoSelectionCheck(); });
    }
    return 0;
}

void TClipListSelection::Refresh() {
    PreviewStale.Emit();
}

void TClipListSelection::NoSelectionCheck() {
    if (core_.SuppressListEvents() || core_.ClipList().SelectedCount() != 0)
        return;
    core_.ShowStatus(shell::StatusInBarAndItemBar, false, "No Items Selected.");
    core_.SetCurrentClip(nullptr);
    if (!Pinned)
        EditClip = nullptr;
    Refresh();
}

void TClipListSelection::SelectionChanged() {
    SelectionSeen.Emit();
    core_.SetLastListChange(desktop_.Clock().Now());
    if (core_.SuppressListEvents())
        return;
    TClipListModel& list = core_.ClipList();
    const std::size_t selected = list.SelectedCount();
    if (selected == 0) {
        desktop_.Windows().SetTimer(window_->Handle(), NoSelectionTimer, NoSelectionDelayMs,
                                    platform::TimerKind::OneShot);
        return;
    }
    // The focused row is where the user moved last, also while extending a selection (the glue order).
    const int row = list.FocusedRow() >= 0 && list.IsSelected(static_cast<std::size_t>(list.FocusedRow()))
                        ? list.FocusedRow()
                        : list.RowOf(list.FirstSelected());
    if (row != CurSelIndex) {
        PrevSelIndex = CurSelIndex;
        CurSelIndex = row;
    }
    if (selected > 1) {
        if (!core_.FlashpickActive())
            core_.ShowStatus(shell::StatusInBarAndItemBar, false, std::to_string(selected) + " Items Selected.");
        EditLeaving.Emit();
        core_.SetCurrentClip(nullptr);
        if (!Pinned)
            EditClip = nullptr;
        Refresh();
        return;
    }
    if (arrowHeld_)
        return;
    PlaceSelected();
}

void TClipListSelection::PlaceSelected() {
    TClipListModel& list = core_.ClipList();
    if (list.SelectedCount() != 1)
        return;
    if (core_.RFState() != TBrindlexCore::TRFState::Idle) {
        RelayfeedSelected();
        return;
    }
    TClipObj* clip = list.FirstSelected();
    if (clip == nullptr || clip == core_.CurrentClip())
        return;
    TClipObj* previous = core_.CurrentClip();
    if (previous != nullptr && previous != clip)
        previous->UnLoad();
    if (!Pinned) {
        EditLeaving.Emit();
        EditClip = clip;
        EditNode = core_.Tree().Selected();
    }
    // The core makes the clip the current one and puts it on the clipboard (not while the capture
    // itself selects the row of a new clip).
    core_.ClipListSelectionChanged();
    if (core_.SelectingCapture())
        core_.SetCurrentClip(clip);
    Refresh();
    // The clip may have been removed while it was shown; look it up again before releasing it.
    if (list.RowOf(clip) >= 0)
        clip->UnLoad();
}

void TClipListSelection::RelayfeedSelected() {
    TClipListModel& list = core_.ClipList();
    TClipObj* clip = list.FirstSelected();
    // The run itself selects the clip it has just announced: nothing moves.
    if (clip == nullptr || clip == core_.CurrentClip())
        return;
    // A pinned pane keeps its clip: pending edits belong to the clip it shows.
    if (!Pinned) {
        EditLeaving.Emit();
        EditClip = clip;
        EditNode = core_.Tree().Selected();
    }
    TClipObj* previous = core_.CurrentClip();
    if (previous != nullptr && previous != clip)
        previous->UnLoad();
    core_.SetRFState(TBrindlexCore::TRFState::Armed);
    core_.AnnounceUserMove({TUserMove::Kind::RunRow, list.RowOf(clip)});
    core_.SetCurrentClip(clip);
    // Armed, this announces the clip's formats; the data follows when the target pastes.
    core_.CopyItem(clip);
    Refresh();
}

void TClipListSelection::ArrowKeyDown() {
    arrowHeld_ = true;
}

void TClipListSelection::ArrowKeyUp() {
    if (!arrowHeld_)
        return;
    arrowHeld_ = false;
    if (!core_.SuppressListEvents())
        core_.Guarded([this] { PlaceSelected(); });
}

void TClipListSelection::SelectNext(bool next) {
    core_.AnnounceUserMove({TUserMove::Kind::OtherRow});
    TClipListModel& list = core_.ClipList();
    if (list.Count() < 2)
        return;
    const int focused = list.FocusedRow();
    int row = focused >= 0 && list.IsSelected(static_cast<std::size_t>(focused))
                  ? focused
                  : (list.FirstSelected() != nullptr ? list.RowOf(list.FirstSelected()) : 0);
    row += next ? 1 : -1;
    if (row < 0)
        row = 0;
    if (row >= static_cast<int>(list.Count()))
        row = static_cast<int>(list.Count()) - 1;
    list.SelectOnly(static_cast<std::size_t>(row));
}

void TClipListSelection::SelectAll() {
    core_.ClipList().SelectAll();
}

void TClipListSelection::RowAdded() {
    PrevSelIndex = -1;
    CurSelIndex = -1;
}

} // namespace bx::shell
