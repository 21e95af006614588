#include <gtest/gtest.h>

#include "client/qt/command_line.h"

namespace qc::qt {
namespace {

const HostPort kServer{"localhost", 3819};
const HostPort kBanner{"localhost", 80};

CommandLine Parse(QStringList args) {
    args.prepend(QStringLiteral("quorvel-chess"));
    return ParseCommandLine(args, kServer, kBanner);
}

TEST(CommandLine, Arguments) {
    auto cl = Parse({});
    EXPECT_EQ(cl.server.host, "localhost");
    EXPECT_EQ(cl.server.port, 3819);
    EXPECT_TRUE(cl.error.empty());
    EXPECT_TRUE(cl.web.empty());

    cl = Parse({"--server", "10.1.2.3:4000", "--banner=ads.example"});
    EXPECT_EQ(cl.server.host, "10.1.2.3");
    EXPECT_EQ(cl.server.port, 4000);
    EXPECT_EQ(cl.banner.host, "ads.example");
    EXPECT_EQ(cl.banner.port, 80);
    EXPECT_TRUE(cl.error.empty());

    cl = Parse({"--server", "[::1]:5000", "--web", "http://localhost:8080"});
    EXPECT_EQ(cl.server.host, "::1");
    EXPECT_EQ(cl.server.port, 5000);
    EXPECT_EQ(cl.web, "http://localhost:8080/");
    // Without --banner the banners come from the game server's host.
    EXPECT_EQ(cl.banner.host, "::1");
    EXPECT_EQ(cl.banner.port, 80);

    EXPECT_TRUE(Parse({"--help"}).help);
    EXPECT_TRUE(Parse({"-h"}).help);
    EXPECT_TRUE(Parse({"--help-all"}).help) << "Qt's help option brings --help-all with it";
    EXPECT_TRUE(Parse({"--version"}).version);
}

TEST(CommandLine, BadArgumentsSayWhy) {
    struct Row {
        const char* name;
        QStringList args;
        std::string says;
    };
    const std::vector<Row> rows = {
        {"missing value", {"--server"}, "server"},
        {"port zero", {"--server", "x:0"}, "invalid address for --server: 'x:0'"},
        {"bad banner port", {"--banner", "ads:99999"}, "invalid address for --banner"},
        {"unknown option", {"--frobnicate"}, "frobnicate"},
        {"stray argument", {"games.example"}, "unexpected argument: 'games.example'"},
        {"web without scheme", {"--web", "localhost/x"}, "invalid address for --web"},
        {"web other scheme", {"--web", "ftp://x/"}, "invalid address for --web"},
    };
    for (const Row& r : rows) {
        const CommandLine cl = Parse(r.args);
        EXPECT_NE(cl.error.find(r.says), std::string::npos) << r.name << ": " << cl.error;
    }
}

TEST(CommandLine, HelpListsEveryOption) {
    const std::string help = Parse({"--help"}).helpText;
    for (const char* option : {"--server <HOST[:PORT]>", "--banner <HOST[:PORT]>", "--web <URL>",
                               "--help", "--version", "default localhost, port 3819"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option << "\n" << help;
    }
    EXPECT_EQ(help.rfind("Usage: quorvel-chess [options]\n", 0), 0u) << help;
    const std::string installed =
        ParseCommandLine({"/usr/bin/quorvel-chess", "--help"}, kServer, kBanner).helpText;
    EXPECT_EQ(installed.rfind("Usage: quorvel-chess [options]\n", 0), 0u) << installed;
}

}  // namespace
}  // namespace qc::qt
