#pragma once

#include "IDesktop.h"

#include <string>
#include <string_view>
#include <vector>

namespace bx::shell {
class IMainView;
class TAppSettings;
class TBrindlexCore;
} // namespace bx::shell

namespace bx::pastetools {

class TSendKey;

// Makes the target application paste the clipboard: gives the focus back to the window that was in front
// when Flashpick was called and types the paste command into it. Ordinary programs get Ctrl+V; a program
// whose window title holds an entry of NoCtrlVList (case-sensitive) gets its Edit menu's Paste (Alt+E,
// P); a terminal emulator (its program on TAppSettings::TerminalPrograms, without regard to case) gets
// Ctrl+Shift+V, whatever the title says. Tab and Enter can follow. The waits between the keys give the
// target time to handle each; they run on the desktop's clock. A target that is gone gets nothing, and
// nothing goes to another window in its place.
class TPasteInto {
public:
    // What Flashpick's buttons ask for around a paste.
    struct Options {
        bool Tab = false;   // Tab after the paste
        bool Enter = false; // Enter after the paste (and after Tab)
        bool Lock = false;  // the program's window comes to the front again afterwards
    };

    static constexpr std::size_t MaxTitleChars = 39;
    static constexpr platform::UINT KeyWaitMs = 100;
    static constexpr platform::UINT SettleWaitMs = 200;

    // view may be nullptr (no window to bring to the front); none of it is owned.
    TPasteInto(platform::IDesktop& desktop, shell::TBrindlexCore& core, TSendKey& sendKey,
               const std::vector<std::string>& noCtrlVList);

    // The target: the window in front when Flashpick was called, the window in it that gets the keys
    // (on X11 the top-level window itself: the server has no focus per thread), its title (at most 39
    // characters) and its program's file name in upper case ("UNKNOWN" when it cannot be found).
    platform::HWND TargetWindow = platform::NoWindow;
    platform::HWND TargetFocus = platform::NoWindow;
    std::string TargetTitle;
    std::string TargetProgram;

    // Notes the window as the target (its title, program and focus).
    void NoteTarget(platform::HWND window);
    // True while keys are being sent to the target: the program losing the activation then is expected.
    bool PastingNow() const { return pastingNow_; }
    void SetPastingNow(bool on) { pastingNow_ = on; }

    // Makes the target paste; false when the target was gone (the rest of the keys were not sent).
    bool PasteInto(const Options& options);
    // Sends a key string to TargetWindow; false when it could not be brought forward (nothing sent).
    bool SendToTarget(std::string_view keys);
    // The target's program is a terminal emulator: it pastes on Ctrl+Shift+V.
    bool TargetIsTerminal() const;
    // The target's title holds an entry of NoCtrlVList: it pastes through its Edit menu.
    bool TargetNeedsMenuPaste() const;

private:
    // One step of the paste: the keys to a window, logged; false when the window could not take them.
    bool Send(std::string_view keys, platform::HWND to);
    bool SendKeyStrokes(platform::HWND receiver);
    void Wait(platform::UINT ms);

    platform::IDesktop& desktop_;
    shell::TBrindlexCore& core_;
    TSendKey& sendKey_;
    const std::vector<std::string>& noCtrlVList_;
    bool pastingNow_ = false;
};

} // namespace bx::pastetools
