#pragma once

#include "ISession.h"

#include <QObject>
#include <QString>

#include <memory>
#include <string>

class QSocketNotifier;

namespace bx::platform::x11 {

// The session of the real desktop.
// - SIGTERM, SIGINT and SIGHUP end the session: the signal handler only writes to a pipe that Qt's event
//   loop watches, and OnEndSession runs from the loop. A signal that was ignored when the program started
//   (nohup) stays ignored. Only one X11Session at a time watches the signals.
// - The login manager's "PrepareForSleep" signal on the system bus gives OnSuspend and OnResume. While the
//   program runs it holds a delay inhibitor for sleep, so that the system waits until OnSuspend has
//   returned; the inhibitor is released then and taken again after the wake-up. Without a reachable
//   system bus (or without the login manager) there are no power events, and no error.
// - The toolkit's session end lives with the windows: they call EndSession.
// Needs a QCoreApplication on the calling thread.
class X11Session : public QObject, public ISession {
    Q_OBJECT
public:
    // systemBusAddress: a D-Bus address to use instead of the system bus (tests); empty for the system bus.
    explicit X11Session(const std::string& systemBusAddress = {});
    ~X11Session() override;
    X11Session(const X11Session&) = delete;
    X11Session& operator=(const X11Session&) = delete;

    // The session ends: OnEndSession runs the first time only; later calls do nothing.
    void EndSession();
    bool Ended() const { return ended_; }
    // Whether the login manager's sleep signal is listened to.
    bool WatchesPowerEvents() const { return watchingSleep_; }
    // Whether the delay inhibitor is held now.
    bool HoldsSleepInhibitor() const { return inhibitFd_ >= 0; }

private slots:
    void PrepareForSleep(bool starting);

private:
    void WatchSignals();
    void StopWatchingSignals();
    void SignalArrived();
    void WatchLoginManager(const std::string& systemBusAddress);
    void TakeSleepInhibitor();
    void ReleaseSleepInhibitor();

    bool ended_ = false;
    bool ownsSignals_ = false;
    int pipeRead_ = -1;
    int pipeWrite_ = -1;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    QString busName_; // the connection's name; empty without a bus
    bool watchingSleep_ = false;
    bool takingInhibitor_ = false;
    bool sleeping_ = false;
    int inhibitFd_ = -1;
};

} // namespace bx::platform::x11
