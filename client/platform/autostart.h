#pragma once

namespace qc::platform {

// The entry that starts the program when the user's session (or the machine)
// starts. Each adapter knows the program's own path. Write and Remove report
// success for tests; the program ignores failures (no rights, no folder).
class Autostart {
  public:
    virtual ~Autostart() = default;

    // True when the entry exists, whatever it holds.
    virtual bool IsPresent() = 0;
    // Creates or replaces the entry with the command line that starts this program.
    virtual bool Write() = 0;
    // Removes the entry; removing an absent entry succeeds.
    virtual bool Remove() = 0;
};

}  // namespace qc::platform
