#pragma once

namespace qc::platform {

// A civil (calendar) date and time without a time zone.
struct CivilTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
  public:
    virtual ~Clock() = default;
    // The local wall-clock time.
    virtual CivilTime LocalNow() const = 0;
};

}  // namespace qc::platform
