#include <gtest/gtest.h>

#include "client/core/lobby/game_list_window.h"
#include "client/core/lobby/list_windows.h"
#include "client/core/lobby/new_game_forms.h"
#include "client/core/protocol/commands.h"
#include "tests/e2e/e2e_support.h"
#include "tests/fakes/recording_views.h"

namespace qc::e2e {
namespace {

using lobby::kByGrid;
using lobby::kForGrid;
using lobby::kOpenGrid;

// A logged-in named account with the lobby's windows drawn into recorders.
struct Player {
    Client client;
    fakes::RecordingGameListView gameList;
    fakes::RecordingListView publicReqs;
    fakes::RecordingListView scoreboard;
    fakes::RecordingFormView form;

    Player(std::uint16_t port, const std::string& name) : client(port) {
        client.As(name);
        Setup& s = setup();
        s.gameList().Attach(&gameList);
        s.publicReqs().Attach(&publicReqs);
        s.scoreboard().Attach(&scoreboard);
        for (lobby::NewGameForm* f : {&s.requestForm(), &s.localGameForm(), &s.playBotForm()}) {
            f->Attach(&form);
        }
        s.gameList().Show();
    }
    ~Player() {
        Setup& s = setup();
        s.gameList().Attach(nullptr);
        s.publicReqs().Attach(nullptr);
        s.scoreboard().Attach(nullptr);
        for (lobby::NewGameForm* f : {&s.requestForm(), &s.localGameForm(), &s.playBotForm()}) {
            f->Attach(nullptr);
        }
    }
    Setup& setup() { return *client.setup; }
    const lobby::GridState& Grid(lobby::GridId id) const { return gameList.state.grids[id]; }
    bool WaitRows(lobby::GridId id, std::size_t rows) {
        return WaitFor([&] { return Grid(id).rows.size() == rows; });
    }
    // The current game whose opponent column reads `name`, once it is listed.
    bool WaitGameWith(const std::string& name) {
        return WaitFor([&] {
            for (const auto& row : Grid(kOpenGrid).rows) {
                if (row[1] == name) {
                    return true;
                }
            }
            return false;
        });
    }
};

class NewGamesE2E : public TwoUserServerTest {
  protected:
    void SetUp() override {
        StartServer();
        ASSERT_FALSE(HasFatalFailure());
        alice_ = std::make_unique<Player>(port_, "alice");
        bob_ = std::make_unique<Player>(port_, "bob");
        for (Player* p : {alice_.get(), bob_.get()}) {
            ASSERT_TRUE(p->client.LogIn());
        }
    }

