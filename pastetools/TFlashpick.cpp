#include "TFlashpick.h"

#include "IMainView.h"
#include "LogHook.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipColl.h"
#include "TClipObj.h"
#include "TCollectionTree.h"
#include "TPasteInto.h"
#include "TRelayfeed.h"

namespace bx::pastetools {

using clipstore::TClipColl;
using clipstore::TClipObj;
using platform::HWND;
using platform::LogDetail;
using platform::LogMsg;
using platform::NoWindow;

namespace {

// Keeps PastingNow set while a key goes to the target, also when sending it fails with an exception.
class PastingScope {
public:
    explicit PastingScope(TPasteInto& paste) : paste_(paste) { paste_.SetPastingNow(true); }
    ~PastingScope() { paste_.SetPastingNow(false); }
    PastingScope(const PastingScope&) = delete;
    PastingScope& operator=(const PastingScope&) = delete;

private:
    TPasteInto& paste_;
};

// The lists are painted again when the start is over, also when it ends in an exception.
class RepaintSuspension {
public:
    explicit RepaintSuspension(IFlashpickView& view) : view_(view) { view_.SuspendRepaint(true); }
    ~RepaintSuspension() { view_.SuspendRepaint(false); }
    RepaintSuspension(const RepaintSuspension&) = delete;
    RepaintSuspension& operator=(const RepaintSuspension&) = delete;

private:
    IFlashpickView& view_;
};

} // namespace

TFlashpick::TFlashpick(shell::TBrindlexCore& core, platform::IDesktop& desktop, platform::IMessageBoxes& boxes,
                       TPasteInto& paste, TRelayfeed& relayfeed)
    : core_(core), desktop_(desktop), boxes_(boxes), paste_(paste), relayfeed_(relayfeed) {
    dataLoaded_ = core_.Events().DataLoaded.Subscribe([this] { mnuSetFPAlternate(-1); });
    treeChanged_ = core_.Tree().Changed.Subscribe([this] { TreeChanged(); });
    alternateSelection_ = alternate_.SelectionChanged.Subscribe([this] { AlternateSelectionChanged(); });
}

TFlashpick::~TFlashpick() = default;

void TFlashpick::SetView(IFlashpickView* view) {
    if (view != view_)
        FPTerminate();
    view_ = view;
}

std::uint64_t TFlashpick::Now() const {
    return desktop_.Clock().TickCount();
}

bool TFlashpick::IsOwnWindow(HWND window) const {
    if (window == NoWindow)
        return false;
    if (window == core_.Handle())
        return true;
    // On X11 our own window in front is entered like any other program's, under our process.
    const platform::IWindows& windows = desktop_.Windows();
    const std::uint32_t own = windows.GetWindowProcessId(core_.Handle());
    return own != 0 && windows.GetWindowProcessId(window) == own;
}

std::string TFlashpick::AlternateTitle() const {
    return alternate_.Coll() != nullptr ? AlternatePrefix + alternate_.Coll()->Title : std::string();
}

// ---------------------------------------------------------------------------------------------------
// Start and end

void TFlashpick::Flashpick() {
    constexpr const char* where = "TfrmBX.Flashpick";
    platform::SetTraceLocation(where);
    if (view_ == nullptr) {
        LogMsg(LogDetail, where, "No window to pick in");
        return;
    }
    IFlashpickView& view = *view_;
    shell::TAppSettings& settings = core_.Settings();
    core_.EndAutoGlue();
    view.ExpandIfShrunk();
    relayfeed_.RFOff(true);

    const HWND target = desktop_.Windows().GetForegroundWindow();
    graceUntil_ = Now() + GraceMs;
    if (IsOwnWindow(target)) {
        boxes_.MessageBox(IntoItselfText, "Brindlex", platform::MsgType::Confirmation, platform::MsgButtons::Ok);
        FPTerminate();
        return;
    }
    // The hot key again while the pick layout is up (in another program): the layout it started from
    // is the one to return to.
    if (!fpActive_)
        wasDroppedDown_ = view.DroppedDown();
    {
        RepaintSuspension suspended(view);
        LogMsg(LogDetail, where, "Beginning Flashpick");
        paste_.NoteTarget(target);
        const std::string status = "Flashpick -->" + paste_.TargetTitle;
        core_.ShowStatus(shell::StatusInBar, false, status);
        LogMsg(LogDetail, where, status);

        if (view.ExplorerView() && settings.ShowFPAlternates) {
            leftExplorerView_ = true;
            view.SetExplorerView(false);
        }
        view.ShowLockButton(true, settings.FPLock);
        view.CollapseToolbarArea(true);
        view.ShowToolbar3(true);
        if (settings.ShowFPAlternates)
            view.ShowFPPanel(true);

        fpActive_ = true;
        core_.SetFlashpickActive(true);
        if (!view.ExplorerView() && !view.DroppedDown())
            view.DropDown(true);
        view.ShowMe();
        if (settings.ShowFPAlternates)
            RefillAlternate();
    }
    if (lastListWasFP_ && settings.ShowFPAlternates) {
        view.FocusList(TFPList::FP);
        PlaceSelectionOf(TFPList::FP);
    } else {
        view.FocusList(TFPList::Clips);
    }
    LogMsg(LogDetail, where, "Flashpick Ending");
}

void TFlashpick::FPTerminate() {
    if (!fpActive_ || view_ == nullptr)
        return;
    IFlashpickView& view = *view_;
    platform::SetTraceLocation("TfrmBX.FPTerminate");
    core_.ShowStatus(shell::StatusInBar, false, std::string());
    view.ShowToolbar3(false);
    view.ShowFPPanel(false);
    const bool locked = view.LockDown();
    view.ShowLockButton(false, locked);
    core_.Settings().FPLock = locked;
    fpActive_ = false;
    core_.SetFlashpickActive(false);

    view.CollapseToolbarArea(false);
    // The list goes up again unless it was down before, or the lock keeps the pick layout.
    if (!locked && view.DroppedDown() && !wasDroppedDown_)
        view.DropDown(false);

    shell::TClipListModel& list = core_.ClipList();
    if (singleSelection_) {
        singleSelection_ = false;
        const int row = list.RowOf(list.FirstSelected());
        view.SetSingleSelection(false);
        if (row >= 0)
            list.SelectOnly(static_cast<std::size_t>(row));
    }
    if (view.WasMinimized() && !locked)
        view.HideAgain();
    if (leftExplorerView_ || view.ExplorerView()) {
        view.SetExplorerView(true);
        leftExplorerView_ = false;
    }
    ignoreClicksUntil_ = Now() + IgnoreClicksMs;
    LogMsg(LogDetail, "TfrmBX.FPTerminate", "End Flashpick");

    // The clip list's own selection handling runs again for its row, now outside Flashpick.
    if (TClipObj* clip = list.FirstSelected(); clip != nullptr) {
        const auto row = static_cast<std::size_t>(list.RowOf(clip));
        list.Select(row, false);
        list.Select(row, true);
    }
}

void TFlashpick::EscapePressed() {
    if (!fpActive_)
        return;
    const HWND target = paste_.TargetWindow;
    FPTerminate();
    if (view_ != nullptr && !view_->ExplorerView() && view_->DroppedDown())
        view_->DropDown(false);
    if (target != NoWindow)
        desktop_.Windows().SetForegroundWindow(target);
}

bool TFlashpick::IgnoresDeactivation() const {
    if (paste_.PastingNow())
        return true;
    if (!fpActive_)
        return false;
    if (view_ != nullptr && view_->LockDown())
        return true;
    if (Now() < graceUntil_) {
        LogMsg(LogDetail, "TfrmBX.AppDeactivate", "Ignored within Flashpick's grace time");
        return true;
    }
    return false;
}

bool TFlashpick::IgnoresClicks() const {
    return Now() < ignoreClicksUntil_;
}

// ---------------------------------------------------------------------------------------------------
// The lists

void TFlashpick::Place(TClipObj* clip) {
    if (clip == nullptr || clip == core_.CurrentClip() || core_.SuppressListEvents() ||
        core_.RFState() != shell::TBrindlexCore::TRFState::Idle)
        return;
    if (TClipObj* previous = core_.CurrentClip(); previous != nullptr)
        previous->UnLoad();
    core_.SetCurrentClip(clip);
    core_.SetSelectItem(clip->Title, false);
    core_.CopyItem(clip);
    // The clipboard holds copies: a clip kept in a data file is read again when it is next needed.
    clip->UnLoad();
}

void TFlashpick::PlaceSelectionOf(TFPList list) {
    shell::TClipListModel& rows = list == TFPList::FP ? alternate_ : core_.ClipList();
    if (rows.SelectedCount() == 0) {
        // Selecting the row runs the list's selection handling.
        if (rows.Count() > 0)
            rows.SelectOnly(0);
        return;
    }
    if (rows.SelectedCount() != 1)
        return;
    if (list == TFPList::FP) {
        Place(rows.FirstSelected());
        return;
    }
    // The clip list's own rules place its row (and keep the preview's clip in step).
    const auto row = static_cast<std::size_t>(rows.RowOf(rows.FirstSelected()));
    rows.Select(row, false);
    rows.Select(row, true);
}

void TFlashpick::lvClipsEnter(TFPList list) {
    if (!fpActive_ || Now() < graceUntil_)
        return;
    PlaceSelectionOf(list);
    lastListWasFP_ = list == TFPList::FP;
}

void TFlashpick::lvClipsMouseDown() {
    if (!fpActive_ || singleSelection_ || view_ == nullptr || core_.ClipList().SelectedCount() < 2)
        return;
    view_->SetSingleSelection(true);
    singleSelection_ = true;
}

void TFlashpick::AlternateSelectionChanged() {
    if (alternate_.SelectedCount() == 1)
        Place(alternate_.FirstSelected());
}

// ---------------------------------------------------------------------------------------------------
// Pasting

void TFlashpick::Paste(bool keepOpen) {
    const shell::TAppSettings& settings = core_.Settings();
    const TPasteInto::Options options{.Tab = settings.FPStickyButtons && settings.FPTabButtonDown,
                                      .Enter = settings.FPStickyButtons && settings.FPEnterButtonDown,
                                      .Lock = keepOpen};
    try {
        paste_.PasteInto(options);
    } catch (...) {
        if (!keepOpen)
            FPTerminate();
        throw;
    }
    if (!keepOpen) {
        FPTerminate();
        return;
    }
    // The activation moved to the target and back; the window hears of it after the paste.
    graceUntil_ = Now() + GraceMs;
}

void TFlashpick::ProcessFlashpickSelection() {
    constexpr const char* where = "TfrmBX.ProcessFlashpickSelection";
    if (!fpActive_ || view_ == nullptr)
        return;
    platform::SetTraceLocation(where);
    LogMsg(LogDetail, where, ">");
    core_.ShowStatus(shell::StatusInBar, false, "Pasting Into -->" + paste_.TargetTitle);
    Paste(view_->LockDown());
    LogMsg(LogDetail, where, "<");
}

void TFlashpick::cmdFPPasteItClick() {
    if (fpActive_)
        Paste(true);
}

void TFlashpick::SendButtonKey(const char* keys) {
    if (!fpActive_)
        return;
    {
        PastingScope pasting(paste_);
        paste_.SendToTarget(keys);
    }
    desktop_.Clock().Sleep(ButtonWaitMs);
    if (shell::IMainView* main = core_.View(); main != nullptr)
        main->BringToFront();
    graceUntil_ = Now() + GraceMs;
}

void TFlashpick::cmdFPTabClick(bool down) {
    if (core_.Settings().FPStickyButtons)
        core_.Settings().FPTabButtonDown = down;
    else
        SendButtonKey("{TAB}");
}

void TFlashpick::cmdFPEnterClick(bool down) {
    if (core_.Settings().FPStickyButtons)
        core_.Settings().FPEnterButtonDown = down;
    else
        SendButtonKey("{ENTER}");
}

void TFlashpick::chkFPStickyButtonsClick(bool sticky) {
    shell::TAppSettings& settings = core_.Settings();
    settings.FPStickyButtons = sticky;
    // Plain buttons are released: a later return to sticky buttons starts with both up.
    if (!sticky) {
        settings.FPTabButtonDown = false;
        settings.FPEnterButtonDown = false;
    }
    ButtonsChanged.Emit();
}

void TFlashpick::cmdFPLockClick(bool down) {
    core_.Settings().FPLock = down;
}

void TFlashpick::mnuShowFPAlternatesClick() {
    shell::TAppSettings& settings = core_.Settings();
    settings.ShowFPAlternates = !settings.ShowFPAlternates;
    if (!fpActive_ || view_ == nullptr)
        return;
    if (settings.ShowFPAlternates)
        RefillAlternate();
    view_->ShowFPPanel(settings.ShowFPAlternates);
    if (!settings.ShowFPAlternates)
        view_->FocusList(TFPList::Clips);
}

// ---------------------------------------------------------------------------------------------------
// The alternate collection

void TFlashpick::mnuSetFPAlternate(int node) {
    const shell::TCollectionTree& tree = core_.Tree();
    shell::TAppSettings& settings = core_.Settings();
    TClipColl* coll = nullptr;
    if (node >= 0) {
        if (static_cast<std::size_t>(node) < tree.Count())
            coll = tree.At(static_cast<std::size_t>(node)).Coll;
    } else if (!settings.FPAlternateColl.empty()) {
        for (std::size_t i = 0; i < tree.Count(); ++i) {
            if (TClipColl* c = tree.At(i).Coll; c != nullptr && c->Title == settings.FPAlternateColl) {
                coll = c;
                break;
            }
        }
    }
    if (coll == nullptr)
        return;
    settings.FPAlternateColl = coll->Title;
    alternate_.Bind(coll);
    alternate_.UpdateLVClips();
    alternate_.SortAsSaved();
    coll->ListChanged = false;
    AlternateChanged.Emit();
}

void TFlashpick::RefillAlternate() {
    TClipColl* coll = alternate_.Coll();
    // The main list's filling clears the flag too: a count that differs also tells of a change.
    if (coll == nullptr || (!coll->ListChanged && alternate_.Count() == coll->Count()))
        return;
    alternate_.UpdateLVClips();
    alternate_.SortAsSaved();
    coll->ListChanged = false;
}

void TFlashpick::TreeChanged() {
    // A collection that left the tree is freed soon (a reload, the shut-down): its rows go first.
    if (alternate_.Coll() != nullptr && core_.Tree().GetTreeNodeOfColl(alternate_.Coll()) < 0) {
        alternate_.Clear();
        AlternateChanged.Emit();
    }
}

} // namespace bx::pastetools
