#pragma once

#include "IDateTimeFormat.h"
#include "IDesktop.h"
#include "IMessageBoxes.h"
#include "PlatformTypes.h"
#include "TClipContext.h"
#include "TClipListModel.h"
#include "TClipObj.h"
#include "TCollectionTree.h"
#include "TCoreEvents.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
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
class TCapturePipeline;
class TClipPutBack;
class TCoreLifecycle;
class TErrorTrap;

// The main window's behaviour without the window, and the public face of its parts: it owns what lives
// for the whole run (the viewer component, the clipboard wrapper, the clip list, the collection tree,
// the error trap) and the three parts that do the work: the life cycle (TCoreLifecycle: start, load,
// autosave, shut-down; it owns the log, the application profile and the master list), the capture
// pipeline (TCapturePipeline: clipboard changes into clips) and the put-back (TClipPutBack). It keeps
// the state they share behind accessors and announces what happened through its events (TCoreEvents),
// which the features built on top subscribe to. The clip list and the collection tree are models that
// the explorer window shows; status texts, message boxes and sounds go through interfaces. Everything
// runs on the one thread of the program, driven by the desktop's messages.
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

    explicit TBrindlexCore(const Environment& env);
    ~TBrindlexCore();
    TBrindlexCore(const TBrindlexCore&) = delete;
    TBrindlexCore& operator=(const TBrindlexCore&) = delete;

    // --- What the core announces (see TCoreEvents); features subscribe, none replaces another.
    TCoreEvents& Events() { return events_; }
    // The user moves to another collection or row by command (announced as UserMoving).
    void AnnounceUserMove(const TUserMove& move) { events_.UserMoving.Emit(move); }

    // --- State shared with the other parts of the main window.
    clipstore::TClipObj* CurrentClip() const { return currentClip_; }
    void SetCurrentClip(clipstore::TClipObj* clip) { currentClip_ = clip; }
    clipstore::TClipObj* LastCaptured() const { return lastCaptured_; }
    void SetLastCaptured(clipstore::TClipObj* clip) { lastCaptured_ = clip; }
    // Clipboard changes before this moment are not captured (set by CopyItem).
    platform::TDateTime NoCaptureUntil() const;
    void SetNoCaptureUntil(platform::TDateTime until);
    bool CopyInProgress() const;
    // The capture itself selects the row of its new clip (no put-back).
    bool SelectingCapture() const { return selectingCapture_; }
    void SetSelectingCapture(bool on) { selectingCapture_ = on; }
    // The program is busy (start, load, shut-down): the lists' events and the capture wait.
    bool SuppressListEvents() const { return suppressListEvents_; }
    void SetSuppressListEvents(bool on) { suppressListEvents_ = on; }
    bool StartingUp() const;
    bool StartupDone() const;
    void SetStartupDone(bool done);
    // The wait between Startup and loading the data, in milliseconds (StartupDelayMs unless set).
    void SetStartupDelay(platform::UINT ms);
    // The browser link that names the page of a copy.
    bool DdeLinkOpen() const;
    const std::string& LastDDEBrowser() const;
    // The states of the paste tools (kept here until those tools own them).
    bool AutoGlueMode() const { return autoGlueMode_; }
    // Auto-glue mode on: accepted clipboard changes are held for the glue tool (ClipboardChangeHeld).
    void StartAutoGlue() { autoGlueMode_ = true; }
    // The one way to end auto-glue mode (commands, Relayfeed, Flashpick, the glue tool itself): when it
    // was on, it is off now and AutoGlueEnded is announced.
    void EndAutoGlue() {
        if (!autoGlueMode_)
            return;
        autoGlueMode_ = false;
        events_.AutoGlueEnded.Emit();
    }
    bool FlashpickActive() const { return flashpickActive_; }
    void SetFlashpickActive(bool on) { flashpickActive_ = on; }
    bool PasteTraceActive() const { return pasteTraceActive_; }
    void SetPasteTraceActive(bool on) { pasteTraceActive_ = on; }
    TRFState RFState() const { return rfState_; }
    void SetRFState(TRFState state) { rfState_ = state; }
    bool HtmlViewerAvailable() const { return htmlViewerAvailable_; }
    void SetHtmlViewerAvailable(bool available) { htmlViewerAvailable_ = available; }
    int AutoSaveCountdown() const;
    void SetAutoSaveCountdown(int ticks);
    bool AutoSaving() const;
    // The last selection change in a clip list.
    platform::TDateTime LastListChange() const { return lastListChange_; }
    void SetLastListChange(platform::TDateTime when) { lastListChange_ = when; }
    // The selected-item bar: its text and whether it shows a message (else a clip).
    const std::string& HCSelectItemText() const { return selectItemText_; }
    bool HCSelectItemMessageMode() const { return selectItemMessageMode_; }
    void SetSelectItem(std::string text, bool messageMode) {
        selectItemText_ = std::move(text);
        selectItemMessageMode_ = messageMode;
    }

    // --- The long-lived objects.
    cliplink::TClipView5& ClipView() { return *clipView_; }
    cliplink::TClipboard& Clipboard() { return *clipboard_; }
    // nullptr before Startup and after ShutDown.
    cliplink::Tfilter* Filter();
    clipstore::TMasterList* MasterList();
    // The master list of a command that needs loaded data; raises when nothing is loaded.
    clipstore::TMasterList& LoadedMasterList();
    // What the clips of this run share (the master list hands it on).
    clipstore::TClipContext& ClipContext() { return clipContext_; }
    TAppLog* Log();
    TErrorTrap& ErrorTrap() { return *errorTrap_; }
    TClipListModel& ClipList() { return clipList_; }
    TCollectionTree& Tree() { return tree_; }
    TAppSettings& Settings() { return settings_; }
    platform::IMessageBoxes& Boxes() { return boxes_; }
    // The program's data sources (the settings fill and write them).
    clipstore::TDataSourceList& DataSources() { return dataSources_; }
    IMainView* View() const { return view_; }
    platform::HWND Handle() const;
    // The parts the core is made of.
    TCapturePipeline& Capture() { return *capture_; }
    TClipPutBack& PutBack() { return *putBack_; }
    TCoreLifecycle& Lifecycle() { return *lifecycle_; }

    // --- Start-up and shut-down.
    // Everything that must exist before the window shows: log, viewer chain, profile, master list,
    // formats, timers (announces Started). args are the command-line arguments after the program name.
    void Startup(const std::vector<std::string>& args);
    // About a second after Startup, once the message loop runs: loads the data (announces StartupDone).
    void DeferredStartup();
    // Loads every data source into a new master list and builds the tree; ends with the first capture
    // or the selected clip on the clipboard (announces DataLoaded).
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
    // Switches automatic capture on or off (the viewer component's Capturing; announces
    // AutoCaptureSwitched).
    void SetAutoCapture(bool on);

    // --- Capture.
    void ClipViewCBChange();
    void CaptureTheClip(const clipstore::TClipObj::ForcedFormats* forced);
    std::string GetURLDDE(const std::string& service);
    static std::string GetHtmlSourceURL(clipstore::TClipObj& clip);
    int CalcStateIndex(const clipstore::TClipColl& coll) const;
    // Builds the collection tree from the master list, each node with its state icon (none for the
    // trash can and the search results).
    void BuildTree(const clipstore::TMasterList& master);
    void DeselectClips();
    void PlaySoundOrBeep(const std::string& eventName);
    void ShowStatus(int level, bool busy, const std::string& text);
    const std::string& StatusText() const { return statusText_; }

    // --- Putting clips back.
    bool CopyItem(clipstore::TClipObj* clip);
    void ClipViewRenderFormat();

    // --- The collection tree.
    // Selecting a node shows its collection in the clip list (announces UserMoving, CollectionShown).
    void SelectNode(int index);
    // Fills the clip list again from its collection, sorted, with its first row selected.
    void UpdateLVClips();
    // Empties the Search Results collection (its entries are references: nothing is freed) and refills a
    // list that shows it, which would otherwise keep rows of the references just dropped.
    void ClearSearchResults();
    // The core's own answer to a change of the clip list's selection: the first selected clip becomes
    // the current one and is put on the clipboard (not while the pipeline itself selects a captured row).
    void ClipListSelectionChanged();

    // Runs handler; an exception that escapes it goes to the error trap. An end of the session that
    // comes while handlers run is put off until the outermost one is over.
    void Guarded(const std::function<void()>& handler);
    // The session ended or a stop signal came: the normal closing, at once or after the running handler.
    void RequestEnd();
    // The closing has run (the program ends).
    bool Ended() const;

