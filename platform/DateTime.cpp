#include "DateTime.h"

#include <cmath>
#include <cstdio>

namespace bx::platform {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

// 1899-12-30 counted from 1970-01-01.
const std::int64_t EpochDays = DaysFromCivil(1899, 12, 30);

} // namespace

TDateTime DateTimeFromMs(std::int64_t msSinceEpoch) {
    const std::int64_t days =
        msSinceEpoch >= 0 ? msSinceEpoch / MsPerDay : -((-msSinceEpoch + MsPerDay - 1) / MsPerDay);
    const std::int64_t ms = msSinceEpoch - days * MsPerDay;
    return static_cast<double>(days) + static_cast<double>(ms) / static_cast<double>(MsPerDay);
}

std::int64_t MsFromDateTime(TDateTime value) {
    const double days = std::floor(value);
    const auto ms = static_cast<std::int64_t>(std::llround((value - days) * static_cast<double>(MsPerDay)));
    return static_cast<std::int64_t>(days) * MsPerDay + ms;
}

TDateTime EncodeDateTime(const DateTimeParts& p) {
    const std::int64_t days =
        DaysFromCivil(p.year, static_cast<unsigned>(p.month), static_cast<unsigned>(p.day)) - EpochDays;
    const std::int64_t ms = ((p.hour * 60LL + p.minute) * 60LL + p.second) * 1000LL + p.millisecond;
    return DateTimeFromMs(days * MsPerDay + ms);
}

DateTimeParts DecodeDateTime(TDateTime value) {
    const std::int64_t total = MsFromDateTime(value);
    std::int64_t days = total / MsPerDay;
    std::int64_t ms = total % MsPerDay;
    if (ms < 0) {
        ms += MsPerDay;
        --days;
    }
    DateTimeParts p;
    CivilFromDays(days + EpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(ms / 3'600'000);
    p.minute = static_cast<int>(ms / 60'000 % 60);
    p.second = static_cast<int>(ms / 1000 % 60);
    p.millisecond = static_cast<int>(ms % 1000);
    return p;
}

std::int32_t TimeOfDayMs(TDateTime value) {
    std::int64_t ms = MsFromDateTime(value) % MsPerDay;
    if (ms < 0)
        ms += MsPerDay;
    return static_cast<std::int32_t>(ms);
}

std::string FormatTime(TDateTime value) {
    const DateTimeParts p = DecodeDateTime(value);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", p.hour, p.minute, p.second);
    return text;
}

} // namespace bx::platform
