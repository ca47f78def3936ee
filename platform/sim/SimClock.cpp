#include "SimClock.h"

#include "DateTime.h"

#include <algorithm>

namespace bx::platform::sim {

SimClock::SimClock() : SimClock(EncodeDateTime({2026, 3, 2, 9, 0, 0, 0})) {}

SimClock::SimClock(TDateTime start) : startMs_(MsFromDateTime(start)) {}

TDateTime SimClock::Now() const {
    return DateTimeFromMs(startMs_ + static_cast<std::int64_t>(elapsed_));
}

std::int32_t SimClock::TimeOfDayMs() const {
    return platform::TimeOfDayMs(Now());
}

void SimClock::MoveTo(std::uint64_t elapsed) {
    elapsed_ = std::max(elapsed_, elapsed);
}

void SimClock::Sleep(UINT ms) {
    const std::uint64_t target = elapsed_ + ms;
    slept_ += ms;
    while (auto due = NextActionDue()) {
        if (*due > target)
            break;
        MoveTo(*due);
        RunDueActions();
    }
    MoveTo(target);
}

void SimClock::After(std::uint64_t ms, std::function<void()> action) {
    actions_.emplace(std::make_pair(elapsed_ + ms, sequence_++), std::move(action));
}

std::optional<std::uint64_t> SimClock::NextActionDue() const {
    if (actions_.empty())
        return std::nullopt;
    return actions_.begin()->first.first;
}

void SimClock::RunDueActions() {
    while (!actions_.empty() && actions_.begin()->first.first <= elapsed_) {
        auto node = actions_.extract(actions_.begin());
        node.mapped()();
    }
}

} // namespace bx::platform::sim
