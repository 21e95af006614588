#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "core_fixture.h"
#include "server/core/lists.h"

namespace qc::server::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

const Endpoint kGuest = Ep(1004);

std::string Upd(const std::string& counts) {
    return "update:" + counts + "," + kStartStamp;
}

class RequestsTest : public ThreeUserFixture {
  protected:
    void LoginGuest() {
        auto lines = Send(kGuest, "guest connect v1.20 *");
        ASSERT_FALSE(lines.empty());
        ASSERT_EQ(lines[0].rfind("guest: guest1,", 0), 0u);
    }

    std::int64_t Id(const std::string& name) { return store.FindAccount(name)->id; }
};

TEST_F(RequestsTest, RequestAcceptedBetweenTwoUsers) {
    auto out = Exchange(kAlice, "alice request bob,Chess960,b,3,d,0,0,0,0");
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,0,5,0")));
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre(Upd("1,0,5,0")));
    EXPECT_THAT(LinesFor(kCarol, out), IsEmpty());

    EXPECT_THAT(Send(kBob, "bob gamelist"),
                ElementsAre("opengames:", ".", "closedgames:", ".",
                            "requestsfor:", "1,alice,Chess960,w,3,d", ".", "requestsby:", "."));
    EXPECT_THAT(Send(kAlice, "alice gamelist"),
                ElementsAre("opengames:", ".", "closedgames:", ".", "requestsfor:", ".",
                            "requestsby:", "1,bob,Chess960,b,3,d", "."));
    EXPECT_THAT(Send(kCarol, "carol accept 1"), ElementsAre("!noreq"));

    out = Exchange(kBob, "bob accept 1");
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre("accepted: 1", Upd("0,1,5,1")));
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,1,5,0")));
    EXPECT_THAT(Send(kBob, "bob opengames"),
                ElementsAre("opengames:", "1,alice,Chess960,1,12Dec26234500", "."));
    EXPECT_THAT(Send(kAlice, "alice gamelist"),
                ElementsAre("opengames:", "1,bob,Chess960,0,12Dec26234500", ".",
                            "closedgames:", ".", "requestsfor:", ".", "requestsby:", "."));
    EXPECT_THAT(Send(kBob, "bob accept 1"), ElementsAre("!noreq"));
    auto game = store.FindGame(1);
    ASSERT_TRUE(game);
    EXPECT_EQ(game->whiteName, "bob");
    EXPECT_EQ(game->blackName, "alice");
}

TEST_F(RequestsTest, RequestFieldsAreChecked) {
    struct Case {
        std::string args;
        bool stored;
    };
    const std::vector<Case> cases = {
        {"bob,,w,10,n,0,0,0,0", true},
        {"bob,,w,9,n,0,0,0,0", false},
        {"bob,,w,999,n,0,0,0,0", true},
        {"bob,,w,1000,n,0,0,0,0", false},
        {"bob,,w,672,h,0,0,0,0", true},
        {"bob,,w,673,h,0,0,0,0", false},
        {"bob,,w,28,d,0,0,0,0", true},
        {"bob,,w,29,d,0,0,0,0", false},
        {"bob,,w,4,ww,0,0,0,0", true},
        {"bob,,w,5,ww,0,0,0,0", false},
        {"bob,,w,0,d,0,0,0,0", false},
        {"bob,,w,-1,d,0,0,0,0", false},
        {"bob,,w,2.5,d,0,0,0,0", false},
        {"bob,,w,,d,0,0,0,0", false},
        {"bob,,w,1,y,0,0,0,0", false},
        {"bob,standard,w,1,d,0,0,0,0", true},
        {"bob,CHESS960,w,1,d,0,0,0,0", true},
        {"bob,Crazyhouse,w,1,d,0,0,0,0", false},
        {"nobody,,w,1,d,0,0,0,0", false},
        {"bob,,w,1,d,0,0,0", true},
        {"bob,,w,1,d,0,0", false},
        {"bob,,w,1,d,0,0,0,0,0", false},
        {"", false},
    };
    int stored = 0;
    for (const Case& c : cases) {
        auto lines = Send(kAlice, "alice request " + c.args);
        ASSERT_EQ(lines.size(), 1u) << c.args;
        if (c.stored) {
            ++stored;
            EXPECT_EQ(lines[0], Upd("0,0,5,0")) << c.args;
        } else {
            EXPECT_EQ(lines[0].rfind("msg: ", 0), 0u) << c.args << " -> " << lines[0];
        }
        EXPECT_EQ(store.CountRequestsBy(Id("alice")), stored) << c.args;
    }
    auto by = store.RequestsBy(Id("alice"));
    ASSERT_FALSE(by.empty());
    EXPECT_EQ(by[1].gameType, "");
    EXPECT_EQ(by[2].gameType, "");
}

