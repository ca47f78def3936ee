#include "LogHook.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace bx::platform {

namespace {

ILogSink* theSink = nullptr;
std::array<char, TraceLocationCapacity + 1> traceLocation{};
std::size_t traceLocationLength = 0;
int traceStage = 0;

} // namespace

void LogMsg(int level, std::string_view where, std::string_view what) {
    if (theSink != nullptr)
        theSink->Write(level, where, what);
}

void SetLogSink(ILogSink* sink) {
    theSink = sink;
}

ILogSink* LogSink() {
    return theSink;
}

void SetTraceLocation(std::string_view where) {
    traceLocationLength = std::min(where.size(), TraceLocationCapacity);
    std::copy_n(where.data(), traceLocationLength, traceLocation.data());
}

std::string_view TraceLocation() {
    return {traceLocation.data(), traceLocationLength};
}

void SetTraceStage(int stage) {
    traceStage = stage;
}

int TraceStage() {
    return traceStage;
}

} // namespace bx::platform
