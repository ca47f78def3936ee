#include "TGraphicFile.h"

#include "AtomicFile.h"
#include "EGraphicOpenError.h"
#include "EInvalidGraphic.h"
#include "UniqueFd.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bx::clipstore {

std::vector<std::uint8_t> TGraphicFile::Read(const std::string& path, std::uint64_t maxSize) {
    const platform::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.Get() < 0)
        throw EGraphicOpenError("Cannot open picture file " + path + ": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0)
        throw EGraphicOpenError("Cannot open picture file " + path + ": " + std::strerror(errno));
    if (!S_ISREG(st.st_mode))
        throw EGraphicOpenError("Cannot open picture file " + path + ": not a regular file");
    if (st.st_size < 0 || static_cast<std::uint64_t>(st.st_size) > maxSize)
        throw EInvalidGraphic("Picture file too large: " + path);

    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw EGraphicOpenError("Cannot read picture file " + path + ": " + std::strerror(errno));
        }
        if (n == 0)
            break; // the file shrank while being read: what was there is what is parsed
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return bytes;
}

void TGraphicFile::Write(const std::string& path, std::span<const std::uint8_t> bytes) {
    std::string error;
    if (!platform::AtomicFile::Write(path, bytes, &error))
        throw EGraphicOpenError("Cannot write picture file " + path + ": " + error);
}

} // namespace bx::clipstore
