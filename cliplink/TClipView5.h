#pragma once

#include "IDesktop.h"
#include "TClipName.h"
#include "TMessageWindow.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace bx::cliplink {

// The clipboard viewer component. It sits in the desktop's clipboard-viewer chain, forwards the chain
// messages, tells the owner about every clipboard change the program did not cause itself, reads the
// formats on the clipboard and the program that put them there, serves render requests for announced
// formats, and can ping the chain. It is the only gate through which the program opens the clipboard:
// opens are counted.
//
// A change is the program's own echo when the clipboard's owner is the component's window (every write
// of the program goes through it); any other change is reported Delay milliseconds after it was heard.
// Changes heard while a report is pending are read together, as the clipboard stands when the report
// runs, and a change heard after a report starts a report of its own, so the last state of the
// clipboard is always read. A notice of contents that were read already is not reported again; when it
// comes back within SettleTime of the last report it is a chain loop and counts as a cyclic error.
class TClipView5 {
public:
    using Event = std::function<void(TClipView5& sender)>;
    // Shows a warning to the user (text, caption).
    using WarningSink = std::function<void(const std::string& text, const std::string& caption)>;

    // Timers of the component's window.
    static constexpr platform::TimerId TimerReport = 101;
    static constexpr platform::TimerId TimerChainChange = 102;
    static constexpr platform::TimerId TimerPingEcho = 103;
    static constexpr platform::TimerId TimerPingTimeout = 104;
    static constexpr platform::TimerId TimerForward = 105;

    static constexpr std::int32_t PingEchoMs = 100;
    static constexpr std::int32_t PingTimeoutMs = 3000;
    static constexpr std::int32_t PingResultTimeout = -8;

    explicit TClipView5(platform::IDesktop& desktop, WarningSink warn = {});
    ~TClipView5();
    TClipView5(const TClipView5&) = delete;
    TClipView5& operator=(const TClipView5&) = delete;

    // Published properties that the owner sets and reads.
    bool Capturing = false;
    std::int32_t SerialNum = 0;
    std::int32_t Delay = 10;
    std::int32_t SettleTime = 100;
    std::int32_t WaitUntil = 0;
    bool NoForwarding = false;
    bool CaptureLocalCopy = false;
    bool DebugBeep = false;
    std::string Creator = "Unknown";

    // Events.
    Event OnCBChange;
    Event OnRenderFormat;
    Event OnCBChainChange;
    Event OnPingEnd;

    // Joining (true) and leaving (false) the viewer chain.
    bool Active() const { return active_; }
    void SetActive(bool active);

    // Read-only properties.
    std::int32_t OpenRefCount() const { return openRefCount_; }
    bool IsOpen() const { return isOpen_; }
    std::int32_t CyclicErrors() const { return cyclicErrors_; }
    const std::string& OwnerMethod() const { return ownerMethod_; }
    const std::string& DLLTools() const { return dllTools_; }
    const std::string& ErrMsg() const { return errMsg_; }
    platform::TDateTime LastUpdate() const { return lastUpdate_; }
    std::int32_t WhichRenderFormat() const { return whichRenderFormat_; }
    const std::vector<std::string>& FormatNums() const { return formatNums_; }
    const std::vector<std::string>& FormatNames() const { return formatNames_; }
    std::int32_t PingResult() const { return pingResult_; }
    std::int32_t BadPings() const { return badPings_; }
    std::string NextInLineName();
    std::string FirstInLineName();
    static std::string Version() { return "5.19"; }

    platform::HWND Handle() const { return window_->Handle(); }
    platform::HWND NextViewer() const { return nextViewer_; }
    // The registered formats of the chain test and of the marker that tells other clipboard tools to
    // leave a change alone.
    platform::UINT PingFormat() const { return pingFormat_; }
    platform::UINT IgnoreFormat() const { return ignoreFormat_; }
    const std::vector<std::string>& KnownAppTitles() const { return knownAppTitles_; }

    // Methods.
    bool Open();
    bool Close();
    void clear();
    bool SetIgnore();
    void ReadFormats();
    std::string GetCreator();
    std::string GetWindowFileName(platform::HWND hwnd);
    bool GetOwnerWithSnapshot(platform::HWND hwnd, std::string& path);
    bool GetOwnerNT(platform::HWND hwnd, std::string& path);
    int Ping();
    // Reports the clipboard once more after ms milliseconds, even when its contents were read already
    // (a change the owner could not take yet); the program's own contents are still not reported.
    void ReportAgain(std::int32_t ms);
    std::string ConvertFormatNum(platform::UINT format) const { return names_.ConvertFormatNum(format); }
    platform::UINT ConvertFormatName(std::string_view name) const { return names_.ConvertFormatName(name); }

private:
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    void OnDrawClipboard();
    void OnChangeCBChain(platform::HWND removed, platform::HWND next);
    void OnRenderFormatMessage(platform::UINT format);
    void OnTimer(platform::TimerId id);
    void ReportChange();
    void Forward();
    void EndPing(bool success);
    std::string TopWindowName();
    std::string ObjectDescriptorTypeName(platform::UINT format, bool& readOk);
    bool HasFormatName(std::string_view name) const;
    bool HasFormatNum(platform::UINT format) const;
    // The clipboard holds what the program itself put there, or the component is joining or leaving.
    bool IsOwnChange() const;
    void Raise(const Event& event);

    platform::IDesktop& desktop_;
    TClipName names_;
    std::unique_ptr<platform::TMessageWindow> window_;

    bool active_ = false;
    std::int32_t openRefCount_ = 0;
    bool isOpen_ = false;
    std::int32_t cyclicErrors_ = 0;
    std::string ownerMethod_ = "Unknown";
    std::string dllTools_;
    std::string errMsg_ = "Created";
    platform::TDateTime lastUpdate_ = 0;
    std::int32_t whichRenderFormat_ = -1;
    std::vector<std::string> formatNums_;
    std::vector<std::string> formatNames_;
    std::int32_t pingResult_ = 0;
    std::int32_t badPings_ = 0;

    platform::HWND nextViewer_ = platform::NoWindow;
    platform::HWND joinedHandle_ = platform::NoWindow;
    bool ownActivity_ = false;
    bool pingPending_ = false;
    bool reportPending_ = false;
    bool reportAgain_ = false;
    bool haveReported_ = false;
    std::uint32_t reportedSequence_ = 0;
    platform::TDateTime pingSentAt_ = 0;
    platform::TDateTime pingDoneAt_ = 0;
    std::vector<std::string> knownAppTitles_;
    bool snapshotAvailable_ = false;
    bool moduleLookupAvailable_ = false;
    platform::UINT pingFormat_ = 0;
    platform::UINT ignoreFormat_ = 0;
};

} // namespace bx::cliplink
