#include <gtest/gtest.h>

#include "client/core/command_line.h"

namespace qc {
namespace {

const HostPort kServer{"localhost", 3819};
const HostPort kBanner{"localhost", 80};

TEST(CommandLine, HostPortTable) {
    struct Case {
        std::string text;
        bool ok;
        std::string host;
        std::uint16_t port;
    };
    const std::vector<Case> cases = {
        {"games.example", true, "games.example", 3819},
        {"games.example:4000", true, "games.example", 4000},
        {"127.0.0.1:1", true, "127.0.0.1", 1},
        {"[::1]:5000", true, "::1", 5000},
        {"[::1]", true, "::1", 3819},
        {"::1", true, "::1", 3819},
        {"host:65535", true, "host", 65535},
        {"host:65536", false, "", 0},
        {"host:0", false, "", 0},
        {"host:", false, "", 0},
        {":4000", false, "", 0},
        {"", false, "", 0},
        {"host:12x", false, "", 0},
        {"host:0000080", false, "", 0},
        {"[::1", false, "", 0},
        {"[::1]x", false, "", 0},
    };
    for (const auto& c : cases) {
        HostPort hp{"unchanged", 7};
        EXPECT_EQ(ParseHostPort(c.text, 3819, hp), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(hp.host, c.host) << c.text;
            EXPECT_EQ(hp.port, c.port) << c.text;
        } else {
            EXPECT_EQ(hp.host, "unchanged") << c.text;
        }
    }
}

TEST(CommandLine, Arguments) {
    auto cl = ParseCommandLine({}, kServer, kBanner);
    EXPECT_EQ(cl.server.host, "localhost");
    EXPECT_EQ(cl.server.port, 3819);
    EXPECT_TRUE(cl.error.empty());

    cl = ParseCommandLine({"--server", "10.1.2.3:4000", "--banner=ads.example"}, kServer, kBanner);
    EXPECT_EQ(cl.server.host, "10.1.2.3");
    EXPECT_EQ(cl.server.port, 4000);
    EXPECT_EQ(cl.banner.host, "ads.example");
    EXPECT_EQ(cl.banner.port, 80);

    EXPECT_TRUE(ParseCommandLine({"--help"}, kServer, kBanner).help);
    EXPECT_TRUE(ParseCommandLine({"--version"}, kServer, kBanner).version);
    EXPECT_FALSE(ParseCommandLine({"--server"}, kServer, kBanner).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--server", "x:0"}, kServer, kBanner).error.empty());
    EXPECT_FALSE(ParseCommandLine({"--frobnicate"}, kServer, kBanner).error.empty());
    EXPECT_NE(UsageText().find("--server HOST[:PORT]"), std::string::npos);
}

}  // namespace
}  // namespace qc
