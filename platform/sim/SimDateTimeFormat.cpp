#include "SimDateTimeFormat.h"

#include "DateTime.h"

#include <cstdio>

namespace bx::platform::sim {

std::string SimDateTimeFormat::ShortDate(TDateTime value) const {
    const DateTimeParts p = DecodeDateTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day);
    return text;
}

std::string SimDateTimeFormat::LongTime(TDateTime value) const {
    return FormatTime(value);
}

} // namespace bx::platform::sim
