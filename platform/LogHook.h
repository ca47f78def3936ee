// The one road to the log, and the trace the error trap reads. Every layer logs through LogMsg; the
// program's log (a sink) is installed once it exists. Before that, and when none is installed, lines
// are dropped.
#pragma once

#include "ILogSink.h"

#include <string_view>

namespace bx::platform {

// Log levels: a line is written when its level shares a bit with the user's mask.
inline constexpr int LogAlways = 1;
inline constexpr int LogErrors = 2;
inline constexpr int LogStartStop = 4;
inline constexpr int LogDialogs = 8;
inline constexpr int LogDeletion = 16;
inline constexpr int LogDataEvents = 32;
inline constexpr int LogDetail = 64;

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
