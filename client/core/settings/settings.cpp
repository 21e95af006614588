#include "client/core/settings/settings.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <variant>

namespace qc::settings {
namespace {

using Member = std::variant<bool Settings::*, std::int32_t Settings::*, float Settings::*,
                            std::string Settings::*>;

struct Key {
    std::string_view section;
    std::string_view name;
    Member member;
};

constexpr std::string_view M = kMainSection;
constexpr std::string_view W = kWindowsSection;

// Section "main" after "QVID" and "PW", read and written in this order.
const std::array<Key, 14> kMainKeys = {{
    {M, "OpenGameList", &Settings::OpenGameList},
    {M, "PlaySound", &Settings::PlaySound},
    {M, "SoundFile", &Settings::SoundFile},
    {M, "AlwaysList", &Settings::AlwaysList},
    {M, "MyTime", &Settings::MyTime},
    {M, "Floater", &Settings::ShowFloater},
    {M, "ShowLast1", &Settings::ShowLast1},
    {M, "ShowLast2", &Settings::ShowLast2},
    {M, "ShowPoss", &Settings::ShowPoss},
    {M, "EmailLink", &Settings::EmailLink},
    {M, "TextLink", &Settings::TextLink},
    {M, "EmailMeOnReq", &Settings::EmailMeOnReq},
    {M, "TextMeOnReq", &Settings::TextMeOnReq},
    {M, "Notify", &Settings::Notify},
}};

// Section "windows" in the order it is read.
const std::array<Key, 26> kWindowKeysReadOrder = {{
    {W, "FloaterX", &Settings::FloaterX},
    {W, "FloaterY", &Settings::FloaterY},
    {W, "FloaterTop", &Settings::FloaterTop},
    {W, "FloaterLock", &Settings::FloaterLock},
    {W, "GameListX", &Settings::GameListX},
    {W, "GameListY", &Settings::GameListY},
    {W, "GameWinX", &Settings::GameWinX},
    {W, "GameWinY", &Settings::GameWinY},
    {W, "ShowLog", &Settings::ShowLog},
    {W, "ShowChat", &Settings::ShowChat},
    {W, "PublicReqsX", &Settings::PublicReqsX},
    {W, "PublicReqsY", &Settings::PublicReqsY},
    {W, "PublicReqsWidth", &Settings::PublicReqsWidth},
    {W, "PublicReqsHeight", &Settings::PublicReqsHeight},
    {W, "RequestX", &Settings::RequestX},
    {W, "RequestY", &Settings::RequestY},
    {W, "LocalGameX", &Settings::LocalGameX},
    {W, "LocalGameY", &Settings::LocalGameY},
    {W, "PlayBotX", &Settings::PlayBotX},
    {W, "PlayBotY", &Settings::PlayBotY},
    {W, "ScoreboardX", &Settings::ScoreboardX},
    {W, "ScoreboardY", &Settings::ScoreboardY},
    {W, "ScoreboardWidth", &Settings::ScoreboardWidth},
    {W, "ScoreboardHeight", &Settings::ScoreboardHeight},
    {W, "SettingsX", &Settings::SettingsX},
    {W, "SettingsY", &Settings::SettingsY},
}};

// Section "windows" in the order it is written.
const std::array<Key, 26> kWindowKeysSaveOrder = {{
    {W, "FloaterX", &Settings::FloaterX},
    {W, "FloaterY", &Settings::FloaterY},
    {W, "FloaterTop", &Settings::FloaterTop},
    {W, "FloaterLock", &Settings::FloaterLock},
    {W, "GameListX", &Settings::GameListX},
    {W, "GameListY", &Settings::GameListY},
    {W, "ShowLog", &Settings::ShowLog},
    {W, "ShowChat", &Settings::ShowChat},
    {W, "GameWinX", &Settings::GameWinX},
    {W, "GameWinY", &Settings::GameWinY},
    {W, "PublicReqsWidth", &Settings::PublicReqsWidth},
    {W, "PublicReqsHeight", &Settings::PublicReqsHeight},
    {W, "PublicReqsX", &Settings::PublicReqsX},
    {W, "PublicReqsY", &Settings::PublicReqsY},
    {W, "RequestX", &Settings::RequestX},
    {W, "RequestY", &Settings::RequestY},
    {W, "LocalGameX", &Settings::LocalGameX},
    {W, "LocalGameY", &Settings::LocalGameY},
    {W, "PlayBotX", &Settings::PlayBotX},
    {W, "PlayBotY", &Settings::PlayBotY},
    {W, "ScoreboardWidth", &Settings::ScoreboardWidth},
    {W, "ScoreboardHeight", &Settings::ScoreboardHeight},
    {W, "ScoreboardX", &Settings::ScoreboardX},
    {W, "ScoreboardY", &Settings::ScoreboardY},
    {W, "SettingsX", &Settings::SettingsX},
    {W, "SettingsY", &Settings::SettingsY},
}};

// The windows' design sizes, which their default positions centre.
struct DesignSize {
    std::int32_t Settings::*x;
    std::int32_t Settings::*y;
    double width;
    double height;
};
const std::array<DesignSize, 8> kDesignSizes = {{
    {&Settings::GameListX, &Settings::GameListY, 12075, 7860},
    {&Settings::GameWinX, &Settings::GameWinY, 13545, 9060},
    {&Settings::PublicReqsX, &Settings::PublicReqsY, 6565, 6360},
    {&Settings::RequestX, &Settings::RequestY, 4545, 5280},
    {&Settings::LocalGameX, &Settings::LocalGameY, 4545, 2340},
    {&Settings::PlayBotX, &Settings::PlayBotY, 4545, 3300},
    {&Settings::ScoreboardX, &Settings::ScoreboardY, 9540, 6375},
    {&Settings::SettingsX, &Settings::SettingsY, 10320, 6120},
}};

template <class... F>
struct Overloaded : F... {
    using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

void ReadKey(const IniFile& ini, const Key& key, const Settings& defaults, Settings& out) {
    std::visit(Overloaded{
                   [&](bool Settings::*m) {
                       out.*m = ini.GetInt(key.section, key.name, defaults.*m ? 1 : 0) != 0;
                   },
                   [&](std::int32_t Settings::*m) {
                       out.*m = ini.GetInt(key.section, key.name, defaults.*m);
                   },
                   [&](float Settings::*m) {
                       // Read as an integer: a stored fraction is dropped.
                       const auto def = static_cast<std::int32_t>(defaults.*m);
                       out.*m = static_cast<float>(ini.GetInt(key.section, key.name, def));
                   },
                   [&](std::string Settings::*m) {
                       out.*m = ini.GetString(key.section, key.name, defaults.*m);
                   },
               },
               key.member);
}

std::string FormatFloat(float value) {
    // Fixed notation: an exponent would read back as its mantissa's integer.
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (result.ec != std::errc()) {
        return "0";
    }
    return std::string(buffer, result.ptr);
}

void WriteKey(IniFile& ini, const Key& key, const Settings& settings) {
    std::visit(
        Overloaded{
            [&](bool Settings::*m) {
                ini.WriteString(key.section, key.name, settings.*m ? "1" : "0");
            },
            [&](std::int32_t Settings::*m) {
                ini.WriteString(key.section, key.name, std::to_string(settings.*m));
            },
            [&](float Settings::*m) {
                ini.WriteString(key.section, key.name, FormatFloat(settings.*m));
            },
            [&](std::string Settings::*m) { ini.WriteString(key.section, key.name, settings.*m); },
        },
        key.member);
}

}  // namespace

std::int32_t CentredPosition(double screen, double size) {
    const double exact = screen / 2 - size / 2;
    if (!std::isfinite(exact)) {
        return 0;
    }
    double rounded = std::floor(exact);
    const double fraction = exact - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0)) {
        rounded += 1;
    }
    constexpr double kMin = std::numeric_limits<std::int32_t>::min();
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(rounded, kMin, kMax));
}

