#include "TTrayIcon.h"

#include "LogHook.h"
#include "LogLevels.h"
#include "TAppSettings.h"
#include "TBrindlexCore.h"
#include "TCaptureSwitch.h"
#include "TWindowCommands.h"
#include "TfrmBX.h"

#include <QAction>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMetaMethod>
#include <QPainter>
#include <QSystemTrayIcon>
#include <QWindow>
#include <QWindowStateChangeEvent>

#include <array>

namespace bx::explorer {

namespace {

using Cmd = TWindowCommands::Command;

// The notification-area menu. The entries of commands not built yet join it with them.
constexpr std::array TrayMenu = {
    Cmd::TrayAutoCapture, Cmd::TrayShowMainMenu, Cmd::Separator,       Cmd::RemoveLineBreaks, Cmd::ShiftLeft,
    Cmd::ShiftRight,      Cmd::CaseLower,        Cmd::CaseUpper,       Cmd::CaseMixed,        Cmd::CaseSentence,
    Cmd::Separator,       Cmd::RelayfeedUp,      Cmd::RelayfeedDown,   Cmd::TrayGlue,         Cmd::Separator,
    Cmd::SelectPrevious,  Cmd::SelectNext,       Cmd::TrayRenameTitle, Cmd::Separator,        Cmd::Help,
    Cmd::ExitProgram,
};

constexpr int IconSize = 32;

QImage ClipboardImage() {
    QImage image(IconSize, IconSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The board, the sheet on it, the clip at its top and the lines of text.
    p.setPen(QPen(QColor(90, 55, 20), 1.5));
    p.setBrush(QColor(176, 118, 52));
    p.drawRoundedRect(QRectF(4.5, 3.5, 23, 27), 3, 3);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 7.5, 17, 20));
    p.setPen(QPen(QColor(60, 60, 60), 1.2));
    p.setBrush(QColor(200, 200, 205));
    p.drawRoundedRect(QRectF(10.5, 1.5, 11, 6), 2, 2);
    p.setPen(QPen(QColor(30, 90, 200), 1.6));
    for (int y = 12; y <= 24; y += 4)
        p.drawLine(QPointF(10, y), QPointF(y == 24 ? 17 : 22, y));
    return image;
}

// The greyed form: the brightness of each pixel, paled, its transparency kept.
QImage Greyed(QImage image) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = (qGray(line[x]) + 2 * 192) / 3;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return image;
}

} // namespace

TTrayIcon::TTrayIcon(TfrmBX& window)
    : QObject(&window), window_(window), icon_(new QSystemTrayIcon(this)), menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName("PopupMenuSysTray");
    window_.Commands()->FillMenu(*menu_, TrayMenu);
    icon_->setContextMenu(menu_.get());
    SetTip("Brindlex");
    ShowCaptureState(false);
    TrayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            Restore();
    });
    // The X11 platform tells when a tray comes or goes (Qt puts its XEmbed icon into a new tray itself).
    if (QObject* native = reinterpret_cast<QObject*>(QGuiApplication::platformNativeInterface())) {
        const int signal = native->metaObject()->indexOfSignal("systemTrayWindowChanged(QScreen*)");
        const int slot = metaObject()->indexOfSlot("OnTrayWindowChanged()");
        if (signal >= 0 && slot >= 0)
            connect(native, native->metaObject()->method(signal), this, metaObject()->method(slot));
    }
    window_.installEventFilter(this);
}

TTrayIcon::~TTrayIcon() {
    window_.removeEventFilter(this);
}

void TTrayIcon::SetCore(shell::TBrindlexCore* core) {
    coreSubscriptions_.clear();
    capture_.reset();
    core_ = core;
    if (core_ == nullptr) {
        ShowIcon(false, false);
        return;
    }
    capture_ = std::make_unique<shell::TCaptureSwitch>(*core_);
    coreSubscriptions_.push_back(capture_->Changed.Subscribe([this](bool on) { ShowCaptureState(on); }));
    // The icon goes with the shut-down, before the data is freed.
    // The icon goes with the shut-down, before the data is freed; the window stays where it is.
    coreSubscriptions_.push_back(core_->Events().ShuttingDown.Subscribe([this] {
        platform::LogMsg(platform::LogStartStop, "ShutDown", "Disabling SysTray");
        ShowIcon(false, false);
        platform::LogMsg(platform::LogStartStop, "ShutDown", "SysTray Disabled");
    }));
    ShowCaptureState(capture_->On());
    ShowIcon(core_->Settings().UseSysTray && !core_->Ended(), true);
}

void TTrayIcon::ShowIcon(bool wanted, bool bringBack) {
    if (wanted != icon_->isVisible())
        icon_->setVisible(wanted);
    const bool stranded = state_.SetIconWanted(wanted);
    state_.SetTrayAvailable(TrayAvailable());
    if (stranded && bringBack)
        ComeBackMinimized();
}

void TTrayIcon::SetTip(const QString& tip) {
    icon_->setToolTip(tip);
}

