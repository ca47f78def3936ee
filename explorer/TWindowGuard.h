#pragma once

#include <functional>

namespace bx::shell {
class TBrindlexCore;
}

namespace bx::explorer {

// Runs the handlers of the window's parts: an exception that escapes one goes to the program's error
// trap (through the core's guard, which also holds back an end requested meanwhile). Without a core the
// handler runs as it is.
class TWindowGuard {
public:
    static void Run(shell::TBrindlexCore* core, const std::function<void()>& handler);
    // For event filters, which see every event of their widgets: the filter runs inline (no handler object
    // is made for an event) and an exception reaches the error trap; without a core it goes on up.
    template <class F> static bool Filter(shell::TBrindlexCore* core, F&& filter) {
        try {
            return filter();
        } catch (...) {
            if (core == nullptr)
                throw;
            HandleCurrentException(*core);
        }
        return false;
    }

private:
    static void HandleCurrentException(shell::TBrindlexCore& core);
};

} // namespace bx::explorer
