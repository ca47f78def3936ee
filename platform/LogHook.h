// The one road to the log, and the trace the error trap reads. Every layer logs through LogMsg; the
// program's log (a sink) is installed once it exists. Before that, and when none is installed, lines
// are dropped.
#pragma once

#include "ILogSink.h"
#include "LogLevels.h"

#include <string_view>

namespace bx::platform {

// level: one of LogLevels.h or several of them or-ed.
void LogMsg(int level, std::string_view where, std::string_view what);
// The sink is not owned; pass nullptr before it is destroyed.
void SetLogSink(ILogSink* sink);
ILogSink* LogSink();

// The operation entered last ("TClipObj.Paste") and the step inside it; kept in fixed storage so that
// setting them never allocates. Texts longer than the storage are cut.
inline constexpr std::size_t TraceLocationCapacity = 79;
void SetTraceLocation(std::string_view where);
std::string_view TraceLocation();
void SetTraceStage(int stage);
int TraceStage();

} // namespace bx::platform