TEST_F(RequestsTest, PublicRequestsAndGuests) {
    Send(kAlice, "alice request ,,w,2,h,0,0,0,0");
    Send(kBob, "bob request ,Chess960,b,3,d,0,0,1,1");
    LoginGuest();
    EXPECT_THAT(
        Send(kGuest, "guest1 publicreqs"),
        ElementsAre("publicreqs:", "1,alice,Standard,b,2,h,1", "2,bob,Chess960,w,3,d,0", "."));
    EXPECT_THAT(Send(kAlice, "alice gamelist"),
                ElementsAre("opengames:", ".", "closedgames:", ".", "requestsfor:", ".",
                            "requestsby:", "1,,Standard,w,2,h", "."));
    // Public requests wait for nobody in particular.
    EXPECT_THAT(Send(kCarol, "carol update"), ElementsAre(Upd("0,0,5,0")));

    EXPECT_THAT(Send(kGuest, "guest1 accept 2"), ElementsAre("!guest"));
    EXPECT_THAT(Send(kAlice, "alice accept 1"), ElementsAre("!noreq"));
    auto out = Exchange(kGuest, "guest1 accept 1");
    EXPECT_THAT(LinesFor(kGuest, out), ElementsAre("accepted: 1", Upd("0,1,3,0")));
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,1,5,1")));
    EXPECT_THAT(Send(kCarol, "carol accept 1"), ElementsAre("!noreq"));
    out = Exchange(kCarol, "carol accept 2");
    EXPECT_THAT(LinesFor(kCarol, out), ElementsAre("accepted: 2", Upd("0,1,5,1")));
    EXPECT_THAT(Send(kGuest, "guest1 publicreqs"), ElementsAre("publicreqs:", "."));
}

TEST(PickPublicRequestsTest, NewestFirstWithAFairSharePerOwner) {
    struct Case {
        const char* what;
        std::vector<std::int64_t> owners;  // owner of request 1, 2, ...
        std::size_t rows;
        std::vector<std::int64_t> shown;  // request ids, in order
    };
    const std::vector<Case> cases = {
        {"room for all", {1, 2, 1, 3}, 10, {1, 2, 3, 4}},
        {"nothing", {}, 10, {}},
        {"the newest of one owner", {1, 1, 1, 1, 1}, 3, {3, 4, 5}},
        {"one old flood, two late", {1, 1, 1, 1, 1, 1, 2, 3}, 4, {5, 6, 7, 8}},
        {"shares differ by one at most", {1, 1, 1, 2, 2, 2, 3, 3, 3}, 5, {3, 5, 6, 8, 9}},
        {"a late flood", {2, 3, 1, 1, 1, 1, 1, 1}, 4, {1, 2, 7, 8}},
    };
    for (const Case& c : cases) {
        std::vector<Request> requests;
        for (std::size_t i = 0; i < c.owners.size(); ++i) {
            Request r;
            r.id = static_cast<std::int64_t>(i) + 1;
            r.fromId = c.owners[i];
            requests.push_back(r);
        }
        std::vector<std::int64_t> shown;
        for (const Request& r : PickPublicRequests(requests, c.rows)) {
            shown.push_back(r.id);
        }
        EXPECT_EQ(shown, c.shown) << c.what;
    }
}

