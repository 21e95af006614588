#include <gtest/gtest.h>

#include <algorithm>

#include "client/core/lobby/move_alerts.h"
#include "client/core/protocol/server_time.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::lobby {
namespace {

using fakes::FakeController;

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::int64_t kDay = 86400;

// A logged-in guest whose server answers as the test says, with the
// deadline checks running and the game list window closed.
struct Alerts : FakeController {
    explicit Alerts(const std::string& counts = "0,1,5,0", bool gameListShown = false) {
        setup->alerts().Start();
        if (gameListShown) {
            setup->gameList().Show();
        }
        LoginAsGuest(Update(counts));
        loginSent = TakeSent();
    }
    std::vector<std::string> loginSent;

    // A server timestamp `offset` seconds from now (the server's clock is ours).
    std::string Stamp(std::int64_t offset = 0) const {
        return protocol::FormatServerTimestamp(
            protocol::CivilFromSeconds(protocol::CivilSeconds(timers.LocalNow()) + offset));
    }
    // "requests,games,slots,your move" and the server's time.
    std::string Update(const std::string& counts) const {
        return "update:" + counts + "," + Stamp() + "\r";
    }
    void Counts(const std::string& counts) { socket.Receive(Update(counts)); }
    // The answer to "gamelist": open games and requests for the user, as
    // record lines without their ends.
    void Lists(const std::vector<std::string>& open, const std::vector<std::string>& reqsFor = {}) {
        std::string text = "opengames:\r";
        for (const std::string& r : open) {
            text += r + "\r";
        }
        text += ".\rclosedgames:\r.\rrequestsfor:\r";
        for (const std::string& r : reqsFor) {
            text += r + "\r";
        }
        socket.Receive(text + ".\rrequestsby:\r.\r");
    }
    // An open game: id, opponent, your move, seconds to its deadline.
    std::string Game(const std::string& id, const std::string& opp, bool yours,
                     std::int64_t left) const {
        return id + "," + opp + ",," + (yours ? "1" : "0") + "," + Stamp(left);
    }
    static int GameListsIn(const std::vector<std::string>& sent) {
        return static_cast<int>(std::count_if(sent.begin(), sent.end(), [](const std::string& l) {
            return l.ends_with(" gamelist\r");
        }));
    }
    int GameListsAsked() { return GameListsIn(TakeSent()); }
    std::vector<std::string> Texts() {
        std::vector<std::string> out;
        for (const auto& m : tray.messages) {
            EXPECT_EQ(m.title, "Quorvel Chess");
            out.push_back(m.text);
        }
        tray.messages.clear();
        return out;
    }
    bool Warned(const std::string& id) const { return setup->deadlines.Warned(id); }
    void Minutes(std::int64_t m) { timers.Advance(m * kMinute * 1000); }
};

using Texts = std::vector<std::string>;

TEST(MoveAlerts, AMoveStartingToWaitNotifiesOnceAndOneStillWaitingDoesNot) {
    Alerts f;
    f.Counts("0,1,5,1");  // the opponent moved: the server tells at once
    EXPECT_EQ(f.GameListsAsked(), 1);
    f.Lists({f.Game("4711", "bob", true, 3 * kDay)});
    EXPECT_EQ(f.Texts(), Texts{"Your move against bob, game 4711"});
    // The refresh three minutes on, and lists shown for another reason.
    f.Minutes(3);
    f.Counts("0,1,5,1");
    EXPECT_EQ(f.GameListsAsked(), 0);
    f.Lists({f.Game("4711", "bob", true, 3 * kDay - 3 * kMinute)});
    EXPECT_EQ(f.Texts(), Texts{});
}

TEST(MoveAlerts, TheFirstListsOfARunOrAnAccountTellNothing) {
    // Something waits at login: the lists are asked for once and only
    // describe what already waited.
    Alerts f("1,2,5,1");
    EXPECT_EQ(Alerts::GameListsIn(f.loginSent), 1);
    f.Lists({f.Game("11", "bob", true, kDay * 2), f.Game("12", "carol", false, kDay * 2)},
            {"301,dave,,b,3,d"});
    EXPECT_EQ(f.Texts(), Texts{});

    // With the game list shown, its own "gamelist" is the only one.
    Alerts g("1,2,5,1", true);
    EXPECT_EQ(Alerts::GameListsIn(g.loginSent), 1);
    g.Lists({g.Game("11", "bob", true, kDay * 2)}, {"301,dave,,b,3,d"});
    EXPECT_EQ(g.Texts(), Texts{});

    // Another account's first lists are a new start too.
    f.setup->login.QVID = "alice";
    f.setup->login.PWHash = "digest";
    f.Counts("2,3,5,2");
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"alice gamelist\r"});
    f.Lists({f.Game("11", "bob", true, kDay * 2), f.Game("13", "erin", true, kDay * 2)},
            {"301,dave,,b,3,d", "302,fred,,w,1,h"});
    EXPECT_EQ(f.Texts(), Texts{});
}

