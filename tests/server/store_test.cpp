// Transactions inside transactions, and lines handled in batches that share
// one commit.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "core_fixture.h"

namespace qc::server::testing {
namespace {

using ::testing::ElementsAre;

class StoreFileTest : public ::testing::Test {
  protected:
    void SetUp() override { Remove(); }
    void TearDown() override { Remove(); }
    void Remove() {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::remove((path + suffix).c_str());
        }
    }
    const std::string path = ::testing::TempDir() + "/qc-store-" + std::to_string(getpid()) + ".db";
};

// A server over a database file, with alice and bob logged in.
struct TwoPlayers {
    explicit TwoPlayers(const std::string& path) : store(path), core(store, MakeConfig()) {
        AddNamedAccount(store, core.GetConfig(), "alice", "a", kStart);
        AddNamedAccount(store, core.GetConfig(), "bob", "b", kStart);
        Send(kAlice, "alice connect v1.20 " + qc::account::Swordfish("a"));
        Send(kBob, "bob connect v1.20 " + qc::account::Swordfish("b"));
    }
    static Config MakeConfig() {
        Config config;
        config.utcTimestamps = true;
        return config;
    }
    // One line; the lines sent back to its sender.
    std::vector<std::string> Send(const Endpoint& from, const std::string& line) {
        std::vector<std::string> lines;
        for (const Outgoing& o : core.HandleDatagram(from, line + "\r", now)) {
            if (o.to == from) {
                lines.push_back(o.text);
            }
        }
        return lines;
    }
    Store store;
    ServerCore core;
    TimePoint now = kStart;
};

// An inner transaction is a savepoint: committed, it waits for the outer
// commit; rolled back, it takes only its own changes with it.
TEST_F(StoreFileTest, InnerTransactionsKeepOrDropOnlyTheirOwnChanges) {
    Config config;
    {
        Store store(path);
        AddNamedAccount(store, config, "alice", "a", kStart);
        const std::int64_t alice = store.FindAccount("alice")->id;
        Store::Transaction outer(store);
        EXPECT_TRUE(store.InTransaction());
        {
            Store::Transaction kept(store);
            store.SetSlots(alice, 7);
            kept.Commit();
        }
        {
            Store::Transaction dropped(store);
            store.SetFlags(alice, AccountFlags{false, false, false, true, true, true, true});
            store.SetSlots(alice, 9);
        }
        EXPECT_EQ(store.AccountById(alice)->gameSlots, 7);
        outer.Commit();
        EXPECT_FALSE(store.InTransaction());
        {
            Store::Transaction forgotten(store);
            store.SetSlots(alice, 11);
            Store::Transaction inner(store);
            store.SetSlots(alice, 12);
            inner.Commit();
        }
    }
    Store reopened(path);
    auto alice = reopened.FindAccount("alice");
    ASSERT_TRUE(alice);
    EXPECT_EQ(alice->gameSlots, 7)
        << "the dropped savepoint and the unfinished outer one left nothing";
    EXPECT_TRUE(alice->flags[0]);
}

// The datagrams of one wake-up: each answered as if alone, all their changes
// on disk when the replies are handed out.
TEST_F(StoreFileTest, ABatchAnswersEachDatagramAndCommitsThemAll) {
    Config config;
    config.utcTimestamps = true;
    auto run = [&](bool batched) {
        Remove();
        Store store(path);
        ServerCore core(store, config);
        AddNamedAccount(store, config, "alice", "a", kStart);
        AddNamedAccount(store, config, "bob", "b", kStart);
        const std::string login = " connect v1.20 ";
        std::vector<ServerCore::Incoming> in = {
            {kAlice, "alice" + login + qc::account::Swordfish("a") + "\r"},
            {kBob, "bob" + login + qc::account::Swordfish("b") + "\r"},
            {kAlice, "alice request bob,,w,1,d,0,0,0,0\ralice request bob,,b,2,d,0,0,0,0\r"},
            {kBob, std::string("\xff\xfe garbage\r")},
            {kBob, "bob accept 2\r"},
            {kAlice, "alice move 1 e7e5\r"},  // not her move: the board is sent again
        };
        std::vector<Outgoing> out;
        if (batched) {
            out = core.HandleDatagrams(in, kStart);
        } else {
            for (const auto& d : in) {
                for (Outgoing& o : core.HandleDatagram(d.from, d.bytes, kStart)) {
                    out.push_back(std::move(o));
                }
            }
        }
        EXPECT_FALSE(store.InTransaction());
        Store other(path);  // a second connection sees only what is committed
        EXPECT_EQ(other.CountRequestsFor(other.FindAccount("bob")->id), 1);
        EXPECT_EQ(other.CountOpenGames(other.FindAccount("alice")->id), 1);
        return out;
    };
    const std::vector<Outgoing> alone = run(false);
    const std::vector<Outgoing> together = run(true);
    ASSERT_FALSE(together.empty());
    EXPECT_EQ(together.size(), alone.size());
    for (std::size_t i = 0; i < std::min(alone.size(), together.size()); ++i) {
        EXPECT_EQ(together[i].to, alone[i].to) << i;
        EXPECT_EQ(together[i].text, alone[i].text) << i;
    }
}

// Lines that write nothing and come before the batch's first write saw only
// committed data: their replies go at once. Every reply after a write waits
// for the commit, reads too, as they may show what is not yet on disk.
TEST_F(StoreFileTest, RepliesThatShowOnlyCommittedDataDoNotWaitForTheCommit) {
    TwoPlayers server(path);
    const std::vector<ServerCore::Incoming> in = {
        {kBob, "bob update\r"},
        {kAlice, "alice gamelist\r"},
        {kAlice, "alice request bob,,w,1,d,0,0,0,0\r"},
        {kBob, "bob gamelist\r"},  // shows the request not yet committed
    };
    std::vector<Outgoing> early;
    std::vector<int> requestsOnDisk;  // at each early hand-over
    Store other(path);                // a second connection sees only what is committed
    const std::int64_t bob = other.FindAccount("bob")->id;
    const std::vector<Outgoing> late =
        server.core.HandleDatagrams(in, kStart, [&](const std::vector<Outgoing>& lines) {
            early.insert(early.end(), lines.begin(), lines.end());
            requestsOnDisk.push_back(other.CountRequestsFor(bob));
        });
    EXPECT_THAT(requestsOnDisk, ElementsAre(0, 0)) << "bob's update and alice's list, only";
    auto contains = [](const std::vector<Outgoing>& lines, const Endpoint& to,
                       std::string_view text) {
        return std::any_of(lines.begin(), lines.end(), [&](const Outgoing& o) {
            return o.to == to && o.text.find(text) != std::string::npos;
        });
    };
    EXPECT_TRUE(contains(early, kBob, "update:0,"));
    EXPECT_TRUE(contains(early, kAlice, "opengames:"));
    EXPECT_FALSE(contains(early, kBob, "opengames:"));
    // Bob's list after the request shows it, and waited for the commit.
    EXPECT_TRUE(contains(late, kBob, "opengames:"));
    EXPECT_TRUE(contains(late, kBob, "alice,"));
    EXPECT_FALSE(contains(late, kAlice, "opengames:"));
    EXPECT_EQ(other.CountRequestsFor(bob), 1);
}

// The scoreboard is kept between requests: a game that ends through the
// server shows at once, a change it cannot see (another connection) within
// the cache's age.
TEST_F(StoreFileTest, TheScoreboardIsKeptUntilAGameEnds) {
    TwoPlayers server(path);
    auto send = [&](const Endpoint& from, const std::string& line) {
        return server.Send(from, line);
    };
    for (int i = 1; i <= 3; ++i) {
        send(kAlice, "alice request bob,,w,1,d,0,0,0,0");
        send(kBob, "bob accept " + std::to_string(i));
    }
    EXPECT_THAT(send(kAlice, "alice scoreboard"), ElementsAre("scoreboard:", "."));

    send(kAlice, "alice resign 1");
    EXPECT_THAT(send(kAlice, "alice scoreboard"),
                ElementsAre("scoreboard:", "1,0,0,bob,v1.20", "0,1,0,alice,v1.20", "."));

    Store other(path);
    other.EndGame(2, GameResult::WhiteWins, ToUnixSeconds(server.now));
    server.now += ScoreboardCache::kMaxAge - std::chrono::seconds(1);
    EXPECT_THAT(send(kAlice, "alice scoreboard"),
                ElementsAre("scoreboard:", "1,0,0,bob,v1.20", "0,1,0,alice,v1.20", "."));
    server.now += std::chrono::seconds(1);
    EXPECT_THAT(send(kAlice, "alice scoreboard"),
                ElementsAre("scoreboard:", "1,1,0,alice,v1.20", "1,1,0,bob,v1.20", "."));

    send(kBob, "bob resign 3");
    EXPECT_THAT(send(kAlice, "alice scoreboard"),
                ElementsAre("scoreboard:", "2,1,0,alice,v1.20", "1,2,0,bob,v1.20", "."));
}

}  // namespace
}  // namespace qc::server::testing
