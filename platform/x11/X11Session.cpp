#include "X11Session.h"

#include "LogHook.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QSocketNotifier>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace bx::platform::x11 {

namespace {

constexpr std::array<int, 3> StopSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the pipe of the X11Session that watches the signals; -1 when none does.
std::atomic<int> signalPipe{-1};
struct sigaction previousActions[StopSignals.size()];
bool handled[StopSignals.size()] = {};

extern "C" void OnStopSignal(int sig) {
    // Only async-signal-safe calls here: one byte into the pipe, errno kept.
    const int savedErrno = errno;
    const int fd = signalPipe.load();
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(sig);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}

const QString LoginService = QStringLiteral("org.freedesktop.login1");
const QString LoginPath = QStringLiteral("/org/freedesktop/login1");
const QString LoginManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString PrivateBusName = QStringLiteral("bx_session_bus");

} // namespace

X11Session::X11Session(const std::string& systemBusAddress) {
    WatchSignals();
    WatchLoginManager(systemBusAddress);
}

X11Session::~X11Session() {
    StopWatchingSignals();
    ReleaseSleepInhibitor();
    if (!busName_.isEmpty()) {
        QDBusConnection bus(busName_);
        if (watchingSleep_)
            bus.disconnect(LoginService, LoginPath, LoginManager, QStringLiteral("PrepareForSleep"), this,
                           SLOT(PrepareForSleep(bool)));
        if (busName_ == PrivateBusName)
            QDBusConnection::disconnectFromBus(busName_);
    }
}

void X11Session::EndSession() {
    if (ended_)
        return;
    ended_ = true;
    LogMsg(LogStartStop, "X11Session", "The session ends.");
    if (OnEndSession)
        OnEndSession();
}

void X11Session::WatchSignals() {
    if (signalPipe.load() >= 0) {
        LogMsg(LogErrors, "X11Session", "Another session object watches the stop signals.");
        return;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        LogMsg(LogErrors, "X11Session", "No pipe for the stop signals; they end the program at once.");
        return;
    }
    pipeRead_ = fds[0];
    pipeWrite_ = fds[1];
    signalNotifier_ = std::make_unique<QSocketNotifier>(pipeRead_, QSocketNotifier::Read);
    QObject::connect(signalNotifier_.get(), &QSocketNotifier::activated, this, [this] { SignalArrived(); });
    signalPipe.store(pipeWrite_);
    ownsSignals_ = true;

    for (std::size_t i = 0; i < StopSignals.size(); ++i) {
        struct sigaction current {};
        if (::sigaction(StopSignals[i], nullptr, &current) != 0)
            continue;
        // A signal ignored by whoever started us (nohup, a background job) stays ignored.
        if (current.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = OnStopSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(StopSignals[i], &action, &previousActions[i]) == 0)
            handled[i] = true;
    }
}

void X11Session::StopWatchingSignals() {
    if (!ownsSignals_)
        return;
    for (std::size_t i = 0; i < StopSignals.size(); ++i) {
        if (handled[i])
            ::sigaction(StopSignals[i], &previousActions[i], nullptr);
        handled[i] = false;
    }
    signalPipe.store(-1);
    ownsSignals_ = false;
    signalNotifier_.reset();
    ::close(pipeRead_);
    ::close(pipeWrite_);
    pipeRead_ = pipeWrite_ = -1;
}

void X11Session::SignalArrived() {
    bool any = false;
    unsigned char buffer[64];
    for (;;) {
        const ssize_t n = ::read(pipeRead_, buffer, sizeof buffer);
        if (n > 0) {
            any = true;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (any)
        EndSession();
}

void X11Session::WatchLoginManager(const std::string& systemBusAddress) {
    QDBusConnection bus = systemBusAddress.empty()
                              ? QDBusConnection::systemBus()
                              : QDBusConnection::connectToBus(QString::fromStdString(systemBusAddress), PrivateBusName);
    if (!bus.isConnected()) {
        if (!systemBusAddress.empty())
            QDBusConnection::disconnectFromBus(PrivateBusName);
        LogMsg(LogStartStop, "X11Session", "No system bus: no power events.");
        return;
    }
    busName_ = bus.name();
    watchingSleep_ = bus.connect(LoginService, LoginPath, LoginManager, QStringLiteral("PrepareForSleep"), this,
                                 SLOT(PrepareForSleep(bool)));
    if (!watchingSleep_) {
        LogMsg(LogErrors, "X11Session", "The login manager's sleep signal cannot be watched.");
        return;
    }
    TakeSleepInhibitor();
}

void X11Session::PrepareForSleep(bool starting) {
    if (starting) {
        LogMsg(LogStartStop, "X11Session", "The system is going to sleep.");
        sleeping_ = true;
        if (OnSuspend)
            OnSuspend();
        // The save is done: the system may sleep now.
        ReleaseSleepInhibitor();
    } else {
        LogMsg(LogStartStop, "X11Session", "The system woke up.");
        sleeping_ = false;
        TakeSleepInhibitor();
        if (OnResume)
            OnResume();
    }
}

void X11Session::TakeSleepInhibitor() {
    if (busName_.isEmpty() || takingInhibitor_ || inhibitFd_ >= 0)
        return;
    QDBusConnection bus(busName_);
    if (!(bus.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
        LogMsg(LogErrors, "X11Session", "The system bus passes no file descriptors: no sleep inhibitor.");
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(LoginService, LoginPath, LoginManager, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Brindlex")
         << QStringLiteral("Saving the clips before the system sleeps") << QStringLiteral("delay");
    takingInhibitor_ = true;
    // Asked without waiting: the answer arrives on the event loop.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), this);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        takingInhibitor_ = false;
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *w;
        w->deleteLater();
        if (reply.isError()) {
            LogMsg(LogStartStop, "X11Session", "No sleep inhibitor: " + reply.error().message().toStdString());
            return;
        }
        const QDBusUnixFileDescriptor fd = reply.value();
        // The system started to sleep while we asked: do not hold it up; ask again after the wake-up.
        if (sleeping_ || !fd.isValid())
            return;
        inhibitFd_ = ::fcntl(fd.fileDescriptor(), F_DUPFD_CLOEXEC, 0);
    });
}

void X11Session::ReleaseSleepInhibitor() {
    if (inhibitFd_ >= 0)
        ::close(inhibitFd_);
    inhibitFd_ = -1;
}

} // namespace bx::platform::x11