QString TTrayIcon::Tip() const {
    return icon_->toolTip();
}

QIcon TTrayIcon::ProgramIcon(bool capturing) {
    const QImage image = ClipboardImage();
    return QIcon(QPixmap::fromImage(capturing ? image : Greyed(image)));
}

void TTrayIcon::ShowCaptureState(bool on) {
    syncing_ = true;
    window_.Commands()->Action(TWindowCommands::AutoCapture)->setChecked(on);
    window_.Commands()->Action(TWindowCommands::TrayAutoCapture)->setChecked(on);
    syncing_ = false;
    const QIcon image = ProgramIcon(on);
    icon_->setIcon(image);
    window_.setWindowIcon(image);
}

void TTrayIcon::AutoCaptureClick(bool on) {
    // Setting the marks from the switch's state toggles the actions: that is no click.
    if (syncing_)
        return;
    if (capture_ != nullptr)
        capture_->Set(on);
    ShowCaptureState(capture_ != nullptr && capture_->On());
}

void TTrayIcon::ExitProgram() {
    state_.ExitRequested();
    window_.close();
}

void TTrayIcon::Restore() {
    CameBackNow();
    window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
    window_.BringToFront();
}

void TTrayIcon::CameBackNow() {
    const bool wasAway = state_.AppMinimized();
    state_.Restored();
    if (wasAway)
        CameBack.Emit();
}

void TTrayIcon::TrayHostChanged() {
    const bool available = TrayAvailable();
    // A tray host that (re)starts gets the icon again (the toolkit puts it there).
    if (available && !state_.TrayAvailable() && state_.IconWanted()) {
        platform::LogMsg(platform::LogStartStop, "WndProc", "IE Requests Restore Of Systray Icon.");
        platform::LogMsg(platform::LogStartStop, "WndProc", "Systray Restore Complete.");
    }
    if (state_.SetTrayAvailable(available))
        ComeBackMinimized();
    else if (!state_.InTray() && window_.isVisible() && HideTaskbarButton)
        HideTaskbarButton(window_, false);
}

void TTrayIcon::OnTrayWindowChanged() {
    TrayHostChanged();
}

bool TTrayIcon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.windowHandle() && event->type() == QEvent::Expose && window_.windowHandle()->isExposed() &&
        hintOnExpose_) {
        // Mapped and managed now: the window manager is told once more, in case it dropped the state
        // that came with the window while it still withdrew the window's hiding.
        hintOnExpose_ = false;
        ApplyTaskbarHint();
        return false;
    }
    if (watched != &window_)
        return false;
    switch (event->type()) {
    case QEvent::Close:
        // Exit ends the program; closing the window hides it in the tray while there is one.
        state_.SetTrayAvailable(TrayAvailable());
        if (state_.CloseRequested() != shell::TTrayState::TAway::HideInTray)
            return false;
        event->ignore();
        HideWindowInTray();
        return true;
    case QEvent::WindowStateChange:
        WindowStateChanged((static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized) != 0);
        return false;
    case QEvent::Show:
        // Shown by any way (the icon, a second start, the hot key), it is back; shown minimized it is not.
        if (!window_.isMinimized())
            CameBackNow();
        // Before the window is mapped: coming back from the tray it keeps its taskbar button hidden.
        ApplyTaskbarHint();
        if (QWindow* handle = window_.windowHandle(); handle != nullptr && HideTaskbarButton) {
            handle->removeEventFilter(this);
            handle->installEventFilter(this);
            hintOnExpose_ = true;
        }
        return false;
    default:
        return false;
    }
}

void TTrayIcon::WindowStateChanged(bool minimizedBefore) {
    const bool minimized = window_.isMinimized();
    if (minimized == minimizedBefore)
        return;
    if (!minimized) {
        CameBackNow();
        return;
    }
    state_.SetTrayAvailable(TrayAvailable());
    if (state_.Minimized() == shell::TTrayState::TAway::HideInTray)
        // Not inside the window's own state change.
        QMetaObject::invokeMethod(
            this, [this] { HideWindowInTray(); }, Qt::QueuedConnection);
}

void TTrayIcon::HideWindowInTray() {
    // The user may have brought it back meanwhile.
    if (!state_.HiddenInTray())
        return;
    platform::LogMsg(platform::LogDetail, "SysTray", "Hidden In The Notification Area");
    window_.hide();
}

void TTrayIcon::ComeBackMinimized() {
    // Its way back went with the tray: it comes back as a minimized window with its taskbar button.
    platform::LogMsg(platform::LogStartStop, "SysTray", "No Notification Area: The Window Comes Back Minimized");
    if (HideTaskbarButton)
        HideTaskbarButton(window_, false);
    window_.showMinimized();
}

void TTrayIcon::ApplyTaskbarHint() {
    if (HideTaskbarButton && window_.windowHandle() != nullptr)
        HideTaskbarButton(window_, state_.TaskbarButtonHidden());
}

} // namespace bx::explorer
