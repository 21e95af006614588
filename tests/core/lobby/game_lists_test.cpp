#include <gtest/gtest.h>

#include "client/core/lobby/game_lists.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::lobby {
namespace {

const platform::CivilTime kNow{2026, 12, 9, 12, 0, 0};

TEST(OpenGameRecords, Table) {
    struct Case {
        std::string line;
        std::string id, opponent, type;
        bool yourMove;
        bool hasMoveBy;
    };
    const std::vector<Case> cases = {
        {"4711,bob,Chess960,1,05Dec26153012", "4711", "bob", "Chess960", true, true},
        {"4711,bob,,0,05Dec26153012", "4711", "bob", "Standard", false, true},
        {"4711,bob,chess960,2,05Dec26153012", "4711", "bob", "chess960", true, true},
        {"4711,bob,,,05Dec26153012", "4711", "bob", "Standard", false, true},
        {"4711,bob,,1x,05Dec26153012", "4711", "bob", "Standard", true, true},
        {"4711,bob,,1,garbage", "4711", "bob", "Standard", true, false},
        // No comma at all: the your-move number is read from the whole line.
        {"7", "", "", "Standard", true, false},
        {"", "", "", "Standard", false, false},
    };
    for (const auto& c : cases) {
        const OpenGameRec r = ParseOpenGame(c.line, kNow);
        EXPECT_EQ(r.ID, c.id) << c.line;
        EXPECT_EQ(r.Opponent, c.opponent) << c.line;
        EXPECT_EQ(r.GameType, c.type) << c.line;
        EXPECT_EQ(r.YourMove, c.yourMove) << c.line;
        EXPECT_EQ(r.MoveBy.has_value(), c.hasMoveBy) << c.line;
    }
    const auto t = ParseOpenGame("1,a,,1,05Dec26153012", kNow).MoveBy;
    ASSERT_TRUE(t);
    EXPECT_EQ((std::vector<int>{t->year, t->month, t->day, t->hour, t->minute, t->second}),
              (std::vector<int>{2026, 12, 5, 15, 30, 12}));
}

TEST(ClosedGameRecords, OutcomesAndTimes) {
    struct Case {
        std::string line, outcome, text;
    };
    const std::vector<Case> cases = {
        {"9,bob,,05Dec26153012,Win", "w", "Win"},   {"9,bob,,05Dec26153012,D", "d", "Draw"},
        {"9,bob,,05Dec26153012,loss", "l", "Loss"}, {"9,bob,,05Dec26153012,1", "1", "White"},
        {"9,bob,,05Dec26153012,2", "2", "Black"},   {"9,bob,,05Dec26153012,", "", "-"},
        {"9,bob,,05Dec26153012,x", "x", "-"},       {"9,bob,,05Dec26153012,W,extra", "w", "Win"},
    };
    for (const auto& c : cases) {
        const ClosedGameRec r = ParseClosedGame(c.line, kNow);
        EXPECT_EQ(r.ID, "9");
        EXPECT_EQ(r.GameType, "Standard");
        EXPECT_TRUE(r.Ended.has_value()) << c.line;
        EXPECT_EQ(r.Outcome, c.outcome) << c.line;
        EXPECT_EQ(OutcomeText(r.Outcome), c.text) << c.line;
    }
}

TEST(RequestRecords, FieldsUnitsAndGuests) {
    struct Case {
        std::string line;
        std::string colour;
        std::int16_t amount;
        std::string unit, text;
    };
    const std::vector<Case> cases = {
        {"77,bob,,White,10,n", "w", 10, "n", "10 minutes"},
        {"77,bob,,B,2,ww", "b", 2, "ww", "2 weeks"},
        {"77,bob,,black,1,h,x", "b", 1, "h,x", "1 week"},
        {"77,bob,,w,1,h", "w", 1, "h", "1 hour"},
        {"77,bob,,w,3,d", "w", 3, "d", "3 days"},
        {"77,bob,,w,1,d", "w", 1, "d", "1 day"},
        {"77,bob,,w,1,n", "w", 1, "n", "1 minutes"},
        {"77,bob,,,99999,d", "", 0, "d", "0 days"},
    };
    for (const auto& c : cases) {
        const RequestRec r = ParseRequest(c.line);
        EXPECT_EQ(r.ID, "77");
        EXPECT_EQ(r.QVID, "bob");
        EXPECT_EQ(r.Colour, c.colour) << c.line;
        EXPECT_EQ(r.TimeAmount, c.amount) << c.line;
        EXPECT_EQ(r.TimeUnit, c.unit) << c.line;
        EXPECT_EQ(MoveTimeText(r.TimeAmount, r.TimeUnit), c.text) << c.line;
        EXPECT_FALSE(r.GuestsAllowed);
    }
    EXPECT_TRUE(ParsePublicRequest("5,carol,Chess960,b,3,d,1").GuestsAllowed);
    EXPECT_FALSE(ParsePublicRequest("5,carol,Chess960,b,3,d,0").GuestsAllowed);
    const RequestRec noSeventh = ParsePublicRequest("5,carol,Chess960,b,3,d");
    EXPECT_FALSE(noSeventh.GuestsAllowed);
    EXPECT_EQ(ParsePublicRequest("5,carol,,b,3,d,1").TimeUnit, "d");
}

TEST(ScoreRecords, Fields) {
    const ScoreRec r = ParseScore("12,3,4,alice,v1.20, beta");
    EXPECT_EQ(r.Wins, 12);
    EXPECT_EQ(r.Losses, 3);
    EXPECT_EQ(r.Draws, 4);
    EXPECT_EQ(r.QVID, "alice");
    EXPECT_EQ(r.Version, "v1.20, beta");
}

TEST(SelfTest, LetterCaseAsWindows1252KnowsIt) {
    struct Row {
        const char* name;
        std::string_view opponent, qvid;
        bool self;
    };
    const Row rows[] = {
        {"ascii", "BoB", "bob", true},
        {"accented capitals", "J\xD6RG", "j\xF6rg", true},
        {"caron and ligature", "\x8Aimon\x8C", "\x9Aimon\x9C", true},
        {"another name", "bob", "bobby", false},
        {"sign pair is not a letter pair", "x\xD7", "x\xF7", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(IsSelf(row.opponent, row.qvid), row.self);
    }
}

TEST(DisplayTime, ShiftsOnlyForLocalTime) {
    const ServerTime t = platform::CivilTime{2026, 12, 5, 15, 30, 12};
    const auto local = DisplayTime(t, 3600, true);
    EXPECT_EQ(local->hour, 16);
    EXPECT_EQ(DisplayTime(t, 3600, false)->hour, 15);
    EXPECT_EQ(DisplayTime(platform::CivilTime{2026, 12, 31, 23, 30, 0}, 3600, true)->year, 2027);
    EXPECT_FALSE(DisplayTime(std::nullopt, 3600, true).has_value());
}

TEST(ListReception, RecordsLandInTheirArrays) {
    fakes::FakeController fc;
    fc.LoginAsGuest();
    fc.socket.Receive(
        "opengames:\r1,bob,,1,05Dec26153012\r2,guest42,Chess960,0,06Dec26000000\r.\r"
        "closedgames:\r.\r"
        "requestsfor:\r77,carol,,w,10,n\r.\r"
        "requestsby:\r78,,,b,2,ww\r79,dave,,w,1,d\r.\r"
        "publicreqs:\r80,erin,,w,3,d,1\r.\r"
        "scoreboard:\r3,1,0,frank,v1.20\r.\r");
    const GameLists& g = fc.setup->gameLists;
    ASSERT_EQ(g.OpenGamesData.size(), 2u);
    EXPECT_EQ(g.OpenGamesData[1].GameType, "Chess960");
    ASSERT_EQ(g.ClosedGamesData.size(), 1u);
    EXPECT_TRUE(g.ClosedGamesData[0].ID.empty());
    EXPECT_EQ(g.ReqsForData[0].QVID, "carol");
    ASSERT_EQ(g.ReqsByData.size(), 2u);
    EXPECT_EQ(g.ReqsByData[1].QVID, "dave");
    EXPECT_TRUE(g.PublicReqsData[0].GuestsAllowed);
    EXPECT_EQ(g.ScoreboardData[0].QVID, "frank");

    // A shorter list replaces the longer one.
    fc.socket.Receive("requestsby:\r90,gina,,w,1,d\r.\r");
    ASSERT_EQ(g.ReqsByData.size(), 1u);
    EXPECT_EQ(g.ReqsByData[0].ID, "90");
}

}  // namespace
}  // namespace qc::lobby
