#pragma once

#include "IClock.h"
#include "IDateTimeFormat.h"
#include "IMessageBoxes.h"
#include "TDataSourceList.h"

#include <exception>
#include <functional>
#include <string>

namespace bx::shell {

// The one handler of every exception that nothing else handled. It appends a line to
// "ERRORLOG.TXT" in the first data source's directory, logs the exception with the trace (the
// operation entered last and its step), and then either reports it as harmless (the program's own
// data errors: a warning with OK) or asks whether to go on (Yes/No). No ends the process at once,
// after one log line, without saving anything.
class TErrorTrap {
public:
    static constexpr const char* ErrorFileName = "ERRORLOG.TXT";

    // What kind of exception reached the trap; Classify decides.
    enum class Kind {
        // The embedded HTML viewer is missing: the viewer is switched off, nothing else happens.
        HtmlViewerMissing,
        // The rich-text control refused inserted text: logged, nothing else happens.
        RichEditReadError,
        // One of the program's own data errors (a stream, format, off-line, copy or paste error).
        DataError,
        Other,
    };
    enum class Outcome { Logged, Reported, Continued, EmergencyShutdown };

    TErrorTrap(platform::IMessageBoxes& boxes, const platform::IClock& clock, const platform::IDateTimeFormat& format,
               const clipstore::TDataSourceList& dataSources);

    // Sorts an exception into its kind; without it every exception is Other.
    std::function<Kind(const std::exception&)> Classify;
    // Called for HtmlViewerMissing.
    std::function<void()> OnHtmlViewerMissing;
    // Take the main window out of "always on top" before the dialog, and put it back after.
    std::function<void()> SetNotOnTop;
    std::function<void()> SetStayOnTop;
    // Ends the process without saving anything; by default std::_Exit. Tests watch it.
    std::function<void()> Terminate;
    // The directory of the error file when there is no data source (ending in "/"); "/" when empty.
    std::string FallbackDirectory;

    // The error file: the first data source's directory, else FallbackDirectory, + "ERRORLOG.TXT".
    std::string ErrorFilePath() const;

    Outcome Handle(const std::exception& error);
    // For a catch (...) block: handles the exception being handled, whatever its type.
    Outcome HandleCurrentException();

private:
    Outcome HandleMessage(const std::string& message, Kind kind);
    bool AppendErrorLine(const std::string& path, const std::string& line);

    platform::IMessageBoxes& boxes_;
    const platform::IClock& clock_;
    const platform::IDateTimeFormat& format_;
    const clipstore::TDataSourceList& dataSources_;
};

} // namespace bx::shell
