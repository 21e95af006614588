#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "client/core/settings/ini_file.h"
#include "client/platform/autostart.h"

namespace qc::settings {

// Every setting of the settings file except the login fields, one field per
// key, named as the controller names them. Positions and sizes are in twips.
// The file is read and written whole, so its image is one struct; while the
// program runs each key has one writer: the floating indicator's keys the
// status display, a window's position that window's logic, the highlight
// flags the game session (from the server's game line), the rest the
// settings window.
struct Settings {
    // Section "main".
    bool OpenGameList = true;
    bool PlaySound = true;
    // A local path in the system's own 8-bit encoding (UTF-8 outside
    // Windows), not wire text.
    std::string SoundFile;
    bool AlwaysList = false;
    bool MyTime = true;
    bool ShowFloater = false;  // key "Floater"
    bool ShowLast1 = true;
    bool ShowLast2 = true;
    bool ShowPoss = true;
    bool EmailLink = false;
    bool TextLink = false;
    bool EmailMeOnReq = false;
    bool TextMeOnReq = false;
    // Desktop notifications of moves, requests and deadlines; after the
    // keys above in the file.
    bool Notify = true;

    // Section "windows".
    float FloaterX = 200;
    float FloaterY = 200;
    bool FloaterTop = true;
    bool FloaterLock = false;
    std::int32_t GameListX = 0;
    std::int32_t GameListY = 0;
    std::int32_t GameWinX = 0;
    std::int32_t GameWinY = 0;
    bool ShowLog = true;
    bool ShowChat = true;
    std::int32_t PublicReqsX = 0;
    std::int32_t PublicReqsY = 0;
    std::int32_t PublicReqsWidth = 6565;
    std::int32_t PublicReqsHeight = 6360;
    std::int32_t RequestX = 0;
    std::int32_t RequestY = 0;
    std::int32_t LocalGameX = 0;
    std::int32_t LocalGameY = 0;
    std::int32_t PlayBotX = 0;
    std::int32_t PlayBotY = 0;
    std::int32_t ScoreboardX = 0;
    std::int32_t ScoreboardY = 0;
    std::int32_t ScoreboardWidth = 9540;
    std::int32_t ScoreboardHeight = 6375;
    std::int32_t SettingsX = 0;
    std::int32_t SettingsY = 0;

    // Not in the file: whether the autostart entry exists (see ReadRunOnStartUp).
    bool RunOnStartUp = false;

    bool operator==(const Settings&) const = default;
};

// The primary screen's size in twips.
struct ScreenTwips {
    double width = 0;
    double height = 0;
};

// The sound the program plays unless the user picked another one.
inline constexpr std::string_view kWindowsSoundFile = "C:\\Windows\\Media\\chimes.wav";

// Defaults that depend on the platform the program runs on.
struct SettingsDefaults {
    std::string soundFile = std::string(kWindowsSoundFile);
};

inline constexpr std::string_view kMainSection = "main";
inline constexpr std::string_view kWindowsSection = "windows";

// The position that centres a window of `size` on a screen of `screen`:
// screen / 2 - size / 2 in floating point, rounded to the nearest integer with
// halves going to the even neighbour.
std::int32_t CentredPosition(double screen, double size);

// Every setting at its default; the windows centred on `screen`.
Settings DefaultSettings(ScreenTwips screen, const SettingsDefaults& defaults = {});

struct LoadedSettings {
    Settings settings;
    std::string qvid;          // key "QVID"
    std::string pwHash;        // key "PW"
    bool appRemember = false;  // true when "PW" holds something
};

// Reads every key, section "main" first, each with its default.
// RunOnStartUp is left false: it comes from the autostart entry.
LoadedSettings LoadSettings(const IniFile& ini, ScreenTwips screen,
                            const SettingsDefaults& defaults = {});

// Writes every key in the saving order: "QVID", "PW", the rest of "main",
// then "windows". "PW" is written empty unless `appRemember`; the caller
// forgets its in-memory digest in that case too. Call ini.Flush() afterwards.
void SaveSettings(IniFile& ini, const Settings& settings, std::string_view qvid,
                  std::string_view pwHash, bool appRemember);

// Loads the file at `path` (missing or unreadable: the defaults).
LoadedSettings LoadSettingsFile(platform::FileSystem& fs, const std::filesystem::path& path,
                                ScreenTwips screen, const SettingsDefaults& defaults = {});
// Loads the file afresh (keys the program does not own survive, also ones
// added by hand while it ran), writes every key and the file in one step.
// False when the file could not be written; the caller ignores it.
bool SaveSettingsFile(platform::FileSystem& fs, const std::filesystem::path& path,
                      const Settings& settings, std::string_view qvid, std::string_view pwHash,
                      bool appRemember);

// True when the autostart entry exists.
bool ReadRunOnStartUp(platform::Autostart& autostart);
// Writes the entry when `runOnStartUp`, removes it otherwise; failures are ignored.
void SaveRunOnStartUp(platform::Autostart& autostart, bool runOnStartUp);

}  // namespace qc::settings
