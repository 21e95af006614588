#include <gtest/gtest.h>

#include "client/core/lobby/game_list_window.h"
#include "client/core/lobby/request_actions.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::lobby {
namespace {

using fakes::FakeController;

// A logged-in controller with the four lists received.
struct ListsFixture : FakeController {
    ListsFixture() {
        LoginAsGuest("update:1,3,5,1,09Dec26120000\r");
        socket.Receive(
            "opengames:\r11,bob,,1,05Dec26153012\r12,guest42,Chess960,0,06Dec26000000\r"
            "13,carol,,0,07Dec26100000\r.\r"
            "closedgames:\r21,guest42,,04Dec26120000,1\r22,dave,,04Dec26120000,L\r.\r"
            "requestsfor:\r77,erin,,b,10,n\r.\r"
            "requestsby:\r78,,,w,2,ww\r79,frank,,w,1,d\r.\r");
        TakeSent();
    }
};

TEST(RequestActions, CommandsAndTests) {
    ListsFixture f;
    RequestActions& s = f.setup->requests();
    s.AcceptReq(0);
    s.DeclineReq(0);
    s.CancelReq(1);
    s.RemoveGame(1);
    s.AcceptReq(5);  // past the end: nothing
    EXPECT_EQ(f.TakeSent(),
              (std::vector<std::string>{"guest42 accept 77\r", "guest42 cancel 77\r",
                                        "guest42 cancel 79\r", "guest42 remove 22\r"}));
    EXPECT_TRUE(s.IsPublicReq(0));
    EXPECT_FALSE(s.IsPublicReq(1));

    f.socket.Receive("publicreqs:\r80,GUEST42,,w,3,d,0\r81,gina,,w,3,d,1\r82,hank,,w,3,d\r.\r");
    EXPECT_TRUE(s.IsMyPublicReq(0));
    EXPECT_FALSE(s.IsMyPublicReq(1));
    EXPECT_TRUE(s.IsNoGuestsReq(0));
    EXPECT_FALSE(s.IsNoGuestsReq(1));
    EXPECT_TRUE(s.IsNoGuestsReq(2));
    s.AcceptPublicReq(1);
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 accept 81\r"});

    s.OppStats(0, 0);
    s.OppHist(1, 1);
    s.OppStats(2, 0);
    s.OppStats(5, 1);  // any other list number: requests by the user
    s.PublicReqStats(1);
    f.socket.Receive("scoreboard:\r3,1,0,a&b?c,v1.20\r.\r");
    s.BoardHist(0);
    EXPECT_EQ(f.shell.Urls(), (std::vector<std::string>{
                                  "http://games.example/stats.html?qvid=bob",
                                  "http://games.example/history.html?qvid=dave",
                                  "http://games.example/stats.html?qvid=erin",
                                  "http://games.example/stats.html?qvid=frank",
                                  "http://games.example/stats.html?qvid=gina",
                                  "http://games.example/history.html?qvid=a&b?c",
                              }));
}

TEST(RequestActions, BoardReqShowsTheRequestWindowThenSendsThenFillsTheOpponent) {
    ListsFixture f;
    fakes::RecordingRequestWindow requestWin;
    f.setup->views().lobby.requestWin = &requestWin;
    f.socket.Receive("scoreboard:\r3,1,0,ivan,v1.20\r.\r");
    f.setup->requests().BoardReq(0);
    EXPECT_TRUE(requestWin.shown);
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 requestwin\r"});
    EXPECT_EQ(requestWin.opponent, "ivan");
    // The window's answer refreshes only the list, so the name stays.
    f.socket.Receive("opphistory:\rjoe\r.\r");
    EXPECT_EQ(requestWin.opponent, "ivan");
}

TEST(GameListWindow, RowsShowTheListsByTheDisplayRules) {
    ListsFixture f;
    f.setup->prefs.MyTime = true;
    f.setup->counters.TimeDiff = 3600;
    GameListWindow& w = f.setup->gameList();
    w.Update();
    const auto& open = w.Grid(kOpenGrid).rows;
    ASSERT_EQ(open.size(), 3u);
    EXPECT_EQ(open[0],
              (std::vector<std::string>{"11", "bob", "Standard", "YES", "2026-12-05 16:30:12"}));
    EXPECT_EQ(open[1], (std::vector<std::string>{"12", "Local Game", "Chess960", "-",
                                                 "2026-12-06 01:00:00"}));
    EXPECT_EQ(open[2][3], "No");
    const auto& closed = w.Grid(kClosedGrid).rows;
    EXPECT_EQ(closed[0][1], "Local Game");
    EXPECT_EQ(closed[0][4], "White");
    EXPECT_EQ(closed[1][4], "Loss");
    EXPECT_EQ(w.Grid(kForGrid).rows[0],
              (std::vector<std::string>{"erin", "Standard", "Black", "10 minutes"}));
    EXPECT_EQ(w.Grid(kByGrid).rows[0][0], "-");
    EXPECT_EQ(w.Grid(kByGrid).rows[0][3], "2 weeks");
    EXPECT_EQ(w.SlotsText(), "Using 3/5 game slots");

    // Server time shown as sent; midnight shows the date alone.
    f.setup->prefs.MyTime = false;
    w.Update();
    EXPECT_EQ(w.Grid(kOpenGrid).rows[1][4], "2026-12-06");
}

TEST(GameListWindow, SelectionsSurviveRefreshesAndClamp) {
    ListsFixture f;
    GameListWindow& w = f.setup->gameList();
    w.Update();
    EXPECT_FALSE(w.Grid(kOpenGrid).selected);
    EXPECT_FALSE(w.Buttons().view[0]);

    w.Pick(kOpenGrid, 3, 1);
    EXPECT_EQ(w.Grid(kOpenGrid).HighlightRow(), 3);
    EXPECT_TRUE(w.Buttons().view[0]);
    EXPECT_TRUE(w.Buttons().oppStats[0]);
    // A pick in the parked (hidden) column does not move the selection.
    w.Pick(kOpenGrid, 1, 5);
    EXPECT_EQ(w.Grid(kOpenGrid).row, 3);

    // Shorter list: the last row is selected.
    f.socket.Receive("opengames:\r11,bob,,1,05Dec26153012\r12,x,,0,05Dec26153012\r.\r");
    w.Update();
    EXPECT_EQ(w.Grid(kOpenGrid).HighlightRow(), 2);
    // A list without a selection stays without one, even when it grows.
    f.socket.Receive(
        "closedgames:\r21,a,,04Dec26120000,w\r22,b,,04Dec26120000,w\r"
        "23,c,,04Dec26120000,w\r.\r");
    w.Update();
    EXPECT_FALSE(w.Grid(kClosedGrid).selected);
    EXPECT_EQ(w.Grid(kClosedGrid).HighlightRow(), 0);
    EXPECT_FALSE(w.Buttons().remove);

    // An emptied list disables its buttons.
    f.socket.Receive("opengames:\r.\r");
    w.Update();
    EXPECT_TRUE(w.Grid(kOpenGrid).rows.empty());
    EXPECT_FALSE(w.Buttons().view[0]);
    EXPECT_FALSE(w.Buttons().oppHist[0]);

    // Double click views the selected game by its element number.
    w.Pick(kClosedGrid, 2, 0);
    f.TakeSent();
    w.DoubleClick(kClosedGrid);
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 opengames\r", "guest42 game 22\r"}));
}

TEST(GameListWindow, AcceptNeedsAFreeSlot) {
    struct Case {
        std::string update;
        bool acceptBefore;
        bool acceptAfter;
    };
    const std::vector<Case> cases = {
        {"update:1,5,5,0,x\r", false, false},
        {"update:1,5,5,0,x\r", true, true},  // keeps its state
        {"update:1,4,5,0,x\r", false, true},
        {"update:1,4,4.5,0,x\r", false, true},
    };
    for (const auto& c : cases) {
        ListsFixture f;
        GameListWindow& w = f.setup->gameList();
        if (c.acceptBefore) {
            f.socket.Receive("update:1,0,5,0,x\r");
            w.Update();
            w.Pick(kForGrid, 1, 0);
            ASSERT_TRUE(w.Buttons().accept);
        }
        f.socket.Receive(c.update);
        w.Update();
        w.Pick(kForGrid, 1, 0);
        EXPECT_EQ(w.Buttons().accept, c.acceptAfter) << c.update;
        EXPECT_TRUE(w.Buttons().decline);
    }
}

TEST(GameListWindow, PublicOwnRequestsHaveNoOpponentButtons) {
    ListsFixture f;
    GameListWindow& w = f.setup->gameList();
    w.Update();
    w.Pick(kByGrid, 1, 0);
    EXPECT_TRUE(w.Buttons().cancel);
    EXPECT_FALSE(w.Buttons().oppStats[3]);
    EXPECT_FALSE(w.Buttons().oppHist[3]);
    w.Pick(kByGrid, 2, 2);
    EXPECT_TRUE(w.Buttons().oppStats[3]);
    EXPECT_TRUE(w.Buttons().oppHist[3]);
    f.TakeSent();
    w.Cancel();
    w.OppHist(3);
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 cancel 79\r"});
    EXPECT_EQ(f.shell.Urls().back(), "http://games.example/history.html?qvid=frank");
}

TEST(GameListWindow, CaptionAndClock) {
    FakeController fc;
    GameListWindow& w = fc.setup->gameList();
    EXPECT_EQ(w.Caption(), "Quorvel Chess - Disconnected");
    fc.setup->login.PingTime = 60;
    w.ClockTick();
    EXPECT_EQ(w.Caption(), "Quorvel Chess - Disconnected");
    fc.setup->login.PingTime = 3;
    const int renders = fc.gameListView.renders;
    w.ClockTick();
    EXPECT_EQ(w.Caption(), "Quorvel Chess - Connecting");
    EXPECT_EQ(fc.gameListView.renders, renders + 1) << "a change is handed to the widget";
    w.ClockTick();
    EXPECT_EQ(fc.gameListView.renders, renders + 1) << "no change, nothing to draw";
    EXPECT_EQ(fc.gameListView.state, w.State());

    fc.setup->SetState(1, "");
    fc.setup->login.QVID = "Guest";
    w.ClockTick();
    EXPECT_EQ(w.Caption(), "Quorvel Chess - Creating guest account");
    fc.setup->login.QVID = "alice";
    w.ClockTick();
    EXPECT_EQ(w.Caption(), "Quorvel Chess - alice");

    fc.timers.SetLocalTime({2026, 12, 9, 12, 0, 0});
    fc.setup->counters.TimeDiff = 90;
    fc.setup->prefs.MyTime = true;
    w.ClockTick();
    EXPECT_EQ(w.ClockText(), "2026-12-09 12:00:00");
    fc.setup->prefs.MyTime = false;
    w.ClockTick();
    EXPECT_EQ(w.ClockText(), "2026-12-09 11:58:30");
}

TEST(GameListWindow, PositionIsKeptUnlessClosedAtTheOrigin) {
    FakeController fc;
    fc.setup->prefs.GameListX = 1500;
    fc.setup->prefs.GameListY = 900;
    GameListWindow& w = fc.setup->gameList();
    w.Show();
    EXPECT_EQ(fc.gameListView.left, 1500) << "opened at the saved position";
    EXPECT_EQ(fc.gameListView.top, 900);
    fc.gameListView.left = fc.gameListView.top = 0;
    w.Unload();
    EXPECT_EQ(fc.setup->prefs.GameListX, 1500);
    EXPECT_EQ(fc.setup->prefs.GameListY, 900);
    w.Show();
    fc.gameListView.left = 3000.4;
    fc.gameListView.top = 0;
    w.Unload();
    EXPECT_EQ(fc.setup->prefs.GameListX, 3000);
    EXPECT_EQ(fc.setup->prefs.GameListY, 0);
    EXPECT_FALSE(fc.gameListView.open);
    EXPECT_FALSE(w.IsShown());
}

TEST(GameListWindow, WindowButtonsOpenTheLobbyWindowsAndAskForTheirLists) {
    FakeController fc;
    GameListWindow& w = fc.setup->gameList();
    w.Show();
    const GameListButtons& b = w.Buttons();
    EXPECT_TRUE(b.publicReqs && b.request && b.local && b.bot && b.scoreboard && b.settings);
    fc.LoginAsGuest();
    fc.TakeSent();
    w.Scoreboard();
    w.PublicReqs();
    w.Request();
    w.Local();
    w.Bot();
    w.Settings();
    w.Settings();  // already shown: only the focus
    w.MyStats();
    w.BuySlots();
    w.KnightsTour();
    EXPECT_EQ(fc.TakeSent(),
              (std::vector<std::string>{"guest42 scoreboard\r", "guest42 publicreqs\r",
                                        "guest42 requestwin\r", "guest42 getsettings\r"}));
    EXPECT_TRUE(fc.setup->scoreboard().IsShown());
    EXPECT_TRUE(fc.setup->publicReqs().IsShown());
    EXPECT_TRUE(fc.setup->requestForm().IsShown());
    EXPECT_TRUE(fc.setup->localGameForm().IsShown());
    EXPECT_TRUE(fc.setup->playBotForm().IsShown());
    EXPECT_TRUE(fc.setup->settingsWindow().IsShown());
    EXPECT_EQ(fc.shell.Urls(),
              (std::vector<std::string>{"http://games.example/stats.html?qvid=guest42",
                                        "http://games.example/buyslots.html",
                                        "http://games.example/knightstour.html"}));
}

TEST(GameListWindow, AMissingWindowLeavesItsButtonGrey) {
    FakeController fc;
    fc.setup->views().lobby.publicReqs = nullptr;
    fc.setup->views().lobby.settingsWindow = nullptr;
    GameListWindow& w = fc.setup->gameList();
    w.Show();
    EXPECT_FALSE(w.Buttons().publicReqs);
    EXPECT_FALSE(w.Buttons().settings);
    EXPECT_TRUE(w.Buttons().scoreboard);
    fc.LoginAsGuest();
    fc.TakeSent();
    w.PublicReqs();
    EXPECT_TRUE(fc.TakeSent().empty());
}

}  // namespace
}  // namespace qc::lobby