TEST(MoveAlerts, TheSameGameNotifiesAgainOnceTheOpponentHasMovedAgain) {
    Alerts f("0,1,5,1");
    f.Lists({f.Game("4711", "bob", true, 2 * kDay)});
    EXPECT_EQ(f.Texts(), Texts{});
    // The user moves; the game waits for bob.
    f.Counts("0,1,5,0");
    EXPECT_EQ(f.GameListsAsked(), 1);
    f.Lists({f.Game("4711", "bob", false, 3 * kDay)});
    EXPECT_EQ(f.Texts(), Texts{});
    // bob answers.
    f.Minutes(30);
    f.Counts("0,1,5,1");
    f.Lists({f.Game("4711", "bob", true, 3 * kDay)});
    EXPECT_EQ(f.Texts(), Texts{"Your move against bob, game 4711"});
    // Both moves between two lists: still waiting, with another deadline.
    f.Minutes(30);
    f.Lists({f.Game("4711", "bob", true, 3 * kDay)});
    EXPECT_EQ(f.Texts(), Texts{"Your move against bob, game 4711"});
}

TEST(MoveAlerts, ANewRequestNotifiesWithItsTypeAndMoveTime) {
    Alerts f;
    f.Counts("1,1,5,0");
    EXPECT_EQ(f.GameListsAsked(), 1);
    f.Lists({}, {"301,bob,Chess960,w,3,d"});
    EXPECT_EQ(f.Texts(), Texts{"bob asks you for a game: Chess960, 3 days"});
    f.Counts("2,1,5,0");
    f.Lists({}, {"301,bob,Chess960,w,3,d", "302,carol,,b,10,n"});
    EXPECT_EQ(f.Texts(), Texts{"carol asks you for a game: Standard, 10 minutes"});
    // A request that goes and a game that comes of it: only the move.
    f.Counts("1,2,5,1");
    f.Lists({f.Game("4712", "carol", true, 10 * kMinute)}, {"301,bob,Chess960,w,3,d"});
    EXPECT_EQ(f.Texts(), Texts{"Your move against carol, game 4712"});
}

TEST(MoveAlerts, ALocalGameNeverNotifies) {
    Alerts f;
    f.Counts("0,1,5,1");
    f.Lists({f.Game("50", "GUEST42", true, 30 * kMinute)});
    f.Minutes(25);
    EXPECT_EQ(f.Texts(), Texts{});
    EXPECT_FALSE(f.Warned("50"));
}

TEST(MoveAlerts, WithTheBoxOffNothingIsShownButTheColourStaysAndNoOldNewsComeBack) {
    Alerts f;
    f.setup->prefs.Notify = false;
    f.Counts("1,1,5,1");
    f.Lists({f.Game("4711", "bob", true, 2 * kHour)}, {"301,bob,,w,1,d"});
    EXPECT_TRUE(f.Warned("4711"));
    EXPECT_EQ(f.Texts(), Texts{});
    f.setup->prefs.Notify = true;
    f.Minutes(60);
    f.Counts("1,1,5,1");
    f.Lists({f.Game("4711", "bob", true, kHour)}, {"301,bob,,w,1,d"});
    EXPECT_EQ(f.Texts(), Texts{});
    EXPECT_TRUE(f.Warned("4711"));
}

TEST(MoveAlerts, AClickOpensTheGameAndForARequestTheGameList) {
    Alerts f;
    f.Counts("1,1,5,1");
    f.TakeSent();
    f.Lists({f.Game("4711", "bob", true, 3 * kDay)}, {"301,carol,,w,1,d"});
    ASSERT_EQ(f.tray.messages.size(), 2u);
    const int move = f.tray.messages[0].id;
    const int request = f.tray.messages[1].id;
    EXPECT_NE(move, request);
    f.tray.ClickMessage(move);
    EXPECT_TRUE(f.setup->gameWindow().IsShown());
    EXPECT_EQ(f.TakeSent(),
              (std::vector<std::string>{"guest42 opengames\r", "guest42 game 4711\r"}));
    f.tray.ClickMessage(request);
    EXPECT_TRUE(f.setup->gameList().IsShown());
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 gamelist\r"});
    f.tray.ClickMessage(request + 100);  // not one of ours
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{});
}

