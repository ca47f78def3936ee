#include "TErrorTrap.h"

#include "LogHook.h"
#include "TAppLog.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace bx::shell {

using platform::LogMsg;
using platform::MsgButtons;
using platform::MsgResult;
using platform::MsgType;

namespace {

constexpr const char* Where = "Main Error Trap";
constexpr int EmergencyExitCode = 3;

} // namespace

TErrorTrap::TErrorTrap(platform::IMessageBoxes& boxes, const platform::IClock& clock,
                       const platform::IDateTimeFormat& format, const clipstore::TDataSourceList& dataSources)
    : Terminate([] { std::_Exit(EmergencyExitCode); }), boxes_(boxes), clock_(clock), format_(format),
      dataSources_(dataSources) {}

std::string TErrorTrap::ErrorFilePath() const {
    std::string dir;
    if (!dataSources_.Empty() && dataSources_.Source(0) != nullptr)
        dir = dataSources_.Source(0)->Directory;
    if (dir.empty())
        dir = FallbackDirectory;
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir + ErrorFileName;
}

TErrorTrap::Outcome TErrorTrap::Handle(const std::exception& error) {
    const Kind kind = Classify ? Classify(error) : Kind::Other;
    return HandleMessage(error.what(), kind);
}

TErrorTrap::Outcome TErrorTrap::HandleCurrentException() {
    try {
        throw;
    } catch (const std::exception& error) {
        return Handle(error);
    } catch (...) {
        return HandleMessage("Unknown exception", Kind::Other);
    }
}

bool TErrorTrap::AppendErrorLine(const std::string& path, const std::string& line) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    std::string_view rest = line;
    bool ok = true;
    while (ok && !rest.empty()) {
        const ssize_t n = ::write(fd, rest.data(), rest.size());
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        if (ok)
            rest.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::close(fd) == 0 && ok;
}

TErrorTrap::Outcome TErrorTrap::HandleMessage(const std::string& message, Kind kind) {
    if (kind == Kind::HtmlViewerMissing) {
        if (OnHtmlViewerMissing)
            OnHtmlViewerMissing();
        LogMsg(platform::LogErrors, Where, "IE4 HTML Viewer Not Available, non-fatal.");
        return Outcome::Logged;
    }
    if (kind == Kind::RichEditReadError) {
        LogMsg(platform::LogErrors, Where, "EReadError Handled - Probably due to RichEdit insertion problem.");
        return Outcome::Logged;
    }

    const std::string location(platform::TraceLocation());
    const std::string stage = std::to_string(platform::TraceStage());
    const std::string path = ErrorFilePath();

    if (SetNotOnTop)
        SetNotOnTop();
    const std::string line = std::string("v") + TAppLog::Version + "  @" + format_.DateTime(clock_.Now()) +
                             "  err:" + message + " " + " In:" + location + "( " + stage + ") \r\n";
    // A trap that cannot write its file still logs and asks: it never throws itself.
    if (!AppendErrorLine(path, line))
        LogMsg(platform::LogErrors, Where, "Cannot write " + path + ": " + std::strerror(errno));
    LogMsg(platform::LogErrors, "Exception", message + " " + " In:" + location + "(" + stage + ") ");

    const std::string trace = "In:" + location + "( " + stage + ") ";
    if (kind == Kind::DataError) {
        boxes_.MessageBox("Brindlex encountered the following NON-FATAL exception:\n" + message + "\n\n" + trace,
                          "Brindlex", MsgType::Warning, MsgButtons::Ok);
        if (SetStayOnTop)
            SetStayOnTop();
        return Outcome::Reported;
    }

    const MsgResult answer = boxes_.MessageBox("Brindlex encountered the following exception:\n" + message + "\n\n" +
                                                   trace + "\nThe Error has been logged in: " + path +
                                                   "\nIt is probably safe to continue.\nCONTINUE SESSION?",
                                               "Brindlex", MsgType::Error, MsgButtons::YesNo);
    if (answer == MsgResult::No) {
        LogMsg(platform::LogStartStop, "", "EMERGENCY SHUTDOWN Complete.");
        Terminate();
        return Outcome::EmergencyShutdown;
    }
    if (SetStayOnTop)
        SetStayOnTop();
    return Outcome::Continued;
}

} // namespace bx::shell
