#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "client/core/account/password.h"
#include "process_util.h"

namespace qc::server::testing {
namespace {

using ::testing::Contains;
using ::testing::StartsWith;

std::string TempDb(const std::string& name) {
    std::string path = ::testing::TempDir() + "/" + name + "-" + std::to_string(getpid()) + ".db";
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::remove((path + suffix).c_str());
    }
    return path;
}

bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& l : lines) {
        if (l.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

TEST(ProcessTest, AddAccountOption) {
    std::string db = TempDb("add-account");
    EXPECT_EQ(ServerProcess::Run({"--db", db, "--add-account", "alice", "secret"}), 0);
    EXPECT_EQ(ServerProcess::Run({"--db", db, "--add-account", "Alice", "other"}), 1);
    EXPECT_EQ(ServerProcess::Run({"--db", db, "--add-account", "guest4", "x"}), 1);
    EXPECT_EQ(ServerProcess::Run({"--db", db, "--add-account", "alice"}), 2);
    EXPECT_EQ(ServerProcess::Run({"--help"}), 0);
    EXPECT_EQ(ServerProcess::Run({"--port", "70000"}), 2);
}

TEST(ProcessTest, LoginsOverUdpAndCleanStopOnSigterm) {
    std::string db = TempDb("udp-login");
    ASSERT_EQ(ServerProcess::Run({"--db", db, "--add-account", "alice", "s\xC3\xA9same"}), 0);
    ServerProcess server;
    ASSERT_TRUE(server.Start(db));

    UdpClient alice(server.Port());
    // The password was given in UTF-8 and digested in Windows-1252.
    auto lines = alice.Ask("alice connect v1.20 " + qc::account::Swordfish("s\xE9same"), "update:");
    EXPECT_TRUE(HasPrefix(lines, "update:0,0,5,0,"));
    lines = alice.Ask("alice connect v1.20 " + qc::account::Swordfish("sesame"), "!");
    EXPECT_THAT(lines, Contains("!p"));

    UdpClient guest(server.Port());
    lines = guest.Ask("guest connect v1.20 *", "update:");
    ASSERT_FALSE(lines.empty());
    EXPECT_THAT(lines[0], StartsWith("guest: guest"));
    EXPECT_TRUE(HasPrefix(lines, "update:0,0,3,0,"));

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

}  // namespace
}  // namespace qc::server::testing
