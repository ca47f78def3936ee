#pragma once

#include "ClipboardFormatTable.h"
#include "ClipboardViewerChain.h"
#include "IClipboard.h"
#include "IWindows.h"

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace bx::platform {

// The system clipboard and viewer chain held in memory, with the semantics that the clipboard code
// relies on: one opener at a time, emptying makes the opener the owner, announced formats are rendered
// by their owner on demand (WM_RENDERFORMAT, sent), the first viewer is posted WM_DRAWCLIPBOARD when a
// changed clipboard is closed and sent one when it joins the chain.
class ClipboardModel : public IClipboard {
public:
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

    // Graphic objects are released by the code that knows them; memory blocks are freed by default.
    void SetHandleReleaser(HandleReleaser releaser);
    bool IsOpen() const { return open_; }

private:
    struct Entry {
        UINT format = 0;
        HANDLE handle = 0; // 0: announced, rendered by the owner on request
    };

    Entry* Find(UINT format);
    const Entry* Find(UINT format) const;
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
    std::uint32_t sequence_ = 0;
    ClipboardFormatTable formats_;
};

} // namespace bx::platform
