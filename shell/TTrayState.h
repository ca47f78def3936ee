#pragma once

namespace bx::shell {

// Where the main window goes when the user puts it away, and how it comes back. While the
// notification-area icon is wanted (UseSysTray, from the start to the shut-down) and a tray shows it,
// the window lives in the tray: minimizing or closing it hides it there (no taskbar button; capture goes
// on), and shown again from there it keeps its taskbar button hidden. Without a tray (a desktop that
// has none, or its tray is gone) nothing may hide the window without a way back: it minimizes with its
// taskbar button, closing it ends the program, and a window hidden in a tray that goes away comes back
// as a minimized window. Exit always ends the program. AppMinimized is set while the window is
// minimized or hidden in the tray.
class TTrayState {
public:
    // What becomes of the window that the user minimized or closed.
    enum class TAway {
        HideInTray, // hidden: the tray's icon brings it back
        Minimized,  // minimized with its taskbar button (only for a minimize)
        EndProgram, // the program closes the normal way (only for a close)
    };

    // The icon is wanted: UseSysTray is set and the program runs. Returns true when the window must come
    // back now (it was hidden in the tray and the icon is no longer wanted).
    bool SetIconWanted(bool wanted);
    // A tray shows the icon (the desktop has one). Returns true when the window must come back now (it
    // was hidden in a tray that went away).
    bool SetTrayAvailable(bool available);
    bool IconWanted() const { return iconWanted_; }
    bool TrayAvailable() const { return trayAvailable_; }
    // The window lives in the tray: put away it hides, shown it has no taskbar button.
    bool InTray() const { return iconWanted_ && trayAvailable_; }

    // The user minimized the window.
    TAway Minimized();
    // The user closed the window (the caption's button, the window manager's close).
    TAway CloseRequested();
    // The user asked the program to end (Exit): the close that follows ends it.
    void ExitRequested() { exiting_ = true; }
    bool Exiting() const { return exiting_; }
    // The window is shown again (from the tray, the taskbar, a second start, the hot key).
    void Restored();

    // The window is minimized or hidden in the tray.
    bool AppMinimized() const { return appMinimized_; }
    // The window is hidden in the tray.
    bool HiddenInTray() const { return hiddenInTray_; }
    // The window shows no taskbar button: it has lived in the tray, which is still there.
    bool TaskbarButtonHidden() const { return livedInTray_ && InTray(); }

private:
    // A window hidden in the tray that lost its way back becomes a minimized window.
    bool ComeBackIfStranded();

    bool iconWanted_ = false;
    bool trayAvailable_ = false;
    bool appMinimized_ = false;
    bool hiddenInTray_ = false;
    bool livedInTray_ = false;
    bool exiting_ = false;
};

} // namespace bx::shell
