#pragma once

#include "BrindlexVersion.h"
#include "IClock.h"
#include "IDateTimeFormat.h"
#include "ILogSink.h"

#include <string>
#include <string_view>

namespace bx::shell {

// The program's log: "LOG.TXT" in a data directory, with the previous run's log kept as
// "PREV_LOG.TXT". Each line is "<short date> <long time>,<mask>,<where>,<what>" ended by CR LF;
// the two header lines leave the mask empty. A line is written when its level shares a bit with
// LevelMask. The file is opened and closed for every line, so each line is on disk when AddLine
// returns. Once made, the log installs itself as the sink of LogMsg, and takes the lines that were
// held for it before it existed (a settings file that could not be read, for one).
class TAppLog : public platform::ILogSink {
public:
    static constexpr const char* Version = platform::BrindlexVersion;
    static constexpr const char* FileName = "LOG.TXT";
    static constexpr const char* PrevFileName = "PREV_LOG.TXT";

    // Makes the directory (with missing parents, private to the user) when needed, renames an
    // existing LOG.TXT to PREV_LOG.TXT, starts a new LOG.TXT with its header lines and installs the
    // log. Throws std::system_error when the log cannot be made; nothing is installed then.
    TAppLog(int levelMask, const std::string& directory, const platform::IClock& clock,
            const platform::IDateTimeFormat& format);
    ~TAppLog() override;
    TAppLog(const TAppLog&) = delete;
    TAppLog& operator=(const TAppLog&) = delete;

    // True while a log is installed: before that LogMsg drops every line.
    static bool LogActive();

    // The categories written; the preferences change it, the settings store it at the end.
    int LevelMask;

    const std::string& LogFileName() const { return logFileName_; }
    const std::string& PrevLogFileName() const { return prevLogFileName_; }

    // Appends one line when level shares a bit with LevelMask. Throws std::system_error when the
    // file cannot be opened or written (it is closed first).
    void AddLine(int level, std::string_view where, std::string_view what);

    // LogMsg's road to AddLine. A line that cannot be written does not throw into the code that
    // logged it (which may be an error path or a destructor): it is counted, and the first such
    // failure is reported on standard error.
    void Write(int level, std::string_view where, std::string_view what) override;
    int LostLines() const { return lostLines_; }

private:
    std::string Now() const;

    const platform::IClock& clock_;
    const platform::IDateTimeFormat& format_;
    std::string logFileName_;
    std::string prevLogFileName_;
    int lostLines_ = 0;
};

} // namespace bx::shell
