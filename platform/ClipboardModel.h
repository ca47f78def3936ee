#pragma once

#include "ClipboardFormatTable.h"
#include "ClipboardViewerChain.h"
#include "IClipboard.h"
#include "IWindows.h"

#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace bx::platform {

// The system clipboard and viewer chain held in memory, with the semantics that the clipboard code
// relies on: one opener at a time, emptying makes the opener the owner, announced formats are rendered
// by their owner on demand (WM_RENDERFORMAT, sent), the first viewer is posted WM_DRAWCLIPBOARD when a
// changed clipboard is closed and sent one when it joins the chain. The simulated desktop's clipboard, and the
// in-memory part of the X11 bridge.
class ClipboardModel : public IClipboard {
public:
    struct Entry {
        UINT format = 0;
        HANDLE handle = 0;     // 0: announced, rendered by the owner on request
        bool rendered = false; // announced, and given its data by the owner in a render request
    };
    // Releases a data handle that the clipboard owned (replaced or emptied).
    using HandleReleaser = std::function<void(UINT format, HANDLE h)>;

    explicit ClipboardModel(IWindows& windows);
    ~ClipboardModel() override;
    ClipboardModel(const ClipboardModel&) = delete;
    ClipboardModel& operator=(const ClipboardModel&) = delete;

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
    UINT RegisterClipboardFormat(std::string_view name) override;
    std::string GetClipboardFormatName(UINT format, int maxChars) const override;
    HWND SetClipboardViewer(HWND hwnd) override;
    bool ChangeClipboardChain(HWND remove, HWND next) override;
    HWND GetClipboardViewer() const override;
    // The window that held the clipboard open when the format was asked for, with its process and
    // whether that process owns the foreground window.
    RenderRequest LastRenderRequestor() const override { return lastRender_; }
    bool WithdrawRendered() override;

    // Graphic objects are released by the code that knows them; memory blocks are freed by default.
    void SetHandleReleaser(HandleReleaser releaser);
    bool IsOpen() const { return open_; }

    // ---- for a desktop that bridges this clipboard to the system's (X11ClipboardBridge) ----
    // Closes without telling the viewers: nullopt when the clipboard was not open, else whether its contents
    // changed while it was open.
    std::optional<bool> CloseQuietly();
    // The data of a format, open or not; a format without data is rendered by its owner first (WM_RENDERFORMAT,
    // sent; not while another one is rendered). 0 when it stays without data.
    HANDLE Render(UINT format);
    // The format being rendered now; 0 when none is.
    UINT RenderingFormat() const { return rendering_; }
    // The formats in the order they were set.
    const std::vector<Entry>& Entries() const { return entries_; }
    const Entry* Find(UINT format) const;
    // A format another owner offers: there without data, no change counted.
    void Offer(UINT format);
    // Gives a format that is there without data its data (no change counted); false otherwise, and the caller
    // keeps h.
    bool Provide(UINT format, HANDLE h);
    void SetOwner(HWND owner) { owner_ = owner; }
    // The contents changed elsewhere (another program took the clipboard).
    void CountChange() { ++sequence_; }
    // Releases every format; nobody is told and no change is counted.
    void Clear() { ReleaseAll(); }
    void DropFormatsWithoutData();
    ClipboardViewerChain& Viewers() { return chain_; }
    // The number of a registered name, registering nothing; 0 when it is not registered.
    UINT FindRegisteredFormat(std::string_view name) const { return formats_.Find(name); }

private:
    Entry* Slot(UINT format);
    void Release(const Entry& e);
    void ReleaseAll();

    IWindows& windows_;
    ClipboardViewerChain chain_;
    HandleReleaser releaser_;
    std::vector<Entry> entries_;
    bool open_ = false;
    HWND openWindow_ = NoWindow;
    HWND owner_ = NoWindow;
    bool changed_ = false;
    UINT rendering_ = 0;
    RenderRequest lastRender_;
    std::uint32_t sequence_ = 0;
    ClipboardFormatTable formats_;
};

} // namespace bx::platform
