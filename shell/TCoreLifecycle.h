#pragma once

#include "IDateTimeFormat.h"
#include "IDesktop.h"
#include "IMessageBoxes.h"
#include "PlatformTypes.h"
#include "TBrindlexCore.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bx::cliplink {
class Tfilter;
}

namespace bx::clipstore {
class TDataSourceList;
class TMasterList;
} // namespace bx::clipstore

namespace bx::shell {

class IMainView;
class TJournalCommit;
class TAppLog;
class TAppSettings;

// The program's life cycle around its data: the start (log, viewer, profile, master list, formats,
// timers), the deferred load of every data source, the autosave and the save on request, sleep and
// wake-up, the close request, the shut-down and the end of the session, which waits for the running
// handlers (Guarded). It owns what lives from the start to the shut-down: the log, the application
// profile and the master list. Part of the core, which owns it and whose state it uses.
class TCoreLifecycle {
public:
    // env: what the core was given.
    TCoreLifecycle(TBrindlexCore& core, const TBrindlexCore::Environment& env);
    ~TCoreLifecycle();
    TCoreLifecycle(const TCoreLifecycle&) = delete;
    TCoreLifecycle& operator=(const TCoreLifecycle&) = delete;

    // See TBrindlexCore for each of these.
    void Startup(const std::vector<std::string>& args);
    void DeferredStartup();
    void LoadData();
    void SaveAllClips();
    void AutoSaveTimer();
    void Suspend();
    void Resume();
    bool FormCloseQuery();
    bool ShutDown();
    void EndSession();
    void Guarded(const std::function<void()>& handler);
    void RequestEnd();
    bool Ended() const { return shutDownDone_; }

    cliplink::Tfilter* Filter() { return filter_.get(); }
    clipstore::TMasterList* MasterList() { return master_.get(); }
    TAppLog* Log() { return log_.get(); }
    // Frees the master list (the clips), before the viewer goes.
    void ReleaseData();

    // From the start to the end of the first load.
    bool StartingUp() const { return startingUp_; }
    bool StartupDone() const { return startupDone_; }
    void SetStartupDone(bool done) { startupDone_ = done; }
    // The wait between Startup and loading the data, in milliseconds (the window shows first).
    void SetStartupDelay(platform::UINT ms) { startupDelay_ = ms; }
    // Autosave ticks left before the next autosave.
    int AutoSaveCountdown() const { return autoSaveCountdown_; }
    void SetAutoSaveCountdown(int ticks) { autoSaveCountdown_ = ticks; }
    bool AutoSaving() const { return autoSaving_; }

private:
    void StartupSteps(const std::vector<std::string>& args);
    void RegisterFormats();
    void StartAutoSaveTimer();
    void MakeMasterList();
    // LoadData's steps.
    void ClearShownClips();
    void ForgetLoadedData();
    void PrepareDataDirectory();
    void LoadCollections();
    void PlaceClipAfterLoad();
    void EndNow();

    TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    TAppSettings& settings_;
    clipstore::TDataSourceList& dataSources_;
    platform::IMessageBoxes& boxes_;
    const platform::IDateTimeFormat& dateFormat_;
    std::string logDirectory_;
    IMainView* view_;

    std::unique_ptr<TAppLog> log_;
    std::unique_ptr<cliplink::Tfilter> filter_;
    std::unique_ptr<clipstore::TMasterList> master_;
    // Writes the master list's capture journals; goes before it.
    std::unique_ptr<TJournalCommit> journalCommit_;
    bool startingUp_ = false;
    bool startupDone_ = false;
    platform::UINT startupDelay_;
    int autoSaveCountdown_ = 0;
    bool autoSaving_ = false;
    bool sessionEnded_ = false;
    int busy_ = 0;            // handlers running, one inside another
    bool endPending_ = false; // the session ended while they ran
    bool shutDownDone_ = false;
};

} // namespace bx::shell
