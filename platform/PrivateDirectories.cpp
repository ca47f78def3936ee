#include "PrivateDirectories.h"

#include "AtomicFile.h"

#include <cerrno>
#include <sys/stat.h>

namespace bx::platform {

bool CreatePrivateDirectories(const std::string& dir) {
    if (dir.empty()) {
        errno = ENOENT;
        return false;
    }
    std::string path = dir;
    if (path.back() != '/')
        path += '/';
    for (std::size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1)) {
        const std::string part = path.substr(0, pos);
        if (::mkdir(part.c_str(), AtomicFile::PrivateDirMode) != 0 && errno != EEXIST)
            return false;
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    return true;
}

} // namespace bx::platform
