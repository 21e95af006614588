#pragma once

#include <functional>
#include <memory>

namespace qc::platform {

// A repeating timer. Enabling a timer that is already enabled keeps its
// phase; disabling and enabling again restarts the full interval.
class Timer {
  public:
    virtual ~Timer() = default;
    virtual void SetInterval(int milliseconds) = 0;
    virtual int Interval() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Enabled() const = 0;
};

class TimerFactory {
  public:
    virtual ~TimerFactory() = default;
    // Created disabled.
    virtual std::unique_ptr<Timer> CreateTimer(int intervalMs, std::function<void()> onTick) = 0;
};

}  // namespace qc::platform
