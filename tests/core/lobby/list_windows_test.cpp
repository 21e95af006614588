#include <gtest/gtest.h>

#include "client/core/lobby/list_windows.h"
#include "tests/fakes/controller_fixture.h"
#include "tests/fakes/recording_views.h"

namespace qc::lobby {
namespace {

using fakes::FakeController;

// A logged-in controller with the public requests window shown.
struct PublicFixture : FakeController {
    fakes::RecordingListView view;
    PublicReqsWindow& w = setup->publicReqs();

    PublicFixture() {
        w.Attach(&view);
        LoginAsGuest();
        setup->gameList().Show();
        setup->gameList().PublicReqs();
        TakeSent();
    }
    ~PublicFixture() { w.Attach(nullptr); }
    void List(const std::string& lines) { socket.Receive("publicreqs:\r" + lines + ".\r"); }
};

TEST(PublicReqsWindow, RowsShowEveryRequestInTheOrderReceived) {
    PublicFixture f;
    f.List("80,bob,,b,3,d,1\r81,carol,Chess960,w,10,n,0\r82,dave,,W,1,ww\r83,erin,,x,2,h,yes\r");
    const GridState& g = f.view.state.grid;
    ASSERT_EQ(g.headers.size(), 5u);
    EXPECT_EQ(g.headers[4], "Guests allowed");
    const std::vector<std::vector<std::string>> rows = {
        {"bob", "Standard", "Black", "3 days", "Yes"},
        {"carol", "Chess960", "White", "10 minutes", "No"},
        {"dave", "Standard", "White", "1 week", "No"},   // no guests field
        {"erin", "Standard", "White", "2 hours", "No"},  // a guests field that is text
    };
    EXPECT_EQ(g.rows, rows);
    EXPECT_FALSE(g.selected);
    EXPECT_EQ(f.view.state.rowButtons, (std::array<bool, 3>{}));

    f.List("");
    EXPECT_TRUE(f.view.state.grid.rows.empty());
}

TEST(PublicReqsWindow, TheButtonsFollowWhoseRequestItIsAndWhoMayAcceptIt) {
    struct Case {
        const char* user;
        const char* line;
        std::array<bool, 3> buttons;  // accept, stats, history
    };
    const Case cases[] = {
        {"guest42", "80,GUEST42,,w,3,d,1", {false, false, false}},  // own, another case
        {"Guest123", "80,bob,,w,3,d,0", {false, true, true}},       // closed to guests
        {"GUEST7", "80,bob,,w,3,d", {false, true, true}},           // no field: closed
        {"guest42", "80,bob,,w,3,d,1", {true, true, true}},
        {"alice", "80,bob,,w,3,d,0", {true, true, true}},  // only guests are kept out
        {"guestbook", "80,bob,,w,3,d,0", {false, true, true}},
    };
    for (const Case& c : cases) {
        PublicFixture f;
        f.setup->login.QVID = c.user;
        f.List(std::string(c.line) + "\r");
        f.w.Pick(1, 0);
        EXPECT_EQ(f.view.state.rowButtons, c.buttons) << c.user << " / " << c.line;
        EXPECT_EQ(f.view.state.grid.HighlightRow(), 1);
    }
}

TEST(PublicReqsWindow, ASelectionIsClampedAndDecidedAgainOnEveryRefresh) {
    PublicFixture f;
    f.List("80,bob,,w,3,d,1\r81,carol,,w,3,d,1\r82,dave,,w,3,d,1\r");
    f.w.Pick(3, 2);
    EXPECT_EQ(f.view.state.grid.HighlightRow(), 3);
    // A shorter list selects its last row before anything is painted.
    f.List("80,bob,,w,3,d,1\r81,guest42,,w,3,d,1\r");
    EXPECT_EQ(f.view.state.grid.HighlightRow(), 2);
    EXPECT_EQ(f.view.state.rowButtons, (std::array<bool, 3>{false, false, false}));  // own
    // The row stays selected while its buttons are off, and is decided again
    // when another request takes its place.
    f.List("80,bob,,w,3,d,1\r83,erin,,w,3,d,1\r");
    EXPECT_EQ(f.view.state.grid.HighlightRow(), 2);
    EXPECT_EQ(f.view.state.rowButtons, (std::array<bool, 3>{true, true, true}));
    f.List("");
    EXPECT_EQ(f.view.state.grid.HighlightRow(), 0);
    EXPECT_EQ(f.view.state.rowButtons, (std::array<bool, 3>{}));
    // A list that had no selection gets none from a refresh.
    f.List("80,bob,,w,3,d,1\r");
    EXPECT_FALSE(f.view.state.grid.selected);
    // A click past the rows or in no cell selects nothing new.
    f.w.Pick(5, 0);
    EXPECT_EQ(f.view.state.grid.HighlightRow(), 1);
}

TEST(PublicReqsWindow, AcceptAsksForTheListAgainAndThePagesOpenForTheRequester) {
    PublicFixture f;
    f.List("80,bob,,w,3,d,1\r81,a&b,,w,3,d,1\r");
    f.w.Accept();  // nothing selected: nothing to accept
    EXPECT_TRUE(f.TakeSent().empty());
    f.w.Pick(2, 0);
    f.w.Accept();
    f.w.Stats();
    f.w.Hist();
    f.w.RefreshButton();
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 accept 81\r", "guest42 publicreqs\r",
                                                      "guest42 publicreqs\r"}));
    EXPECT_EQ(f.shell.Urls(),
              (std::vector<std::string>{"http://games.example/stats.html?qvid=a&b",
                                        "http://games.example/history.html?qvid=a&b"}));
}

