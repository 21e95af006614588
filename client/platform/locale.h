#pragma once

#include <string>

#include "client/platform/clock.h"

namespace qc::platform {

// Dates and times in the user's locale.
class DateTimeFormat {
  public:
    virtual ~DateTimeFormat() = default;
    // The short date followed by the time with seconds.
    virtual std::string DateTime(const CivilTime& t) = 0;
    // The short date alone.
    virtual std::string Date(const CivilTime& t) = 0;
};

}  // namespace qc::platform