TEST_F(RequestsTest, PublicRequestsOfOneOwnerCannotCrowdOutOthers) {
    // Eight owners fill the list many times over with old requests.
    const int flooders = 8;
    const int each = 30;
    for (int f = 0; f < flooders; ++f) {
        const std::string name = "flood" + std::to_string(f);
        const Endpoint ep{"10.0.0." + std::to_string(f + 1), 1};
        AddAccount(name, "x");
        Login(ep, name, "x");
        for (int i = 0; i < each; ++i) {
            ASSERT_THAT(Send(ep, name + " request ,,w,1,d,0,0,0,0"), ElementsAre(Upd("0,0,5,0")));
        }
    }
    Send(kBob, "bob request ,Chess960,b,3,d,0,0,0,0");
    LoginGuest();
    auto lines = Send(kGuest, "guest1 publicreqs");
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.size(), static_cast<std::size_t>(kPublicRequestRows) + 2);
    EXPECT_EQ(lines[lines.size() - 2],
              std::to_string(flooders * each + 1) + ",bob,Chess960,w,3,d,1");
    std::map<std::string, int> perOwner;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        perOwner[std::string(Split(lines[i], ',').at(1))]++;
    }
    EXPECT_EQ(perOwner.size(), static_cast<std::size_t>(flooders) + 1);
    for (const auto& [owner, count] : perOwner) {
        if (owner != "bob") {
            EXPECT_GE(count, (kPublicRequestRows - 1) / flooders) << owner;
            EXPECT_LE(count, (kPublicRequestRows - 1) / flooders + 1) << owner;
        }
    }
    // What a flooder shows are its newest: its very first request is gone.
    EXPECT_NE(lines[1].rfind("1,", 0), 0u);
}

TEST_F(RequestsTest, LocalAndBotGamesStartAtOnce) {
    EXPECT_THAT(Send(kAlice, "alice request ALICE,,w,1,ww,0,0,0"),
                ElementsAre("accepted: 1", Upd("0,1,5,1")));
    EXPECT_THAT(Send(kAlice, "alice request Bot4,,w,2,h,0,0,0"),
                ElementsAre("accepted: 2", Upd("0,2,5,2")));
    // The bot with white opens at once and tells the player so.
    EXPECT_THAT(Send(kAlice, "alice request bot,Chess960,b,2,h,0,0,0"),
                ElementsAre("accepted: 3", Upd("0,3,5,2"), Upd("0,3,5,3")));
    EXPECT_THAT(
        Send(kAlice, "alice opengames"),
        ElementsAre("opengames:", "2,Bot4,Standard,1,10Dec26014500",
                    "3,Bot,Chess960,1,10Dec26014500", "1,alice,Standard,1,16Dec26234500", "."));
    EXPECT_EQ(store.CountRequestsBy(Id("alice")), 0);
    // Neither the bot nor oneself shows up as a past opponent.
    EXPECT_THAT(Send(kAlice, "alice requestwin"), ElementsAre("opphistory:", "."));
}

TEST_F(RequestsTest, SlotsLimitGames) {
    for (int i = 1; i <= 5; ++i) {
        auto lines = Send(kAlice, "alice request alice,,w,1,d,0,0,0");
        ASSERT_EQ(lines[0], "accepted: " + std::to_string(i));
    }
    EXPECT_THAT(Send(kAlice, "alice request alice,,w,1,d,0,0,0"), ElementsAre("!slots"));
    EXPECT_THAT(Send(kAlice, "alice request Bot2,,w,1,d,0,0,0"), ElementsAre("!slots"));
    EXPECT_THAT(Send(kAlice, "alice update"), ElementsAre(Upd("0,5,5,5")));

    // A request may still be made; its acceptance names the player who is full.
    Send(kAlice, "alice request bob,,w,1,d,0,0,0,0");
    EXPECT_THAT(Send(kBob, "bob accept 1"), ElementsAre("!slots alice"));
    Send(kBob, "bob request alice,,w,1,d,0,0,0,0");
    EXPECT_THAT(Send(kAlice, "alice accept 2"), ElementsAre("!slots"));
    EXPECT_EQ(store.CountRequestsFor(Id("alice")), 1);

    // An ended game frees its slot.
    store.EndGame(3, GameResult::Draw, ToUnixSeconds(now));
    EXPECT_THAT(Send(kAlice, "alice accept 2"), ElementsAre("accepted: 6", Upd("0,5,5,4")));
}

