#pragma once

#include "CanberraSound.h"
#include "FileRegistry.h"
#include "IDesktop.h"
#include "NullDesktopServices.h"
#include "ProcFsProcesses.h"
#include "QtWindows.h"
#include "SystemClock.h"
#include "X11ActiveWindow.h"
#include "X11ClipboardBridge.h"
#include "X11HotKeys.h"
#include "X11Keyboard.h"
#include "X11Session.h"
#include "XdgShell.h"

namespace bx::platform::x11 {

// The real desktop. Time, timers and window messages run on Qt's event loop; processes come from
// /proc. The clipboard is the X server's CLIPBOARD selection (in memory when there is no display), and
// the settings store is a private file under the user's configuration folder. Keys go out through XTest,
// hot keys are key grabs, sounds play through libcanberra and the shell is xdg-open.
// Needs a QCoreApplication (or QApplication) on the calling thread.
class X11Desktop : public IDesktop {
public:
    X11Desktop();
    ~X11Desktop() override;
    X11Desktop(const X11Desktop&) = delete;
    X11Desktop& operator=(const X11Desktop&) = delete;

    IClock& Clock() override { return clock_; }
    IWindows& Windows() override { return windows_; }
    IClipboard& Clipboard() override { return clipboard_; }
    IProcesses& Processes() override { return processes_; }
    IKeyboard& Keyboard() override { return keyboard_; }
    IHotKeys& HotKeys() override { return hotKeys_; }
    ISound& Sound() override { return sound_; }
    IShell& Shell() override { return shell_; }
    IRegistry& Registry() override { return registry_; }
    IBrowserLink& Browser() override { return services_; }
    ISession& Session() override { return session_; }
    // The windows report the toolkit's session end here.
    X11Session& DesktopSession() { return session_; }

private:
    SystemClock clock_;
    QtWindows windows_;
    X11ActiveWindow activeWindow_;
    X11ClipboardBridge clipboard_;
    ProcFsProcesses processes_;
    X11Keyboard keyboard_;
    X11HotKeys hotKeys_;
    CanberraSound sound_;
    XdgShell shell_;
    NullDesktopServices services_; // the browsers' address services: none on this desktop
    FileRegistry registry_;
    X11Session session_;
};

} // namespace bx::platform::x11
