#include "TPasteInto.h"

#include "IMainView.h"
#include "LogHook.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TClipView5.h"
#include "TSendKey.h"
#include "TUtf8.h"

#include <initializer_list>
#include <utility>

namespace bx::pastetools {

using clipstore::TUtf8;
using platform::HWND;
using platform::LogDetail;
using platform::LogErrors;
using platform::LogMsg;
using platform::NoWindow;

namespace {

constexpr const char* Where = "TfrmBX.PasteInto";

// Keeps PastingNow set while the paste runs, also when it ends in an exception.
class PastingScope {
public:
    explicit PastingScope(TPasteInto& paste) : paste_(paste) { paste_.SetPastingNow(true); }
    ~PastingScope() { paste_.SetPastingNow(false); }
    PastingScope(const PastingScope&) = delete;
    PastingScope& operator=(const PastingScope&) = delete;

private:
    TPasteInto& paste_;
};

} // namespace

TPasteInto::TPasteInto(platform::IDesktop& desktop, shell::TBrindlexCore& core, TSendKey& sendKey,
                       const std::vector<std::string>& noCtrlVList)
    : desktop_(desktop), core_(core), sendKey_(sendKey), noCtrlVList_(noCtrlVList) {}

void TPasteInto::NoteTarget(HWND window) {
    TargetWindow = window;
    // The X server keeps no focus per thread to ask for: the keys go to the top-level window, whose
    // toolkit hands them to its focused control.
    TargetFocus = window;
    TargetTitle = TUtf8::CutChars(desktop_.Windows().GetWindowText(window), MaxTitleChars);
    const std::string program = window != NoWindow ? core_.ClipView().GetWindowFileName(window) : std::string();
    TargetProgram = program.empty() ? "UNKNOWN" : TUtf8::UpperAscii(program);
}

bool TPasteInto::TargetIsTerminal() const {
    for (const std::string& terminal : core_.Settings().TerminalPrograms)
        if (!terminal.empty() && TUtf8::UpperAscii(terminal) == TargetProgram)
            return true;
    return false;
}

bool TPasteInto::TargetNeedsMenuPaste() const {
    for (const std::string& fragment : noCtrlVList_)
        if (!fragment.empty() && TargetTitle.find(fragment) != std::string::npos)
            return true;
    return false;
}

void TPasteInto::Wait(platform::UINT ms) {
    desktop_.Clock().Sleep(ms);
}

bool TPasteInto::Send(std::string_view keys, HWND to) {
    if (to != NoWindow && sendKey_.SendKeysTo(keys, to) == 0)
        return true;
    LogMsg(LogErrors, Where, "The target window is gone: " + std::string(keys) + " not sent");
    return false;
}

bool TPasteInto::SendToTarget(std::string_view keys) {
    return Send(keys, TargetWindow);
}

bool TPasteInto::SendKeyStrokes(HWND receiver) {
    platform::IWindows& windows = desktop_.Windows();
    if (TargetIsTerminal()) {
        // Terminal emulators keep Ctrl+V for the program running in them.
        if (!Send("^~v", receiver))
            return false;
        LogMsg(LogDetail, Where, "Sent ^~v to Terminal Window");
        windows.SetForegroundWindow(receiver);
        Wait(KeyWaitMs);
    } else if (!TargetNeedsMenuPaste()) {
        if (!Send("^V", receiver))
            return false;
        LogMsg(LogDetail, Where, "sent ^V");
        windows.SetForegroundWindow(receiver);
        Wait(KeyWaitMs);
    } else {
        if (!Send("@e", TargetWindow))
            return false;
        Wait(KeyWaitMs);
        if (!Send("p", TargetWindow))
            return false;
        LogMsg(LogDetail, Where, "sent @ep");
    }
    return true;
}

bool TPasteInto::PasteInto(const Options& options) {
    platform::SetTraceLocation(Where);
    LogMsg(LogDetail, Where, ">");
    bool sent = false;
    {
        PastingScope pasting(*this);
        const HWND receiver = TargetFocus != NoWindow ? TargetFocus : TargetWindow;
        sent = SendKeyStrokes(receiver);
        if (sent) {
            desktop_.Windows().SetForegroundWindow(TargetWindow);
            Wait(SettleWaitMs);
        }
        for (const auto& [wanted, keys] : {std::pair{options.Tab, "{TAB}"}, std::pair{options.Enter, "{ENTER}"}}) {
            if (!sent || !wanted)
                continue;
            Wait(SettleWaitMs);
            sent = SendToTarget(keys);
            if (sent)
                Wait(SettleWaitMs);
        }
    }
    if (options.Lock)
        if (shell::IMainView* view = core_.View(); view != nullptr)
            view->BringToFront();
    LogMsg(LogDetail, Where, "<");
    return sent;
}

} // namespace bx::pastetools