TEST_F(RequestsTest, CancelAndDecline) {
    Send(kAlice, "alice request bob,,w,1,d,0,0,0,0");
    Send(kAlice, "alice request carol,,w,1,d,0,0,0,0");
    Send(kAlice, "alice request ,,w,1,d,0,0,0,0");
    // Somebody else's request cannot be cancelled.
    EXPECT_THAT(Send(kCarol, "carol cancel 1"), IsEmpty());
    EXPECT_THAT(Send(kBob, "bob cancel 3"), IsEmpty());
    EXPECT_THAT(Send(kBob, "bob cancel 99"), IsEmpty());
    EXPECT_THAT(Send(kBob, "bob cancel x"), IsEmpty());
    EXPECT_EQ(store.CountRequestsBy(Id("alice")), 3);

    auto out = Exchange(kBob, "bob cancel 1");  // declined
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre(Upd("0,0,5,0")));
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,0,5,0")));
    out = Exchange(kAlice, "alice cancel 2");  // withdrawn
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,0,5,0")));
    // Carol heard of the request a moment ago; the news of its end is owed
    // to her and goes with the next second's tick.
    EXPECT_THAT(LinesFor(kCarol, out), IsEmpty());
    EXPECT_THAT(LinesFor(kCarol, core.Tick(now)), IsEmpty());
    now += 1s;
    EXPECT_THAT(LinesFor(kCarol, core.Tick(now)), ElementsAre("update:0,0,5,0," + Stamp()));
    Send(kAlice, "alice cancel 3");
    EXPECT_EQ(store.CountRequestsBy(Id("alice")), 0);
    EXPECT_THAT(Send(kBob, "bob accept 1"), ElementsAre("!noreq"));
}

TEST_F(RequestsTest, PushedUpdatesAreCoalescedToOneASecond) {
    // alice makes and withdraws requests to bob as fast as the server takes
    // them; bob hears of it at most once a second, always with fresh counts.
    std::vector<TimePoint> pushes;
    std::string last;
    auto record = [&](const std::vector<Outgoing>& out) {
        for (const std::string& line : LinesFor(kBob, out)) {
            pushes.push_back(now);
            last = line;
        }
    };
    int cycles = 0;
    for (int step = 0; step < 30; ++step) {
        now = kStart + step * 100ms;
        record(Exchange(kAlice, "alice request bob,,w,1,d,0,0,0,0"));
        auto requests = store.RequestsBy(Id("alice"));
        ASSERT_EQ(requests.size(), 1u) << step;
        record(Exchange(kAlice, "alice cancel " + std::to_string(requests[0].id)));
        cycles += store.RequestsBy(Id("alice")).empty();
        record(core.Tick(now));
    }
    EXPECT_EQ(cycles, 30);
    ASSERT_FALSE(pushes.empty());
    EXPECT_LE(pushes.size(), 3u);
    for (std::size_t i = 1; i < pushes.size(); ++i) {
        EXPECT_GE(pushes[i] - pushes[i - 1], 1s) << i;
    }
    // The request left standing reaches bob within the next second.
    now += 100ms;
    record(Exchange(kAlice, "alice request bob,,w,1,d,0,0,0,0"));
    for (int i = 0; i < 10 && last.rfind("update:1,", 0) != 0; ++i) {
        now += 100ms;
        record(core.Tick(now));
    }
    EXPECT_EQ(last, "update:1,0,5,0," + Stamp());
    ASSERT_GE(pushes.size(), 2u);
    EXPECT_GE(pushes.back() - pushes[pushes.size() - 2], 1s);
    // Lines bob asks for himself are never held back.
    EXPECT_THAT(Send(kBob, "bob update"), ElementsAre("update:1,0,5,0," + Stamp()));
    EXPECT_THAT(Send(kBob, "bob update"), ElementsAre("update:1,0,5,0," + Stamp()));
}

