#pragma once

#include "IClipboard.h"
#include "IDesktop.h"
#include "IMessageBoxes.h"
#include "PlatformTypes.h"
#include "TEvent.h"

#include <cstdint>
#include <memory>

namespace bx::clipstore {
class TClipObj;
}

namespace bx::platform {
class TMessageWindow;
}

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::pastetools {

// A run of clips pasted one after another: the run's clip is announced on the clipboard without its
// data; when the target program asks for it, the clip is rendered, and RelayfeedDelay later the next
// clip of the run (up or down the clip list, or only through the rows selected at the start) is
// announced in its place. The run ends at the end of the list, when the user switches it off, when
// another program changes the clipboard, when another collection is shown and when the program shuts
// down.
//
// Which requests move the run: on X11 clipboard watchers ask for the data the moment the clipboard
// changes hands, and a paste often asks for several targets one after another. A request counts as
// the paste of the run's clip only when it comes from the process that owns the active window (not
// ours) and names real data (never TARGETS, TIMESTAMP or another meta-target). The first such request
// renders the whole clip and arms the advance; every further request until the advance (the same
// paste asking for more targets, or again) is served from the same clip. Any other request is
// answered with the one format asked for, and that data is taken back right afterwards, so that the
// target's own paste still reaches the run.
//
// Attaches to the core only through its events and its public state (RFState, CurrentClip, CopyItem).
class TRelayfeed {
public:
    enum class TRFDirection { None = 0, Up = 2, Down = 3 };

    static constexpr platform::TimerId TimerRF = 1;       // tmrRF: the advance to the next clip
    static constexpr platform::TimerId TimerWithdraw = 2; // takes back data a watcher was given
    static constexpr int MinDelayMs = 100;
    static constexpr int MaxDelayMs = 4000;
    static constexpr const char* SoundComplete = "Brindlex5_RelayfeedComplete";
    static constexpr const char* NoStartText =
        "Relayfeed Error: No Starting Item Selected.  Select an item, and try again.";
    static constexpr const char* ClipboardOpenText = "Error - Clipboard Already Open";

    TRelayfeed(shell::TBrindlexCore& core, platform::IDesktop& desktop, platform::IMessageBoxes& boxes);
    ~TRelayfeed();
    TRelayfeed(const TRelayfeed&) = delete;
    TRelayfeed& operator=(const TRelayfeed&) = delete;

    // Starts a run in the direction, or ends the run (putting its clip back with data) when it already
    // goes that way.
    void RFClick(TRFDirection direction);
    // Ends the run; with putBack the current clip goes on the clipboard again, now with its data.
    void RFOff(bool putBack);
    // A program asks for a format of the announced clip.
    void ClipViewRenderFormat(platform::UINT format);
    // tmrRF: the next clip of the run is announced.
    void AdvanceNextItem();

    // Whether a render request is the paste of the run's clip (see above).
    bool CountsAsPaste(const platform::RenderRequest& who) const;

    TRFDirection RFDirection() const { return direction_; }
    // The clip of the run's current row; nullptr when there is none.
    clipstore::TClipObj* RFItem() const { return item_; }
    bool RFSelectedOnly() const { return selectedOnly_; }
    // The delay before the next clip: RelayfeedDelay within MinDelayMs..MaxDelayMs.
    platform::UINT Interval() const;

    // A run started or ended (the window follows with its check marks).
    platform::TEvent<> StateChanged;
    // A click on a direction begins: the preview pane lets go of a pinned clip.
    platform::TEvent<> Clicking;
    // The run announced the clip of this row (the window scrolls to it and shows it).
    platform::TEvent<int> RowAnnounced;

private:
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    // The next row of the run after RFItem; nullptr when there is none.
    clipstore::TClipObj* NextItem() const;
    void Start(TRFDirection direction);
    void ShowRow(clipstore::TClipObj* clip);
    void Withdraw();
    void Complete();

    shell::TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    platform::IMessageBoxes& boxes_;
    std::unique_ptr<platform::TMessageWindow> window_;
    TRFDirection direction_ = TRFDirection::None;
    clipstore::TClipObj* item_ = nullptr;
    bool selectedOnly_ = false;
    // The clipboard's contents when a watcher was given data that is to be taken back.
    std::uint32_t withdrawSequence_ = 0;
    platform::TSubscription foreignChange_;
    platform::TSubscription userMoving_;
    platform::TSubscription renderRequested_;
    platform::TSubscription captureDuringRun_;
    platform::TSubscription shuttingDown_;
    platform::TSubscription rowsReset_;
};

} // namespace bx::pastetools
