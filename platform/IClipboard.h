#pragma once

#include "PlatformTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace bx::platform {

// The program that asked for an announced format, as far as the desktop tells: the request being
// rendered now, or the last one.
struct RenderRequest {
    UINT format = 0;
    std::string target;       // what the program asked for (an X target, else the format's name)
    std::uint64_t window = 0; // the requestor's window
    std::uint32_t pid = 0;    // 0 when unknown
    std::string program;      // its program path, when known
    std::string means;        // how the process was found ("XRes", "_NET_WM_PID", ...), "" when unknown
    bool foreground = false;  // the requestor's process also owns the active window (a paste, not a watcher)
};

// The system clipboard and its viewer chain.
//
// One window at a time holds the clipboard open. Emptying makes the opener the owner. A format is set
// with a data handle (the clipboard takes the handle over) or with none (announced: the owner renders
// it on request, WM_RENDERFORMAT, sent synchronously when somebody reads it). When a changed clipboard
// is closed, the first viewer of the chain is sent WM_DRAWCLIPBOARD and each viewer forwards it to the
// one it got back when it joined.
class IClipboard {
public:
    virtual ~IClipboard() = default;

    virtual bool OpenClipboard(HWND hwnd) = 0;
    virtual bool CloseClipboard() = 0;
    virtual bool EmptyClipboard() = 0;
    // Returns the handle on success (0 for an announced format), 0 on failure; on failure the caller keeps h.
    virtual HANDLE SetClipboardData(UINT format, HANDLE h) = 0;
    // The data of a format; renders an announced one first. The clipboard keeps the handle.
    virtual HANDLE GetClipboardData(UINT format) = 0;
    // The format after previous (0 starts), in the order the formats were set; 0 at the end.
    virtual UINT EnumClipboardFormats(UINT previous) = 0;
    virtual int CountClipboardFormats() const = 0;
    virtual bool IsClipboardFormatAvailable(UINT format) const = 0;
    virtual HWND GetClipboardOwner() const = 0;
    virtual HWND GetOpenClipboardWindow() const = 0;
    // Grows by one with every change of the contents.
    virtual std::uint32_t GetClipboardSequenceNumber() const = 0;
    // True when a format whose data could not be had stays without data until the contents change, so
    // that asking again at once is of no use (the owner has answered already).
    virtual bool FailedReadsAreFinal() const { return false; }
    // Who asked for the format that is rendered now (or was rendered last).
    virtual RenderRequest LastRenderRequestor() const { return {}; }
    // The owner takes back the data it rendered on request: those formats are announced again, without
    // a change of the contents and without telling anybody, so that the next request asks the owner
    // again. False (nothing done) while the clipboard is open or nothing was rendered.
    virtual bool WithdrawRendered() { return false; }
    // Asked by the owner while it renders: what it renders now is for the request being answered alone
    // and is withdrawn (as by WithdrawRendered) the moment that answer has gone out, before any other
    // request is looked at. False when the clipboard cannot do that (the owner withdraws later itself).
    virtual bool WithdrawAfterServing() { return false; }

    // Names compare without regard to case; a name keeps its number for the run. 0 for an empty name.
    virtual UINT RegisterClipboardFormat(std::string_view name) = 0;
    // The name of a registered format, cut to maxChars - 1 characters; empty when it has none.
    virtual std::string GetClipboardFormatName(UINT format, int maxChars) const = 0;

    // Joins the chain at its head; returns the previous head (the caller's next viewer).
    virtual HWND SetClipboardViewer(HWND hwnd) = 0;
    // Takes remove out of the chain: the first viewer is sent WM_CHANGECBCHAIN(remove, next).
    virtual bool ChangeClipboardChain(HWND remove, HWND next) = 0;
    virtual HWND GetClipboardViewer() const = 0;
};

} // namespace bx::platform
