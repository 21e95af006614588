// A program that holds the client's core and the registry autostart entry,
// built for Windows only to prove that they compile and link there.
#include <string>

#include "client/core/desktop/web_pages.h"
#include "client/core/version.h"
#include "client/qt/settings/registry_autostart.h"

static_assert(qc::desktop::CurrentPlatform() == qc::desktop::DesktopPlatform::Windows,
              "the core's Windows branches are the ones compiled");

int main(int argc, char** argv) {
    qc::qt::RegistryAutostart autostart(argc > 0 ? argv[0] : "");
    // Reads the entry only when asked to, so that running it changes nothing.
    if (argc > 1 && std::string(argv[1]) == "--autostart") {
        return autostart.IsPresent() ? 0 : 1;
    }
    return qc::Version()[0] != '\0' ? 0 : 1;
}
