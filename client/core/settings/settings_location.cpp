#include "client/core/settings/settings_location.h"

namespace qc::settings {

std::string XdgConfigHome(std::string_view xdgConfigHome, std::string_view home) {
    // A relative value is invalid by the XDG rules and is ignored.
    if (!xdgConfigHome.empty() && xdgConfigHome.front() == '/') {
        return std::string(xdgConfigHome);
    }
    std::string dir(home);
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir + ".config";
}

namespace {
std::string Join(std::string_view dir, std::string_view rest) {
    std::string path(dir);
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    return path + std::string(rest);
}
}  // namespace

std::string XdgSettingsFilePath(std::string_view configHome) {
    return Join(configHome, "quorvel-chess/" + std::string(kSettingsFileName));
}

std::string XdgAutostartFilePath(std::string_view configHome) {
    return Join(configHome, "autostart/quorvel-chess.desktop");
}

std::string DesktopEntryExecArgument(std::string_view programPath) {
    // First the Exec quoting rule, then the string value escapes on top of it,
    // so a backslash in the path ends up as four.
    std::string quoted = "\"";
    for (char c : programPath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            quoted += '\\';
        } else if (c == '%') {
            quoted += '%';
        }
        quoted += c;
    }
    quoted += '"';

    std::string escaped;
    for (char c : quoted) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\n':
                escaped += "\\n";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string AutostartDesktopEntry(std::string_view programPath) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" +
           std::string(kAutostartName) +
           "\n"
           "Exec=" +
           DesktopEntryExecArgument(programPath) +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string RunValueData(std::string_view programPath) {
    return "\"" + std::string(programPath) + "\"";
}

}  // namespace qc::settings
