#include "AtomicFileWriter.h"

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

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temp_.empty())
        ::unlink(temp_.c_str());
    temp_.clear();
}

bool AtomicFileWriter::Open(const std::string& path, std::string* error, unsigned mode) {
    Discard();
    path_ = path;
    std::string temp = path + ".XXXXXX";
    fd_ = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd_ < 0)
        return Fail(error, "cannot create a temporary file beside " + path);
    temp_ = temp;
    if (::fchmod(fd_, static_cast<mode_t>(mode)) != 0) {
        Fail(error, "cannot set the permissions of " + temp_);
        Discard();
        return false;
    }
    return true;
}

bool AtomicFileWriter::Append(std::span<const std::uint8_t> bytes, std::string* error) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail(error, "no file is open for " + path_);
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail(error, "cannot write " + temp_);
            Discard();
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool AtomicFileWriter::Commit(std::string* error) {
    if (fd_ < 0) {
        errno = EBADF;
        return Fail(error, "no file is open for " + path_);
    }
    if (::fsync(fd_) != 0) {
        Fail(error, "cannot write " + temp_);
        Discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        Fail(error, "cannot close " + temp_);
        Discard();
        return false;
    }
    if (::rename(temp_.c_str(), path_.c_str()) != 0) {
        Fail(error, "cannot rename " + temp_ + " to " + path_);
        Discard();
        return false;
    }
    temp_.clear();
    AtomicFile::SyncDirectory(DirOf(path_));
    return true;
}

} // namespace bx::platform
