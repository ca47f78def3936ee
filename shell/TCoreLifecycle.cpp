#include "TCoreLifecycle.h"

#include "AsciiText.h"
#include "IMainView.h"
#include "LogHook.h"
#include "PrivateDirectories.h"
#include "StatusLevels.h"
#include "TAppLog.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TCapturePipeline.h"
#include "TClipColl.h"
#include "TClipView5.h"
#include "TDataSourceList.h"
#include "TErrorTrap.h"
#include "TJournalCommit.h"
#include "TMasterList.h"
#include "Tfilter.h"

#include <exception>
#include <filesystem>
#include <utility>

namespace bx::shell {

using namespace platform;
using clipstore::TClipColl;
using clipstore::TMasterList;

TCoreLifecycle::TCoreLifecycle(TBrindlexCore& core, const TBrindlexCore::Environment& env)
    : core_(core), desktop_(env.Desktop), settings_(env.Settings), dataSources_(env.DataSources), boxes_(env.Boxes),
      dateFormat_(env.DateFormat), logDirectory_(env.LogDirectory), view_(env.View),
      startupDelay_(TBrindlexCore::StartupDelayMs) {}

TCoreLifecycle::~TCoreLifecycle() {
    journalCommit_.reset();
    master_.reset();
    if (settings_.Log == log_.get())
        settings_.Log = nullptr;
}

void TCoreLifecycle::ReleaseData() {
    journalCommit_.reset();
    master_.reset();
}

void TCoreLifecycle::Guarded(const std::function<void()>& handler) {
    ++busy_;
    try {
        handler();
    } catch (...) {
        core_.ErrorTrap().HandleCurrentException();
    }
    // The end that came while a handler ran (in a message box's loop, say) runs once it is over.
    if (--busy_ == 0 && endPending_)
        EndNow();
}

void TCoreLifecycle::RequestEnd() {
    if (busy_ > 0) {
        // Ending here would free what the interrupted operation works on: it is asked to finish
        // first, its boxes answered at once.
        endPending_ = true;
        boxes_.CloseAll();
        return;
    }
    EndNow();
}

void TCoreLifecycle::EndNow() {
    endPending_ = false;
    // Nothing waits for the user any more: the session is going.
    boxes_.CloseAll();
    ++busy_;
    try {
        EndSession();
    } catch (...) {
        core_.ErrorTrap().HandleCurrentException();
    }
    --busy_;
    core_.Events().Closed.Emit();
}

// ---------------------------------------------------------------------------------------------------
// Start-up

void TCoreLifecycle::RegisterFormats() {
    core_.ClipContext().RegisterFormats();
}

void TCoreLifecycle::MakeMasterList() {
    journalCommit_.reset();
    master_ = std::make_unique<TMasterList>(core_.ClipContext(), dataSources_, &boxes_);
    master_->IsBusy = [&core = core_] { return core.SuppressListEvents(); };
    journalCommit_ = std::make_unique<TJournalCommit>(desktop_.Windows(), core_.Events(), *master_);
}

void TCoreLifecycle::Startup(const std::vector<std::string>& args) {
    Guarded([&] { StartupSteps(args); });
}

void TCoreLifecycle::StartupSteps(const std::vector<std::string>& args) {
    SetTraceLocation("TfrmBX.Startup");
    core_.SetPasteTraceActive(false);
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
    startingUp_ = true;
    core_.SetSuppressListEvents(true);
    core_.ClipContext().StartingUp = true;
    core_.SetFlashpickActive(false);
    core_.EndAutoGlue();
    core_.SetCurrentClip(nullptr);
    core_.SetLastCaptured(nullptr);
    autoSaveCountdown_ = settings_.AutoSaveInterval;
    core_.ShowStatus(shell::StatusInBarAndItemBar, true, "Initializing...");

    cliplink::TClipView5& clipView = core_.ClipView();
    clipView.SettleTime = settings_.SettleTime;
    clipView.SetActive(true);

    filter_ = std::make_unique<cliplink::Tfilter>(desktop_, core_.HtmlViewerAvailable());
    MakeMasterList();
    core_.ShowStatus(shell::StatusInBar, false, "");

    core_.SetRFState(TBrindlexCore::TRFState::Idle);
    clipView.Delay = settings_.DelayOnClipboardUpdate;
    clipView.Capturing = true;
    RegisterFormats();
    core_.Events().Started.Emit();
    core_.SetAutoCapture(true);
    desktop_.Windows().ProcessMessages();
    // The session may have ended while pending messages ran.
    if (shutDownDone_)
        return;

    autoSaveCountdown_ = settings_.AutoSaveInterval;
    StartAutoSaveTimer();
    if (!args.empty() && UpperCase(args.front()) == "NOCAPTURE")
        core_.SetAutoCapture(false);
    LogMsg(LogStartStop, "Startup", "Flag 4 - almost done - right before loading data. ");
    desktop_.Windows().SetTimer(core_.Handle(), TBrindlexCore::Timer1, startupDelay_, TimerKind::OneShot);
}

void TCoreLifecycle::StartAutoSaveTimer() {
    if (settings_.AutoSave)
        desktop_.Windows().SetTimer(core_.Handle(), TBrindlexCore::TimerAutoSave, TBrindlexCore::AutoSaveTickMs,
                                    TimerKind::Repeating);
    else
        desktop_.Windows().KillTimer(core_.Handle(), TBrindlexCore::TimerAutoSave);
}

void TCoreLifecycle::DeferredStartup() {
    if (settings_.RunMinimized && view_ != nullptr)
        view_->Minimize();
    LoadData();
    startupDone_ = true;
    core_.Events().StartupDone.Emit();
}

// ---------------------------------------------------------------------------------------------------
// Loading the data

void TCoreLifecycle::LoadData() {
    SetTraceLocation("TfrmBX.LoadData");
    LogMsg(LogStartStop, "LoadData", "Before Determining Data Sources");
    TMasterList::DetermineFirstGoodDataSource(dataSources_, &boxes_);
    LogMsg(LogStartStop, "LoadData", "After Determining Data Sources ");
    if (!master_)
        MakeMasterList();

    core_.ShowStatus(shell::StatusInBarAndItemBar, true, "Loading Data...");
    core_.SetSuppressListEvents(true);
    ForgetLoadedData();
    PrepareDataDirectory();
    LoadCollections();

    core_.SetSuppressListEvents(false);
    if (core_.Tree().Count() > 1)
        core_.Tree().Select(1);
    core_.ShowStatus(shell::StatusInBar, false, std::to_string(master_->Count()) + " Collections Loaded.");
    LogMsg(LogStartStop, "LoadData", std::to_string(master_->Count()) + " Collections Loaded.");
    PlaceClipAfterLoad();
    core_.Events().DataLoaded.Emit();
}

// The window, the tree and the clip list let go of every clip, before the clips are freed.
void TCoreLifecycle::ClearShownClips() {
    if (view_ != nullptr)
        view_->ForgetClips();
    core_.Tree().Clear();
    core_.ClipList().Clear();
    core_.SetCurrentClip(nullptr);
    core_.SetLastCaptured(nullptr);
}

void TCoreLifecycle::ForgetLoadedData() {
    ClearShownClips();
    if (view_ != nullptr)
        view_->SetPreviewVisible(false);
    master_->Clear();
}

// A data directory without collections gets the default ones.
void TCoreLifecycle::PrepareDataDirectory() {
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
}

void TCoreLifecycle::LoadCollections() {
    auto trash = master_->MakeTrashCan();
    auto results = master_->MakeSearchResults();
    master_->Load();
    if (!trash->GetPath().empty())
        platform::CreatePrivateDirectories(trash->GetPath());
    master_->TrashCan = master_->Append(std::move(trash));
    master_->SearchResults = master_->Append(std::move(results));
    core_.BuildTree(*master_);
    master_->Designated = master_->Designate();
}

// The clip on the clipboard after loading. At start, what another program holds there is captured as
// the first clip of the session, through the pipeline as every change is (an ignore marker or capture
// switched off are honoured); the selected clip goes back only onto an empty clipboard, so that what
// the user copied before the start is never overwritten unkept. A reload puts the selected clip back.
void TCoreLifecycle::PlaceClipAfterLoad() {
    const bool atStart = startingUp_;
    startingUp_ = false;
    core_.ClipContext().StartingUp = false;
    if (atStart && core_.Capture().ClipboardHoldsOtherData()) {
        // What another program still holds from before the last run was kept then: such a capture is
        // compared in all its formats with the newest clip.
        core_.Capture().ExpectStartCapture();
        core_.ClipView().ReportAgain(0);
    } else
        core_.CopyItem(core_.CurrentClip());
}

// ---------------------------------------------------------------------------------------------------
// Saving

void TCoreLifecycle::SaveAllClips() {
    LogMsg(LogDataEvents, ">mnuFileSaveClick", "Beginning Save");
    // Saving by command completes a glue clip; the autosave leaves auto-glue running.
    if (!autoSaving_)
        core_.EndAutoGlue();
    core_.ShowStatus(shell::StatusInBarAndItemBar, true, "Saving Data...");
    if (master_) {
        master_->Save();
        if (!autoSaving_)
            core_.UpdateLVClips();
    }
    if (!core_.SuppressListEvents())
        core_.ShowStatus(autoSaving_ ? shell::StatusInBar : shell::StatusInBarAndItemBar, false, "Data Saved");
    LogMsg(LogDataEvents, "<mnuFileSaveClick", "Save Complete");
}

void TCoreLifecycle::AutoSaveTimer() {
    if (core_.SuppressListEvents())
        return;
    SetTraceLocation("TfrmBX.tmrAutoSaveTimer");
    if (!master_ || !master_->Dirty)
        return;
    if (--autoSaveCountdown_ >= 1)
        return;
    LogMsg(LogDataEvents, ">AutoSave", "Beginning AutoSave");
    const TDateTime quietSince = desktop_.Clock().Now() - TBrindlexCore::AutoSaveQuietSeconds / 86400.0;
    if (core_.LastListChange() <= quietSince) {
        autoSaveCountdown_ = settings_.AutoSaveInterval;
        autoSaving_ = true;
        try {
            SaveAllClips();
        } catch (...) {
            autoSaving_ = false;
            throw;
        }
        autoSaving_ = false;
        core_.ShowStatus(shell::StatusInBar, false, "AutoSave Complete");
        core_.SetSelectItem(core_.CurrentClip() != nullptr ? core_.CurrentClip()->Title : std::string(), false);
    } else {
        core_.ShowStatus(shell::StatusInBar, false, "AutoSave Deferred - Too Busy.");
        LogMsg(LogDataEvents, "AutoSave", "AutoSave Deferred - Too Busy.");
    }
    LogMsg(LogDataEvents, "<AutoSave", "End AutoSave");
}

void TCoreLifecycle::Suspend() {
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST", "PBT_APMQUERYSUSPEND - Initiating AutoSave");
    autoSaveCountdown_ = -1;
    core_.SetLastListChange(desktop_.Clock().Now() - TBrindlexCore::AutoSaveQuietSeconds / 86400.0);
    AutoSaveTimer();
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST", "PBT_APMSUSPEND - Disabling AutoSave");
    desktop_.Windows().KillTimer(core_.Handle(), TBrindlexCore::TimerAutoSave);
}

void TCoreLifecycle::Resume() {
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST", "PBT_APMRESUMESUSPEND - Re-Enabling AutoSave");
    StartAutoSaveTimer();
    LogMsg(LogStartStop, "OnWM_POWERBROADCAST",
           std::string("New AutoSave State: ") + (settings_.AutoSave ? "On" : "Off"));
}

// ---------------------------------------------------------------------------------------------------
// Closing

bool TCoreLifecycle::FormCloseQuery() {
    SetTraceLocation("TfrmBX.FormCloseQuery");
    if (core_.SuppressListEvents()) {
        LogMsg(LogStartStop, "#FormCloseQuery Started AGAIN", "Probably Re-Try.  Returning TRUE.");
        return true;
    }
    LogMsg(LogStartStop, ">FormCloseQuery", "Started.");
    core_.ShowStatus(shell::StatusInBarAndItemBar, true, "Shutting Down...");
    desktop_.Windows().ProcessMessages();
    core_.SetSuppressListEvents(true);
    // A pending edit is saved with the rest.
    if (view_ != nullptr)
        view_->ForgetClips();
    if (master_)
        SaveAllClips();
    const bool result = ShutDown();
    LogMsg(LogStartStop, "<FormCloseQuery", "Complete.");
    return result;
}

bool TCoreLifecycle::ShutDown() {
    if (shutDownDone_)
        return true;
    SetTraceLocation("TfrmBX.ShutDown");
    LogMsg(LogStartStop, ">ShutDown", "SHUTDOWN Started.");
    core_.Events().ShuttingDown.Emit();
    desktop_.Windows().KillTimer(core_.Handle(), TBrindlexCore::TimerAutoSave);
    desktop_.Windows().KillTimer(core_.Handle(), TBrindlexCore::Timer1);
    core_.SetSuppressListEvents(true);
    core_.ShowStatus(shell::StatusInBarAndItemBar, true, "Shutting Down..");
    core_.ClipView().Capturing = false;
    core_.ClipView().SetActive(false);
    core_.Capture().CloseBrowserLink();
    LogMsg(LogStartStop, ">>ShutDown", "Clearing Explorer Controls - Start");
    ClearShownClips();
    LogMsg(LogStartStop, "<<ShutDown", "Clearing Explorer Controls - Finished");
    if (master_) {
        if (master_->TrashCan != nullptr)
            master_->TrashCan->WipeFiles();
        journalCommit_.reset();
        master_.reset();
        LogMsg(LogStartStop, "ShutDown", "Data has been saved");
    }
    filter_.reset();
    settings_.InstalledAlready = true;
    LogMsg(LogStartStop, "ShutDown", "Saving Settings");
    settings_.WriteSettings();
    LogMsg(LogStartStop, "ShutDown", "Settings have been saved");
    LogMsg(LogStartStop, "<ShutDown", "SHUTDOWN Complete.");
    core_.ShowStatus(shell::StatusInBarAndItemBar, false, "Shutdown Complete");
    shutDownDone_ = true;
    return true;
}

void TCoreLifecycle::EndSession() {
    if (sessionEnded_)
        return;
    sessionEnded_ = true;
    // A session that ends during start-up still leaves with its settings; there is no data to save yet.
    if (!FormCloseQuery())
        return;
    ShutDown();
}

} // namespace bx::shell
