#pragma once

#include "PlatformTypes.h"
#include "SimKeyboard.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace bx::platform::sim {

class SimDesktop;

using Bytes = std::vector<std::uint8_t>;

// One format as a simulated program puts it on the clipboard. An announced format is set without
// data and rendered from bytes when somebody asks for it.
struct SimFormat {
    UINT format = 0;
    Bytes bytes;
    bool announced = false;
};

// Another program on the simulated desktop: a process running a program, with one top-level window.
// It copies, pastes, holds the clipboard open, sits in the viewer chain (forwarding or swallowing
// its messages) and takes the foreground, as a test tells it to.
class SimApp {
public:
    SimApp(SimDesktop& desktop, const std::string& programPath, const std::string& windowTitle);
    ~SimApp();
    SimApp(const SimApp&) = delete;
    SimApp& operator=(const SimApp&) = delete;

    HWND Window() const { return window_; }
    std::uint32_t Pid() const { return pid_; }
    void SetTitle(const std::string& title);
    void TakeForeground();
    // The synthetic key events that came while its window was in front, in order.
    std::vector<SimKeyboard::Event> KeysReceived() const;

    UINT RegisterFormat(std::string_view name);
    // Opens, empties, sets the formats and closes; false when the clipboard could not be opened.
    bool Copy(const std::vector<SimFormat>& formats);
    // Copies text as CF_TEXT with its terminating zero.
    bool CopyText(std::string_view text);
    // Opens and keeps the clipboard open until CloseClipboard.
    bool OpenClipboard();
    bool CloseClipboard();

    // Opens the clipboard and reads the formats as a pasting program does; false when it could not open.
    bool Paste(const std::vector<UINT>& formats);
    // What each paste got: the formats that had data, with their bytes.
    const std::vector<std::map<UINT, Bytes>>& Pastes() const { return pastes_; }
    int RenderRequests() const { return renderRequests_; }

    // The viewer chain, as a well-behaved viewer takes part in it.
    void JoinChain();
    void LeaveChain();
    // A viewer that does not forward swallows WM_DRAWCLIPBOARD and WM_CHANGECBCHAIN.
    void SetForwarding(bool forward) { forwarding_ = forward; }
    HWND NextViewer() const { return nextViewer_; }
    // A broken viewer: points its link anywhere, as a program that joined twice would.
    void SetNextViewer(HWND next) { nextViewer_ = next; }
    int DrawClipboardCount() const { return drawClipboardCount_; }
    int ChangeChainCount() const { return changeChainCount_; }

private:
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    bool SetFormats(const std::vector<SimFormat>& formats);

    SimDesktop& desktop_;
    std::uint32_t pid_;
    HWND window_;
    HWND nextViewer_ = NoWindow;
    bool inChain_ = false;
    bool forwarding_ = true;
    int drawClipboardCount_ = 0;
    int changeChainCount_ = 0;
    int renderRequests_ = 0;
    std::map<UINT, Bytes> toRender_;
    std::vector<std::map<UINT, Bytes>> pastes_;
};

} // namespace bx::platform::sim
