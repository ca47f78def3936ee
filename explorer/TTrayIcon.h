#pragma once

#include "TEvent.h"
#include "TTrayState.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QMenu;
class QScreen;
class QSystemTrayIcon;
class QWidget;

namespace bx::shell {
class TBrindlexCore;
class TCaptureSwitch;
} // namespace bx::shell

namespace bx::explorer {

class TfrmBX;

// The program's icon in the notification area (QSystemTrayIcon: a StatusNotifierItem where the desktop
// has a host for it, else an XEmbed icon in the tray), shown while UseSysTray is set, from the start to
// the shut-down. Its tip is the application title; it shows the program's image while automatic
// capture is on and the greyed image while it is off (the window's icon too). A click or double click
// brings the window back; a right click opens its menu (PopupMenuSysTray), made of the window's own
// commands, so each entry is checked and enabled as its twin in the main menu.
//
// It also decides where the window goes when the user puts it away (shell::TTrayState): into the tray
// while a tray shows the icon (minimized or closed; its taskbar button stays hidden when it comes back),
// minimized with its taskbar button, or, when closed without a tray, the program ends the normal way.
// Automatic capture is switched through it (shell::TCaptureSwitch): the Config menu's entry and this
// menu's entry follow the state, whoever changed it.
class TTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TTrayIcon(TfrmBX& window);
    ~TTrayIcon() override;

    // The core whose capture it switches (nullptr: none; do that before the core goes).
    void SetCore(shell::TBrindlexCore* core);

    // The icon's tip (the application title).
    void SetTip(const QString& tip);
    QString Tip() const;

    // The commands: the auto-capture entries (the new state of their check mark), Exit.
    void AutoCaptureClick(bool on);
    void ExitProgram();
    // The icon's click: the window comes back and to the front.
    void Restore();

    // Whether a tray shows the icon now; QSystemTrayIcon::isSystemTrayAvailable unless a test says.
    std::function<bool()> TrayAvailable;
    // Hides (true) or shows the window's taskbar button; the desktop sets it (none: the button stays).
    std::function<void(QWidget& window, bool hide)> HideTaskbarButton;
    // A tray host came or went: the availability is read again (a window hidden in a tray that went away
    // comes back minimized).
    void TrayHostChanged();

    // For the window-mode rules and tests: the window is minimized or hidden in the tray, and the moment
    // it comes back from there (by any way: the icon, the taskbar, a second start, the hot key).
    bool AppMinimized() const { return state_.AppMinimized(); }
    platform::TEvent<> CameBack;
    const shell::TTrayState& State() const { return state_; }
    QSystemTrayIcon* Icon() const { return icon_; }
    QMenu* Menu() const { return menu_.get(); }
    // The image the icon shows: capture on, or off (greyed).
    static QIcon ProgramIcon(bool capturing);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OnTrayWindowChanged();

private:
    void ShowCaptureState(bool on);
    // The window is shown again: AppMinimized ends (CameBack when it was set).
    void CameBackNow();
    // bringBack: a window hidden in the tray comes back when the icon goes (not at the end).
    void ShowIcon(bool wanted, bool bringBack);
    void WindowStateChanged(bool minimizedBefore);
    void HideWindowInTray();
    void ComeBackMinimized();
    void ApplyTaskbarHint();

    TfrmBX& window_;
    QSystemTrayIcon* icon_;
    std::unique_ptr<QMenu> menu_;
    shell::TBrindlexCore* core_ = nullptr;
    std::unique_ptr<shell::TCaptureSwitch> capture_;
    std::vector<platform::TSubscription> coreSubscriptions_;
    shell::TTrayState state_;
    bool syncing_ = false;      // the marks are being set from the switch's state
    bool hintOnExpose_ = false; // the taskbar hint goes again when the shown window is exposed
};

} // namespace bx::explorer
