#pragma once

#include "IDateTimeFormat.h"

namespace bx::platform {

// Dates and times in the process locale (LC_TIME): the short date of strftime's "%x" and the long
// time of "%X". Qt sets the locale from the environment at start, so this follows the user's choice.
class StrftimeDateTimeFormat : public IDateTimeFormat {
public:
    std::string ShortDate(TDateTime value) const override;
    std::string LongTime(TDateTime value) const override;
};

} // namespace bx::platform
