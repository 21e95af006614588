#pragma once

#include <string>

#include "client/platform/clock.h"

namespace qc::platform {

// Dates, times and numbers in the user's locale.
class DateTimeFormat {
  public:
    virtual ~DateTimeFormat() = default;
    // The short date followed by the time with seconds.
    virtual std::string DateTime(const CivilTime& t) = 0;
    // The short date alone.
    virtual std::string Date(const CivilTime& t) = 0;
    // A number with a fixed count of decimals and the locale's separator,
    // without group separators.
    virtual std::string Fixed(double value, int decimals) = 0;
};

}  // namespace qc::platform
