#pragma once

#include <string>

namespace qc::settings {

// Preferences the status display reads.
struct Settings {
    bool PlaySound = true;
    std::string SoundFile;
    bool ShowFloater = false;
    float FloaterX = 200;
    float FloaterY = 200;
    bool FloaterTop = true;
    bool FloaterLock = false;
    bool AlwaysList = false;
    bool OpenGameList = true;
};

}  // namespace qc::settings
