#include "TRelayfeed.h"

#include "LogHook.h"
#include "LogLevels.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TClipboard.h"
#include "TMessageWindow.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace bx::pastetools {

using namespace platform;
using clipstore::TClipObj;
using shell::TBrindlexCore;
using TRFState = TBrindlexCore::TRFState;

namespace {

// Targets that ask about the clipboard rather than for its data.
constexpr std::array<std::string_view, 8> MetaTargets = {
    "TARGETS", "TIMESTAMP", "MULTIPLE", "SAVE_TARGETS", "DELETE", "INSERT_SELECTION", "INSERT_PROPERTY", "LENGTH"};

bool IsMetaTarget(std::string_view target) {
    return std::find(MetaTargets.begin(), MetaTargets.end(), target) != MetaTargets.end();
}

} // namespace

TRelayfeed::TRelayfeed(TBrindlexCore& core, IDesktop& desktop, IMessageBoxes& boxes)
    : core_(core), desktop_(desktop), boxes_(boxes),
      window_(std::make_unique<TMessageWindow>(desktop.Windows(), "Relayfeed",
                                               [this](UINT msg, WPARAM w, LPARAM l) { return WndProc(msg, w, l); })) {
    shell::TCoreEvents& events = core.Events();
    foreignChange_ = events.ForeignClipboardChange.Subscribe([this] { RFOff(false); });
    userMoving_ = events.UserMoving.Subscribe([this](const shell::TUserMove& move) {
        if (move.What == shell::TUserMove::Kind::OtherCollection)
            RFOff(true);
        else if (move.What == shell::TUserMove::Kind::RunRow && move.Row >= 0)
            item_ = core_.ClipList().Clip(static_cast<std::size_t>(move.Row));
    });
    renderRequested_ = events.RenderRequested.Subscribe([this](UINT format) { ClipViewRenderFormat(format); });
    captureDuringRun_ = events.CaptureEndedDuringRun.Subscribe([this] {
        // The selection goes back to the run's row alone.
        const int row = core_.ClipList().RowOf(item_);
        if (item_ != nullptr && row >= 0)
            core_.ClipList().SelectOnly(static_cast<std::size_t>(row));
    });
    shuttingDown_ = events.ShuttingDown.Subscribe([this] { RFOff(true); });
    // Rows rebuilt: a clip that is no longer listed is no longer the run's row.
    rowsReset_ = core.ClipList().RowsReset.Subscribe([this] {
        if (item_ != nullptr && core_.ClipList().RowOf(item_) < 0)
            item_ = nullptr;
    });
}

TRelayfeed::~TRelayfeed() = default;

UINT TRelayfeed::Interval() const {
    return static_cast<UINT>(std::clamp(core_.Settings().RelayfeedDelay, MinDelayMs, MaxDelayMs));
}

LRESULT TRelayfeed::WndProc(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_TIMER)
        return 0;
    if (wParam == TimerRF)
        core_.Guarded([this] { AdvanceNextItem(); });
    else if (wParam == TimerWithdraw)
        core_.Guarded([this] { Withdraw(); });
    return 0;
}

TClipObj* TRelayfeed::NextItem() const {
    const shell::TClipListModel& list = core_.ClipList();
    const int at = list.RowOf(item_);
    if (list.Count() < 2 || item_ == nullptr || at < 0)
        return nullptr;
    const int step = direction_ == TRFDirection::Up ? -1 : 1;
    for (int row = at + step; row >= 0 && static_cast<std::size_t>(row) < list.Count(); row += step) {
        if (!selectedOnly_ || list.IsSelected(static_cast<std::size_t>(row)))
            return list.Clip(static_cast<std::size_t>(row));
    }
    return nullptr;
}

void TRelayfeed::RFClick(TRFDirection direction) {
    SetTraceLocation("TfrmBX.RFClick");
    LogMsg(LogDataEvents, ">TfrmBX.RFClick", "Relayfeed On/Off");
    core_.EndAutoGlue();
    Clicking.Emit();
    if (direction == direction_ && core_.RFState() != TRFState::Idle) {
        RFOff(true);
    } else {
        LogMsg(LogDataEvents, "TfrmBX.RFClick", "Relayfeed Command is ON");
        if (core_.ClipList().SelectedCount() == 0) {
            LogMsg(LogErrors, "Relayfeed", "No starting item selected.");
            boxes_.MessageBox(NoStartText, "Brindlex", MsgType::Error, MsgButtons::Ok);
            RFOff(true);
        } else if (direction != TRFDirection::None) {
            Start(direction);
        }
    }
    // The menu's check marks follow whatever state the click left.
    StateChanged.Emit();
    LogMsg(LogErrors, "<TfrmBX.RFClick", "End Relayfeed");
}

void TRelayfeed::Start(TRFDirection direction) {
    shell::TClipListModel& list = core_.ClipList();
    // A run in the other direction starts afresh: an advance of the old one must not move it.
    desktop_.Windows().KillTimer(window_->Handle(), TimerRF);
    desktop_.Windows().KillTimer(window_->Handle(), TimerWithdraw);
    core_.SetRFState(TRFState::Armed);
    direction_ = direction;
    selectedOnly_ = list.SelectedCount() >= 2;
    item_ = nullptr;
    for (std::size_t row = 0; row < list.Count(); ++row) {
        if (!list.IsSelected(row))
            continue;
        item_ = list.Clip(row);
        if (direction == TRFDirection::Down)
            break; // the topmost selected row; up takes the lowest
    }
    core_.SetCurrentClip(item_);
    if (!core_.CopyItem(item_)) {
        LogMsg(LogErrors, "Relayfeed", "Could not open clipboard.");
        RFOff(false);
        core_.ShowStatus(shell::StatusInBar, false, ClipboardOpenText);
    }
}

