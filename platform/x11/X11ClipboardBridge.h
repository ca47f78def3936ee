#pragma once

#include "ClipboardModel.h"
#include "IClipboard.h"
#include "QtWindows.h"
#include "X11FormatMap.h"
#include "X11IncrSender.h"
#include "X11OwnerSnapshot.h"
#include "X11WindowInfo.h"
#include "XcbConnection.h"

#include <QObject>
#include <QSocketNotifier>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bx::platform::x11 {

// The system clipboard of the X11 desktop: the CLIPBOARD selection, bridged to the clipboard semantics
// the program relies on (those of ClipboardModel), on a connection of our own read through Qt's event
// loop.
//
// - What the program sees (the opener, the owner, the formats with their data or announced, their order,
//   the registered formats, the viewer chain, the sequence number) is a ClipboardModel, the simulated
//   desktop's clipboard, which the bridge fills from the selection and serves from.
// - Changes of the selection's owner (XFixes) are posted to the first viewer as WM_DRAWCLIPBOARD. Our own
//   ownership changes arrive too.
// - Opening takes a snapshot of the owner's targets; a format's data is fetched when it is read, each
//   request bounded by the wait; a refused or unanswered request reads as no data, and after one
//   unanswered request the owner is not asked again until the clipboard changes. The blocks belong to
//   the clipboard and are freed when the next snapshot is taken or the clipboard is emptied.
// - Emptying and setting formats makes the program the owner when the clipboard is closed again, with a
//   real server time; requests are answered from memory (INCR for large data), announced formats are
//   rendered by the owner window (WM_RENDERFORMAT, sent) when another program asks for them.
// - When no other program is the clipboard manager, we are: a program that exits with the clipboard
//   (SAVE_TARGETS) has its data read and served by us from then on, without a change being reported.
//   When another program is the manager, we ask it to keep our data when the bridge is destroyed.
// Without a display the clipboard stays within the program.
class X11ClipboardBridge : public IClipboard {
public:
    // The program that asked for an announced format, as far as the X server tells (the requestor
    // window, its process by XRes or _NET_WM_PID, /proc/PID/exe, and whether the process owns
    // _NET_ACTIVE_WINDOW).
    using RenderRequest = platform::RenderRequest;

    explicit X11ClipboardBridge(QtWindows& windows, const char* display = nullptr);
    ~X11ClipboardBridge() override;
    X11ClipboardBridge(const X11ClipboardBridge&) = delete;
    X11ClipboardBridge& operator=(const X11ClipboardBridge&) = delete;

    bool OpenClipboard(HWND hwnd) override;
    bool CloseClipboard() override;
    bool EmptyClipboard() override;
    HANDLE SetClipboardData(UINT format, HANDLE h) override;
    HANDLE GetClipboardData(UINT format) override;
    UINT EnumClipboardFormats(UINT previous) override;
    int CountClipboardFormats() const override;
    bool IsClipboardFormatAvailable(UINT format) const override;
    HWND GetClipboardOwner() const override;
    HWND GetOpenClipboardWindow() const override;
    std::uint32_t GetClipboardSequenceNumber() const override;
    // Another owner is asked for a target once per change of the contents.
    bool FailedReadsAreFinal() const override { return true; }
    UINT RegisterClipboardFormat(std::string_view name) override;
    std::string GetClipboardFormatName(UINT format, int maxChars) const override;
    HWND SetClipboardViewer(HWND hwnd) override;
    bool ChangeClipboardChain(HWND remove, HWND next) override;
    HWND GetClipboardViewer() const override;

