#pragma once

#include "IClock.h"

namespace bx::platform::x11 {

// The real local time.
class SystemClock : public IClock {
public:
    TDateTime Now() const override;
    std::int32_t TimeOfDayMs() const override;
    std::uint64_t TickCount() const override;
    void Sleep(UINT ms) override;
};

} // namespace bx::platform::x11
