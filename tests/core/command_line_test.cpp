#include <gtest/gtest.h>

#include "client/core/command_line.h"

namespace qc {
namespace {

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

}  // namespace
}  // namespace qc
