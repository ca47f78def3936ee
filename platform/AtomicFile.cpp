#include "AtomicFile.h"

#include "AtomicFileWriter.h"

#include <fcntl.h>
#include <unistd.h>

namespace bx::platform {

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
    AtomicFileWriter file;
    return file.Open(path, error, mode) && file.Append(bytes, error) && file.Commit(error);
}

} // namespace bx::platform