Settings DefaultSettings(ScreenTwips screen, const SettingsDefaults& defaults) {
    Settings s;
    s.SoundFile = defaults.soundFile;
    for (const DesignSize& d : kDesignSizes) {
        s.*d.x = CentredPosition(screen.width, d.width);
        s.*d.y = CentredPosition(screen.height, d.height);
    }
    return s;
}

LoadedSettings LoadSettings(const IniFile& ini, ScreenTwips screen,
                            const SettingsDefaults& defaults) {
    const Settings def = DefaultSettings(screen, defaults);
    LoadedSettings loaded;
    loaded.qvid = ini.GetString(kMainSection, "QVID", "");
    loaded.pwHash = ini.GetString(kMainSection, "PW", "");
    for (const Key& key : kMainKeys) {
        ReadKey(ini, key, def, loaded.settings);
    }
    for (const Key& key : kWindowKeysReadOrder) {
        ReadKey(ini, key, def, loaded.settings);
    }
    loaded.appRemember = !loaded.pwHash.empty();
    return loaded;
}

void SaveSettings(IniFile& ini, const Settings& settings, std::string_view qvid,
                  std::string_view pwHash, bool appRemember) {
    ini.WriteString(kMainSection, "QVID", qvid);
    ini.WriteString(kMainSection, "PW", appRemember ? pwHash : std::string_view());
    for (const Key& key : kMainKeys) {
        WriteKey(ini, key, settings);
    }
    for (const Key& key : kWindowKeysSaveOrder) {
        WriteKey(ini, key, settings);
    }
}

LoadedSettings LoadSettingsFile(platform::FileSystem& fs, const std::filesystem::path& path,
                                ScreenTwips screen, const SettingsDefaults& defaults) {
    return LoadSettings(IniFile::Load(fs, path), screen, defaults);
}

bool SaveSettingsFile(platform::FileSystem& fs, const std::filesystem::path& path,
                      const Settings& settings, std::string_view qvid, std::string_view pwHash,
                      bool appRemember) {
    IniFile ini = IniFile::Load(fs, path);
    SaveSettings(ini, settings, qvid, pwHash, appRemember);
    return ini.Flush();
}

bool ReadRunOnStartUp(platform::Autostart& autostart) {
    return autostart.IsPresent();
}

void SaveRunOnStartUp(platform::Autostart& autostart, bool runOnStartUp) {
    if (runOnStartUp) {
        autostart.Write();
    } else {
        autostart.Remove();
    }
}

}  // namespace qc::settings
