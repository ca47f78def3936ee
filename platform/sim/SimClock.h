#pragma once

#include "IClock.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <utility>

namespace bx::platform::sim {

// Virtual time. It stands still until a test advances it or the program sleeps. Other programs'
// actions can be scheduled at a moment of virtual time; they run when time reaches that moment,
// while this program sleeps too, as another process would act meanwhile.
class SimClock : public IClock {
public:
    // Starts at 2 March 2026, 09:00:00.000 local time.
    SimClock();
    explicit SimClock(TDateTime start);

    TDateTime Now() const override;
    std::int32_t TimeOfDayMs() const override;
    std::uint64_t TickCount() const override { return elapsed_; }
    // Moves virtual time on by ms, running the scheduled actions that fall due on the way.
    void Sleep(UINT ms) override;

    // Milliseconds since the clock started.
    std::uint64_t Elapsed() const { return elapsed_; }
    // Moves time forward to the given elapsed milliseconds (never back).
    void MoveTo(std::uint64_t elapsed);
    // Total time this program spent in Sleep.
    std::uint64_t TimeSlept() const { return slept_; }

    // Schedules an action of another program ms milliseconds from now.
    void After(std::uint64_t ms, std::function<void()> action);
    std::optional<std::uint64_t> NextActionDue() const;
    // Runs every action due now or earlier, in order of time and scheduling.
    void RunDueActions();

private:
    std::int64_t startMs_;
    std::uint64_t elapsed_ = 0;
    std::uint64_t slept_ = 0;
    std::uint64_t sequence_ = 0;
    std::map<std::pair<std::uint64_t, std::uint64_t>, std::function<void()>> actions_;
};

} // namespace bx::platform::sim
