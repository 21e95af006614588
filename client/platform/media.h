#pragma once

#include <filesystem>

namespace qc::platform {

// Plays one wave file at a time. The caller decides when to open, play and
// close; results are reported for tests only, the program ignores them.
class SoundPlayer {
  public:
    virtual ~SoundPlayer() = default;
    // Opens the file for playing; fails while another is still open.
    virtual bool Open(const std::filesystem::path& file) = 0;
    // Starts the open sound and returns at once; false when nothing is open.
    virtual bool Play() = 0;
    // Stops and releases the sound; closing with nothing open does nothing.
    virtual void Close() = 0;
};

}  // namespace qc::platform
