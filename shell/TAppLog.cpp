#include "TAppLog.h"

#include "FileRegistry.h"
#include "LogHook.h"
#include "PrivateDirectories.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace bx::shell {

namespace {

[[noreturn]] void Throw(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Writes all of text to fd; false on failure.
bool WriteAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

TAppLog::TAppLog(int levelMask, const std::string& directory, const platform::IClock& clock,
                 const platform::IDateTimeFormat& format)
    : LevelMask(levelMask), clock_(clock), format_(format) {
    if (directory.empty()) {
        errno = ENOENT;
        Throw("No directory for the log");
    }
    std::string dir = directory;
    if (dir.back() != '/')
        dir += '/';
    logFileName_ = dir + FileName;
    prevLogFileName_ = dir + PrevFileName;
    if (!platform::CreatePrivateDirectories(dir))
        Throw("Cannot create the log directory " + dir);

    if (::access(logFileName_.c_str(), F_OK) == 0) {
        if (::unlink(prevLogFileName_.c_str()) != 0 && errno != ENOENT)
            Throw("Cannot delete " + prevLogFileName_);
        if (::rename(logFileName_.c_str(), prevLogFileName_.c_str()) != 0)
            Throw("Cannot rename " + logFileName_ + " to " + prevLogFileName_);
    }

    const int fd = ::open(logFileName_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        Throw("Cannot create " + logFileName_);
    const std::string stamp = Now();
    const std::string header = stamp + ",,,## Brindlex Log Session Started: " + Version + "\r\n" + stamp +
                               ",,,## Log File In: " + logFileName_ + "\r\n";
    const bool written = WriteAll(fd, header);
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        if (!written)
            errno = writeErrno;
        Throw("Cannot write " + logFileName_);
    }

    platform::SetLogSink(this);
    for (const auto& held : platform::FileRegistry::TakeHeldLogLines())
        Write(held.level, held.where, held.what);
}

TAppLog::~TAppLog() {
    if (platform::LogSink() == this)
        platform::SetLogSink(nullptr);
}

bool TAppLog::LogActive() {
    return platform::LogSink() != nullptr;
}

std::string TAppLog::Now() const {
    return format_.DateTime(clock_.Now());
}

void TAppLog::AddLine(int level, std::string_view where, std::string_view what) {
    // A line the mask filters out touches nothing: loading logs a line per clip, most of them filtered.
    if ((level & LevelMask) == 0)
        return;
    const int fd = ::open(logFileName_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        Throw("Cannot open " + logFileName_);
    std::string line = Now();
    line += ',';
    line += std::to_string(LevelMask);
    line += ',';
    line += where;
    line += ',';
    line += what;
    line += "\r\n";
    const bool written = WriteAll(fd, line);
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written) {
        errno = writeErrno;
        Throw("Cannot write " + logFileName_);
    }
    if (!closed)
        Throw("Cannot close " + logFileName_);
}

void TAppLog::Write(int level, std::string_view where, std::string_view what) {
    try {
        AddLine(level, where, what);
    } catch (const std::exception& e) {
        if (lostLines_++ == 0)
            std::fprintf(stderr, "Brindlex: the log cannot be written: %s\n", e.what());
    }
}

} // namespace bx::shell
