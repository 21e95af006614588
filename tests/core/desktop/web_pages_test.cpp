#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "client/core/desktop/web_pages.h"
#include "tests/fakes/fake_shell.h"

namespace qc::desktop {
namespace {

using fakes::FakeShell;
using Action = FakeShell::Action;

TEST(WebPages, SiteAddress) {
    struct Case {
        std::string page;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"buyslots.html", "http://chess.example/buyslots.html"},
        {"stats.html?qvid=bob", "http://chess.example/stats.html?qvid=bob"},
        {"variants.html#chess960", "http://chess.example/variants.html#chess960"},
        {"http://shop.example/buytexts.html", "http://shop.example/buytexts.html"},
        {"http://", "http://"},
        // The absolute test is case-sensitive and looks at seven characters.
        {"HTTP://shop.example/", "http://chess.example/HTTP://shop.example/"},
        {"Http://x", "http://chess.example/Http://x"},
        {"https://secure.example/", "http://chess.example/https://secure.example/"},
        {"http:/", "http://chess.example/http:/"},
        {"", "http://chess.example/"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SiteAddress(WebBaseUrl("chess.example"), c.page), c.expected) << c.page;
    }
}

TEST(WebPages, BaseUrlOfTheGameServerHost) {
    struct Row {
        const char* name;
        std::string host;
        std::string base;
    };
    const std::vector<Row> rows = {
        {"name", "chess.example", "http://chess.example/"},
        {"IPv4", "127.0.0.1", "http://127.0.0.1/"},
        {"IPv6 loopback", "::1", "http://[::1]/"},
        {"IPv6", "2001:db8::7", "http://[2001:db8::7]/"},
        {"already bracketed", "[::1]", "http://[::1]/"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(WebBaseUrl(r.host), r.base) << r.name;
    }
    EXPECT_EQ(SiteAddress(WebBaseUrl("::1"), "stats.html?qvid=bob"),
              "http://[::1]/stats.html?qvid=bob");
}

TEST(WebPages, SiteOpensTheAddressInTheBrowser) {
    FakeShell shell;
    const std::string base = WebBaseUrl("localhost");
    Site(shell, base, "buyslots.html");
    Site(shell, base, "http://en.example.org/wiki/Chess#Rules");
    Site(shell, base, "HTTP://en.example.org/");
    const std::vector<FakeShell::Call> expected = {
        {Action::OpenUrl, "http://localhost/buyslots.html"},
        {Action::OpenUrl, "http://en.example.org/wiki/Chess#Rules"},
        {Action::OpenUrl, "http://localhost/HTTP://en.example.org/"},
    };
    EXPECT_EQ(shell.calls, expected);
}

TEST(WebPages, HelpFileOpensTheReadmeAsADocument) {
    FakeShell shell;
    HelpFile(shell, "/opt/qc/share/quorvel-chess/Readme.txt");
    const std::vector<FakeShell::Call> expected = {
        {Action::OpenDocument, "/opt/qc/share/quorvel-chess/Readme.txt"}};
    EXPECT_EQ(shell.calls, expected);
}

TEST(WebPages, KnightsTourStartsTheProgramWhenInstalled) {
    FakeShell shell;
    shell.files = {"/opt/qc/bin/ranvel"};
    KnightsTour(shell, "/opt/qc/bin/ranvel", "http://localhost/");
    const std::vector<FakeShell::Call> expected = {{Action::StartProgram, "/opt/qc/bin/ranvel"}};
    EXPECT_EQ(shell.calls, expected);
}

TEST(WebPages, KnightsTourFallsBackToItsPage) {
    FakeShell shell;
    shell.files = {"/opt/qc/bin/quorvel-chess"};
    KnightsTour(shell, "/opt/qc/bin/ranvel", "http://chess.example/");
    KnightsTour(shell, "", "http://chess.example/");
    const std::vector<FakeShell::Call> expected = {
        {Action::OpenUrl, "http://chess.example/knightstour.html"},
        {Action::OpenUrl, "http://chess.example/knightstour.html"},
    };
    EXPECT_EQ(shell.calls, expected);
}

TEST(WebPages, KnightsTourPath) {
    EXPECT_EQ(KnightsTourPath(DesktopPlatform::Windows, "C:/Games/Quorvel Chess"),
              "C:/Games/Quorvel Chess/Ranvel.exe");
    EXPECT_EQ(KnightsTourPath(DesktopPlatform::Linux, "/usr/bin"), "/usr/bin/ranvel");
    EXPECT_EQ(KnightsTourPath(DesktopPlatform::Linux, "/usr/bin/"), "/usr/bin/ranvel");
}

TEST(WebPages, PathsKeepCharactersOutsideTheWireCodePage) {
    // A folder name that Windows-1252 cannot hold must reach the shell intact.
    const std::filesystem::path dir = std::filesystem::path(u8"/home/\u0434\u043c\u0438/bin");
    FakeShell shell;
    shell.files = {(dir / "ranvel").string()};
    KnightsTour(shell, KnightsTourPath(DesktopPlatform::Linux, dir), "http://x/");
    HelpFile(shell, ReadmePath(DesktopPlatform::Linux, dir, {}, shell));
    const std::vector<FakeShell::Call> expected = {
        {Action::StartProgram, "/home/\xd0\xb4\xd0\xbc\xd0\xb8/bin/ranvel"},
        {Action::OpenDocument,
         "/home/\xd0\xb4\xd0\xbc\xd0\xb8/bin/../share/quorvel-chess/Readme.txt"},
    };
    EXPECT_EQ(shell.calls, expected);
}

TEST(WebPages, ReadmeBesideTheProgramOnWindows) {
    FakeShell shell;
    shell.files = {"C:/x/../share/quorvel-chess/Readme.txt"};
    EXPECT_EQ(ReadmePath(DesktopPlatform::Windows, "C:/x", {"C:/data"}, shell), "C:/x/Readme.txt");
}

TEST(WebPages, ReadmeChoiceOnLinux) {
    const std::string installed = "/opt/qc/bin/../share/quorvel-chess/Readme.txt";
    const std::string local = "/usr/local/share/quorvel-chess/Readme.txt";
    const std::string system = "/usr/share/quorvel-chess/Readme.txt";
    const std::string beside = "/opt/qc/bin/Readme.txt";
    const std::vector<std::filesystem::path> dataDirs = {"/usr/local/share", "", "/usr/share/"};
    struct Case {
        std::set<std::string> files;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{installed, local, system, beside}, installed},
        {{local, system, beside}, local},
        {{system, beside}, system},
        {{beside}, beside},
        // Nothing installed: the first place, so that opening it fails quietly.
        {{}, installed},
    };
    for (const auto& c : cases) {
        FakeShell shell;
        shell.files = c.files;
        EXPECT_EQ(ReadmePath(DesktopPlatform::Linux, "/opt/qc/bin", dataDirs, shell), c.expected);
        EXPECT_TRUE(shell.calls.empty());
    }
}

}  // namespace
}  // namespace qc::desktop