    bool IsConnected() const { return conn_ != nullptr; }
    // How the process behind another client's window is found on this server ("XRes, _NET_WM_PID",
    // "_NET_WM_PID"); empty without a display.
    std::string WindowProcessMeans() const;
    // True while we are the desktop's clipboard manager (no other program was).
    bool IsClipboardManager() const { return managing_; }
    // The longest wait for one answer of another program (default 1 s).
    void SetWait(std::chrono::milliseconds wait);
    RenderRequest LastRenderRequestor() const override { return lastRender_; }
    // The rendered formats are announced again; the answers kept for other programs go with them.
    bool WithdrawRendered() override;
    bool WithdrawAfterServing() override;
    // Handles what the X server sent; runs by itself from the event loop.
    void ProcessEvents();

private:
    using Kind = X11FormatMap::Kind;
    // Where a format of another owner comes from: derived from its targets, or one exact target.
    struct Source {
        std::optional<Kind> kind;
        xcb_atom_t target = XCB_NONE;
        bool tried = false; // asked for once; not again until the contents change
    };
    struct Produced {
        xcb_atom_t type = XCB_NONE;
        std::uint8_t format = 8;
        std::shared_ptr<const std::string> bytes;
    };

    void ReleaseAll();
    // The program takes over another owner's contents with what it has read of them.
    void TakeOver();
    std::optional<Kind> KindOf(UINT format) const;

    void ScheduleProcessing();
    void Handle(const xcb_generic_event_t& e);
    void OnOwnerChange(xcb_window_t owner, xcb_timestamp_t time);
    void LoseOwnership();
    void DropOurs();
    void SetForeignOwner(xcb_window_t owner);
    void TakeOwnership();
    xcb_window_t CurrentOwner(xcb_atom_t selection = XCB_NONE); // CLIPBOARD unless told
    // The clipboard manager's role (CLIPBOARD_MANAGER): keeping the data of a program that exits.
    void TakeManagerRole();
    bool SaveTargets();
    // At exit: another program that is the clipboard manager is asked to keep our data (SAVE_TARGETS).
    void HandOverToManager();
    HANDLE FetchEntry(UINT format);

    // Another owner's formats, from its targets (X11OwnerSnapshot).
    void TakeSnapshot();

    // Our data, for other programs.
    void Serve(const xcb_selection_request_event_t& r);
    bool ConvertInto(xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property, bool allowIncr);
    std::optional<Produced> Produce(xcb_atom_t target, xcb_window_t requestor);
    std::vector<xcb_atom_t> OfferedTargets();
    HANDLE Render(UINT format, const std::string& target, xcb_window_t requestor);

    QtWindows& windows_;
    ClipboardModel model_;
    std::unique_ptr<XcbConnection> conn_;
    std::unique_ptr<X11OwnerSnapshot> snapshot_;
    std::unique_ptr<X11IncrSender> incr_;
    std::unique_ptr<X11WindowInfo> info_;
    QObject context_;
    std::unique_ptr<QSocketNotifier> notifier_;
    xcb_atom_t clipboardAtom_ = XCB_NONE;
    xcb_atom_t managerAtom_ = XCB_NONE;
    bool managing_ = false;
    xcb_timestamp_t managerTime_ = XCB_CURRENT_TIME;
    xcb_timestamp_t quietTime_ = XCB_CURRENT_TIME; // our taking that is no change of the contents

    std::map<UINT, Source> sources_; // the formats of another owner
    bool ours_ = false;              // the contents are the program's own (it emptied the clipboard)
    bool xOwned_ = false;            // we hold the selection
    bool lostWhileOpen_ = false;     // another program took the selection while the clipboard was open
    xcb_timestamp_t ownTime_ = XCB_CURRENT_TIME;
    std::uint64_t generation_ = 1; // counts owner changes
    std::uint64_t snapshotGeneration_ = 0;
    xcb_window_t foreignOwner_ = XCB_NONE;
    HWND foreignWindow_ = NoWindow;
    std::map<xcb_atom_t, Produced> served_;
    bool processing_ = false;
    bool scheduled_ = false;
    RenderRequest lastRender_;
    // The data rendered for the request being served goes back once it is answered.
    bool withdrawAfterServing_ = false;
};

} // namespace bx::platform::x11