bool TRelayfeed::CountsAsPaste(const RenderRequest& who) const {
    if (!who.foreground || IsMetaTarget(who.target))
        return false;
    // The program's own reads (its window in front) are no paste of another program.
    return who.pid == 0 || who.pid != desktop_.Windows().GetWindowProcessId(window_->Handle());
}

void TRelayfeed::ClipViewRenderFormat(UINT format) {
    SetTraceLocation("TfrmBX.ClipViewRenderFormat");
    LogMsg(LogDataEvents, "RF", "RenderFormat");
    if (item_ == nullptr)
        return;
    const RenderRequest who = desktop_.Clipboard().LastRenderRequestor();
    if (!CountsAsPaste(who) || core_.RFState() == TRFState::Rendering) {
        // A watcher, or the paste being served asking again: the same clip, the run stays where it is.
        item_->RenderFormat(core_.Clipboard(), format);
        if (core_.RFState() == TRFState::Armed) {
            LogMsg(LogDetail, "RF", "RenderFormat - served to a program not in front: " + who.program);
            // Taken back at once where the clipboard can: a paste that comes right after the watcher's
            // request would otherwise be served from the watcher's data and never reach the run.
            if (desktop_.Clipboard().WithdrawAfterServing())
                return;
            withdrawSequence_ = desktop_.Clipboard().GetClipboardSequenceNumber();
            desktop_.Windows().SetTimer(window_->Handle(), TimerWithdraw, 10, TimerKind::OneShot);
        }
        return;
    }
    core_.SetRFState(TRFState::Rendering);
    core_.SetCurrentClip(item_);
    // A clip that cannot be rendered (a damaged record) ends the run: else it would stay rendering, and
    // every later paste would get nothing while the button stays down. The error still goes to the trap.
    bool rendered = false;
    try {
        rendered = core_.CopyItem(item_);
    } catch (...) {
        RFOff(false);
        throw;
    }
    if (!rendered) {
        LogMsg(LogErrors, "RF", "RenderFormat - the clip could not be rendered; Relayfeed ends.");
        RFOff(false);
        return;
    }
    if (NextItem() != nullptr) {
        desktop_.Windows().SetTimer(window_->Handle(), TimerRF, Interval(), TimerKind::OneShot);
        return;
    }
    LogMsg(LogDataEvents, "RF", "RenderFormat - terminating.  ");
    RFOff(false);
    Complete();
}

void TRelayfeed::Withdraw() {
    // Only the announcement the watcher was served from; a new one or a paste in progress keeps its data.
    if (core_.RFState() != TRFState::Armed || desktop_.Clipboard().GetClipboardSequenceNumber() != withdrawSequence_)
        return;
    if (desktop_.Clipboard().GetOpenClipboardWindow() != NoWindow)
        desktop_.Windows().SetTimer(window_->Handle(), TimerWithdraw, 10, TimerKind::OneShot);
    else
        desktop_.Clipboard().WithdrawRendered();
}

void TRelayfeed::AdvanceNextItem() {
    SetTraceLocation("TfrmBX.AdvanceNextItem");
    LogMsg(LogDataEvents, "RF", "AdvanceNextItem");
    desktop_.Windows().KillTimer(window_->Handle(), TimerRF);
    if (core_.RFState() == TRFState::Idle)
        return;
    core_.SetRFState(TRFState::Armed);
    // The rendered copy belongs to the clipboard now.
    if (TClipObj* current = core_.CurrentClip())
        current->UnLoad();
    item_ = NextItem();
    if (item_ == nullptr) {
        core_.SetCurrentClip(nullptr);
        RFOff(true);
        return;
    }
    core_.SetCurrentClip(item_);
    if (core_.CopyItem(item_)) {
        ShowRow(item_);
        return;
    }
    core_.SetCurrentClip(nullptr);
    RFOff(false);
    Complete();
    core_.ShowStatus(shell::StatusInBar, false, ClipboardOpenText);
    LogMsg(LogErrors, "Relayfeed", "Could not open clipboard.");
}

void TRelayfeed::ShowRow(TClipObj* clip) {
    shell::TClipListModel& list = core_.ClipList();
    const int row = list.RowOf(clip);
    if (row < 0)
        return;
    // Selecting the clip the run has just announced moves nothing (the list's selection rules know it).
    if (selectedOnly_)
        list.Select(static_cast<std::size_t>(row), true);
    else
        list.SelectOnly(static_cast<std::size_t>(row));
    RowAnnounced.Emit(row);
}

void TRelayfeed::Complete() {
    if (core_.Settings().BeepOnRFComplete)
        core_.PlaySoundOrBeep(SoundComplete);
}

void TRelayfeed::RFOff(bool putBack) {
    if (core_.RFState() == TRFState::Idle)
        return;
    LogMsg(LogDataEvents, "TfrmBX.RFOff", "Relayfeed Command is OFF");
    desktop_.Windows().KillTimer(window_->Handle(), TimerRF);
    desktop_.Windows().KillTimer(window_->Handle(), TimerWithdraw);
    core_.SetRFState(TRFState::Idle);
    direction_ = TRFDirection::None;
    StateChanged.Emit();
    if (putBack && core_.CurrentClip() != nullptr)
        core_.CopyItem(core_.CurrentClip());
    item_ = nullptr;
}

} // namespace bx::pastetools
