#include "TBrindlexCore.h"

#include "AsciiText.h"
#include "EBadCopy.h"
#include "EBadPaste.h"
#include "ECreateDirectory.h"
#include "EDataOffLine.h"
#include "EInvalidFormatType.h"
#include "EMyStreamError.h"
#include "IMainView.h"
#include "LogHook.h"
#include "PrivateDirectories.h"
#include "TAppLog.h"
#include "TAppSettings.h"
#include "TClipColl.h"
#include "TClipView5.h"
#include "TClipboard.h"
#include "TDataSourceList.h"
#include "TErrorTrap.h"
#include "TMasterList.h"
#include "TMessageWindow.h"
#include "TUtf8.h"
#include "Tfilter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <utility>

namespace bx::shell {

using namespace platform;
using clipstore::TClipColl;
using clipstore::TClipObj;
using clipstore::TMasterList;

namespace {

constexpr double MsPerDay = 86400000.0;
constexpr std::size_t MaxShortString = 255;
constexpr const char* BrowserTopic = "WWW_GetWindowInfo";
constexpr const char* ActiveWindowItem = "0xFFFFFFFF";

// A date-time as a decimal day number.
std::string DayNumber(TDateTime t) {
    char text[40];
    std::snprintf(text, sizeof text, "%.15g", t);
    return text;
}

// The millisecond part of the time between two moments.
long long MsPart(TDateTime a, TDateTime b) {
    const long long ms = std::llround(std::fabs(a - b) * MsPerDay);
    return ms % 1000;
}

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

TBrindlexCore::TBrindlexCore(Environment env)
    : desktop_(env.Desktop), settings_(env.Settings), dataSources_(env.DataSources), boxes_(env.Boxes),
      dateFormat_(env.DateFormat), logDirectory_(std::move(env.LogDirectory)), view_(env.View),
      clipContext_(desktop_.Clock(), desktop_.Clipboard()) {
    errorTrap_ = std::make_unique<TErrorTrap>(boxes_, desktop_.Clock(), dateFormat_, dataSources_);
    errorTrap_->Classify = ClassifyError;
    errorTrap_->FallbackDirectory = logDirectory_;
    window_ = std::make_unique<TMessageWindow>(
        desktop_.Windows(), "Brindlex",
        [this](UINT msg, WPARAM wParam, LPARAM lParam) { return WndProc(msg, wParam, lParam); });
    clipView_ =
        std::make_unique<cliplink::TClipView5>(desktop_, [this](const std::string& text, const std::string& caption) {
            boxes_.MessageBox(text, caption, MsgType::Warning, MsgButtons::Ok);
        });
    clipboard_ = std::make_unique<cliplink::TClipboard>(desktop_);
    clipView_->OnCBChange = [this](cliplink::TClipView5&) { Guarded([this] { ClipViewCBChange(); }); };
    clipView_->OnRenderFormat = [this](cliplink::TClipView5&) { Guarded([this] { ClipViewRenderFormat(); }); };
    desktop_.Browser().OnClosed = [this] {
        LogMsg(LogDataEvents, "DdeClientConv1Close", "Connection Closed!");
        DdeLinkOpen = false;
    };
    ISession& session = desktop_.Session();
    session.OnSuspend = [this] { Guarded([this] { Suspend(); }); };
    session.OnResume = [this] { Guarded([this] { Resume(); }); };
    session.OnEndSession = [this] { RequestEnd(); };
    tree_.OnSelect = [this](int index) { Guarded([this, index] { SelectNode(index); }); };
    clipList_.OnSelectionChanged = [this] { Guarded([this] { ClipListSelectionChanged(); }); };
}

TBrindlexCore::~TBrindlexCore() {
    desktop_.Browser().OnClosed = nullptr;
    desktop_.Session().OnSuspend = nullptr;
    desktop_.Session().OnResume = nullptr;
    desktop_.Session().OnEndSession = nullptr;
    tree_.OnSelect = nullptr;
    clipList_.OnSelectionChanged = nullptr;
    clipList_.Clear();
    tree_.Clear();
    CurrentClip = nullptr;
    LastCaptured = nullptr;
    master_.reset();
    clipView_->OnCBChange = nullptr;
    clipView_->OnRenderFormat = nullptr;
    clipView_.reset();
    if (settings_.Log == log_.get())
        settings_.Log = nullptr;
}

HWND TBrindlexCore::Handle() const {
    return window_->Handle();
}

void TBrindlexCore::Guarded(const std::function<void()>& handler) {
    ++busy_;
    try {
        handler();
    } catch (...) {
        errorTrap_->HandleCurrentException();
    }
    // The end that came while a handler ran (in a message box's loop, say) runs once it is over.
    if (--busy_ == 0 && endPending_)
        EndNow();
}

void TBrindlexCore::RequestEnd() {
    if (busy_ > 0) {
        // Ending here would free what the interrupted operation works on: it is asked to finish
        // first, its boxes answered at once.
        endPending_ = true;
        boxes_.CloseAll();
        return;
    }
    EndNow();
}

void TBrindlexCore::EndNow() {
    endPending_ = false;
    // Nothing waits for the user any more: the session is going.
    boxes_.CloseAll();
    ++busy_;
    try {
        EndSession();
    } catch (...) {
        errorTrap_->HandleCurrentException();
    }
    --busy_;
    if (Closed)
        Closed();
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
// Start-up and shut-down

void TBrindlexCore::RegisterFormats() {
    clipContext_.RegisterFormats();
}

void TBrindlexCore::Startup(const std::vector<std::string>& args) {
    Guarded([&] { StartupSteps(args); });
}

void TBrindlexCore::StartupSteps(const std::vector<std::string>& args) {
    SetTraceLocation("TfrmBX.Startup");
    PasteTraceActive = false;
    // The log first, so that it has what the start warns about.
    if (!logDirectory_.empty() && !log_) {
        try {
            log_ = std::make_unique<TAppLog>(settings_.LogLevel, logDirectory_, desktop_.Clock(), dateFormat_);
            settings_.Log = log_.get();
        } catch (const std::exception& e) {
            boxes_.MessageBox(std::string("The log cannot be written: ") + e.what(), "Brindlex", MsgType::Warning,
                              MsgButtons::Ok);
        }
    }
    TMasterList::DetermineFirstGoodDataSource(dataSources_, &boxes_);
    StartingUp = true;
    SuppressListEvents = true;
    clipContext_.StartingUp = true;
    FlashpickActive = false;
    AutoGlueMode = false;
    CurrentClip = nullptr;
    LastCaptured = nullptr;
    AutoSaveCountdown = settings_.AutoSaveInterval;
    ShowStatus(2, true, "Initializing...");

    clipView_->SettleTime = settings_.SettleTime;
    clipView_->SetActive(true);

    filter_ = std::make_unique<cliplink::Tfilter>(desktop_, HtmlViewerAvailable);
    master_ = std::make_unique<TMasterList>(clipContext_, dataSources_, &boxes_);
    master_->IsBusy = [this] { return SuppressListEvents; };
    ShowStatus(1, false, "");

    RFState = TRFState::Idle;
    clipView_->Delay = settings_.DelayOnClipboardUpdate;
    clipView_->Capturing = true;
    RegisterFormats();
    if (SetHotKeys)
        SetHotKeys();
    SetAutoCapture(true);
    desktop_.Windows().ProcessMessages();
    // The session may have ended while pending messages ran.
    if (shutDownDone_)
        return;

    AutoSaveCountdown = settings_.AutoSaveInterval;
    StartAutoSaveTimer();
    if (!args.empty() && UpperCase(args.front()) == "NOCAPTURE")
        SetAutoCapture(false);
    LogMsg(LogStartStop, "Startup", "Flag 4 - almost done - right before loading data. ");
    desktop_.Windows().SetTimer(Handle(), Timer1, StartupDelay, TimerKind::OneShot);
}

void TBrindlexCore::StartAutoSaveTimer() {
    if (settings_.AutoSave)
        desktop_.Windows().SetTimer(Handle(), TimerAutoSave, AutoSaveTickMs, TimerKind::Repeating);
    else
        desktop_.Windows().KillTimer(Handle(), TimerAutoSave);
}

void TBrindlexCore::SetAutoCapture(bool on) {
    clipView_->Capturing = on;
}

void TBrindlexCore::DeferredStartup() {
    if (settings_.RunMinimized && view_ != nullptr)
        view_->Minimize();
    LoadData();
    StartupDone = true;
}

void TBrindlexCore::LoadData() {
    SetTraceLocation("TfrmBX.LoadData");
    LogMsg(LogStartStop, "LoadData", "Before Determining Data Sources");
    TMasterList::DetermineFirstGoodDataSource(dataSources_, &boxes_);
    LogMsg(LogStartStop, "LoadData", "After Determining Data Sources ");
    if (!master_) {
        master_ = std::make_unique<TMasterList>(clipContext_, dataSources_, &boxes_);
        master_->IsBusy = [this] { return SuppressListEvents; };
    }

    ShowStatus(2, true, "Loading Data...");
    SuppressListEvents = true;
    if (view_ != nullptr)
        view_->ForgetClips();
    tree_.Clear();
    clipList_.Clear();
    CurrentClip = nullptr;
    LastCaptured = nullptr;
    if (view_ != nullptr)
        view_->SetPreviewVisible(false);
    master_->Clear();

    const std::string dataDir = master_->CurrentDataSourceDirectory();
    int subDirs = 0;
    if (!dataDir.empty() && TMasterList::IsSafeDataSourceDirectory(dataDir)) {
        std::error_code ec;
        for (std::filesystem::directory_iterator it(dataDir, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->symlink_status(typeError).type() == std::filesystem::file_type::directory)
                ++subDirs;
        }
        if (subDirs == 0)
            settings_.NeedDefaultCollections = true;
    }
    LogMsg(LogStartStop, "LoadData", "SubDir Count: " + std::to_string(subDirs));
    if (settings_.NeedDefaultCollections && !dataDir.empty()) {
        master_->MakeDefaultCollections();
        settings_.NeedDefaultCollections = false;
    }

    auto trash = master_->MakeTrashCan();
    auto results = master_->MakeSearchResults();
    master_->Load();
    if (!trash->GetPath().empty())
        platform::CreatePrivateDirectories(trash->GetPath());
    master_->TrashCan = master_->Append(std::move(trash));
    master_->SearchResults = master_->Append(std::move(results));
    tree_.Build(*master_, [this](const TClipColl& coll) {
        return coll.CollType == TClipColl::TrashCanColl || coll.CollType == TClipColl::SearchResultsColl
                   ? -1
                   : CalcStateIndex(coll);
    });
    master_->Designated = master_->Designate();

    SuppressListEvents = false;
    if (tree_.Count() > 1)
        tree_.Select(1);
    ShowStatus(1, false, std::to_string(master_->Count()) + " Collections Loaded.");
    LogMsg(LogStartStop, "LoadData", std::to_string(master_->Count()) + " Collections Loaded.");

    // The clip on the clipboard after loading. At start, what another program holds there is captured
    // as the first clip of the session, through the pipeline as every change is (an ignore marker or
    // capture switched off are honoured); the selected clip goes back only onto an empty clipboard, so
    // that what the user copied before the start is never overwritten unkept. A reload puts the
    // selected clip back.
    const bool atStart = StartingUp;
    StartingUp = false;
    clipContext_.StartingUp = false;
    if (atStart && ClipboardHoldsOtherData()) {
        // What another program still holds from before the last run was kept then: such a capture is
        // compared in all its formats with the newest clip.
        startCapture_ = true;
        clipView_->ReportAgain(0);
    } else
        CopyItem(CurrentClip);
    if (DataLoaded)
        DataLoaded();
}

void TBrindlexCore::SaveAllClips() {
    LogMsg(LogDataEvents, ">mnuFileSaveClick", "Beginning Save");
    ShowStatus(2, true, "Saving Data...");
    if (master_) {
        master_->Save();
        if (!AutoSaving)
            UpdateLVClips();
    }
    if (!SuppressListEvents)
        ShowStatus(AutoSaving ? 1 : 2, false, "Data Saved");
    LogMsg(LogDataEvents, "<mnuFileSaveClick", "Save Complete");
}

void TBrindlexCore::AutoSaveTimer() {
    if (SuppressListEvents)
        return;
    SetTraceLocation("TfrmBX.tmrAutoSaveTimer");
    if (!master_ || !master_->Dirty)
        return;
    if (--AutoSaveCountdown >= 1)
        return;
    LogMsg(LogDataEvents, ">AutoSave", "Beginning AutoSave");
    const TDateTime quietSince = desktop_.Clock().Now() - AutoSaveQuietSeconds / 86400.0;
    if (LastListChange <= quietSince) {
        AutoSaveCountdown = settings_.AutoSaveInterval;
        AutoSaving = true;
        try {
            SaveAllClips();
        } catch (...) {
            AutoSaving = false;
            throw;
        }
        AutoSaving = false;
        ShowStatus(1, false, "AutoSave Complete");
        HCSelectItemText = CurrentClip != nullptr ? CurrentClip->Title : std::string();
        HCSelectItemMessageMode = false;
    } else {
        ShowStatus(1, false, "AutoSave Deferred - Too Busy.");
        LogMsg(LogDataEvents, "AutoSave", "AutoSave Deferred - Too Busy.");
    }
    LogMsg(LogDataEvents, "<AutoSave", "End AutoSave");
}

void TBrindlexCore::Suspend() {
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST", "PBT_APMQUERYSUSPEND - Initiating AutoSave");
    AutoSaveCountdown = -1;
    LastListChange = desktop_.Clock().Now() - AutoSaveQuietSeconds / 86400.0;
    AutoSaveTimer();
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST", "PBT_APMSUSPEND - Disabling AutoSave");
    desktop_.Windows().KillTimer(Handle(), TimerAutoSave);
}

void TBrindlexCore::Resume() {
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST", "PBT_APMRESUMESUSPEND - Re-Enabling AutoSave");
    StartAutoSaveTimer();
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST",
           std::string("New AutoSave State: ") + (settings_.AutoSave ? "On" : "Off"));
}

bool TBrindlexCore::FormCloseQuery() {
    SetTraceLocation("TfrmBX.FormCloseQuery");
    if (SuppressListEvents) {
        LogMsg(LogStartStop, "#FormCloseQuery Started AGAIN", "Probably Re-Try.  Returning TRUE.");
        return true;
    }
    LogMsg(LogStartStop, ">FormCloseQuery", "Started.");
    ShowStatus(2, true, "Shutting Down...");
    desktop_.Windows().ProcessMessages();
    SuppressListEvents = true;
    // A pending edit is saved with the rest.
    if (view_ != nullptr)
        view_->ForgetClips();
    if (master_)
        SaveAllClips();
    const bool result = ShutDown();
    LogMsg(LogStartStop, "<FormCloseQuery", "Complete.");
    return result;
}

bool TBrindlexCore::ShutDown() {
    if (shutDownDone_)
        return true;
    SetTraceLocation("TfrmBX.ShutDown");
    LogMsg(LogStartStop, ">ShutDown", "SHUTDOWN Started.");
    desktop_.Windows().KillTimer(Handle(), TimerAutoSave);
    desktop_.Windows().KillTimer(Handle(), Timer1);
    SuppressListEvents = true;
    ShowStatus(2, true, "Shutting Down..");
    clipView_->Capturing = false;
    clipView_->SetActive(false);
    if (DdeLinkOpen) {
        desktop_.Browser().Close();
        DdeLinkOpen = false;
    }
    LogMsg(LogStartStop, ">>ShutDown", "Clearing Explorer Controls - Start");
    if (view_ != nullptr)
        view_->ForgetClips();
    tree_.Clear();
    clipList_.Clear();
    CurrentClip = nullptr;
    LastCaptured = nullptr;
    LogMsg(LogStartStop, "<<ShutDown", "Clearing Explorer Controls - Finished");
    if (master_) {
        if (master_->TrashCan != nullptr)
            master_->TrashCan->WipeFiles();
        master_.reset();
        LogMsg(LogStartStop, "ShutDown", "Data has been saved");
    }
    filter_.reset();
    if (ClearHotKeys)
        ClearHotKeys();
    settings_.InstalledAlready = true;
    LogMsg(LogStartStop, "ShutDown", "Saving Settings");
    settings_.WriteSettings();
    LogMsg(LogStartStop, "ShutDown", "Settings have been saved");
    LogMsg(LogStartStop, "<ShutDown", "SHUTDOWN Complete.");
    ShowStatus(2, false, "Shutdown Complete");
    shutDownDone_ = true;
    return true;
}

void TBrindlexCore::EndSession() {
    if (sessionEnded_)
        return;
    sessionEnded_ = true;
    // A session that ends during start-up still leaves with its settings; there is no data to save yet.
    if (!FormCloseQuery())
        return;
    ShutDown();
}

// ---------------------------------------------------------------------------------------------------
// Capture

void TBrindlexCore::ShowStatus(int level, bool busy, const std::string& text) {
    statusText_ = text;
    if (level > 1) {
        HCSelectItemText = text;
        HCSelectItemMessageMode = true;
    }
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
    HCSelectItemText.clear();
    HCSelectItemMessageMode = true;
}

int TBrindlexCore::CalcStateIndex(const TClipColl& coll) const {
    if (coll.Parent == nullptr)
        return -1;
    const bool holdsLast = LastCaptured != nullptr && LastCaptured->Coll == &coll;
    if (coll.Favorite)
        return holdsLast ? 3 : 4;
    return holdsLast ? 5 : -1;
}

void TBrindlexCore::RefreshStateImages() {
    for (std::size_t i = 0; i < tree_.Count(); ++i) {
        const TClipColl* coll = tree_.At(i).Coll;
        const bool special = coll == nullptr || coll->CollType == TClipColl::TrashCanColl ||
                             coll->CollType == TClipColl::SearchResultsColl;
        tree_.SetStateImage(i, special ? -1 : CalcStateIndex(*coll));
    }
}

void TBrindlexCore::ClipViewCBChange() {
    SetTraceLocation("TfrmBX.ClipViewCBChange");
    const bool atStart = std::exchange(startCapture_, false);
    if (view_ != nullptr)
        view_->SetPasteEnabled(clipboard_->HasFormat(CF_TEXT));
    if (RFOff)
        RFOff(false);

    auto ignore = [this](const char* log, const char* status, bool beep, const char* sound) {
        LogMsg(LogDataEvents, "ClipViewCBChange", log);
        ShowStatus(2, false, status);
        if (beep)
            PlaySoundOrBeep(sound);
        DeselectClips();
        CurrentClip = nullptr;
    };
    if (!clipView_->Capturing) {
        ignore("Ignoring New Data, AutoCapture Is Off", "New Data Ignored (Capture Is Off).", settings_.BeepOnIgnore,
               SoundIgnore);
        return;
    }
    if (settings_.UseIgnoreFormat && clipView_->IgnoreFormat() != 0 &&
        clipboard_->HasFormat(clipView_->IgnoreFormat())) {
        ignore("Ignoring New Data, CF_CLIPBOARD_VIEWER_IGNORE", "New Data Ignored (Ignore Flag Set By Sender).",
               settings_.BeepOnIgnore, SoundIgnore);
        return;
    }
    if (clipboard_->FormatCount() == 0) {
        ignore("Empty Clipboard", "System Clipboard Is Empty.", settings_.BeepOnErase, SoundEmpty);
        return;
    }
    const TDateTime now = desktop_.Clock().Now();
    const std::string ms = std::to_string(MsPart(now, NoCaptureUntil));
    if (now < NoCaptureUntil) {
        LogMsg(LogDataEvents, "ClipViewCBChange", "Paste Ignored - too soon after copy - " + ms + "ms ago.");
        // Not lost: the clipboard is looked at again once the pause after the copy is over, and what
        // another program has put there by then is captured.
        clipView_->ReportAgain(static_cast<std::int32_t>(std::ceil((NoCaptureUntil - now) * MsPerDay)) + 1);
        return;
    }
    LogMsg(LogDataEvents, "ClipViewCBChange",
           "Paste Accepted - last copy was " + ms + "ms ago." + "WaitUntil: " + DayNumber(NoCaptureUntil) +
               "Now: " + DayNumber(now));
    if (SuppressListEvents)
        return;
    if (ResetFind)
        ResetFind();
    if (CopyInProgress) {
        clipView_->ReportAgain(clipView_->Delay);
        return;
    }
    if (AutoGlueMode && AutoGlue)
        AutoGlue(true);
    if (!AutoGlueMode) {
        wholeDuplicates_ = atStart;
        CaptureTheClip(nullptr);
    }
}

bool TBrindlexCore::ClipboardHoldsOtherData() {
    if (!clipView_->Open())
        return true; // another program holds it open: it is theirs, whatever it is
    IClipboard& cb = desktop_.Clipboard();
    const bool other = cb.CountClipboardFormats() > 0 && cb.GetClipboardOwner() != clipView_->Handle();
    clipView_->Close();
    return other;
}

bool TBrindlexCore::IsDuplicateOfNewest(TClipObj& clip, TClipColl& coll) {
    TClipObj* newest = coll.Clip(0);
    if (newest == nullptr || newest == &clip)
        return false;
    int mine = -1;
    int theirs = -1;
    if (!clip.HasFormat(CF_TEXT, mine) || !newest->HasFormat(CF_TEXT, theirs))
        return false;
    if (clip.GetDataSize(mine) != newest->GetDataSize(theirs))
        return false;
    bool duplicate = false;
    try {
        const std::size_t mineSize = clip.Lock(CF_TEXT);
        const std::size_t theirSize = newest->Lock(CF_TEXT);
        if (mineSize > 0 && theirSize > 0 && clip.LockedData != nullptr && newest->LockedData != nullptr) {
            const char* a = reinterpret_cast<const char*>(clip.LockedData);
            const char* b = reinterpret_cast<const char*>(newest->LockedData);
            const std::size_t lengthA = strnlen(a, mineSize);
            const std::size_t lengthB = strnlen(b, theirSize);
            duplicate = lengthA == lengthB && std::memcmp(a, b, lengthA) == 0;
        }
    } catch (...) {
        clip.Unlock();
        newest->Unlock();
        throw;
    }
    clip.Unlock();
    newest->Unlock();
    return duplicate;
}

void TBrindlexCore::CaptureTheClip(const TClipObj::ForcedFormats* forced) {
    SetTraceLocation("TfrmBX.CaptureTheClip");
    LogMsg(LogDataEvents, ">CaptureTheClip", "Begin");
    const bool wholeDuplicates = std::exchange(wholeDuplicates_, false);
    TClipObj* const savedCurrent = CurrentClip;
    TClipObj* const savedLast = LastCaptured;
    bool captured = false;

    // Runs however the capture ended.
    auto finish = [&] {
        if (RFState != TRFState::Idle) {
            RFState = TRFState::Armed;
            clipList_.ClearSelection();
            SelectingCapture = true;
            if (RFReselect)
                RFReselect();
            SelectingCapture = false;
        }
        if (RefreshDiagnostics)
            RefreshDiagnostics();
        if (captured && settings_.BeepOnUpdate)
            PlaySoundOrBeep(SoundNewData);
        LogMsg(LogDataEvents, "<CaptureTheClip", "End");
    };

    try {
        if (clipList_.Coll() == nullptr && master_ && master_->Count() > 0)
            clipList_.Bind(master_->Item(0));

        auto clip =
            std::make_unique<TClipObj>(clipContext_, 0, clipstore::TUtf8::CutBytes(clipView_->Creator, MaxShortString));
        bool duplicate = false;
        int n = 0;
        if (filter_)
            n = clip->Paste(*clipView_, *clipboard_, *filter_, forced);
        if (n >= 1) {
            const std::string& creator = clip->Creator;
            std::string address;
            if (creator == "NETSCAPE")
                address = GetURLDDE("NETSCAPE");
            else if (creator == "EXPLORER" && clipboard_->HasFormat(clipContext_.HtmlFormat))
                address = GetURLDDE("IEXPLORE");
            else if (creator == "IEXPLORE")
                address = GetHtmlSourceURL(*clip);
            // Browsers on this desktop name the page in the data they copy, whatever their name.
            if (address.empty())
                address = GetHtmlSourceURL(*clip);
            clip->SourceURL = clipstore::TUtf8::CutBytes(address, MaxShortString);
            ++settings_.Captured;

            TClipColl* shown = clipList_.Coll();
            TClipColl* target = shown != nullptr && shown->AcceptNewClips && master_ && shown != master_->SearchResults
                                    ? shown
                                    : (master_ ? master_->Designated : nullptr);
            if (target == nullptr) {
                LogMsg(LogErrors, "CaptureTheClip", "No Collection To Receive The Clip");
                n = 0;
            } else {
                const int node = tree_.GetTreeNodeOfColl(target);
                if (forced == nullptr && target->Count() > 0 && !target->AllowDuplicates &&
                    (IsDuplicateOfNewest(*clip, *target) || (wholeDuplicates && clip->SameDataAs(*target->Clip(0))))) {
                    ShowStatus(1, false, "Duplicate Item Rejected.");
                    duplicate = true;
                } else {
                    TClipObj* raw = clip.get();
                    try {
                        raw->SetColl(target);
                        raw->SerialNbr = target->GetNextSerialNum();
                        raw->SortKey = target->GetNextClipSortKey();
                        raw->SetTitle(raw->GetTitle());
                        const int position = target->MyAddObject(raw->Title, std::move(clip));
                        if (!FlashpickActive)
                            ShowStatus(1, false,
                                       "Captured Item #" + std::to_string(raw->SerialNbr) +
                                           " And Placed In: " + target->Title);
                        if (node >= 0)
                            tree_.MakeVisible(static_cast<std::size_t>(node));
                        if (node >= 0 && node == tree_.GetTreeNodeOfColl(shown)) {
                            SelectingCapture = true;
                            clipList_.AddToLists(raw, RFState == TRFState::Idle, position);
                            SelectingCapture = false;
                        } else {
                            DeselectClips();
                        }
                    } catch (...) {
                        SelectingCapture = false;
                        if (!clip) {
                            CurrentClip = raw;
                            LastCaptured = raw;
                        }
                        throw;
                    }
                    CurrentClip = raw;
                    LastCaptured = raw;
                    captured = true;
                }
                RefreshStateImages();
            }
        }
        if (!captured) {
            clip.reset();
            CurrentClip = savedCurrent;
            LastCaptured = savedLast;
            if (duplicate && settings_.BeepOnIgnore)
                PlaySoundOrBeep(SoundIgnore);
            if (!duplicate && settings_.BeepOnErase)
                PlaySoundOrBeep(SoundEmpty);
            if (clipList_.Coll() != nullptr) {
                const int shownNode = tree_.GetTreeNodeOfColl(clipList_.Coll());
                if (shownNode >= 0)
                    tree_.SetStateImage(static_cast<std::size_t>(shownNode), -1);
                if (!duplicate) {
                    DeselectClips();
                    if (!FlashpickActive)
                        ShowStatus(1, false,
                                   n < 0 ? "Capture Failed - Error Count: " + std::to_string(n)
                                         : "New Clipboard Data Ignored - No Acceptable Formats, According To "
                                           "Application Profile.");
                }
            }
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

std::string TBrindlexCore::GetURLDDE(const std::string& service) {
    LogMsg(LogDetail, ">GetURLDDE", "Begin");
    IBrowserLink& link = desktop_.Browser();
    std::string address;
    if (service != LastDDEBrowser) {
        if (DdeLinkOpen)
            link.Close();
        DdeLinkOpen = false;
        LogMsg(LogDetail, "GetURLDDE", "Browser Switch or First Time.  LastDDEBrowser: [" + LastDDEBrowser + "]");
    }
    const bool connected = DdeLinkOpen || link.Connect(service, BrowserTopic);
    if (connected) {
        LogMsg(LogDetail, "GetURLDDE", "Connected to " + service);
        if (DdeLinkOpen || link.OpenLink()) {
            DdeLinkOpen = true;
            LastDDEBrowser = service;
            const auto reply = link.Request(ActiveWindowItem);
            if (reply) {
                const std::size_t end = reply->find("\",\"");
                if (end != std::string::npos && end >= 1)
                    address = clipstore::TUtf8::CutBytes(reply->substr(1, end - 1), MaxShortString);
            }
            LogMsg(LogDetail, "GetURLDDE", "Openlink Successful:" + address);
        }
    }
    LogMsg(LogDetail, "<GetURLDDE", "End");
    return address;
}

std::string TBrindlexCore::GetHtmlSourceURL(TClipObj& clip) {
    return clip.HtmlSourceUrl();
}

// ---------------------------------------------------------------------------------------------------
// Putting clips back

bool TBrindlexCore::CopyItem(TClipObj* clip) {
    SetTraceLocation("TfrmBX.CopyItem");
    if (clip == nullptr || StartingUp)
        return false;
    LogMsg(LogDataEvents, ">TfrmBX.CopyItem", "Begin Copy");
    CopyInProgress = true;
    bool result = false;
    try {
        clipView_->WaitUntil = desktop_.Clock().TimeOfDayMs() + 1000;
        TClipObj::CopyMode mode = TClipObj::CopyMode::Immediate;
        if (RFState == TRFState::Rendering)
            mode = TClipObj::CopyMode::Rendering;
        else if (RFState == TRFState::Armed || PasteTraceActive)
            mode = TClipObj::CopyMode::Announce;
        result = clip->Copy(*clipView_, *clipboard_, mode);
        if (result && !FlashpickActive)
            ShowStatus(1, false, "Clip Item [" + clip->Title + "] Copied To System Clipboard.");
        ++settings_.CopiedBack;
    } catch (...) {
        LogMsg(LogErrors, "TfrmBX.CopyItem", "Copy Failed with Exception - item may be damaged.");
        if (clipList_.Coll() != nullptr)
            clipList_.Coll()->SetDirty(true);
        CopyInProgress = false;
        throw;
    }
    CopyInProgress = false;
    const int delay = std::clamp(settings_.DelayAfterCopy, 0, 999);
    NoCaptureUntil = desktop_.Clock().Now() + delay / MsPerDay;
    LogMsg(LogDataEvents, "<TfrmBX.CopyItem", "End Copy");
    return result;
}

void TBrindlexCore::ClipViewRenderFormat() {
    SetTraceLocation("TfrmBX.ClipViewRenderFormat");
    if (PasteTraceActive) {
        if (CurrentClip != nullptr)
            CurrentClip->RenderFormat(*clipboard_, static_cast<UINT>(clipView_->WhichRenderFormat()));
        return;
    }
    if (RFRender)
        RFRender();
}

// ---------------------------------------------------------------------------------------------------
// The collection tree and the clip list

void TBrindlexCore::SelectNode(int index) {
    if (SuppressListEvents || index < 0 || static_cast<std::size_t>(index) >= tree_.Count())
        return;
    if (AutoGlueMode && EndAutoGlue)
        EndAutoGlue();
    if (RFOff && RFState != TRFState::Idle)
        RFOff(true);
    TClipColl* coll = tree_.At(static_cast<std::size_t>(index)).Coll;
    TClipColl* previous = clipList_.Coll();
    if (coll != previous && previous != nullptr)
        settings_.LastColl = previous->Title;
    if (coll == nullptr) {
        clipList_.Clear();
        return;
    }
    ShowStatus(1, true, "Loading Collection...");
    CurrentClip = nullptr;
    if (view_ != nullptr)
        view_->SetPreviewVisible(false);
    clipList_.Bind(coll);
    UpdateLVClips();
    ShowStatus(1, false, "Collection Loaded - " + std::to_string(coll->Count()) + " Clips.");
}

void TBrindlexCore::UpdateLVClips() {
    HCSelectItemText.clear();
    HCSelectItemMessageMode = true;
    if (SuppressListEvents) {
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
    LastListChange = desktop_.Clock().Now();
    if (SuppressListEvents || SelectingCapture)
        return;
    TClipObj* clip = clipList_.FirstSelected();
    if (clip == nullptr)
        return;
    CurrentClip = clip;
    CopyItem(clip);
    // The clipboard holds copies: a clip kept in a data file is read again when it is next needed.
    clip->UnLoad();
}

} // namespace bx::shell
