#include "SimDesktop.h"

#include <algorithm>

namespace bx::platform::sim {

SimDesktop::SimDesktop()
    : programPid_(processes_.AddProcess(ProgramPath)), windows_(clock_, table_, programPid_), clipboard_(windows_),
      keyboard_(windows_, clock_), hotKeys_(windows_) {}

SimDesktop::~SimDesktop() = default;

void SimDesktop::Advance(std::uint64_t ms) {
    const std::uint64_t target = clock_.Elapsed() + ms;
    windows_.ProcessMessages();
    for (;;) {
        const auto action = clock_.NextActionDue();
        const auto timer = windows_.NextTimerDue();
        std::uint64_t next = target + 1;
        if (action)
            next = std::min(next, *action);
        if (timer)
            next = std::min(next, *timer);
        if (next > target)
            break;
        clock_.MoveTo(next);
        clock_.RunDueActions();
        windows_.ProcessMessages();
    }
    clock_.MoveTo(target);
    windows_.ProcessMessages();
}

} // namespace bx::platform::sim