TEST(MoveAlerts, ADeadlineWarnsUnderADayOrHalfTheMoveTimeWhenThatIsShorter) {
    const struct {
        const char* name;
        std::int64_t moveTime;
        std::int64_t quietUntil;  // minutes without a warning
        const char* text;         // the warning just past the threshold
    } cases[] = {
        {"10 minutes", 10 * kMinute, 4, "Game 4711 against bob: 4 minutes left"},
        {"3 hours", 3 * kHour, 89, "Game 4711 against bob: 1 hour left"},
        {"3 days", 3 * kDay, 2 * 24 * 60 - 1, "Game 4711 against bob: 23 hours left"},
    };
    for (const auto& c : cases) {
        // The game waits for bob when the lists are first seen; his move
        // sets the deadline one move time ahead.
        Alerts f;
        f.Lists({f.Game("4711", "bob", false, kDay * 9)});
        f.Counts("0,1,5,1");
        f.Lists({f.Game("4711", "bob", true, c.moveTime)});
        ASSERT_EQ(f.Texts(), Texts{"Your move against bob, game 4711"}) << c.name;
        f.Minutes(c.quietUntil);
        EXPECT_EQ(f.Texts(), Texts{}) << c.name;
        EXPECT_FALSE(f.Warned("4711")) << c.name;
        f.Minutes(2);
        EXPECT_EQ(f.Texts(), Texts{c.text}) << c.name;
        EXPECT_TRUE(f.Warned("4711")) << c.name;
        // Once per deadline, the colour as long as it stays close.
        f.Minutes(2);
        f.Lists({f.Game("4711", "bob", true, c.moveTime - (c.quietUntil + 4) * kMinute)});
        EXPECT_EQ(f.Texts(), Texts{}) << c.name;
        EXPECT_TRUE(f.Warned("4711")) << c.name;
        // The user moves: no colour; bob answers: a new deadline, warned anew.
        f.Counts("0,1,5,0");
        f.Lists({f.Game("4711", "bob", false, c.moveTime)});
        EXPECT_FALSE(f.Warned("4711")) << c.name;
        f.Counts("0,1,5,1");
        f.Lists({f.Game("4711", "bob", true, c.moveTime)});
        f.Texts();
        f.Minutes(c.quietUntil + 2);
        EXPECT_EQ(f.Texts(), Texts{c.text}) << c.name;
    }
}

TEST(MoveAlerts, TheMoveTimeOfTheGameLineIsExact) {
    // A deadline first seen at start-up says nothing of the move time; the
    // game's own line does.
    Alerts f("0,1,5,1");
    f.Lists({f.Game("4711", "bob", true, 50 * kMinute)});
    EXPECT_EQ(f.Texts(), (Texts{"Game 4711 against bob: 50 minutes left"}));
    Alerts g("0,1,5,1");
    g.socket.Receive("game: 4711,guest42,bob,,w,,1,h," + g.Stamp(-kDay) + "," +
                     g.Stamp(50 * kMinute) + ",,0,0,1,1,1,0,0\r");
    g.Lists({g.Game("4711", "bob", true, 50 * kMinute)});
    EXPECT_EQ(g.Texts(), Texts{});
    g.Minutes(21);
    EXPECT_EQ(g.Texts(), (Texts{"Game 4711 against bob: 29 minutes left"}));
}

TEST(MoveAlerts, TheWarningsFollowTheOpenGamesAndTheClockAlsoWithoutAWindow) {
    Alerts f("0,2,5,2");
    EXPECT_FALSE(f.setup->gameList().IsShown());
    f.Lists({f.Game("11", "bob", true, 30 * kHour), f.Game("12", "carol", true, 5 * kDay)});
    EXPECT_EQ(f.Texts(), Texts{});
    f.Minutes(6 * 60 + 1);
    EXPECT_EQ(f.Texts(), Texts{"Game 11 against bob: 23 hours left"});
    EXPECT_EQ(f.setup->deadlines.gameIds, std::set<std::string>{"11"});
    // Game 11 ends: forgotten, colour and all.
    f.Counts("0,1,5,1");
    f.Lists({f.Game("12", "carol", true, 5 * kDay - 6 * kHour)});
    EXPECT_TRUE(f.setup->deadlines.gameIds.empty());
    // A passed deadline keeps the colour but is nobody's news.
    Alerts g("0,1,5,1");
    g.Lists({g.Game("13", "dave", true, -kMinute)});
    EXPECT_TRUE(g.Warned("13"));
    EXPECT_EQ(g.Texts(), Texts{});
}

