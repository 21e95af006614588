#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "client/core/account/password.h"
#include "process_util.h"

namespace qc::server::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::StartsWith;

bool HasPrefix(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const auto& l : lines) {
        if (l.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

TEST(ProcessTest, AddAccountOption) {
    TempDb db("add-account");
    EXPECT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", "alice", "secret"}), 0);
    EXPECT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", "Alice", "other"}), 1);
    EXPECT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", "guest4", "x"}), 1);
    EXPECT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", "alice"}), 2);
    EXPECT_EQ(ServerProcess::Run({"--help"}), 0);
    EXPECT_EQ(ServerProcess::Run({"--port", "70000"}), 2);
}

TEST(ProcessTest, LoginsOverUdpAndCleanStopOnSigterm) {
    TempDb db("udp-login");
    ASSERT_EQ(
        ServerProcess::Run({"--db", std::string(db), "--add-account", "alice", "s\xC3\xA9same"}),
        0);
    ServerProcess server;
    ASSERT_TRUE(server.Start(std::string(db)));

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

std::string Digest(const std::string& password) {
    return qc::account::Swordfish(password);
}

// The part of a list reply from its header to its ".".
std::vector<std::string> ListPart(const std::vector<std::string>& lines,
                                  const std::string& header) {
    std::vector<std::string> part;
    bool in = false;
    for (const auto& l : lines) {
        if (l == header) {
            in = true;
        }
        if (in) {
            part.push_back(l);
            if (l == ".") {
                break;
            }
        }
    }
    return part;
}

TEST(ProcessTest, PlayersMeetOverLoopback) {
    TempDb db("players");
    for (const char* name : {"alice", "bob"}) {
        ASSERT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", name, name}), 0);
    }
    ServerProcess server;
    ASSERT_TRUE(server.Start(std::string(db)));
    UdpClient alice(server.Port());
    UdpClient bob(server.Port());
    UdpClient guest(server.Port());
    ASSERT_TRUE(
        HasPrefix(alice.Ask("alice connect v1.20 " + Digest("alice"), "update:"), "update:"));
    ASSERT_TRUE(HasPrefix(bob.Ask("bob connect v1.20 " + Digest("bob"), "update:"), "update:"));
    auto lines = guest.Ask("guest connect v1.20 *", "update:");
    ASSERT_FALSE(lines.empty());
    std::string guestName = lines[0].substr(7, lines[0].find(',') - 7);

    // alice asks bob; bob is told at once and finds the request in his list.
    alice.Ask("alice request bob,,w,2,d,0,0,0,0", "update:");
    EXPECT_TRUE(
        HasPrefix(bob.Receive([](const auto& l) { return !l.empty(); }), "update:1,0,5,0,"));
    lines = bob.AskList("bob gamelist", "requestsby:");
    ASSERT_THAT(ListPart(lines, "requestsfor:"),
                ElementsAre("requestsfor:", "1,alice,Standard,b,2,d", "."));

    lines = bob.Ask("bob accept 1", "update:");
    EXPECT_THAT(lines, Contains("accepted: 1"));
    EXPECT_THAT(ListPart(bob.AskList("bob opengames", "opengames:"), "opengames:"),
                ElementsAre("opengames:", StartsWith("1,alice,Standard,0,"), "."));
    EXPECT_THAT(ListPart(alice.AskList("alice opengames", "opengames:"), "opengames:"),
                ElementsAre("opengames:", StartsWith("1,bob,Standard,1,"), "."));

    // Public requests: one open to guests, one closed to them.
    alice.Ask("alice request ,,w,1,d,0,0,0,0", "update:");
    alice.Ask("alice request ,Chess960,b,1,d,0,0,0,1", "update:");
    lines = guest.AskList(guestName + " publicreqs", "publicreqs:");
    EXPECT_THAT(
        ListPart(lines, "publicreqs:"),
        ElementsAre("publicreqs:", "2,alice,Standard,b,1,d,1", "3,alice,Chess960,w,1,d,0", "."));
    EXPECT_THAT(guest.Ask(guestName + " accept 3", "!"), Contains("!guest"));
    EXPECT_THAT(guest.Ask(guestName + " accept 2", "accepted: "), Contains("accepted: 2"));
    EXPECT_THAT(bob.Ask("bob accept 3", "accepted: "), Contains("accepted: 3"));

    // A local game starts at once; then alice's five slots are full.
    EXPECT_THAT(alice.Ask("alice request alice,,w,1,ww,0,0,0", "accepted: "),
                Contains("accepted: 4"));
    EXPECT_THAT(alice.Ask("alice request Bot2,,w,1,ww,0,0,0", "accepted: "),
                Contains("accepted: 5"));
    EXPECT_THAT(alice.Ask("alice request alice,,w,1,ww,0,0,0", "!slots"), Contains("!slots"));
    EXPECT_TRUE(HasPrefix(alice.Ask("alice update", "update:"), "update:0,5,5,"));

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

TEST(ProcessTest, KilledServerKeepsWhatItConfirmed) {
    TempDb db("killed");
    for (const char* name : {"alice", "bob"}) {
        ASSERT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", name, name}), 0);
    }
    int confirmed = 0;
    {
        ServerProcess server;
        ASSERT_TRUE(server.Start(std::string(db)));
        UdpClient alice(server.Port());
        UdpClient maker(server.Port());
        ASSERT_TRUE(
            HasPrefix(alice.Ask("alice connect v1.20 " + Digest("alice"), "update:"), "update:"));
        ASSERT_THAT(maker.Ask("guest createqvid newcomer,new@example.org,,,", "created"),
                    Contains("created"));
        // A run of requests, sent without waiting; the server dies after it
        // has confirmed some of them.
        for (int i = 0; i < 30; ++i) {
            alice.Send("alice request bob,,w," + std::to_string(i + 1) + ",d,0,0,0,0");
        }
        auto lines =
            alice.Receive([](const std::vector<std::string>& l) { return l.size() >= 10; });
        server.Signal(SIGKILL);
        EXPECT_EQ(server.Wait(), 128 + SIGKILL);
        // Whatever was already on its way counts as confirmed too.
        auto late =
            alice.Receive([](const auto&) { return false; }, std::chrono::milliseconds(200));
        lines.insert(lines.end(), late.begin(), late.end());
        for (const auto& l : lines) {
            confirmed += l.rfind("update:", 0) == 0 ? 1 : 0;
        }
        ASSERT_GE(confirmed, 10);
    }
    ServerProcess server;
    ASSERT_TRUE(server.Start(std::string(db)));
    UdpClient bob(server.Port());
    ASSERT_TRUE(HasPrefix(bob.Ask("bob connect v1.20 " + Digest("bob"), "update:"), "update:"));
    auto list = ListPart(bob.AskList("bob gamelist", "requestsby:"), "requestsfor:");
    ASSERT_GE(list.size(), 2u);
    int kept = static_cast<int>(list.size()) - 2;
    EXPECT_GE(kept, confirmed);
    // The requests are the first ones of the run, in order, none torn.
    for (int i = 0; i < kept; ++i) {
        EXPECT_EQ(list[static_cast<std::size_t>(i) + 1],
                  std::to_string(i + 1) + ",alice,Standard,b," + std::to_string(i + 1) + ",d");
    }
    EXPECT_THAT(bob.Ask("bob createqvid newcomer,other@example.org,,,", "!c"), Contains("!c3"));
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

}  // namespace
}  // namespace qc::server::testing
