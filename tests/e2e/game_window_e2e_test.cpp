#include <gtest/gtest.h>

#include "client/core/account/password.h"
#include "client/core/game/game_window.h"
#include "client/core/protocol/commands.h"
#include "tests/e2e/e2e_support.h"

namespace qc::e2e {
namespace {

namespace cmd = protocol::cmd;

// A logged-in client whose game window is drawn into a recording view: the
// user's clicks go through the window's own operations.
struct WindowPlayer {
    Client client;
    fakes::RecordingGameWindowView view;

    WindowPlayer(std::uint16_t port, const std::string& name) : client(port) {
        client.As(name);
        Setup& s = *client.setup;
        s.prefs.ShowChat = false;
        s.gameWindow().Attach(&view);
    }
    ~WindowPlayer() { client.setup->gameWindow().Attach(nullptr); }
    Setup& setup() { return *client.setup; }
    game::CurrentGame& game() { return client.setup->game; }
    game::GameWindow& window() { return client.setup->gameWindow(); }
    const game::CellState& Cell(const std::string& square) {
        return view.state
            .cells[static_cast<std::size_t>(game::SquareToIndex(square, game().Orientation))];
    }
    void Click(const std::string& square) {
        window().SelectSquare(game::SquareToIndex(square, game().Orientation));
    }
    // Picks up the piece on `square` and waits for the server's answer.
    bool PickUp(const std::string& square) {
        Click(square);
        return WaitFor([&] { return game().Selected == square && !game().CanMove.empty(); });
    }
    // Waits for the move to be made: the side to move changes.
    bool Moved(const std::string& statusBefore) {
        return WaitFor([&] { return game().GameStatus != statusBefore; });
    }
    // Clicks the piece, then its target. The refresh after each update
    // brings the game's own "canmove: " (the pieces that may move), which
    // can replace the selection's answer just before the second click; the
    // user then clicks again, and so does this.
    // Half-moves in the move log (a log without moves is one empty entry).
    std::size_t Plies() {
        const auto& log = game().MoveLogLines;
        return log.size() == 1 && log[0].empty() ? 0 : log.size();
    }
    bool MovePiece(const std::string& from, const std::string& to) {
        // The log, not the side to move: the bot's answer may turn the side
        // back before the client looks.
        const std::size_t before = Plies();
        for (int attempt = 0; attempt < 3; ++attempt) {
            Click(from);
            if (!WaitFor(
                    [&] {
                        return game().Selected == from &&
                               game().CanMove.find(to) != std::string::npos;
                    },
                    2000)) {
                continue;
            }
            Click(to);
            if (WaitFor([&] { return Plies() > before; }, 3000)) {
                return true;
            }
        }
        return false;
    }
};

class GameWindowE2E : public TwoUserServerTest {
  protected:
    void SetUp() override { StartServer({QStringLiteral("--rate"), QStringLiteral("100000")}); }
};

// Against the bot: the window opens with the accepted game, the user moves
// by clicks, and the bot's answer appears without the user doing anything.
TEST_F(GameWindowE2E, ClicksMoveAgainstTheBotAndItsReplyIsDrawn) {
    WindowPlayer me(port_, "alice");
    me.setup().Connect();
    ASSERT_TRUE(WaitFor([&] { return me.setup().status().State() != 0; }));
    me.setup().Send(cmd::BotRequest(0, "Standard", false, "1", "days"));
    ASSERT_TRUE(
        WaitFor([&] { return me.view.state.caption.find("alice vs. Bot") != std::string::npos; }));
    EXPECT_TRUE(me.window().IsShown());
    EXPECT_EQ(me.view.opens, 1);
    EXPECT_EQ(me.view.state.moveText, "Your move");
    EXPECT_EQ(me.game().Orientation, "w");
    EXPECT_EQ(me.Cell("e2").piece, 5);
    EXPECT_TRUE(me.Cell("e2").hand);
    EXPECT_EQ(me.Cell("e4").piece, -1);

    // The selection frame and the reachable squares; a refresh that brings
    // the pieces that may move in between asks for a second click.
    bool framed = false;
    for (int attempt = 0; attempt < 3 && !framed; ++attempt) {
        me.PickUp("e2");
        framed = WaitFor(
            [&] { return me.Cell("e2").borderWidth == 4 && me.Cell("e4").border == game::kYellow; },
            1000);
    }
    ASSERT_TRUE(framed) << "the selection frame and a reachable square";
    ASSERT_TRUE(me.MovePiece("e2", "e4"));
    // The bot answers at once; the pushed update makes the window ask for
    // the game again, and the reply is drawn.
    ASSERT_TRUE(WaitFor(
        [&] { return me.view.state.moveLog.size() >= 1 && !me.view.state.moveLog[0][1].empty(); }));
    EXPECT_EQ(me.view.state.moveLog[0][0].substr(0, 6), "wpe2e4");
    EXPECT_EQ(me.Cell("e4").piece, 5);
    EXPECT_EQ(me.Cell("e2").piece, -1);
    ASSERT_TRUE(WaitFor([&] { return me.view.state.moveText == "Your move"; }));
    EXPECT_TRUE(me.game().Selected.empty());
}

// A local game played through the window: castling buttons and the
// promotion chooser, with the server's answers drawn after each step.
TEST_F(GameWindowE2E, LocalGameCastlesAndPromotesThroughTheWindow) {
    WindowPlayer me(port_, "alice");
    me.setup().Connect();
    ASSERT_TRUE(WaitFor([&] { return me.setup().status().State() != 0; }));
    me.setup().Send(cmd::LocalGameRequest("alice", "Standard", "1", "days"));
    ASSERT_TRUE(
        WaitFor([&] { return me.view.state.caption.find("Local Game") != std::string::npos; }));
    EXPECT_EQ(me.view.state.moveText, "White's move");

    struct Step {
        const char* from;
        const char* to;
    };
    const Step opening[] = {{"e2", "e4"}, {"d7", "d5"}, {"e4", "d5"}, {"c7", "c6"},
                            {"d5", "c6"}, {"g8", "f6"}, {"c6", "b7"}, {"e7", "e6"},
                            {"g1", "f3"}, {"f8", "e7"}, {"f1", "c4"}};
    for (const Step& s : opening) {
        ASSERT_TRUE(me.MovePiece(s.from, s.to)) << s.from << s.to;
    }
    // White took three black pawns: the strip for the side at the top.
    ASSERT_TRUE(WaitFor([&] { return me.view.state.taken[0].piece == 11; }));
    EXPECT_EQ(me.view.state.taken[2].piece, 11);

    // Black castles on the h-side with the button.
    ASSERT_TRUE(me.PickUp("e8"));
    ASSERT_TRUE(WaitFor([&] { return me.view.state.castleH; }) ||
                (me.PickUp("e8") && WaitFor([&] { return me.view.state.castleH; })));
    std::string before = me.game().GameStatus;
    me.window().Castle('h');
    ASSERT_TRUE(me.Moved(before));
    ASSERT_TRUE(WaitFor([&] { return me.Cell("g8").piece == 6 && me.Cell("f8").piece == 8; }));
    EXPECT_FALSE(me.view.state.castleH);

    // White's pawn takes the rook on a8 and becomes a queen.
    ASSERT_TRUE(WaitFor([&] {
        me.Click("b7");
        return WaitFor([&] { return me.game().CanMove.find("a8p") != std::string::npos; }, 1000);
    }));
    me.Click("a8");
    ASSERT_TRUE(me.view.state.promotion.open) << me.game().CanMove;
    EXPECT_EQ(me.view.state.promotion.pieces, (std::array<int, 4>{1, 2, 3, 4}));
    before = me.game().GameStatus;
    me.window().PromoteAndMove('q');
    ASSERT_TRUE(me.Moved(before));
    ASSERT_TRUE(WaitFor([&] { return me.Cell("a8").piece == 1; })) << "a white queen";
    EXPECT_FALSE(me.view.state.promotion.open);
    EXPECT_TRUE(WaitFor([&] {
        return me.view.state.taken[3].piece == 8 && me.view.state.taken[3].recent;
    })) << "the rook, taken in the last half-move";

    // Black moves; white castles too.
    ASSERT_TRUE(me.MovePiece("d8", "d7"));
    ASSERT_TRUE(me.PickUp("e1"));
    ASSERT_TRUE(WaitFor([&] { return me.view.state.castleH; }) ||
                (me.PickUp("e1") && WaitFor([&] { return me.view.state.castleH; })));
    before = me.game().GameStatus;
    me.window().Castle('h');
    ASSERT_TRUE(me.Moved(before));
    ASSERT_TRUE(WaitFor([&] { return me.Cell("g1").piece == 0 && me.Cell("f1").piece == 2; }));
    EXPECT_EQ(me.view.state.moveLog.size(), 8u);
}

// Starts a game between two players: `white` requests, the other accepts.
std::string StartGame(WindowPlayer& white, WindowPlayer& black) {
    cmd::RequestForm form;
    form.opponent = black.setup().login.QVID;
    form.gameType = "Standard";
    form.timeAmount = "3";
    form.timeUnit = "days";
    const std::string listed = black.setup().gameLists.ReqsForData[0].ID;
    white.setup().Send(cmd::Request(form));
    if (!WaitFor([&] { return black.setup().counters.Reqs >= 1; })) {
        ADD_FAILURE() << "no request arrived";
        return "";
    }
    // The list still names the last request until it comes again.
    if (!WaitFor([&] {
            black.setup().Send(cmd::GameList());
            return WaitFor(
                [&] {
                    const std::string& now = black.setup().gameLists.ReqsForData[0].ID;
                    return !now.empty() && now != listed;
                },
                500);
        })) {
        ADD_FAILURE() << "no request listed";
        return "";
    }
    const std::string before = black.game().GameID;
    black.setup().Send(cmd::Accept(black.setup().gameLists.ReqsForData[0].ID));
    if (!WaitFor([&] { return !black.game().GameID.empty() && black.game().GameID != before; })) {
        ADD_FAILURE() << "the accepted game did not arrive";
        return "";
    }
    return black.game().GameID;
}

// Two players through their windows: draw offers both ways, chat, a
// resignation, and Next Game across three games.
TEST_F(GameWindowE2E, DrawChatResignAndNextGameBetweenTwoPlayers) {
    using platform::MessageAnswer;
    WindowPlayer alice(port_, "alice");
    WindowPlayer bob(port_, "bob");
    for (WindowPlayer* p : {&alice, &bob}) {
        p->setup().prefs.ShowChat = true;
        p->setup().Connect();
        ASSERT_TRUE(WaitFor([&] { return p->setup().status().State() != 0; }));
    }
    const std::string id = StartGame(alice, bob);
    ASSERT_FALSE(id.empty());
    alice.setup().ViewGame(id);
    ASSERT_TRUE(WaitFor([&] { return alice.game().GameID == id; }));
    ASSERT_TRUE(WaitFor([&] { return alice.view.state.moveText == "Your move"; }));

    // Offered, withdrawn, offered again and accepted.
    alice.client.dialogs.answers = {MessageAnswer::Yes};
    alice.window().OfferDrawClick();
    ASSERT_TRUE(WaitFor([&] { return alice.view.state.offerDrawCaption == "Cancel &Offer"; }));
    ASSERT_TRUE(WaitFor([&] { return bob.view.state.offerDrawCaption == "Accept &Draw"; }));
    EXPECT_EQ(bob.view.state.drawOfferedText, "Opponent has offered a draw");
    alice.window().OfferDrawClick();  // withdrawn at once, no box
    ASSERT_TRUE(WaitFor([&] { return bob.view.state.offerDrawCaption == "Offer &Draw"; }));
    alice.client.dialogs.answers = {MessageAnswer::Yes};
    alice.window().OfferDrawClick();
    ASSERT_TRUE(WaitFor([&] { return bob.view.state.offerDrawCaption == "Accept &Draw"; }));
    bob.client.dialogs.answers = {MessageAnswer::Yes};
    bob.window().OfferDrawClick();
    ASSERT_TRUE(WaitFor([&] { return bob.view.state.timeLeftText == "Draw"; }));
    ASSERT_TRUE(WaitFor([&] { return alice.view.state.timeLeftText == "Draw"; }));
    EXPECT_EQ(bob.view.state.moveText, "Game has ended");

    // A second game: a chat line each way, then a resignation.
    const std::string second = StartGame(alice, bob);
    ASSERT_FALSE(second.empty());
    alice.setup().ViewGame(second);
    ASSERT_TRUE(WaitFor([&] { return alice.game().GameID == second; }));
    ASSERT_TRUE(alice.window().SendChat("good luck"));
    ASSERT_TRUE(WaitFor([&] { return bob.game().GameID == second; }))
        << bob.game().GameID << " vs " << second;
    bob.setup().Send(cmd::Chat(second));
    ASSERT_TRUE(WaitFor(
        [&] { return bob.view.state.chatText.find("alice: good luck") != std::string::npos; }));
    ASSERT_TRUE(bob.window().SendChat("thanks,\r\n you too"));
    alice.setup().Send(cmd::Chat(second));
    ASSERT_TRUE(WaitFor([&] {
        return alice.view.state.chatText.find("bob: thanks, you too") != std::string::npos;
    }));
    bob.client.dialogs.answers = {MessageAnswer::No, MessageAnswer::Yes};
    bob.window().ResignClick();  // No: nothing happens
    bob.window().ResignClick();
    ASSERT_TRUE(WaitFor([&] { return alice.view.state.timeLeftText == "You won"; }));
    ASSERT_TRUE(WaitFor([&] { return bob.view.state.timeLeftText == "You lost"; }));

    // Three open games; Next Game goes through the ones waiting for alice.
    std::vector<std::string> games;
    for (int i = 0; i < 3; ++i) {
        games.push_back(StartGame(alice, bob));
        ASSERT_FALSE(games.back().empty());
    }
    alice.setup().ViewGame(games[0]);
    ASSERT_TRUE(WaitFor([&] {
        return alice.game().GameID == games[0] && alice.view.state.currentGames.size() == 3;
    }));
    std::vector<std::string> visited = {alice.game().GameID};
    for (int i = 0; i < 3; ++i) {
        const std::string before = alice.game().GameID;
        alice.window().NextGame();
        ASSERT_TRUE(WaitFor([&] { return alice.game().GameID != before; })) << i;
        visited.push_back(alice.game().GameID);
    }
    EXPECT_EQ(visited, (std::vector<std::string>{games[0], games[1], games[2], games[0]}));
}

}  // namespace
}  // namespace qc::e2e
