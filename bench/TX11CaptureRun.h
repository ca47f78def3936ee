#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace bx::platform {
class IDesktop;
class IMessageBoxes;
} // namespace bx::platform

namespace bx::shell {
class IMainView;
class TBrindlexCore;
class TAppSettings;
} // namespace bx::shell

namespace bx::bench {

// The whole capture as a user feels it, on the real X server ($DISPLAY): the program's core on the
// X11 desktop, with settings and data of its own in a temporary home, and another program (bx_x11_peer)
// that takes the clipboard. A run is the time from that program owning the clipboard (the moment it
// prints, on the system-wide monotonic clock) to the new clip stored and listed, the configured capture
// delay included.
class TX11CaptureRun {
public:
    // peer: the path of bx_x11_peer; delayMs: the capture delay to run with (the default when none);
    // view: the main window the core reports to (none: the core runs without one).
    TX11CaptureRun(QString peer, std::optional<int> delayMs, shell::IMainView* view = nullptr);
    ~TX11CaptureRun();
    TX11CaptureRun(const TX11CaptureRun&) = delete;
    TX11CaptureRun& operator=(const TX11CaptureRun&) = delete;

    // False when the data could not be loaded.
    bool Ready() const;
    int DelayMs() const;
    // One copy of bytes as target; the milliseconds until the clip is listed, negative when it never was.
    double Measure(const QByteArray& bytes, const QString& target);

    // Runs the event loop until the condition holds (true) or ms milliseconds have passed (false).
    static bool RunEventsUntil(int ms, const std::function<bool()>& until);

    // The parts, for measurements that build on the running core (Relayfeed, Flashpick).
    platform::IDesktop& Desktop();
    platform::IMessageBoxes& Boxes();
    shell::TAppSettings& Settings();
    shell::TBrindlexCore& Core();
    // The window titles that get their paste from the Edit menu (read with the settings).
    const std::vector<std::string>& NoCtrlVList() const;

private:
    struct Parts;
    QString peer_;
    QTemporaryDir home_;
    std::unique_ptr<Parts> parts_;
};

} // namespace bx::bench