private:
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);

    platform::IDesktop& desktop_;
    TAppSettings& settings_;
    platform::IMessageBoxes& boxes_;
    clipstore::TDataSourceList& dataSources_;
    IMainView* view_;
    clipstore::TClipContext clipContext_;

    TCoreEvents events_;
    // Destroyed last: it owns the log.
    std::unique_ptr<TCoreLifecycle> lifecycle_;
    std::unique_ptr<TErrorTrap> errorTrap_;
    std::unique_ptr<platform::TMessageWindow> window_;
    std::unique_ptr<cliplink::TClipView5> clipView_;
    std::unique_ptr<cliplink::TClipboard> clipboard_;
    TClipListModel clipList_;
    TCollectionTree tree_;
    std::unique_ptr<TCapturePipeline> capture_;
    std::unique_ptr<TClipPutBack> putBack_;
    platform::TSubscription treeSelection_; // a node selected in the tree: its collection is shown
    platform::TSubscription listSelection_; // the list model's change, announced as ListSelectionChanged
    platform::TSubscription ownSelection_;  // the core's own answer to it
    std::string statusText_;

    clipstore::TClipObj* currentClip_ = nullptr;
    clipstore::TClipObj* lastCaptured_ = nullptr;
    bool selectingCapture_ = false;
    bool suppressListEvents_ = false;
    bool autoGlueMode_ = false;
    bool flashpickActive_ = false;
    bool pasteTraceActive_ = false;
    TRFState rfState_ = TRFState::Idle;
    bool htmlViewerAvailable_ = false;
    platform::TDateTime lastListChange_ = 0;
    std::string selectItemText_;
    bool selectItemMessageMode_ = true;
};

} // namespace bx::shell