TEST(MoveAlerts, ListsAreAskedForOnChangedCountsOnlyAndNotWhenAWindowDoes) {
    Alerts f;
    // Equal counts every three minutes for an hour: no list.
    for (int i = 0; i < 20; ++i) {
        f.Minutes(3);
        f.Counts("0,1,5,0");
    }
    EXPECT_EQ(f.GameListsAsked(), 0);
    f.Counts("0,1,5,1");
    EXPECT_EQ(f.GameListsAsked(), 1);
    f.Lists({f.Game("11", "bob", true, 3 * kDay)});
    // While something waits, lists half an hour old are asked for once more.
    int asked = 0;
    for (int i = 0; i < 20; ++i) {
        f.Minutes(3);
        f.Counts("0,1,5,1");
        if (const int n = f.GameListsAsked(); n > 0) {
            asked += n;
            f.Lists({f.Game("11", "bob", true, 3 * kDay - (i + 1) * 3 * kMinute)});
        }
    }
    EXPECT_EQ(asked, 2);  // at 30 and at 60 minutes
    EXPECT_EQ(f.Texts(), Texts{"Your move against bob, game 11"});
    // The game window asks for the open games itself: a move needs no more,
    // a request does.
    f.Lists({f.Game("11", "bob", true, 3 * kDay)});
    f.setup->gameWindow().Show();
    f.Counts("0,1,5,0");
    EXPECT_EQ(f.GameListsAsked(), 0);
    f.Counts("1,1,5,0");
    EXPECT_EQ(f.GameListsAsked(), 1);
    // The game list window asks for all of them.
    f.setup->gameList().Show();
    f.TakeSent();
    f.Counts("2,2,5,1");
    EXPECT_EQ(f.GameListsAsked(), 1);  // the window's own
}

TEST(MoveAlerts, AListLostOnTheWayIsAskedForAgainAtTheNextUpdate) {
    Alerts f("1,1,5,1");
    EXPECT_EQ(Alerts::GameListsIn(f.loginSent), 1);
    // No answer: not asked again while one may still come ...
    f.timers.Advance(10 * 1000);
    f.Counts("1,1,5,1");
    EXPECT_EQ(f.GameListsAsked(), 0);
    // ... but at the next refresh.
    f.Minutes(3);
    f.Counts("1,1,5,1");
    EXPECT_EQ(f.GameListsAsked(), 1);
    f.Lists({f.Game("11", "bob", true, 3 * kDay)}, {"301,carol,,w,1,d"});
    EXPECT_EQ(f.Texts(), Texts{});  // still the first lists of the run
    f.Minutes(3);
    f.Counts("1,1,5,1");
    EXPECT_EQ(f.GameListsAsked(), 0);
}

TEST(MoveAlerts, AReconnectionOfTheSameAccountStillTellsWhatCameMeanwhile) {
    Alerts f("0,1,5,1");
    f.Lists({f.Game("11", "bob", true, 3 * kDay)});
    f.setup->session().FailAndRetry("Connection timed out");
    f.Minutes(1);
    f.TakeSent();
    f.Counts("1,2,5,2");
    EXPECT_EQ(f.GameListsAsked(), 1);
    f.Lists({f.Game("11", "bob", true, 3 * kDay - kMinute), f.Game("12", "carol", true, kDay * 2)},
            {"301,dave,,w,2,ww"});
    EXPECT_EQ(f.Texts(), (Texts{"Your move against carol, game 12",
                                "dave asks you for a game: Standard, 2 weeks"}));
}

TEST(MoveAlertTexts, TimeLeftInItsLargestWholeUnit) {
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        {30, "less than a minute"}, {60, "1 minute"},  {5 * kMinute - 1, "4 minutes"},
        {kHour - 1, "59 minutes"},  {kHour, "1 hour"}, {3 * kHour + 59 * kMinute, "3 hours"},
        {kDay - 1, "23 hours"},     {kDay, "1 day"},   {3 * kDay + kHour, "3 days"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TimeLeftText(c.seconds), c.text) << c.seconds;
    }
}

TEST(MoveAlertTexts, ThresholdAndMoveTimes) {
    EXPECT_EQ(WarningThreshold(MoveTimeSeconds(10, "n")), 5 * kMinute);
    EXPECT_EQ(WarningThreshold(MoveTimeSeconds(3, "d")), kDay);
    EXPECT_EQ(WarningThreshold(MoveTimeSeconds(36, "h")), 18 * kHour);
    EXPECT_EQ(WarningThreshold(MoveTimeSeconds(4, "ww")), kDay);
    EXPECT_EQ(WarningThreshold(0), kDay);  // unknown: the day rule alone
}

}  // namespace
}  // namespace qc::lobby
