#pragma once

#include <string>

#include "client/core/settings/settings.h"

namespace qc {
class Setup;
}

namespace qc::settings {

// What start-up needs to know about the machine.
struct StartupEnvironment {
    std::string settingsPath;
    ScreenTwips screen;
    SettingsDefaults defaults;
    // Without a notification area the floating indicator is the only way to
    // reach the program, so it is shown whatever the setting says.
    bool trayAvailable = true;
};

// The controller's load: settings, autostart, the icon, the first windows
// and the login, in that order. The single-instance check comes before it.
void StartUp(Setup& setup, const StartupEnvironment& env);

// The controller's unload: goodbye to the server, the windows, the settings
// file, the autostart entry, the icon and the socket, in that order.
void Shutdown(Setup& setup);

}  // namespace qc::settings
