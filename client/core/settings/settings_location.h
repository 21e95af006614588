#pragma once

#include <string>
#include <string_view>

#include "client/core/text.h"

namespace qc::settings {

inline constexpr std::string_view kSettingsFileName = "Quorvel Chess.ini";
// The autostart entry's name (the Windows Run value, the desktop entry's Name).
inline constexpr std::string_view kAutostartName = text::kProgramName;

// The user's configuration folder as the XDG base directory rules give it:
// $XDG_CONFIG_HOME when set to an absolute path, else $HOME/.config.
std::string XdgConfigHome(std::string_view xdgConfigHome, std::string_view home);

// Other than on Windows: <config home>/quorvel-chess/Quorvel Chess.ini.
std::string XdgSettingsFilePath(std::string_view configHome);

// <config home>/autostart/quorvel-chess.desktop.
std::string XdgAutostartFilePath(std::string_view configHome);

// `programPath` as one argument of a desktop entry's Exec key: quoted, with
// '"', '`', '$' and '\' escaped inside the quotes, '%' doubled (it starts a
// field code), and then the escapes every desktop entry string value needs.
std::string DesktopEntryExecArgument(std::string_view programPath);

// The whole autostart desktop entry that runs `programPath` (UTF-8).
std::string AutostartDesktopEntry(std::string_view programPath);

// The Windows Run value's data: the executable's full path between double quotes.
std::string RunValueData(std::string_view programPath);

}  // namespace qc::settings
