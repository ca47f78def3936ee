#pragma once

#include "IDateTimeFormat.h"
#include "IDesktop.h"
#include "IMessageBoxes.h"
#include "PlatformTypes.h"
#include "TClipContext.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TCollectionTree.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bx::cliplink {
class TClipView5;
class TClipboard;
class Tfilter;
} // namespace bx::cliplink

namespace bx::clipstore {
class TClipColl;
class TDataSourceList;
class TMasterList;
} // namespace bx::clipstore

namespace bx::platform {
class TMessageWindow;
}

namespace bx::shell {

class IMainView;
class TAppLog;
class TAppSettings;
class TErrorTrap;

// The main window's behaviour without the window: it owns what lives for the whole run (the viewer
// component, the master list, the application profile, the log), starts and stops the program, loads
// the data, turns clipboard changes into clips and puts clips back. The clip list and the collection
// tree are models that the explorer window shows; status texts, message boxes and sounds go through
// interfaces. Everything runs on the one thread of the program, driven by the desktop's messages.
class TBrindlexCore {
public:
    enum class TRFState { Idle, Armed, Rendering };

    // Timers of the core's window.
    static constexpr platform::TimerId Timer1 = 1;
    static constexpr platform::TimerId TimerAutoSave = 2;
    static constexpr platform::UINT StartupDelayMs = 1000;
    static constexpr platform::UINT AutoSaveTickMs = 60000;
    // The autosave waits this long after the last selection change in a clip list.
    static constexpr int AutoSaveQuietSeconds = 15;

    // Sound events.
    static constexpr const char* SoundNewData = "Brindlex5_NewData";
    static constexpr const char* SoundIgnore = "Brindlex5_IgnoreClipboardUpdate";
    static constexpr const char* SoundEmpty = "Brindlex5_EmptyClipboard";

    // What the core works with; none of it is owned. view may be nullptr (nothing is shown).
    // logDirectory empty: no log file is written.
    struct Environment {
        platform::IDesktop& Desktop;
        TAppSettings& Settings;
        clipstore::TDataSourceList& DataSources;
        platform::IMessageBoxes& Boxes;
        const platform::IDateTimeFormat& DateFormat;
        std::string LogDirectory;
        IMainView* View = nullptr;
    };

    explicit TBrindlexCore(Environment env);
    ~TBrindlexCore();
    TBrindlexCore(const TBrindlexCore&) = delete;
    TBrindlexCore& operator=(const TBrindlexCore&) = delete;

    // --- State shared with the other parts of the main window.
    clipstore::TClipObj* CurrentClip = nullptr;
    clipstore::TClipObj* LastCaptured = nullptr;
    // Clipboard changes before this moment are not captured (set by CopyItem).
    platform::TDateTime NoCaptureUntil = 0;
    bool CopyInProgress = false;
    bool SelectingCapture = false;
    bool SuppressListEvents = false;
    bool StartingUp = false;
    bool StartupDone = false;
    bool DdeLinkOpen = false;
    std::string LastDDEBrowser;
    bool AutoGlueMode = false;
    bool FlashpickActive = false;
    bool PasteTraceActive = false;
    TRFState RFState = TRFState::Idle;
    bool HtmlViewerAvailable = false;
    // The wait between Startup and loading the data, in milliseconds (the window shows first).
    platform::UINT StartupDelay = StartupDelayMs;
    int AutoSaveCountdown = 0;
    bool AutoSaving = false;
    // The last selection change in a clip list.
    platform::TDateTime LastListChange = 0;
    // The selected-item bar: its text and whether it shows a message (else a clip).
    std::string HCSelectItemText;
    bool HCSelectItemMessageMode = true;

    // --- Hooks filled by the parts built on top of the core; empty hooks do nothing.
    // Ends a Relayfeed run (argument: put the current clip back).
    std::function<void(bool)> RFOff;
    // After a capture during a Relayfeed run: select the run's current row again.
    std::function<void()> RFReselect;
    // Serves a render request that belongs to Relayfeed.
    std::function<void()> RFRender;
    // The user selected a row of the clip list during a Relayfeed run: the run goes on from that row.
    std::function<void(int row)> RFSetItem;
    // Ends a pending auto-glue (selecting another collection or another row by command).
    std::function<void()> EndAutoGlue;
    // Auto-glue of a new clipboard change (argument: the change is new data).
    std::function<void(bool)> AutoGlue;
    // Resets the continuation point of Find.
    std::function<void()> ResetFind;
    // Refreshes the diagnostics dialog when it is open.
    std::function<void()> RefreshDiagnostics;
    // Registers the global hot keys / unregisters them.
    std::function<void()> SetHotKeys;
    std::function<void()> ClearHotKeys;
    // Called when LoadData has loaded everything (also after a reload).
    std::function<void()> DataLoaded;
    // The program has closed after the session ended; the window closes and the event loop ends.
    std::function<void()> Closed;

