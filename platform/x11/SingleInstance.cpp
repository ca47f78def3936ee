#include "SingleInstance.h"

#include "LogHook.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bx::platform::x11 {

namespace {

constexpr char ActivateRequest[] = "activate\n";
constexpr char Acknowledgement[] = "ok\n";
// A request is one short line; anything longer is not ours.
constexpr qint64 MaxRequestBytes = 64;
// A connection that says nothing is dropped after this time.
constexpr int IdleConnectionMs = 5000;

// A directory of this user that nobody else may enter.
bool IsPrivateDirectory(const std::string& path, bool tighten) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
        return false;
    if ((st.st_mode & 077) == 0)
        return true;
    return tighten && ::chmod(path.c_str(), 0700) == 0;
}

int Remaining(const QDeadlineTimer& deadline) {
    return static_cast<int>(std::max<qint64>(0, deadline.remainingTime()));
}

} // namespace

SingleInstance::SingleInstance(std::string folder) : folder_(std::move(folder)) {
    if (folder_.empty())
        folder_ = DefaultFolder();
    else if (folder_.back() != '/')
        folder_ += '/';
}

SingleInstance::~SingleInstance() {
    if (server_)
        server_->close();
}

std::string SingleInstance::DefaultFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        std::string dir = runtime;
        if (IsPrivateDirectory(dir, false))
            return dir.back() == '/' ? dir : dir + '/';
    }
    const std::string dir = "/tmp/brindlex-" + std::to_string(::getuid());
    ::mkdir(dir.c_str(), 0700);
    if (IsPrivateDirectory(dir, true))
        return dir + '/';
    LogMsg(LogErrors, "SingleInstance", "No private folder for the instance lock: " + dir);
    return {};
}

bool SingleInstance::TryBecomePrimary() {
    if (primary_)
        return true;
    if (folder_.empty()) {
        primary_ = true;
        return true;
    }
    // Not inherited by programs we start: they must not keep the lock after we end.
    const int fd = ::open(LockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const int error = errno;
    auto lock = std::make_unique<UniqueFd>(fd);
    if (!locked) {
        if (fd >= 0 && error == EWOULDBLOCK)
            return false;
        LogMsg(LogErrors, "SingleInstance",
               "The instance lock cannot be taken (" + std::string(std::strerror(error)) +
                   "); running without it: " + LockPath());
        primary_ = true;
        return true;
    }
    // Our process number, for a person looking at the file; the lock itself is all that counts.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(lock->Get(), 0) != 0 || ::write(lock->Get(), pid.data(), pid.size()) < 0)
        LogMsg(LogErrors, "SingleInstance", "The process number cannot be written to " + LockPath());
    lock_ = std::move(lock);
    primary_ = true;
    Listen();
    return true;
}

void SingleInstance::Listen() {
    server_ = std::make_unique<QLocalServer>();
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    const QString path = QString::fromStdString(SocketPath());
    // We hold the lock, so a socket left there belongs to a program that is gone.
    QLocalServer::removeServer(path);
    if (!server_->listen(path)) {
        LogMsg(LogErrors, "SingleInstance", "Later starts cannot reach us: " + server_->errorString().toStdString());
        return;
    }
    QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
        while (QLocalSocket* socket = server_->nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] { Serve(socket); });
            QTimer::singleShot(IdleConnectionMs, socket, [socket] { socket->abort(); });
            if (socket->bytesAvailable() > 0)
                Serve(socket);
        }
    });
}

void SingleInstance::Serve(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > MaxRequestBytes)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(MaxRequestBytes + 1);
    if (line != ActivateRequest) {
        socket->abort();
        return;
    }
    socket->write(Acknowledgement);
    socket->flush();
    socket->disconnectFromServer();
    LogMsg(LogStartStop, "SingleInstance", "Another start asks us to come forward.");
    if (OnActivate)
        OnActivate();
}

bool SingleInstance::NotifyPrimary(int timeoutMs) {
    if (folder_.empty())
        return false;
    const QDeadlineTimer deadline(std::max(0, timeoutMs));
    QLocalSocket socket;
    // The running program may still be starting: try again until it listens.
    for (;;) {
        socket.connectToServer(QString::fromStdString(SocketPath()));
        if (socket.waitForConnected(Remaining(deadline)))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        QThread::msleep(static_cast<unsigned long>(std::min(50, Remaining(deadline))));
    }
    socket.write(ActivateRequest);
    if (!socket.waitForBytesWritten(Remaining(deadline)) && socket.bytesToWrite() > 0)
        return false;
    while (!socket.canReadLine()) {
        if (deadline.hasExpired() || !socket.waitForReadyRead(Remaining(deadline)))
            return false;
    }
    return socket.readLine(MaxRequestBytes + 1) == Acknowledgement;
}

} // namespace bx::platform::x11
