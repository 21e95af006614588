#pragma once

#include <string>

namespace qc::platform {

// Media control strings: "open \"FILE\" type waveaudio alias NAME",
// "play NAME" (asynchronous) and "close NAME". Results are ignored by the
// program, so a failure is only reported for tests and diagnostics.
class MediaControl {
  public:
    virtual ~MediaControl() = default;
    virtual bool SendCommand(const std::string& command) = 0;
};

}  // namespace qc::platform
