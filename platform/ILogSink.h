#pragma once

#include <string_view>

namespace bx::platform {

// Where LogMsg writes: the program's log installs itself here once it exists.
class ILogSink {
public:
    virtual ~ILogSink() = default;
    virtual void Write(int level, std::string_view where, std::string_view what) = 0;
};

} // namespace bx::platform
