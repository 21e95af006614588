#include <gtest/gtest.h>

#include "tests/fakes/controller_fixture.h"

namespace qc {
namespace {

TEST(GameMessages, StoredAndRefreshed) {
    fakes::FakeController fc;
    fc.setup->gameWindow().Show();
    fc.LoginAsGuest();
    fc.TakeSent();
    const int renders = fc.gameWindowView.renders;
    fc.setup->game.Selected = "e2";
    fc.setup->game.Orientation = "b";
    fc.socket.Receive("Board: E1WKe8bk\r");
    EXPECT_EQ(fc.setup->game.Board, "e1wke8bk");
    EXPECT_EQ(fc.gameWindowView.renders, renders);
    fc.socket.Receive(
        "game: 4711,Anna,bob,,W,Check,3,d,05Dec26153012,08Dec26153012,,1,0,1,0,1,5,12\r");
    EXPECT_EQ(fc.setup->game.GameID, "4711");
    EXPECT_EQ(fc.setup->game.WhitePlayer, "Anna");
    EXPECT_EQ(fc.setup->game.GameStatus, "w");
    EXPECT_EQ(fc.setup->game.StatusText, "Check");
    EXPECT_TRUE(fc.setup->game.Selected.empty());  // another game
    // Cleared, and set afresh from the user's side by the refresh.
    EXPECT_EQ(fc.setup->game.Orientation, "w");
    EXPECT_FALSE(fc.setup->prefs.ShowLast2);
    EXPECT_EQ(fc.gameWindowView.renders, renders + 1);
    // With the chat panel shown, the chat is asked for.
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 chat 4711\r"});

    fc.setup->game.Selected = "e1";
    fc.setup->prefs.ShowChat = false;
    fc.socket.Receive("game: 4711,Anna,bob,,b,,3,d,x,x,w,0,0,1,1,1,5,12\rcanmove: E2E4\r");
    EXPECT_EQ(fc.setup->game.Selected, "e1");  // the same game keeps it
    EXPECT_EQ(fc.setup->game.DrawOffer, "w");
    EXPECT_EQ(fc.setup->game.CanMove, "e2e4");
    EXPECT_EQ(fc.gameWindowView.renders, renders + 3);
    EXPECT_TRUE(fc.TakeSent().empty());
}

}  // namespace
}  // namespace qc