TEST_F(RequestsTest, CancelOnLogOut) {
    Send(kAlice, "alice request bob,,w,20,n,0,0,1,0");
    Send(kAlice, "alice request ,,w,20,n,0,0,1,0");
    Send(kAlice, "alice request carol,,w,1,d,0,0,0,0");
    // Moving the session to another endpoint is no log-out.
    const Endpoint laptop = Ep(1100);
    Login(laptop, "alice", "a");
    EXPECT_EQ(store.CountRequestsBy(Id("alice")), 3);

    now += 1s;  // bob was told of the request; the next push may go at once
    auto out = Exchange(laptop, "alice disconnect");
    EXPECT_EQ(store.CountRequestsBy(Id("alice")), 1);
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre("update:0,0,5,0," + Stamp()));

    // A silent session that times out counts as a log-out too.
    Send(kBob, "bob request carol,,w,20,n,0,0,1,0");
    EXPECT_EQ(store.CountRequestsBy(Id("bob")), 1);
    for (int i = 0; i < 11 * 60; ++i) {
        now += 1s;
        core.Tick(now);
        if (i % 100 == 0) {
            Send(kCarol, "carol pong");
        }
    }
    EXPECT_EQ(store.CountRequestsBy(Id("bob")), 0);
}

TEST_F(RequestsTest, RestartGivesOwnersTimeToComeBack) {
    Send(kAlice, "alice request ,,w,20,n,0,0,1,0");
    Send(kBob, "bob request ,,w,20,n,0,0,1,0");
    // A new server process over the same data: nobody is logged in.
    ServerCore restarted(store, MakeConfig());
    restarted.Tick(now);
    now += 5min;
    restarted.HandleDatagram(kBob, "bob connect v1.20 " + qc::account::Swordfish("b") + "\r", now);
    now += 5min;
    restarted.Tick(now);
    EXPECT_EQ(store.CountRequestsBy(Id("alice")), 0);
    EXPECT_EQ(store.CountRequestsBy(Id("bob")), 1);
}

TEST_F(RequestsTest, EndedGamesAreListedAndRemovedPerPlayer) {
    Send(kAlice, "alice request bob,,w,1,d,0,0,0,0");
    Send(kBob, "bob accept 1");  // game 1, alice white
    Send(kAlice, "alice request bob,,b,1,d,0,0,0,0");
    Send(kBob, "bob accept 2");  // game 2, alice black
    Send(kAlice, "alice request bob,,w,1,d,0,0,0,0");
    Send(kBob, "bob accept 3");                        // game 3
    Send(kAlice, "alice request alice,,w,1,d,0,0,0");  // game 4, local
    Send(kAlice, "alice request alice,,w,1,d,0,0,0");  // game 5, local
    store.EndGame(1, GameResult::WhiteWins, ToUnixSeconds(now + 1h));
    store.EndGame(2, GameResult::WhiteWins, ToUnixSeconds(now + 2h));
    store.EndGame(3, GameResult::Draw, ToUnixSeconds(now + 3h));
    store.EndGame(4, GameResult::BlackWins, ToUnixSeconds(now + 4h));
    store.EndGame(5, GameResult::WhiteWins, ToUnixSeconds(now + 5h));

    EXPECT_THAT(Send(kAlice, "alice gamelist"),
                ElementsAre("opengames:", ".", "closedgames:", "5,alice,Standard,10Dec26044500,1",
                            "4,alice,Standard,10Dec26034500,2", "3,bob,Standard,10Dec26024500,Draw",
                            "2,bob,Standard,10Dec26014500,Loss", "1,bob,Standard,10Dec26004500,Win",
                            ".", "requestsfor:", ".", "requestsby:", "."));
    EXPECT_THAT(Send(kAlice, "alice remove 1"), ElementsAre(Upd("0,0,5,0")));
    EXPECT_THAT(Send(kAlice, "alice remove 4"), ElementsAre(Upd("0,0,5,0")));
    EXPECT_THAT(Send(kCarol, "carol remove 2"), IsEmpty());
    EXPECT_THAT(
        Send(kBob, "bob gamelist"),
        ElementsAre("opengames:", ".", "closedgames:", "3,alice,Standard,10Dec26024500,Draw",
                    "2,alice,Standard,10Dec26014500,Win", "1,alice,Standard,10Dec26004500,Loss",
                    ".", "requestsfor:", ".", "requestsby:", "."));
    auto alice = Send(kAlice, "alice gamelist");
    EXPECT_THAT(
        std::vector<std::string>(alice.begin() + 2, alice.begin() + 6),
        ElementsAre("closedgames:", "5,alice,Standard,10Dec26044500,1",
                    "3,bob,Standard,10Dec26024500,Draw", "2,bob,Standard,10Dec26014500,Loss"));
    // An open game cannot be removed.
    Send(kAlice, "alice request alice,,w,1,d,0,0,0");
    Send(kAlice, "alice remove 6");
    EXPECT_FALSE(store.FindGame(6)->whiteRemoved);
    EXPECT_THAT(Send(kAlice, "alice requestwin"), ElementsAre("opphistory:", "bob", "."));
}

