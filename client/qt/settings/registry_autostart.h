#pragma once

#ifdef _WIN32

#include <string>

#include "client/platform/autostart.h"

namespace qc::qt {

// The machine-wide Run value "Quorvel Chess" under
// HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Run.
class RegistryAutostart : public platform::Autostart {
  public:
    // `programPath`: the executable's full path in the ANSI code page.
    explicit RegistryAutostart(std::string programPath);

    bool IsPresent() override;
    bool Write() override;
    bool Remove() override;

  private:
    std::string programPath_;
};

}  // namespace qc::qt

#endif  // _WIN32
