#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bx::platform {

namespace {

std::string DirOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool Fail(std::string* error, const std::string& what) {
    if (error != nullptr)
        *error = what + ": " + std::strerror(errno);
    return false;
}

} // namespace

bool AtomicFile::SyncDirectory(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool AtomicFile::Write(const std::string& path, std::span<const std::uint8_t> bytes, std::string* error,
                       unsigned mode) {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        return Fail(error, "cannot create a temporary file beside " + path);
    bool ok = ::fchmod(fd, static_cast<mode_t>(mode)) == 0;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            done += static_cast<std::size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    if (!ok) {
        Fail(error, "cannot write " + temp);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    }
    if (::close(fd) != 0) {
        Fail(error, "cannot close " + temp);
        ::unlink(temp.c_str());
        return false;
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        Fail(error, "cannot rename " + temp + " to " + path);
        ::unlink(temp.c_str());
        return false;
    }
    SyncDirectory(DirOf(path));
    return true;
}

} // namespace bx::platform
