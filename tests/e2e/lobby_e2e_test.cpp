#include <gtest/gtest.h>

#include "client/core/account/password.h"
#include "client/core/lobby/game_list_window.h"
#include "client/core/lobby/request_actions.h"
#include "client/core/protocol/commands.h"
#include "tests/e2e/e2e_support.h"

namespace qc::e2e {
namespace {

using lobby::kByGrid;
using lobby::kForGrid;
using lobby::kOpenGrid;

// A logged-in named account with its game list window open.
struct Player {
    Client client;
    // The game list window, shown, with the states its widget would draw.
    fakes::RecordingGameListView window;
    int rendersAtShow = 0;
    Player(std::uint16_t port, const std::string& name) : client(port) {
        client.As(name);
        client.setup->gameList().Attach(&window);
        client.setup->gameList().Show();
        rendersAtShow = window.renders;
    }
    ~Player() { client.setup->gameList().Attach(nullptr); }
    Setup& setup() { return *client.setup; }
    const lobby::GridState& Grid(lobby::GridId id) { return window.state.grids[id]; }
    // Waits for the window to show `rows` rows in `grid`.
    bool WaitRows(lobby::GridId id, std::size_t rows) {
        return WaitFor([&] { return Grid(id).rows.size() == rows; });
    }
};

class LobbyE2E : public TwoUserServerTest {
  protected:
    void SetUp() override {
        StartServer();
        ASSERT_FALSE(HasFatalFailure());
        alice_ = std::make_unique<Player>(port_, "alice");
        bob_ = std::make_unique<Player>(port_, "bob");
        for (Player* p : {alice_.get(), bob_.get()}) {
            p->setup().Connect();
            ASSERT_TRUE(WaitFor([p] { return p->window.renders > p->rendersAtShow; }));
        }
    }

    void Request(Player& from, const std::string& to) {
        protocol::cmd::RequestForm form;
        form.opponent = to;
        form.gameType = "Standard";
        form.timeAmount = "3";
        form.timeUnit = "days";
        from.setup().Send(protocol::cmd::Request(form));
    }

    std::unique_ptr<Player> alice_;
    std::unique_ptr<Player> bob_;
};

TEST_F(LobbyE2E, RequestShowsOnBothSidesAndAcceptingOpensTheGame) {
    Request(*alice_, "bob");
    ASSERT_TRUE(alice_->WaitRows(kByGrid, 1));
    EXPECT_EQ(alice_->Grid(kByGrid).rows[0],
              (std::vector<std::string>{"bob", "Standard", "White", "3 days"}));
    // Bob learns of it without asking: the server pushes an update.
    ASSERT_TRUE(bob_->WaitRows(kForGrid, 1));
    EXPECT_EQ(bob_->Grid(kForGrid).rows[0],
              (std::vector<std::string>{"alice", "Standard", "Black", "3 days"}));
    EXPECT_EQ(bob_->setup().counters.Reqs, 1);
    EXPECT_EQ(bob_->setup().status().State(), 3);

    bob_->setup().gameList().Pick(kForGrid, 1, 0);
    ASSERT_TRUE(bob_->setup().gameList().Buttons().accept);
    bob_->setup().gameList().Accept();
    ASSERT_TRUE(WaitFor([&] { return !bob_->setup().game.GameID.empty(); }));
    const std::string game = bob_->setup().game.GameID;

    ASSERT_TRUE(bob_->WaitRows(kOpenGrid, 1));
    EXPECT_EQ(bob_->Grid(kOpenGrid).rows[0][0], game);
    EXPECT_EQ(bob_->Grid(kOpenGrid).rows[0][1], "alice");
    EXPECT_TRUE(bob_->WaitRows(kForGrid, 0));
    ASSERT_TRUE(alice_->WaitRows(kOpenGrid, 1));
    EXPECT_EQ(alice_->Grid(kOpenGrid).rows[0][0], game);
    EXPECT_EQ(alice_->Grid(kOpenGrid).rows[0][3], "YES");  // alice has white
    EXPECT_TRUE(alice_->WaitRows(kByGrid, 0));
    EXPECT_TRUE(WaitFor([&] { return alice_->setup().status().State() == 2; }));
}

TEST_F(LobbyE2E, DecliningAndCancellingRemoveTheRequest) {
    Request(*alice_, "bob");
    ASSERT_TRUE(bob_->WaitRows(kForGrid, 1));
    bob_->setup().gameList().Pick(kForGrid, 1, 0);
    bob_->setup().gameList().Decline();
    EXPECT_TRUE(bob_->WaitRows(kForGrid, 0));
    EXPECT_TRUE(alice_->WaitRows(kByGrid, 0));

    Request(*alice_, "bob");
    ASSERT_TRUE(alice_->WaitRows(kByGrid, 1));
    ASSERT_TRUE(bob_->WaitRows(kForGrid, 1));
    alice_->setup().gameList().Pick(kByGrid, 1, 0);
    alice_->setup().gameList().Cancel();
    EXPECT_TRUE(alice_->WaitRows(kByGrid, 0));
    EXPECT_TRUE(bob_->WaitRows(kForGrid, 0));
    EXPECT_TRUE(WaitFor([&] { return bob_->setup().status().State() == 1; }));
}

// The client's own parsers read the server's public requests, scoreboard
// and opponent history.
TEST_F(LobbyE2E, PublicRequestsScoreboardAndHistoryRoundTrip) {
    protocol::cmd::RequestForm form;
    form.gameType = "Chess960";
    form.black = true;
    form.timeAmount = "12";
    form.timeUnit = "hours";
    form.noGuests = true;
    alice_->setup().Send(protocol::cmd::Request(form));
    ASSERT_TRUE(alice_->WaitRows(kByGrid, 1));
    EXPECT_EQ(alice_->Grid(kByGrid).rows[0],
              (std::vector<std::string>{"-", "Chess960", "Black", "12 hours"}));
    EXPECT_TRUE(alice_->setup().requests().IsPublicReq(0));

    bob_->setup().Send("publicreqs");
    const auto& pub = bob_->setup().gameLists.PublicReqsData;
    ASSERT_TRUE(WaitFor([&] { return !pub[0].ID.empty(); }));
    EXPECT_EQ(pub[0].QVID, "alice");
    EXPECT_EQ(pub[0].GameType, "Chess960");
    EXPECT_EQ(pub[0].Colour, "w");  // bob would play white
    EXPECT_EQ(pub[0].TimeAmount, 12);
    EXPECT_EQ(pub[0].TimeUnit, "h");
    EXPECT_FALSE(pub[0].GuestsAllowed);
    EXPECT_TRUE(bob_->setup().requests().IsNoGuestsReq(0));
    EXPECT_FALSE(bob_->setup().requests().IsMyPublicReq(0));

    fakes::RecordingListWindow scoreboard;
    fakes::RecordingRequestWindow requestWin;
    scoreboard.Show();
    requestWin.Show();
    bob_->setup().views().lobby.scoreboard = &scoreboard;
    bob_->setup().views().lobby.requestWin = &requestWin;
    bob_->setup().Send("scoreboard");
    bob_->setup().Send("requestwin");
    ASSERT_TRUE(WaitFor([&] { return scoreboard.updates == 1 && requestWin.updates == 1; }));
    // Nobody has finished a game: the scoreboard and the history are empty.
    EXPECT_TRUE(bob_->setup().gameLists.ScoreboardData[0].QVID.empty());
    EXPECT_EQ(bob_->setup().lobbyLists.OppHistoryData, std::vector<std::string>{""});
}

}  // namespace
}  // namespace qc::e2e
