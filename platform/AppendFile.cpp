#include "AppendFile.h"

#include "AtomicFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bx::platform {

namespace {

bool Fail(std::string* error, const std::string& what) {
    if (error != nullptr)
        *error = what + ": " + std::strerror(errno);
    return false;
}

std::string DirectoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
}

} // namespace

AppendFile::~AppendFile() {
    Close();
}

void AppendFile::Close() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

bool AppendFile::Open(std::string* error) {
    if (fd_ >= 0)
        return true;
    struct stat st {};
    const bool existed = ::lstat(path_.c_str(), &st) == 0;
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, AtomicFile::PrivateFileMode);
    if (fd_ < 0)
        return Fail(error, "Cannot open " + path_);
    if (!existed && !AtomicFile::SyncDirectory(DirectoryOf(path_)))
        return Fail(error, "Cannot flush the directory of " + path_);
    struct stat opened {};
    size_ = ::fstat(fd_, &opened) == 0 ? static_cast<std::uint64_t>(opened.st_size) : 0;
    return true;
}

std::uint64_t AppendFile::Size() {
    return Open(nullptr) ? size_ : 0;
}

bool AppendFile::Append(std::span<const std::uint8_t> bytes, std::string* error) {
    if (!Open(error))
        return false;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return Fail(error, "Cannot write " + path_);
        done += static_cast<std::size_t>(n);
        size_ += static_cast<std::uint64_t>(n);
    }
    unsynced_ = unsynced_ || !bytes.empty();
    return true;
}

bool AppendFile::Sync(std::string* error) {
    if (!unsynced_ || fd_ < 0)
        return true;
    if (::fdatasync(fd_) != 0)
        return Fail(error, "Cannot flush " + path_);
    unsynced_ = false;
    return true;
}

bool AppendFile::CutTo(std::uint64_t size, std::string* error) {
    struct stat st {};
    if (::lstat(path_.c_str(), &st) != 0)
        return true;
    if (!Open(error))
        return false;
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        return Fail(error, "Cannot cut " + path_);
    size_ = size;
    if (::fdatasync(fd_) != 0)
        return Fail(error, "Cannot flush " + path_);
    unsynced_ = false;
    return true;
}

bool AppendFile::Remove(std::string* error) {
    Close();
    unsynced_ = false;
    if (::unlink(path_.c_str()) != 0 && errno != ENOENT)
        return Fail(error, "Cannot remove " + path_);
    AtomicFile::SyncDirectory(DirectoryOf(path_));
    return true;
}

} // namespace bx::platform
