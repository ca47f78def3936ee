#include "StrftimeDateTimeFormat.h"

#include "DateTime.h"

#include <ctime>

namespace bx::platform {

namespace {

std::string Format(TDateTime value, const char* format) {
    const DateTimeParts p = DecodeDateTime(value);
    std::tm tm{};
    tm.tm_year = p.year - 1900;
    tm.tm_mon = p.month - 1;
    tm.tm_mday = p.day;
    tm.tm_hour = p.hour;
    tm.tm_min = p.minute;
    tm.tm_sec = p.second;
    tm.tm_isdst = -1;
    // The weekday and day of the year, for formats that show them.
    std::tm normalised = tm;
    if (std::mktime(&normalised) != -1) {
        tm.tm_wday = normalised.tm_wday;
        tm.tm_yday = normalised.tm_yday;
    }
    char text[128];
    const std::size_t n = std::strftime(text, sizeof text, format, &tm);
    return std::string(text, n);
}

} // namespace

std::string StrftimeDateTimeFormat::ShortDate(TDateTime value) const {
    return Format(value, "%x");
}

std::string StrftimeDateTimeFormat::LongTime(TDateTime value) const {
    return Format(value, "%X");
}

} // namespace bx::platform
