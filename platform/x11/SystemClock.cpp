#include "SystemClock.h"

#include "DateTime.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace bx::platform::x11 {

TDateTime SystemClock::Now() const {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    return EncodeDateTime({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                           std::min(local.tm_sec, 59), static_cast<int>(ms)});
}

std::int32_t SystemClock::TimeOfDayMs() const {
    return platform::TimeOfDayMs(Now());
}

std::uint64_t SystemClock::TickCount() const {
    using namespace std::chrono;
    return static_cast<std::uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SystemClock::Sleep(UINT ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace bx::platform::x11
