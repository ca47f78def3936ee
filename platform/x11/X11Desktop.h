#pragma once

#include "FileRegistry.h"
#include "IDesktop.h"
#include "NullDesktopServices.h"
#include "ProcFsProcesses.h"
#include "QtWindows.h"
#include "SystemClock.h"
#include "X11ClipboardBridge.h"
#include "X11Session.h"

namespace bx::platform::x11 {

// The real desktop. Time, timers and window messages run on Qt's event loop; processes come from
// /proc. The clipboard is the X server's CLIPBOARD selection (in memory when there is no display), and
// the settings store is a private file under the user's configuration folder.
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
    IKeyboard& Keyboard() override { return services_; }
    IHotKeys& HotKeys() override { return services_; }
    ISound& Sound() override { return services_; }
    IShell& Shell() override { return services_; }
    IRegistry& Registry() override { return registry_; }
    IBrowserLink& Browser() override { return services_; }
    ISession& Session() override { return session_; }
    // The windows report the toolkit's session end here.
    X11Session& DesktopSession() { return session_; }

private:
    SystemClock clock_;
    QtWindows windows_;
    X11ClipboardBridge clipboard_;
    ProcFsProcesses processes_;
    NullDesktopServices services_;
    FileRegistry registry_;
    X11Session session_;
};

} // namespace bx::platform::x11
