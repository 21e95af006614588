#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/settings/settings_location.h"

namespace qc::settings {
namespace {

TEST(SettingsLocation, FollowsTheXdgConfigFolder) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* configHome;
    };
    const std::vector<Case> cases = {
        {"/tmp/cfg", "/home/ann", "/tmp/cfg"},
        {"", "/home/ann", "/home/ann/.config"},
        {"relative/cfg", "/home/ann", "/home/ann/.config"},  // invalid: ignored
        {"", "/home/ann/", "/home/ann/.config"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(XdgConfigHome(c.xdg, c.home), c.configHome) << c.xdg << " " << c.home;
    }
    EXPECT_EQ(XdgSettingsFilePath("/home/ann/.config"),
              "/home/ann/.config/quorvel-chess/Quorvel Chess.ini");
    EXPECT_EQ(XdgAutostartFilePath("/tmp/cfg/"), "/tmp/cfg/autostart/quorvel-chess.desktop");
}

TEST(SettingsLocation, QuotesTheProgramForTheExecLine) {
    struct Case {
        std::string path;
        std::string exec;
    };
    const std::vector<Case> cases = {
        {"/usr/bin/quorvel-chess", R"("/usr/bin/quorvel-chess")"},
        {"/opt/Quorvel Chess/quorvel-chess", R"("/opt/Quorvel Chess/quorvel-chess")"},
        {R"(/opt/the "best"/q)", R"("/opt/the \\"best\\"/q")"},
        {R"(/opt/a\b)", R"("/opt/a\\\\b")"},
        {"/opt/$HOME/`id`", R"("/opt/\\$HOME/\\`id\\`")"},
        {"/opt/100%/q", R"("/opt/100%%/q")"},
        {"/opt/new\nline", R"("/opt/new\nline")"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DesktopEntryExecArgument(c.path), c.exec) << c.path;
    }
    EXPECT_EQ(AutostartDesktopEntry("/opt/Quorvel Chess/q"),
              "[Desktop Entry]\nType=Application\nName=Quorvel Chess\n"
              "Exec=\"/opt/Quorvel Chess/q\"\nTerminal=false\nX-GNOME-Autostart-enabled=true\n");
}

TEST(SettingsLocation, RunValueIsThePathInQuotes) {
    EXPECT_EQ(RunValueData("C:\\Program Files\\Quorvel Chess\\Quorvel Chess.exe"),
              "\"C:\\Program Files\\Quorvel Chess\\Quorvel Chess.exe\"");
}

}  // namespace
}  // namespace qc::settings