TEST_F(RequestsTest, UpdateCountsRequestsAndMoves) {
    Send(kBob, "bob request alice,,w,1,d,0,0,0,0");
    Send(kCarol, "carol request alice,,w,1,d,0,0,0,0");
    Send(kCarol, "carol request ,,w,1,d,0,0,0,0");
    EXPECT_THAT(Send(kAlice, "alice update"), ElementsAre(Upd("2,0,5,0")));
    Send(kAlice, "alice accept 1");
    EXPECT_THAT(Send(kAlice, "alice update"), ElementsAre(Upd("1,1,5,0")));
    EXPECT_THAT(Send(kBob, "bob update"), ElementsAre(Upd("0,1,5,1")));
    store.SetToMove(1, 'b', ToUnixSeconds(now + 1h));
    EXPECT_THAT(Send(kAlice, "alice update"), ElementsAre(Upd("1,1,5,1")));
    EXPECT_THAT(Send(kBob, "bob update"), ElementsAre(Upd("0,1,5,0")));
}

TEST_F(RequestsTest, ScoreboardRanksEstablishedPlayersFirst) {
    LoginGuest();
    auto play = [&](const std::string& white, const std::string& black, GameResult result) {
        NewGame g;
        g.whiteId = Id(white);
        g.blackId = Id(black);
        g.created = ToUnixSeconds(now);
        g.moveBy = g.created;
        store.EndGame(store.AddGame(g), result, g.created);
    };
    // alice: 8 wins, 4 losses (2/3 of a point per game); carol: 8 wins,
    // 4 losses, 2 draws (9/14, fewer than alice); bob: 4 wins, 9 losses;
    // dave: 1 win, below ten games.
    for (int i = 0; i < 4; ++i) {
        play("alice", "bob", GameResult::WhiteWins);
        play("bob", "alice", GameResult::WhiteWins);
        play("alice", "carol", GameResult::WhiteWins);
    }
    for (int i = 0; i < 4; ++i) {
        play("carol", "bob", GameResult::WhiteWins);
    }
    AddAccount("erin", "e");
    play("carol", "erin", GameResult::WhiteWins);
    play("carol", "erin", GameResult::Draw);
    play("carol", "erin", GameResult::WhiteWins);
    play("carol", "erin", GameResult::Draw);
    play("carol", "erin", GameResult::WhiteWins);
    play("carol", "erin", GameResult::WhiteWins);
    // Games against the bot, against guests and local games do not count.
    play("carol", "guest1", GameResult::WhiteWins);
    play("guest1", "alice", GameResult::WhiteWins);
    play("alice", "Bot3", GameResult::BlackWins);
    play("alice", "alice", GameResult::BlackWins);
    AddAccount("dave", "d");
    play("dave", "bob", GameResult::WhiteWins);
    Login(Ep(1200), "dave", "d");  // records the client version

    EXPECT_THAT(Send(kAlice, "alice scoreboard"),
                ElementsAre("scoreboard:", "8,4,0,alice,v1.20", "8,4,2,carol,v1.20",
                            "4,9,0,bob,v1.20", "0,4,2,erin,", "1,0,0,dave,v1.20", "."));
}

