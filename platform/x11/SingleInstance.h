#pragma once

#include "UniqueFd.h"

#include <functional>
#include <memory>
#include <string>

class QLocalServer;
class QLocalSocket;

namespace bx::platform::x11 {

// One running program per user. The first start locks a file (flock) and listens on a local socket next to
// it (both private to the user); a later start finds the lock taken, sends "activate" on the socket and
// waits for the answer, and the first program's OnActivate runs (its window comes forward). The system
// drops the lock of a program that ended in any way, so a later start takes it over; nothing is written
// to the disk for it (a busy disk does not hold up the start). The folder is $XDG_RUNTIME_DIR, else a private folder
// under /tmp named with the user id. Needs a QCoreApplication on the calling thread; OnActivate runs from its event
// loop.
class SingleInstance {
public:
    // folder: where the lock and the socket live ("/" at the end); empty for the user's default folder.
    explicit SingleInstance(std::string folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // Takes the lock and starts listening. False when another running program holds the lock. When no
    // lock can be made at all (no usable folder, an error other than a held lock) the program runs
    // without one and this is true.
    bool TryBecomePrimary();
    // Asks the running program to come forward; true once it acknowledged. Waits at most timeoutMs (also
    // for a program that is still starting and not yet listening).
    bool NotifyPrimary(int timeoutMs);

    bool IsPrimary() const { return primary_; }
    std::string LockPath() const { return folder_.empty() ? std::string() : folder_ + "brindlex.lock"; }
    std::string SocketPath() const { return folder_.empty() ? std::string() : folder_ + "brindlex.socket"; }

    // The user's default folder, created private (0700) when it is the one under /tmp; empty when none is
    // safe to use (a folder of another user, a link, a file in the way).
    static std::string DefaultFolder();

    // Another start asked us to come forward.
    std::function<void()> OnActivate;

private:
    void Listen();
    void Serve(QLocalSocket* socket);

    std::string folder_;
    bool primary_ = false;
    std::unique_ptr<UniqueFd> lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace bx::platform::x11
