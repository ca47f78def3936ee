// Local date-times as day counts: days since 30 December 1899, the fraction is the time of day.
#pragma once

#include "PlatformTypes.h"

#include <cstdint>
#include <string>

namespace bx::platform {

struct DateTimeParts {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

inline constexpr std::int64_t MsPerDay = 86'400'000;

TDateTime EncodeDateTime(const DateTimeParts& parts);
// Exact to the millisecond for dates from 1899-12-30 on.
DateTimeParts DecodeDateTime(TDateTime value);
// Whole days since 30 December 1899 and milliseconds since midnight, from a count of milliseconds.
TDateTime DateTimeFromMs(std::int64_t msSinceEpoch);
std::int64_t MsFromDateTime(TDateTime value);
// Milliseconds since midnight, 0 to 86,399,999.
std::int32_t TimeOfDayMs(TDateTime value);
// "hh:mm:ss", 24-hour.
std::string FormatTime(TDateTime value);

} // namespace bx::platform