TEST(RankTest, OrderRules) {
    std::vector<ScoreRow> rows = {
        {"new_a", "", 5, 0, 0},   {"low", "", 1, 9, 0},     {"new_b", "", 1, 2, 3},
        {"tie_b", "", 10, 10, 0}, {"tie_a", "", 10, 10, 0}, {"drawn", "", 0, 0, 20},
        {"more", "", 20, 20, 0},  {"top", "", 10, 0, 0},    {"zero", "", 0, 0, 0},
    };
    RankScoreRows(rows);
    std::vector<std::string> names;
    for (const auto& r : rows) {
        names.push_back(r.name);
    }
    // Equal points per game: more games first, then more wins, then the name.
    EXPECT_THAT(names, ElementsAre("top", "more", "tie_a", "tie_b", "drawn", "low", "new_b",
                                   "new_a", "zero"));
}

TEST_F(RequestsTest, ServerGameTypesAreOfferedAndAccepted) {
    Config config = MakeConfig();
    config.extraGameTypes = {"Crazyhouse"};
    ServerCore core2(store, config);
    auto out = core2.HandleDatagram(
        kAlice, "alice connect v1.20 " + qc::account::Swordfish("a") + "\r", now);
    std::vector<std::string> lines = LinesFor(kAlice, out);
    EXPECT_THAT(lines, ElementsAre(Upd("0,0,5,0"), "gametypes:", "Crazyhouse", "."));
    out = core2.HandleDatagram(kAlice, "alice request bob,crazyhouse,w,1,d,0,0,0,0\r", now);
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,0,5,0")));
    EXPECT_EQ(store.RequestsBy(Id("alice")).at(0).gameType, "Crazyhouse");
}

}  // namespace
}  // namespace qc::server::testing

