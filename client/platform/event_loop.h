#pragma once

namespace qc::platform {

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Handles the events already waiting, then returns.
    virtual void ProcessPendingEvents() = 0;
};

}  // namespace qc::platform
