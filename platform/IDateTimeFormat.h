#pragma once

#include "PlatformTypes.h"

#include <string>

namespace bx::platform {

// Dates and times as the user reads them: the short date and the long time of the user's locale.
// The real program formats by the process locale (StrftimeDateTimeFormat); tests use a fixed form.
class IDateTimeFormat {
public:
    virtual ~IDateTimeFormat() = default;

    virtual std::string ShortDate(TDateTime value) const = 0;
    virtual std::string LongTime(TDateTime value) const = 0;

    // The short date, a space and the long time.
    std::string DateTime(TDateTime value) const { return ShortDate(value) + " " + LongTime(value); }
};

} // namespace bx::platform
