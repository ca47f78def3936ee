#include "THotKeyBindings.h"

#include "IHotKeys.h"
#include "LogHook.h"
#include "LogLevels.h"
#include "StatusLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TMessageWindow.h"
#include "TShortcutText.h"

namespace bx::pastetools {

using namespace platform;

THotKeyBindings::THotKeyBindings(shell::TBrindlexCore& core, IDesktop& desktop, IMessageBoxes& boxes)
    : core_(core), desktop_(desktop), boxes_(boxes),
      window_(std::make_unique<TMessageWindow>(desktop.Windows(), "Brindlex hot keys",
                                               [this](UINT msg, WPARAM w, LPARAM l) { return WndProc(msg, w, l); })) {
    started_ = core.Events().Started.Subscribe([this] { SetHotKeys(); });
    shuttingDown_ = core.Events().ShuttingDown.Subscribe([this] { RegisterHotKeys(false); });
}

THotKeyBindings::~THotKeyBindings() {
    // Whatever is still held goes with the window.
    for (int id = 1; id <= count_; ++id)
        desktop_.HotKeys().UnregisterHotKey(window_->Handle(), id);
}

HWND THotKeyBindings::Window() const {
    return window_->Handle();
}

LRESULT THotKeyBindings::WndProc(UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_HOTKEY)
        core_.Guarded([this, wParam] { WMHotKey(static_cast<int>(wParam)); });
    return 0;
}

const std::string& THotKeyBindings::Setting(THotKey key) const {
    const shell::TAppSettings& settings = core_.Settings();
    switch (key) {
    case HKActivate:
        return settings.HKActivate;
    case HKSelectNext:
        return settings.HKSelectNext;
    case HKSelectPrev:
        return settings.HKSelectPrev;
    case HKFlashpick:
        break;
    }
    return settings.HKFlashpick;
}

void THotKeyBindings::SetHotKeys() {
    RegisterHotKeys(false);
    RegisterHotKeys(true);
}

bool THotKeyBindings::RegisterHotKeys(bool on) {
    SetTraceLocation("TfrmBX.RegisterHotKeys");
    core_.ShowStatus(shell::StatusInBarAndItemBar, false, on ? RegisteringText : UnregisteringText);
    int failures = 0;
    if (!on) {
        for (int id = 1; id <= count_; ++id)
            desktop_.HotKeys().UnregisterHotKey(window_->Handle(), id);
        count_ = 0;
        ids_ = {};
    } else if (!desktop_.HotKeys().Available()) {
        // No window system to hold global keys (a run without a display): no combination is to blame, so
        // nobody is asked to choose others.
        count_ = 0;
        ids_ = {};
        LogMsg(LogErrors, "TfrmBX.RegisterHotKeys", "No global hot keys on this desktop");
        failures = 1;
    } else {
        count_ = 0;
        ids_ = {};
        for (const THotKey key : {HKActivate, HKSelectNext, HKSelectPrev, HKFlashpick}) {
            const std::string& shortcut = Setting(key);
            if (shortcut.empty())
                continue;
            ++count_;
            if (RegisterOneHotKey(window_->Handle(), count_, Purposes[key], shortcut))
                ids_[key] = count_;
            else
                ++failures;
        }
        if (failures > 1)
            boxes_.MessageBox(MultipleFailuresText, MultipleFailuresCaption, MsgType::Warning, MsgButtons::Ok);
    }
    core_.ShowStatus(shell::StatusInBar, false, "");
    return failures == 0;
}

bool THotKeyBindings::RegisterOneHotKey(HWND window, int id, const std::string& purpose, const std::string& shortcut) {
    const TShortcutText::TShortcut key = TShortcutText::Read(shortcut);
    // The shortcut's modifiers are the platform's MOD_SHIFT, MOD_CONTROL and MOD_ALT already.
    if (key.Key != 0 && desktop_.HotKeys().RegisterHotKey(window, id, key.Modifiers, key.Key))
        return true;
    LogMsg(LogErrors, "TfrmBX.RegisterOneHotKey", "Could not reserve the hotkey " + shortcut + " for " + purpose);
    boxes_.MessageBox("Warning: Could not reserve the following hotkey:\n" + shortcut + "\nwhich " + "Brindlex" +
                          " wants to use for: [" + purpose +
                          "]\nIt is recommended that you use User Preferences to change this setting to something "
                          "else.",
                      "Brindlex", MsgType::Information, MsgButtons::Ok);
    return false;
}

void THotKeyBindings::WMHotKey(int id) {
    if (SettingsDialogOpen) {
        core_.ShowStatus(shell::StatusInBarAndItemBar, false, IgnoredText);
        return;
    }
    SetTraceLocation("TfrmBX.WMHotKey");
    if (id == 0)
        return;
    // Each test on its own: an action may change nothing of the others.
    if (id == ids_[HKActivate])
        Activate.Emit();
    if (id == ids_[HKSelectNext])
        SelectRow.Emit(true);
    if (id == ids_[HKSelectPrev])
        SelectRow.Emit(false);
    if (id == ids_[HKFlashpick])
        Flashpick.Emit();
}

} // namespace bx::pastetools
