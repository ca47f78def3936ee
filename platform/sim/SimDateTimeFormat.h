#pragma once

#include "IDateTimeFormat.h"

namespace bx::platform::sim {

// A fixed locale for tests: the short date as "yyyy-mm-dd", the long time as "hh:mm:ss".
class SimDateTimeFormat : public IDateTimeFormat {
public:
    std::string ShortDate(TDateTime value) const override;
    std::string LongTime(TDateTime value) const override;
};

} // namespace bx::platform::sim
