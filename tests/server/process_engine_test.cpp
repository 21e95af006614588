// The bot's stronger levels against the server process with a real engine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "client/core/account/password.h"
#include "process_util.h"
#include "server/core/text.h"

namespace qc::server::testing {
namespace {

using ::testing::AllOf;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Lines = std::vector<std::string>;

// Where the server finds the engine by default: on PATH or in /usr/games.
bool EngineInstalled() {
    std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    path += ":/usr/games";
    for (std::string_view dir : Split(path, ':')) {
        if (!dir.empty() && access((std::string(dir) + "/stockfish").c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

int Count(const Lines& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(
        lines.begin(), lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

std::function<bool(const Lines&)> Updates(int n) {
    return [n](const Lines& lines) { return Count(lines, "update:") >= n; };
}

// The child processes of a process, from /proc.
std::vector<pid_t> Children(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/children");
    std::vector<pid_t> children;
    pid_t child;
    while (in >> child) {
        children.push_back(child);
    }
    return children;
}

// The move-log entries and the status field of the game's messages.
struct Seen {
    int plies = 0;
    std::string status;
};
Seen Look(UdpClient& client, const std::string& name) {
    Lines lines = client.Ask(name + " game 1", "canmove: ");
    Seen seen;
    auto it = std::find(lines.begin(), lines.end(), "movelog:");
    if (it != lines.end()) {
        for (++it; it != lines.end() && *it != "."; ++it) {
            ++seen.plies;
        }
    }
    for (const std::string& l : lines) {
        if (l.rfind("game: ", 0) == 0) {
            std::vector<std::string_view> f = Split(std::string_view(l).substr(6), ',');
            if (f.size() > 4) {
                seen.status = std::string(f[4]);
            }
        }
    }
    return seen;
}

class ProcessEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"alice", "bob"}) {
            ASSERT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", name, name}),
                      0);
        }
    }

    static void LogIn(UdpClient& client, const std::string& name) {
        auto lines = client.Ask(name + " connect v1.20 " + qc::account::Swordfish(name), "update:");
        ASSERT_THAT(lines, Contains(StartsWith("update:")));
    }

    TempDb db{"engine"};
    ServerProcess server;
};

TEST_F(ProcessEngineTest, TheEngineThinksWhileOthersAreAnsweredAndSurvivesBeingKilled) {
    if (!EngineInstalled()) {
        GTEST_SKIP() << "no stockfish installed";
    }
    ASSERT_TRUE(server.Start(std::string(db)));
    UdpClient alice(server.Port());
    UdpClient bob(server.Port());
    LogIn(alice, "alice");
    LogIn(bob, "bob");
    ASSERT_THAT(alice.Ask("alice request Bot10,,w,1,d,0,0,0", "accepted: "),
                Contains("accepted: 1"));

    // bob is answered while the engine thinks its second: his answer comes
    // before the bot's move reaches alice.
    alice.Send("alice move 1 e2e4");
    EXPECT_THAT(bob.Ask("bob update", "update:"), Contains(StartsWith("update:")));
    Lines early = alice.Receive(Updates(2), std::chrono::milliseconds(20));
    EXPECT_LT(Count(early, "update:"), 2) << "the bot's move came before bob's answer";
    Lines late = alice.Receive(Updates(2 - Count(early, "update:")), std::chrono::seconds(15));
    EXPECT_EQ(Count(early, "update:") + Count(late, "update:"), 2);
    Seen seen = Look(alice, "alice");
    EXPECT_EQ(seen.plies, 2);
    EXPECT_EQ(seen.status, "w");

    // The engine killed while it thinks: a new one answers.
    std::vector<pid_t> engines = Children(server.Pid());
    ASSERT_EQ(engines.size(), 1u);
    alice.Send("alice move 1 d2d4");
    alice.Receive(Updates(1));
    kill(engines[0], SIGKILL);
    EXPECT_EQ(Count(alice.Receive(Updates(1), std::chrono::seconds(20)), "update:"), 1);
    seen = Look(alice, "alice");
    EXPECT_EQ(seen.plies, 4);
    EXPECT_EQ(seen.status, "w");
    std::vector<pid_t> now = Children(server.Pid());
    ASSERT_EQ(now.size(), 1u);
    EXPECT_NE(now[0], engines[0]);

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

TEST_F(ProcessEngineTest, WithoutAnEngineEveryLevelPlaysAtOnce) {
    ASSERT_TRUE(server.Start(std::string(db), {"--engine", "/nonexistent/engine"}, true));
    EXPECT_THAT(server.ReadErrorLine(std::chrono::seconds(5)),
                AllOf(HasSubstr("/nonexistent/engine"), HasSubstr("random moves")));
    UdpClient alice(server.Port());
    LogIn(alice, "alice");
    ASSERT_THAT(alice.Ask("alice request Bot8,,w,1,d,0,0,0", "accepted: "),
                Contains("accepted: 1"));
    // The move's answer and the bot's move arrive together.
    alice.Send("alice move 1 e2e4");
    EXPECT_EQ(Count(alice.Receive(Updates(2)), "update:"), 2);
    Seen seen = Look(alice, "alice");
    EXPECT_EQ(seen.plies, 2);
    EXPECT_EQ(seen.status, "w");

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

}  // namespace
}  // namespace qc::server::testing