    std::unique_ptr<Player> alice_;
    std::unique_ptr<Player> bob_;
};

TEST_F(NewGamesE2E, TheBotAndTheLocalGameFormsStartGamesThatAreListed) {
    qc::Setup& a = alice_->setup();
    a.gameList().Bot();
    ASSERT_TRUE(a.playBotForm().IsShown());
    a.playBotForm().ChooseSkillLevel(2);
    a.playBotForm().ChooseUnit(lobby::kDays);
    a.playBotForm().EditMoveTime("3");
    a.playBotForm().Start();
    EXPECT_FALSE(a.playBotForm().IsShown());
    ASSERT_TRUE(alice_->WaitGameWith("Bot2"));

    a.gameList().Local();
    a.localGameForm().ChooseGameType(1);
    a.localGameForm().Start();
    ASSERT_TRUE(alice_->WaitGameWith("Local Game"));
    for (const auto& row : alice_->Grid(kOpenGrid).rows) {
        if (row[1] == "Local Game") {
            EXPECT_EQ(row[2], "Chess960");
            EXPECT_EQ(row[3], "-");
        }
    }
    EXPECT_EQ(alice_->Grid(kOpenGrid).rows.size(), 2u);
}

TEST_F(NewGamesE2E, APublicRequestIsAcceptedFromTheOtherUsersPublicRequestsWindow) {
    qc::Setup& a = alice_->setup();
    a.gameList().Request();
    lobby::NewGameForm& form = a.requestForm();
    form.ChooseBlack(true);
    form.ChooseUnit(lobby::kHours);
    form.EditMoveTime("12");
    form.MoveTimeDone();
    form.Start();
    ASSERT_TRUE(alice_->WaitRows(kByGrid, 1));
    EXPECT_EQ(alice_->Grid(kByGrid).rows[0][0], "-");

    // Her own request is listed for her too, and cannot be accepted by her.
    a.gameList().PublicReqs();
    ASSERT_TRUE(WaitFor([&] { return alice_->publicReqs.state.grid.rows.size() == 1; }));
    a.publicReqs().Pick(1, 0);
    EXPECT_EQ(alice_->publicReqs.state.rowButtons, (std::array<bool, 3>{false, false, false}));

    qc::Setup& b = bob_->setup();
    b.gameList().PublicReqs();
    ASSERT_TRUE(WaitFor([&] { return bob_->publicReqs.state.grid.rows.size() == 1; }));
    EXPECT_EQ(bob_->publicReqs.state.grid.rows[0],
              (std::vector<std::string>{"alice", "Standard", "White", "12 hours", "Yes"}));
    b.publicReqs().Pick(1, 0);
    ASSERT_TRUE(bob_->publicReqs.state.rowButtons[0]);
    b.publicReqs().Accept();
    ASSERT_TRUE(bob_->WaitGameWith("alice"));
    ASSERT_TRUE(alice_->WaitGameWith("bob"));
    EXPECT_TRUE(alice_->WaitRows(kByGrid, 0));
    // The list asked for after the accept no longer holds the request.
    EXPECT_TRUE(WaitFor([&] { return bob_->publicReqs.state.grid.rows.empty(); }));
    EXPECT_FALSE(bob_->publicReqs.state.rowButtons[0]);
}

TEST_F(NewGamesE2E, ARequestFromTheScoreboardReachesThePlayer) {
    // One finished game puts both players on the scoreboard.
    qc::Setup& a = alice_->setup();
    qc::Setup& b = bob_->setup();
    a.gameList().Request();
    a.requestForm().EditOpponent("bob");
    a.requestForm().Start();
    ASSERT_TRUE(bob_->WaitRows(kForGrid, 1));
    b.gameList().Pick(kForGrid, 1, 0);
    b.gameList().Accept();
    ASSERT_TRUE(alice_->WaitGameWith("bob"));
    a.Send(protocol::cmd::Resign(alice_->Grid(kOpenGrid).rows[0][0]));
    ASSERT_TRUE(alice_->WaitRows(kOpenGrid, 0));

    b.gameList().Scoreboard();
    ASSERT_TRUE(WaitFor([&] { return bob_->scoreboard.state.grid.rows.size() == 2; }));
    const auto& rows = bob_->scoreboard.state.grid.rows;
    EXPECT_EQ(rows[0][1], "bob");  // the winner ranks first
    EXPECT_EQ(rows[0][0], "New");
    EXPECT_EQ(rows[0][2], "100.00%");
    EXPECT_EQ(rows[1][1], "alice");
    EXPECT_EQ(rows[1][2], "0.00%");

    b.scoreboard().Pick(2, 1);
    b.scoreboard().Request();
    ASSERT_TRUE(b.requestForm().IsShown());
    EXPECT_EQ(bob_->form.state.opponent, "alice");
    // The past opponents arrive and keep the name.
    ASSERT_TRUE(WaitFor([&] {
        return bob_->form.state.pastOpponents.size() == 1 &&
               bob_->form.state.pastOpponents[0] == "alice";
    }));
    EXPECT_EQ(bob_->form.state.opponent, "alice");
    b.requestForm().Start();
    ASSERT_TRUE(alice_->WaitRows(kForGrid, 1));
    EXPECT_EQ(alice_->Grid(kForGrid).rows[0][0], "bob");
    a.gameList().Pick(kForGrid, 1, 0);
    a.gameList().Accept();
    EXPECT_TRUE(alice_->WaitGameWith("bob"));
    EXPECT_TRUE(bob_->WaitGameWith("alice"));
}

}  // namespace
}  // namespace qc::e2e