    // --- The long-lived objects.
    cliplink::TClipView5& ClipView() { return *clipView_; }
    cliplink::TClipboard& Clipboard() { return *clipboard_; }
    // nullptr before Startup and after ShutDown.
    cliplink::Tfilter* Filter() { return filter_.get(); }
    clipstore::TMasterList* MasterList() { return master_.get(); }
    // What the clips of this run share (the master list hands it on).
    clipstore::TClipContext& ClipContext() { return clipContext_; }
    TAppLog* Log() { return log_.get(); }
    TErrorTrap& ErrorTrap() { return *errorTrap_; }
    TClipListModel& ClipList() { return clipList_; }
    TCollectionTree& Tree() { return tree_; }
    TAppSettings& Settings() { return settings_; }
    platform::HWND Handle() const;

    // --- Start-up and shut-down.
    // Everything that must exist before the window shows: log, viewer chain, profile, master list,
    // formats, hot keys, timers. args are the command-line arguments after the program name.
    void Startup(const std::vector<std::string>& args);
    // About a second after Startup, once the message loop runs: loads the data.
    void DeferredStartup();
    // Loads every data source into a new master list and builds the tree; ends with the first capture
    // or the selected clip on the clipboard.
    void LoadData();
    // "Save All Clips To Disk".
    void SaveAllClips();
    // One minute tick of the autosave.
    void AutoSaveTimer();
    // The system is about to sleep / woke up.
    void Suspend();
    void Resume();
    // A close request; true when the program may close (it has then saved and shut down).
    bool FormCloseQuery();
    bool ShutDown();
    // The session ends (or a signal asks the program to stop): the normal closing, once.
    void EndSession();
    void SetAutoCapture(bool on);

    // --- Capture.
    void ClipViewCBChange();
    void CaptureTheClip(const clipstore::TClipObj::ForcedFormats* forced);
    std::string GetURLDDE(const std::string& service);
    static std::string GetHtmlSourceURL(clipstore::TClipObj& clip);
    int CalcStateIndex(const clipstore::TClipColl& coll) const;
    void DeselectClips();
    void PlaySoundOrBeep(const std::string& eventName);
    void ShowStatus(int level, bool busy, const std::string& text);
    const std::string& StatusText() const { return statusText_; }

    // --- Putting clips back.
    bool CopyItem(clipstore::TClipObj* clip);
    void ClipViewRenderFormat();

    // --- The collection tree.
    // Selecting a node shows its collection in the clip list.
    void SelectNode(int index);
    // Fills the clip list again from its collection, sorted, with its first row selected.
    void UpdateLVClips();
    // The selection of the clip list changed: the first selected clip becomes the current one and is
    // put on the clipboard (not while the pipeline itself selects a captured row).
    void ClipListSelectionChanged();

    // Runs handler; an exception that escapes it goes to the error trap. An end of the session that
    // comes while handlers run is put off until the outermost one is over.
    void Guarded(const std::function<void()>& handler);
    // The session ended or a stop signal came: the normal closing, at once or after the running handler.
    void RequestEnd();
    // The closing has run (the program ends).
    bool Ended() const { return shutDownDone_; }

private:
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void StartupSteps(const std::vector<std::string>& args);
    void EndNow();
    void RegisterFormats();
    bool IsDuplicateOfNewest(clipstore::TClipObj& clip, clipstore::TClipColl& coll);
    // Another program's data is on the clipboard (or another program holds it open).
    bool ClipboardHoldsOtherData();
    void RefreshStateImages();
    void StartAutoSaveTimer();

    platform::IDesktop& desktop_;
    TAppSettings& settings_;
    clipstore::TDataSourceList& dataSources_;
    platform::IMessageBoxes& boxes_;
    const platform::IDateTimeFormat& dateFormat_;
    std::string logDirectory_;
    IMainView* view_;
    clipstore::TClipContext clipContext_;

    std::unique_ptr<TAppLog> log_;
    std::unique_ptr<TErrorTrap> errorTrap_;
    std::unique_ptr<platform::TMessageWindow> window_;
    std::unique_ptr<cliplink::TClipView5> clipView_;
    std::unique_ptr<cliplink::TClipboard> clipboard_;
    std::unique_ptr<cliplink::Tfilter> filter_;
    std::unique_ptr<clipstore::TMasterList> master_;
    TClipListModel clipList_;
    TCollectionTree tree_;
    std::string statusText_;
    bool sessionEnded_ = false;
    int busy_ = 0;                 // handlers running, one inside another
    bool startCapture_ = false;    // the next report is what the clipboard held at start
    bool wholeDuplicates_ = false; // the next capture compares every format with the newest clip
    bool endPending_ = false;      // the session ended while they ran
    bool shutDownDone_ = false;
};

} // namespace bx::shell
