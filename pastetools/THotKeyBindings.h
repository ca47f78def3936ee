#pragma once

#include "IDesktop.h"
#include "IMessageBoxes.h"
#include "PlatformTypes.h"
#include "TEvent.h"

#include <array>
#include <memory>
#include <string>

namespace bx::platform {
class TMessageWindow;
}

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::pastetools {

// The four global hot keys (HKActivate, HKSelectNext, HKSelectPrev, HKFlashpick of the settings, in
// shortcut text): registered for a message window of their own when the core has started, released when
// it shuts down, and registered afresh by SetHotKeys after the user changed them. Identifiers are handed
// out 1, 2, 3, 4 in that order among the keys that are set; a key that cannot be registered leaves its
// number unused and the user is told which combination and what for; two or more failures add the
// warning that the program may be running twice. A press reaches WMHotKey, which announces the action
// (the window and the tools answer it); while the preferences dialog is open presses are only reported.
class THotKeyBindings {
public:
    enum THotKey { HKActivate = 0, HKSelectNext = 1, HKSelectPrev = 2, HKFlashpick = 3 };
    static constexpr std::array<const char*, 4> Purposes = {"Activate Brindlex", "Select Next Clip", "Select Prev Clip",
                                                            "Flashpick"};
    static constexpr const char* RegisteringText = "Registering Hot Keys...";
    static constexpr const char* UnregisteringText = "Un-Registering Hot Keys...";
    static constexpr const char* IgnoredText = "Hotkey Ignored While Editing Settings.";
    static constexpr const char* MultipleFailuresCaption = "Brindlex Hotkey Initialization";
    static constexpr const char* MultipleFailuresText =
        "Warning:  Multiple Hotkey Failures Is An Indication That Brindlex Might Be Running Twice - Check Your "
        "Startup Folder";

    THotKeyBindings(shell::TBrindlexCore& core, platform::IDesktop& desktop, platform::IMessageBoxes& boxes);
    ~THotKeyBindings();
    THotKeyBindings(const THotKeyBindings&) = delete;
    THotKeyBindings& operator=(const THotKeyBindings&) = delete;

    // Releases the hot keys and registers them again from the settings.
    void SetHotKeys();
    // Registers (on) or releases (off) the four hot keys; true when no registration failed.
    bool RegisterHotKeys(bool on);
    // Registers one combination under the identifier; on failure the user is told. True on success.
    bool RegisterOneHotKey(platform::HWND window, int id, const std::string& purpose, const std::string& shortcut);
    // A press of the hot key with this identifier.
    void WMHotKey(int id);

    // How many identifiers the last registration handed out.
    int HotKeyCount() const { return count_; }
    // The identifier of a hot key; 0 when it is not registered (0 matches nothing).
    int ID(THotKey key) const { return ids_[key]; }
    // The window the hot keys are registered for.
    platform::HWND Window() const;

    // The preferences dialog is open: presses are not acted on (the user may be typing a combination).
    bool SettingsDialogOpen = false;

    // The activation key: the window ends any drag in the clip list and comes up.
    platform::TEvent<> Activate;
    // The next (true) or previous (false) clip key: the row below or above is selected.
    platform::TEvent<bool> SelectRow;
    // The Flashpick key.
    platform::TEvent<> Flashpick;

private:
    platform::LRESULT WndProc(platform::UINT msg, platform::WPARAM wParam, platform::LPARAM lParam);
    const std::string& Setting(THotKey key) const;

    shell::TBrindlexCore& core_;
    platform::IDesktop& desktop_;
    platform::IMessageBoxes& boxes_;
    std::unique_ptr<platform::TMessageWindow> window_;
    int count_ = 0;
    std::array<int, 4> ids_{};
    platform::TSubscription started_;
    platform::TSubscription shuttingDown_;
};

} // namespace bx::pastetools
