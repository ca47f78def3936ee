#include "TBrindlexCore.h"

#include "EBadCopy.h"
#include "EBadPaste.h"
#include "ECreateDirectory.h"
#include "EDataOffLine.h"
#include "EInvalidFormatType.h"
#include "EMyStreamError.h"
#include "IMainView.h"
#include "StatusLevels.h"
#include "TAppLog.h"
#include "TAppSettings.h"
#include "TCapturePipeline.h"
#include "TClipColl.h"
#include "TClipPutBack.h"
#include "TClipSearch.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TCoreLifecycle.h"
#include "TDataSourceList.h"
#include "TErrorTrap.h"
#include "TMasterList.h"
#include "TMessageWindow.h"
#include "Tfilter.h"

#include <exception>
#include <stdexcept>
#include <utility>

namespace bx::shell {

using namespace platform;
using clipstore::TClipColl;
using clipstore::TClipObj;
using clipstore::TMasterList;

namespace {

TErrorTrap::Kind ClassifyError(const std::exception& e) {
    if (dynamic_cast<const clipstore::EMyStreamError*>(&e) != nullptr ||
        dynamic_cast<const clipstore::EInvalidFormatType*>(&e) != nullptr ||
        dynamic_cast<const clipstore::EBadCopy*>(&e) != nullptr ||
        dynamic_cast<const clipstore::EBadPaste*>(&e) != nullptr ||
        dynamic_cast<const clipstore::EDataOffLine*>(&e) != nullptr ||
        dynamic_cast<const ECreateDirectory*>(&e) != nullptr)
        return TErrorTrap::Kind::DataError;
    return TErrorTrap::Kind::Other;
}

} // namespace

TBrindlexCore::TBrindlexCore(const Environment& env)
    : desktop_(env.Desktop), settings_(env.Settings), boxes_(env.Boxes), dataSources_(env.DataSources), view_(env.View),
      clipContext_(desktop_.Clock(), desktop_.Clipboard()) {
    lifecycle_ = std::make_unique<TCoreLifecycle>(*this, env);
    errorTrap_ = std::make_unique<TErrorTrap>(boxes_, desktop_.Clock(), env.DateFormat, env.DataSources);
    errorTrap_->Classify = ClassifyError;
    errorTrap_->FallbackDirectory = env.LogDirectory;
    window_ = std::make_unique<TMessageWindow>(
        desktop_.Windows(), "Brindlex",
        [this](UINT msg, WPARAM wParam, LPARAM lParam) { return WndProc(msg, wParam, lParam); });
    clipView_ =
        std::make_unique<cliplink::TClipView5>(desktop_, [this](const std::string& text, const std::string& caption) {
            boxes_.MessageBox(text, caption, MsgType::Warning, MsgButtons::Ok);
        });
    clipboard_ = std::make_unique<cliplink::TClipboard>(desktop_);
    capture_ = std::make_unique<TCapturePipeline>(*this, desktop_, settings_);
    putBack_ = std::make_unique<TClipPutBack>(*this, desktop_, settings_);
    clipView_->OnCBChange = [this](cliplink::TClipView5&) { Guarded([this] { ClipViewCBChange(); }); };
    clipView_->OnRenderFormat = [this](cliplink::TClipView5&) { Guarded([this] { ClipViewRenderFormat(); }); };
    desktop_.Browser().OnClosed = [this] { capture_->BrowserLinkClosed(); };
    ISession& session = desktop_.Session();
    session.OnSuspend = [this] { Guarded([this] { Suspend(); }); };
    session.OnResume = [this] { Guarded([this] { Resume(); }); };
    session.OnEndSession = [this] { RequestEnd(); };
    treeSelection_ = tree_.NodeSelected.Subscribe([this](int index) { Guarded([this, index] { SelectNode(index); }); });
    listSelection_ = clipList_.SelectionChanged.Subscribe([this] {
        Guarded([this] {
            TListSelectionChange change;
            events_.ListSelectionChanged.Emit(change);
        });
    });
    ownSelection_ = events_.ListSelectionChanged.Subscribe(
        [this](TListSelectionChange& change) {
            if (!change.Taken)
                ClipListSelectionChanged();
        },
        TListSelectionChange::CoreOrder);
}

TBrindlexCore::~TBrindlexCore() {
    desktop_.Browser().OnClosed = nullptr;
    desktop_.Session().OnSuspend = nullptr;
    desktop_.Session().OnResume = nullptr;
    desktop_.Session().OnEndSession = nullptr;
    treeSelection_.Reset();
    listSelection_.Reset();
    clipList_.Clear();
    tree_.Clear();
    currentClip_ = nullptr;
    lastCaptured_ = nullptr;
    lifecycle_->ReleaseData();
    clipView_->OnCBChange = nullptr;
    clipView_->OnRenderFormat = nullptr;
    clipView_.reset();
}

HWND TBrindlexCore::Handle() const {
    return window_->Handle();
}

LRESULT TBrindlexCore::WndProc(UINT msg, WPARAM wParam, LPARAM) {
    if (msg != WM_TIMER)
        return 0;
    if (wParam == Timer1) {
        desktop_.Windows().KillTimer(Handle(), Timer1);
        Guarded([this] { DeferredStartup(); });
    } else if (wParam == TimerAutoSave) {
        Guarded([this] { AutoSaveTimer(); });
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------------
// The parts' state and work, through the core

cliplink::Tfilter* TBrindlexCore::Filter() {
    return lifecycle_->Filter();
}
TMasterList* TBrindlexCore::MasterList() {
    return lifecycle_->MasterList();
}
TMasterList& TBrindlexCore::LoadedMasterList() {
    TMasterList* master = MasterList();
    if (master == nullptr)
        throw std::runtime_error("No data loaded");
    return *master;
}
TAppLog* TBrindlexCore::Log() {
    return lifecycle_->Log();
}

TDateTime TBrindlexCore::NoCaptureUntil() const {
    return putBack_->NoCaptureUntil();
}
void TBrindlexCore::SetNoCaptureUntil(TDateTime until) {
    putBack_->SetNoCaptureUntil(until);
}
bool TBrindlexCore::CopyInProgress() const {
    return putBack_->CopyInProgress();
}
bool TBrindlexCore::StartingUp() const {
    return lifecycle_->StartingUp();
}
bool TBrindlexCore::StartupDone() const {
    return lifecycle_->StartupDone();
}
void TBrindlexCore::SetStartupDone(bool done) {
    lifecycle_->SetStartupDone(done);
}
void TBrindlexCore::SetStartupDelay(UINT ms) {
    lifecycle_->SetStartupDelay(ms);
}
bool TBrindlexCore::DdeLinkOpen() const {
    return capture_->DdeLinkOpen();
}
const std::string& TBrindlexCore::LastDDEBrowser() const {
    return capture_->LastDDEBrowser();
}
int TBrindlexCore::AutoSaveCountdown() const {
    return lifecycle_->AutoSaveCountdown();
}
void TBrindlexCore::SetAutoSaveCountdown(int ticks) {
    lifecycle_->SetAutoSaveCountdown(ticks);
}
bool TBrindlexCore::AutoSaving() const {
    return lifecycle_->AutoSaving();
}

void TBrindlexCore::Guarded(const std::function<void()>& handler) {
    lifecycle_->Guarded(handler);
}
void TBrindlexCore::RequestEnd() {
    lifecycle_->RequestEnd();
}
bool TBrindlexCore::Ended() const {
    return lifecycle_->Ended();
}
void TBrindlexCore::Startup(const std::vector<std::string>& args) {
    lifecycle_->Startup(args);
}
void TBrindlexCore::DeferredStartup() {
    lifecycle_->DeferredStartup();
}
void TBrindlexCore::LoadData() {
    lifecycle_->LoadData();
}
void TBrindlexCore::SaveAllClips() {
    lifecycle_->SaveAllClips();
}
void TBrindlexCore::AutoSaveTimer() {
    lifecycle_->AutoSaveTimer();
}
void TBrindlexCore::Suspend() {
    lifecycle_->Suspend();
}
void TBrindlexCore::Resume() {
    lifecycle_->Resume();
}
bool TBrindlexCore::FormCloseQuery() {
    return lifecycle_->FormCloseQuery();
}
bool TBrindlexCore::ShutDown() {
    return lifecycle_->ShutDown();
}
void TBrindlexCore::EndSession() {
    lifecycle_->EndSession();
}

void TBrindlexCore::ClipViewCBChange() {
    capture_->ClipViewCBChange();
}
void TBrindlexCore::CaptureTheClip(const TClipObj::ForcedFormats* forced) {
    capture_->CaptureTheClip(forced);
}
std::string TBrindlexCore::GetURLDDE(const std::string& service) {
    return capture_->GetURLDDE(service);
}
std::string TBrindlexCore::GetHtmlSourceURL(TClipObj& clip) {
    return TCapturePipeline::GetHtmlSourceURL(clip);
}
int TBrindlexCore::CalcStateIndex(const TClipColl& coll) const {
    return capture_->CalcStateIndex(coll);
}

void TBrindlexCore::ClearSearchResults() {
    clipstore::TMasterList* master = MasterList();
    if (master == nullptr || master->SearchResults == nullptr)
        return;
    TClipSearch::ClearResults(*master->SearchResults);
    if (ClipList().Coll() == master->SearchResults)
        UpdateLVClips();
}

void TBrindlexCore::BuildTree(const clipstore::TMasterList& master) {
    tree_.Build(master, [this](const TClipColl& coll) { return coll.IsSpecial() ? -1 : CalcStateIndex(coll); });
}
bool TBrindlexCore::CopyItem(TClipObj* clip) {
    return putBack_->CopyItem(clip);
}
void TBrindlexCore::ClipViewRenderFormat() {
    putBack_->ClipViewRenderFormat();
}

void TBrindlexCore::SetAutoCapture(bool on) {
    clipView_->Capturing = on;
    events_.AutoCaptureSwitched.Emit(on);
}

// ---------------------------------------------------------------------------------------------------
// Status, sounds and the selection bar

void TBrindlexCore::ShowStatus(int level, bool busy, const std::string& text) {
    statusText_ = text;
    if (level >= shell::StatusInBarAndItemBar)
        SetSelectItem(text, true);
    if (view_ != nullptr)
        view_->ShowStatus(level, busy, text);
}

void TBrindlexCore::PlaySoundOrBeep(const std::string& eventName) {
    if (settings_.UseSounds && desktop_.Sound().PlaySoundEvent(eventName))
        return;
    desktop_.Sound().MessageBeep(0);
}

void TBrindlexCore::DeselectClips() {
    clipList_.ClearSelection();
    if (view_ != nullptr)
        view_->SetPreviewVisible(false);
    SetSelectItem(std::string(), true);
}

// ---------------------------------------------------------------------------------------------------
// The collection tree and the clip list

void TBrindlexCore::SelectNode(int index) {
    if (suppressListEvents_ || index < 0 || static_cast<std::size_t>(index) >= tree_.Count())
        return;
    AnnounceUserMove({TUserMove::Kind::OtherCollection});
    TClipColl* coll = tree_.At(static_cast<std::size_t>(index)).Coll;
    TClipColl* previous = clipList_.Coll();
    if (coll != previous && previous != nullptr)
        settings_.LastColl = previous->Title;
    if (coll == nullptr) {
        clipList_.Clear();
        return;
    }
    ShowStatus(shell::StatusInBar, true, "Loading Collection...");
    currentClip_ = nullptr;
    if (view_ != nullptr)
        view_->SetPreviewVisible(false);
    clipList_.Bind(coll);
    UpdateLVClips();
    ShowStatus(shell::StatusInBar, false, "Collection Loaded - " + std::to_string(coll->Count()) + " Clips.");
    events_.CollectionShown.Emit(*coll);
}

void TBrindlexCore::UpdateLVClips() {
    SetSelectItem(std::string(), true);
    if (suppressListEvents_) {
        clipList_.Bind(clipList_.Coll());
        return;
    }
    clipList_.UpdateLVClips();
    clipList_.SortAsSaved();
    if (clipList_.Count() > 0)
        clipList_.SelectOnly(0);
    if (clipList_.Coll() != nullptr)
        clipList_.Coll()->ListChanged = false;
}

void TBrindlexCore::ClipListSelectionChanged() {
    lastListChange_ = desktop_.Clock().Now();
    if (suppressListEvents_ || selectingCapture_)
        return;
    TClipObj* clip = clipList_.FirstSelected();
    if (clip == nullptr)
        return;
    currentClip_ = clip;
    CopyItem(clip);
    // The clipboard holds copies: a clip kept in a data file is read again when it is next needed.
    clip->UnLoad();
}

} // namespace bx::shell
