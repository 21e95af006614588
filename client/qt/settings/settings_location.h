#pragma once

#include <QString>
#include <filesystem>
#include <memory>

#include "client/platform/autostart.h"

namespace qc::qt {

// Where this platform keeps the settings file: beside the executable on
// Windows, under the user's XDG configuration folder elsewhere.
std::filesystem::path SettingsFilePath();

// The autostart entry of this platform for the running executable.
std::unique_ptr<platform::Autostart> MakeAutostart();

}  // namespace qc::qt
