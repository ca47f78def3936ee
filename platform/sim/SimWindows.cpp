#include "SimWindows.h"

#include "SimClock.h"

#include <algorithm>

namespace bx::platform::sim {

namespace {
// A program whose handlers keep posting to each other without end would hang the test; stop there.
constexpr int MaxDeliveriesPerCall = 1'000'000;
} // namespace

SimWindows::SimWindows(SimClock& clock, WindowTable& table, std::uint32_t programPid)
    : clock_(clock), table_(table), programPid_(programPid) {}

HWND SimWindows::CreateWindow(const std::string& title, WindowProc proc) {
    return CreateWindowOfProcess(title, std::move(proc), programPid_);
}

HWND SimWindows::CreateWindowOfProcess(const std::string& title, WindowProc proc, std::uint32_t pid) {
    return table_.Add(title, std::move(proc), pid);
}

void SimWindows::DestroyWindow(HWND hwnd) {
    if (!table_.Remove(hwnd))
        return;
    std::erase_if(timers_, [hwnd](const auto& t) { return t.first.first == hwnd; });
    std::erase_if(queue_, [hwnd](const Posted& p) { return p.hwnd == hwnd; });
    if (foreground_ == hwnd)
        foreground_ = NoWindow;
}

bool SimWindows::IsWindow(HWND hwnd) const {
    return table_.Contains(hwnd);
}

LRESULT SimWindows::SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return table_.Send(hwnd, msg, wParam, lParam);
}

bool SimWindows::PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!table_.Contains(hwnd))
        return false;
    queue_.push_back(Posted{hwnd, msg, wParam, lParam});
    return true;
}

bool SimWindows::SetTimer(HWND hwnd, TimerId id, UINT ms, TimerKind kind) {
    if (!table_.Contains(hwnd))
        return false;
    const UINT interval = std::max(ms, USER_TIMER_MINIMUM);
    timers_[{hwnd, id}] = Timer{clock_.Elapsed() + interval, interval, kind, timerSequence_++};
    return true;
}

bool SimWindows::KillTimer(HWND hwnd, TimerId id) {
    return timers_.erase({hwnd, id}) == 1;
}

bool SimWindows::TimerRunning(HWND hwnd, TimerId id) const {
    return timers_.contains({hwnd, id});
}

std::optional<std::uint64_t> SimWindows::NextTimerDue() const {
    std::optional<std::uint64_t> next;
    for (const auto& [key, timer] : timers_)
        if (!next || timer.due < *next)
            next = timer.due;
    return next;
}

bool SimWindows::FireOneDueTimer() {
    auto best = timers_.end();
    for (auto it = timers_.begin(); it != timers_.end(); ++it) {
        if (it->second.due > clock_.Elapsed())
            continue;
        if (best == timers_.end() || it->second.due < best->second.due ||
            (it->second.due == best->second.due && it->second.sequence < best->second.sequence))
            best = it;
    }
    if (best == timers_.end())
        return false;
    const TimerKey key = best->first;
    if (best->second.kind == TimerKind::OneShot)
        timers_.erase(best);
    else
        best->second.due = clock_.Elapsed() + best->second.interval;
    table_.Send(key.first, WM_TIMER, key.second, 0);
    return true;
}

void SimWindows::ProcessMessages() {
    for (int delivered = 0; delivered < MaxDeliveriesPerCall; ++delivered) {
        if (!queue_.empty()) {
            const Posted p = queue_.front();
            queue_.pop_front();
            table_.Send(p.hwnd, p.msg, p.wParam, p.lParam);
            continue;
        }
        if (!FireOneDueTimer())
            return;
    }
}

std::string SimWindows::GetWindowText(HWND hwnd) const {
    return table_.Title(hwnd);
}

std::uint32_t SimWindows::GetWindowProcessId(HWND hwnd) const {
    return table_.ProcessId(hwnd);
}

bool SimWindows::SetForegroundWindow(HWND hwnd) {
    if (!table_.Contains(hwnd))
        return false;
    foreground_ = hwnd;
    return true;
}

} // namespace bx::platform::sim