TEST(PublicReqsWindow, OpensAtItsSavedPlaceAndKeepsItsLastOne) {
    FakeController fc;
    fakes::RecordingListView view;
    PublicReqsWindow& w = fc.setup->publicReqs();
    w.Attach(&view);
    fc.setup->prefs.PublicReqsX = 1000;
    fc.setup->prefs.PublicReqsY = 2000;
    w.Show();
    EXPECT_EQ(view.opened, (WindowRect{1000, 2000, 6565, 6360}));
    w.Show();
    EXPECT_EQ(view.opens, 1);
    EXPECT_EQ(view.raises, 1);
    view.at = {1500.4, 2500.6, 7000.4, 3000};
    w.Unload();
    EXPECT_FALSE(view.open);
    const settings::Settings& p = fc.setup->prefs;
    EXPECT_EQ(
        (std::array<int, 4>{p.PublicReqsX, p.PublicReqsY, p.PublicReqsWidth, p.PublicReqsHeight}),
        (std::array<int, 4>{1500, 2501, 7000, 3000}));
    // A window that reports nothing at all keeps what was saved.
    w.Show();
    view.at = {};
    w.Unload();
    EXPECT_EQ(p.PublicReqsX, 1500);
    EXPECT_EQ(p.PublicReqsWidth, 7000);
    // A hidden window is not refreshed.
    const int renders = view.renders;
    fc.socket.Receive("publicreqs:\r80,bob,,w,3,d,1\r.\r");
    EXPECT_EQ(view.renders, renders);
    w.Attach(nullptr);
}

// A logged-in controller with the scoreboard shown.
struct BoardFixture : FakeController {
    fakes::RecordingListView view;
    ScoreboardWindow& w = setup->scoreboard();

    BoardFixture() {
        w.Attach(&view);
        LoginAsGuest();
        setup->gameList().Show();
        setup->gameList().Scoreboard();
        TakeSent();
    }
    ~BoardFixture() { w.Attach(nullptr); }
};

TEST(ScoreboardWindow, RanksWinRatesAndTotals) {
    BoardFixture f;
    f.socket.Receive(
        "scoreboard:\r30,10,10,alice,v1.20\r2,1,0,bob,v1.20\r20,5,5,carol,v1.1,beta,x\r"
        "0,0,0,dave,\r40000,30000,2,erin,v2\r.\r");
    const std::vector<std::vector<std::string>> rows = {
        {"1", "alice", "60.00%", "50", "30", "10", "10", "v1.20"},
        {"New", "bob", "66.67%", "3", "2", "1", "0", "v1.20"},
        {"3", "carol", "66.67%", "30", "20", "5", "5", "v1.1,beta,x"},
        {"New", "dave", "0.00%", "0", "0", "0", "0", ""},  // no games: no division
        {"5", "erin", "57.14%", "70002", "40000", "30000", "2", "v2"},
    };
    EXPECT_EQ(f.view.state.grid.rows, rows);
    EXPECT_EQ(f.view.state.grid.headers.size(), 8u);
    // Nothing is asked again: a row without games is no error.
    f.timers.Advance(10000);
    EXPECT_TRUE(f.TakeSent().empty());
}

TEST(ScoreboardWindow, TheWinRateUsesTheLocaleSeparatorAndAnEmptyFirstPlayerEmptiesTheList) {
    BoardFixture f;
    f.dateTime.decimalSeparator = ',';
    f.socket.Receive("scoreboard:\r2,1,0,bob,v1.20\r.\r");
    EXPECT_EQ(f.view.state.grid.rows.at(0).at(2), "66,67%");
    f.socket.Receive("scoreboard:\r2,1,0,,v1.20\r5,1,0,carol,v1.20\r.\r");
    EXPECT_TRUE(f.view.state.grid.rows.empty());
}

TEST(ScoreboardWindow, ARequestToAPlayerOpensTheRequestFormWithTheName) {
    BoardFixture f;
    fakes::RecordingFormView form;
    f.setup->requestForm().Attach(&form);
    f.socket.Receive("scoreboard:\r30,10,10,alice,v1.20\r2,1,0,bob,v1.20\r.\r");
    f.w.Request();  // nothing selected
    EXPECT_FALSE(f.setup->requestForm().IsShown());
    f.w.Pick(2, 1);
    EXPECT_EQ(f.view.state.rowButtons, (std::array<bool, 3>{true, true, true}));
    f.w.Request();
    EXPECT_TRUE(form.open);
    EXPECT_EQ(form.state.opponent, "bob");
    f.w.Stats();
    f.w.RefreshButton();
    EXPECT_EQ(f.TakeSent(),
              (std::vector<std::string>{"guest42 requestwin\r", "guest42 scoreboard\r"}));
    EXPECT_EQ(f.shell.Urls(), std::vector<std::string>{"http://games.example/stats.html?qvid=bob"});
    // The past opponents arrive after the name went in, and keep it.
    f.socket.Receive("opphistory:\rcarol\rdave\r.\r");
    EXPECT_EQ(form.state.opponent, "bob");
    EXPECT_EQ(form.state.pastOpponents, (std::vector<std::string>{"carol", "dave"}));
    f.setup->requestForm().Attach(nullptr);
}

}  // namespace
}  // namespace qc::lobby
