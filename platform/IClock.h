#pragma once

#include "PlatformTypes.h"

#include <cstdint>

namespace bx::platform {

// The only source of time for behaviour code. The simulated desktop runs it on virtual time.
class IClock {
public:
    virtual ~IClock() = default;

    // The local date-time now.
    virtual TDateTime Now() const = 0;
    // Milliseconds since local midnight, 0 to 86,399,999.
    virtual std::int32_t TimeOfDayMs() const = 0;
    // Monotonic milliseconds since an arbitrary start; never goes back.
    virtual std::uint64_t TickCount() const = 0;
    // Blocks the caller for ms milliseconds without handling window messages.
    virtual void Sleep(UINT ms) = 0;
};

} // namespace bx::platform
