#include "SimApp.h"

#include "GlobalMemory.h"
#include "SimDesktop.h"

namespace bx::platform::sim {

SimApp::SimApp(SimDesktop& desktop, const std::string& programPath, const std::string& windowTitle)
    : desktop_(desktop), pid_(desktop.SimulatedProcesses().AddProcess(programPath)),
      window_(desktop.SimulatedWindows().CreateWindowOfProcess(
          windowTitle, [this](UINT msg, WPARAM w, LPARAM l) { return Handle(msg, w, l); }, pid_)) {}

SimApp::~SimApp() {
    desktop_.Windows().DestroyWindow(window_);
}

void SimApp::SetTitle(const std::string& title) {
    desktop_.SimulatedWindows().SetWindowText(window_, title);
}

void SimApp::TakeForeground() {
    desktop_.Windows().SetForegroundWindow(window_);
}

std::vector<SimKeyboard::Event> SimApp::KeysReceived() const {
    return desktop_.SimulatedKeyboard().EventsTo(window_);
}

UINT SimApp::RegisterFormat(std::string_view name) {
    return desktop_.Clipboard().RegisterClipboardFormat(name);
}

bool SimApp::SetFormats(const std::vector<SimFormat>& formats) {
    IClipboard& cb = desktop_.Clipboard();
    for (const SimFormat& f : formats) {
        if (f.announced) {
            toRender_[f.format] = f.bytes;
            cb.SetClipboardData(f.format, 0);
            continue;
        }
        const HGLOBAL h = GlobalMemory::FromBytes(f.bytes.data(), f.bytes.size());
        if (cb.SetClipboardData(f.format, h) == 0)
            GlobalMemory::Free(h);
    }
    return true;
}

bool SimApp::Copy(const std::vector<SimFormat>& formats) {
    IClipboard& cb = desktop_.Clipboard();
    if (!cb.OpenClipboard(window_))
        return false;
    cb.EmptyClipboard();
    toRender_.clear();
    SetFormats(formats);
    cb.CloseClipboard();
    return true;
}

bool SimApp::CopyText(std::string_view text) {
    Bytes bytes(text.begin(), text.end());
    bytes.push_back(0);
    return Copy({SimFormat{CF_TEXT, std::move(bytes)}});
}

bool SimApp::OpenClipboard() {
    return desktop_.Clipboard().OpenClipboard(window_);
}

bool SimApp::CloseClipboard() {
    return desktop_.Clipboard().CloseClipboard();
}

bool SimApp::Paste(const std::vector<UINT>& formats) {
    IClipboard& cb = desktop_.Clipboard();
    if (!cb.OpenClipboard(window_))
        return false;
    std::map<UINT, Bytes> got;
    for (UINT format : formats) {
        const HANDLE h = cb.GetClipboardData(format);
        if (h == 0 || !GlobalMemory::IsBlock(h))
            continue;
        const std::uint8_t* p = GlobalMemory::Lock(h);
        got[format] = Bytes(p, p + GlobalMemory::Size(h));
        GlobalMemory::Unlock(h);
    }
    cb.CloseClipboard();
    pastes_.push_back(std::move(got));
    return true;
}

void SimApp::JoinChain() {
    if (inChain_)
        return;
    inChain_ = true;
    nextViewer_ = desktop_.Clipboard().SetClipboardViewer(window_);
}

void SimApp::LeaveChain() {
    if (!inChain_)
        return;
    inChain_ = false;
    desktop_.Clipboard().ChangeClipboardChain(window_, nextViewer_);
    nextViewer_ = NoWindow;
}

LRESULT SimApp::Handle(UINT msg, WPARAM wParam, LPARAM lParam) {
    IWindows& windows = desktop_.Windows();
    switch (msg) {
    case WM_DRAWCLIPBOARD:
        ++drawClipboardCount_;
        if (forwarding_ && nextViewer_ != NoWindow)
            windows.SendMessage(nextViewer_, WM_DRAWCLIPBOARD, wParam, lParam);
        return 0;
    case WM_CHANGECBCHAIN:
        ++changeChainCount_;
        if (static_cast<HWND>(wParam) == nextViewer_)
            nextViewer_ = static_cast<HWND>(lParam);
        else if (forwarding_ && nextViewer_ != NoWindow)
            windows.SendMessage(nextViewer_, WM_CHANGECBCHAIN, wParam, lParam);
        return 0;
    case WM_RENDERFORMAT: {
        ++renderRequests_;
        auto it = toRender_.find(static_cast<UINT>(wParam));
        if (it != toRender_.end()) {
            const HGLOBAL h = GlobalMemory::FromBytes(it->second.data(), it->second.size());
            if (desktop_.Clipboard().SetClipboardData(it->first, h) == 0)
                GlobalMemory::Free(h);
        }
        return 0;
    }
    case WM_DESTROYCLIPBOARD:
        toRender_.clear();
        return 0;
    default:
        return 0;
    }
}

} // namespace bx::platform::sim