namespace qc::server::testing {
namespace {

// Nobody grows another player's list of requests without bound: ten open
// requests from one player to another, fifty to one player in all.
TEST_F(RequestsTest, RequestsToOnePlayerAreBounded) {
    const Config& config = core.GetConfig();
    for (int i = 0; i < config.maxRequestsBetween; ++i) {
        ASSERT_THAT(Send(kAlice, "alice request bob,,w,1,d,0,0,0,0"),
                    ElementsAre(::testing::StartsWith("update:")));
    }
    EXPECT_THAT(Send(kAlice, "alice request BOB,,w,1,d,0,0,0,0"),
                ElementsAre("msg: You have 10 open requests to bob. Please cancel one first."));
    EXPECT_THAT(Send(kAlice, "alice request carol,,w,1,d,0,0,0,0"),
                ElementsAre(::testing::StartsWith("update:")))
        << "requests to others are not held up";

    int made = config.maxRequestsBetween;
    for (int n = 0; made < config.maxRequestsForAccount; ++n) {
        const std::string name = "sender" + std::to_string(n);
        const Endpoint from = Ep(static_cast<std::uint16_t>(2000 + n));
        AddAccount(name, "p");
        Login(from, name, "p");
        for (int i = 0; i < config.maxRequestsBetween && made < config.maxRequestsForAccount;
             ++i, ++made) {
            ASSERT_THAT(Send(from, name + " request bob,,w,1,d,0,0,0,0"),
                        ElementsAre(::testing::StartsWith("update:")));
        }
    }
    EXPECT_THAT(Send(kCarol, "carol request bob,,w,1,d,0,0,0,0"),
                ElementsAre("msg: bob has too many open requests. Please try again later."));
    EXPECT_EQ(store.CountRequestsFor(Id("bob")), config.maxRequestsForAccount);
    // bob answering one makes room again.
    Send(kBob, "bob accept 1");
    EXPECT_THAT(Send(kCarol, "carol request bob,,w,1,d,0,0,0,0"),
                ElementsAre(::testing::StartsWith("update:")));
}

// Games against the bot and local games each keep an ended game; one
// account starts at most a hundred of each in any 24 hours.
TEST_F(RequestsTest, BotAndLocalGamesPerDayAreBounded) {
    struct Case {
        std::string opponent;
        int perDay;
        std::string refusal;
    };
    const Config& config = core.GetConfig();
    const Case cases[] = {
        {"Bot", config.botGamesPerDay,
         "msg: You have started 100 games against the bot in the last 24 hours. Please wait a "
         "while."},
        {"alice", config.localGamesPerDay,
         "msg: You have started 100 local games in the last 24 hours. Please wait a while."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.opponent);
        const TimePoint first = now;
        for (int i = 0; i < c.perDay; ++i) {
            auto lines = Send(kAlice, "alice request " + c.opponent + ",,w,1,d,0,0,0");
            ASSERT_FALSE(lines.empty());
            ASSERT_EQ(lines[0].rfind("accepted: ", 0), 0u) << lines[0];
            Send(kAlice, "alice resign " + lines[0].substr(10));
            now += 10s;
        }
        EXPECT_THAT(Send(kAlice, "alice request " + c.opponent + ",,w,1,d,0,0,0"),
                    ElementsAre(c.refusal));
        // A day after the first, one more may start.
        now = first + 24h;
        EXPECT_THAT(Send(kAlice, "alice request " + c.opponent + ",,w,1,d,0,0,0"),
                    Contains(::testing::StartsWith("accepted: ")));
        now += 24h;
    }
}

// An idle guest is forgotten with its ended games and their chat; one with
// an open game stays (its game has four weeks a move, so it is still open
// when the guests are swept, just before the deadlines are).
TEST(GuestRetentionTest, IdleGuestsGoWithTheirEndedGames) {
    Store store(":memory:");
    Config config;
    config.utcTimestamps = true;
    config.botSeed = 1;
    ServerCore core(store, config);
    TimePoint now = kStart;
    auto send = [&](const Endpoint& from, const std::string& line) {
        std::vector<std::string> lines;
        for (const Outgoing& o : core.HandleDatagram(from, line + "\r", now)) {
            if (o.to == from) {
                lines.push_back(o.text);
            }
        }
        return lines;
    };
    AddNamedAccount(store, config, "alice", "a", now);
    send(kAlice, "alice connect v1.20 " + qc::account::Swordfish("a"));
    const Endpoint idle = Ep(3001);
    const Endpoint playing = Ep(3002);
    ASSERT_EQ(send(idle, "guest connect v1.20 *")[0].rfind("guest: guest1,", 0), 0u);
    ASSERT_EQ(send(playing, "guest connect v1.20 *")[0].rfind("guest: guest2,", 0), 0u);

    // guest1: an ended game against the bot, with chat, and one against alice.
    send(idle, "guest1 request Bot,,w,1,d,0,0,0");
    send(idle, "guest1 chatsend 1,hello");
    send(idle, "guest1 resign 1");
    send(idle, "guest1 request alice,,w,1,d,0,0,0,0");
    send(kAlice, "alice accept 1");
    send(idle, "guest1 resign 2");
    // guest2: a game with four weeks a move, still open.
    send(playing, "guest2 request Bot,,w,4,w,0,0,0");
    send(idle, "guest1 disconnect");
    send(playing, "guest2 disconnect");
    ASSERT_EQ(store.Chat(1, 10).size(), 1u);

    now += config.guestRetention + 2h;
    core.Tick(now);
    EXPECT_FALSE(store.FindAccount("guest1"));
    EXPECT_FALSE(store.FindGame(1));
    EXPECT_FALSE(store.FindGame(2)) << "alice's history loses the game against the guest";
    EXPECT_TRUE(store.Chat(1, 10).empty());
    EXPECT_TRUE(store.FindAccount("guest2"));
    EXPECT_TRUE(store.FindGame(3));
    EXPECT_TRUE(store.FindAccount("alice"));
}

}  // namespace
}  // namespace qc::server::testing
