#pragma once

#include "IWindows.h"
#include "WindowTable.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <utility>

namespace bx::platform::sim {

class SimClock;

// Windows, messages and timers on virtual time. Posted messages wait in one queue; timers fall due
// on the virtual clock. Nothing is delivered until messages are processed.
class SimWindows : public IWindows {
public:
    SimWindows(SimClock& clock, WindowTable& table, std::uint32_t programPid);

    HWND CreateWindow(const std::string& title, WindowProc proc) override;
    void DestroyWindow(HWND hwnd) override;
    bool IsWindow(HWND hwnd) const override;
    LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool SetTimer(HWND hwnd, TimerId id, UINT ms, TimerKind kind) override;
    bool KillTimer(HWND hwnd, TimerId id) override;
    void ProcessMessages() override;
    std::string GetWindowText(HWND hwnd) const override;
    std::uint32_t GetWindowProcessId(HWND hwnd) const override;
    HWND GetForegroundWindow() const override { return foreground_; }
    bool SetForegroundWindow(HWND hwnd) override;

    // A window of another (simulated) program.
    HWND CreateWindowOfProcess(const std::string& title, WindowProc proc, std::uint32_t pid);
    void SetWindowText(HWND hwnd, const std::string& title) { table_.SetTitle(hwnd, title); }
    std::optional<std::uint64_t> NextTimerDue() const;
    bool TimerRunning(HWND hwnd, TimerId id) const;
    std::size_t QueuedMessages() const { return queue_.size(); }

private:
    struct Posted {
        HWND hwnd;
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };
    struct Timer {
        std::uint64_t due = 0;
        UINT interval = 0;
        TimerKind kind = TimerKind::Repeating;
        std::uint64_t sequence = 0;
    };
    using TimerKey = std::pair<HWND, TimerId>;

    bool FireOneDueTimer();

    SimClock& clock_;
    WindowTable& table_;
    std::uint32_t programPid_;
    std::deque<Posted> queue_;
    std::map<TimerKey, Timer> timers_;
    std::uint64_t timerSequence_ = 0;
    HWND foreground_ = NoWindow;
};

} // namespace bx::platform::sim
