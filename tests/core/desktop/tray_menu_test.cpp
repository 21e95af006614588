#include <gtest/gtest.h>

#include "client/core/desktop/tray_menu.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::desktop {
namespace {

using fakes::FakeController;

// A guest logged in with one game waiting for a move, the tray green.
struct YourMoveFixture : FakeController {
    YourMoveFixture() {
        LoginAsGuest("update:0,1,5,1,09Dec26120000\r");
        TakeSent();
    }
};

TEST(DoubleClick, AWaitingMoveOpensThatGameAfterTheRefreshItStarts) {
    YourMoveFixture f;
    ASSERT_EQ(f.setup->status().State(), kStateYourMove);
    f.setup->trayIcon().Deliver(515);  // a left double click, no release after it
    EXPECT_TRUE(f.setup->gameWindow().IsLoaded());
    EXPECT_FALSE(f.setup->gameList().IsShown());
    // Nothing goes out at once: the refresh follows 250 ms later.
    EXPECT_TRUE(f.TakeSent().empty());
    f.timers.Advance(250);
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 update\r"});
    f.socket.Receive("update:0,1,5,1,09Dec26120000\r");
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 opengames\r"});
    f.socket.Receive("opengames:\r12,bob,,0,05Dec26153012\r11,carol,,1,05Dec26153012\r.\r");
    // The game that waits, and the chooser's list refreshed with it.
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 opengames\r", "guest42 game 11\r"}));
}

TEST(DoubleClick, OtherwiseTheGameListOpens) {
    struct Case {
        const char* update;
        bool alwaysList;
    };
    const Case cases[] = {
        {"update:0,1,5,1,09Dec26120000\r", true},   // a move waits, but the list is wanted
        {"update:0,0,5,0,09Dec26120000\r", false},  // nothing waits
    };
    for (const Case& c : cases) {
        FakeController f;
        f.setup->prefs.AlwaysList = c.alwaysList;
        f.LoginAsGuest(c.update);
        f.TakeSent();
        f.setup->FloaterDblClick();
        EXPECT_TRUE(f.setup->gameList().IsShown()) << c.update;
        EXPECT_FALSE(f.setup->gameWindow().IsLoaded()) << c.update;
        EXPECT_TRUE(f.TakeSent().empty()) << c.update;
    }
}

TEST(TrayMenu, EachItemOpensItsWindowOrPageAndSendsWhatItNeeds) {
    struct Case {
        MenuItem item;
        std::vector<std::string> sent;
        std::vector<std::string> urls;
    };
    const Case cases[] = {
        {MenuItem::Connect, {"guest42 update\r"}, {}},
        {MenuItem::GameWin, {"guest42 opengames\r"}, {}},
        {MenuItem::GameList, {"guest42 gamelist\r"}, {}},
        {MenuItem::PublicReqs, {"guest42 publicreqs\r"}, {}},
        {MenuItem::Request, {"guest42 requestwin\r"}, {}},
        {MenuItem::LocalGame, {}, {}},
        {MenuItem::PlayBot, {}, {}},
        {MenuItem::KnightsTour, {}, {"http://games.example/knightstour.html"}},
        {MenuItem::MyStats, {}, {"http://games.example/stats.html?qvid=guest42"}},
        {MenuItem::MyHist, {}, {"http://games.example/history.html?qvid=guest42"}},
        {MenuItem::Scoreboard, {"guest42 scoreboard\r"}, {}},
        {MenuItem::BuySlots, {}, {"http://games.example/buyslots.html"}},
        {MenuItem::BuyTexts, {}, {"http://games.example/buytexts.html"}},
        {MenuItem::Variants, {}, {"http://games.example/variants.html"}},
        {MenuItem::Settings, {"guest42 getsettings\r"}, {}},
    };
    for (const Case& c : cases) {
        FakeController f;
        f.LoginAsGuest();
        f.TakeSent();
        f.setup->MenuChoose(c.item);
        EXPECT_EQ(f.TakeSent(), c.sent) << static_cast<int>(c.item);
        EXPECT_EQ(f.shell.Urls(), c.urls) << static_cast<int>(c.item);
    }
    FakeController f;
    f.LoginAsGuest();
    f.setup->MenuChoose(MenuItem::PlayBot);
    f.setup->MenuChoose(MenuItem::LocalGame);
    f.setup->MenuChoose(MenuItem::Scoreboard);
    EXPECT_TRUE(f.setup->playBotForm().IsShown());
    EXPECT_TRUE(f.setup->localGameForm().IsShown());
    EXPECT_TRUE(f.setup->scoreboard().IsShown());
}

TEST(TrayMenu, SettingsOpenOnlyFocusesAndExitRunsTheShutdownHook) {
    FakeController f;
    f.LoginAsGuest();
    f.setup->MenuChoose(MenuItem::Settings);
    f.TakeSent();
    f.setup->MenuChoose(MenuItem::Settings);
    EXPECT_TRUE(f.TakeSent().empty());
    f.setup->MenuChoose(MenuItem::ShowFloater);
    EXPECT_TRUE(f.setup->prefs.ShowFloater);
    EXPECT_TRUE(f.floater.visible);
    f.setup->MenuChoose(MenuItem::ShowFloater);
    EXPECT_FALSE(f.setup->prefs.ShowFloater);
    EXPECT_FALSE(f.floater.visible);
    int exits = 0;
    f.setup->exitProgram = [&exits] { ++exits; };
    f.setup->MenuChoose(MenuItem::ExitChess);
    EXPECT_EQ(exits, 1);
    // Every item of the table is one the controller knows.
    for (const MenuEntry& e : kTrayMenu) {
        EXPECT_EQ(e.item == MenuItem::Separator, e.caption == "-") << e.name;
    }
}

}  // namespace
}  // namespace qc::desktop
