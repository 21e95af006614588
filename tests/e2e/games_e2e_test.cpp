#include <gtest/gtest.h>

#include <random>

#include "client/core/account/password.h"
#include "client/core/protocol/commands.h"
#include "tests/e2e/e2e_support.h"

namespace qc::e2e {
namespace {

namespace cmd = protocol::cmd;

// A logged-in client core with its game window open, as a player has it.
struct Player {
    Client client;
    fakes::RecordingGameWindowView gameWin;
    Player(std::uint16_t port, const std::string& name) : client(port) {
        client.As(name);
        client.setup->prefs.ShowChat = false;
        client.setup->gameWindow().Attach(&gameWin);
        client.setup->gameWindow().Show();
    }
    ~Player() { client.setup->gameWindow().Attach(nullptr); }
    Setup& setup() { return *client.setup; }
    game::CurrentGame& game() { return client.setup->game; }
    bool Connect() {
        setup().Connect();
        return WaitFor([this] { return setup().status().State() != 0; });
    }
    // Half-moves in the move log (a log without moves is one empty entry).
    std::size_t Plies() {
        const auto& log = setup().game.MoveLogLines;
        return log.size() == 1 && log[0].empty() ? 0 : log.size();
    }
    void Move(const std::string& from, const std::string& to) {
        setup().Send(cmd::Move(game().GameID, from, to));
    }
};

// The squares of a "canmove: " text, and whether each is a promotion.
std::vector<std::pair<std::string, bool>> Squares(const std::string& canMove) {
    std::vector<std::pair<std::string, bool>> out;
    for (std::size_t i = 0; i + 1 < canMove.size();) {
        const char f = canMove[i], r = canMove[i + 1];
        if (f >= 'a' && f <= 'h' && r >= '1' && r <= '8') {
            const bool promotes = i + 2 < canMove.size() && canMove[i + 2] == 'p';
            out.push_back({canMove.substr(i, 2), promotes});
            i += promotes ? 3 : 2;
        } else {
            i += 2;  // "ca" or "ch"
        }
    }
    return out;
}

class GamesE2E : public TwoUserServerTest {
  protected:
    // No rate limit: a whole game goes by in a moment.
    void SetUp() override { StartServer({QStringLiteral("--rate"), QStringLiteral("100000")}); }
};

TEST_F(GamesE2E, TwoClientsPlayFoolsMate) {
    Player alice(port_, "alice");
    Player bob(port_, "bob");
    ASSERT_TRUE(alice.Connect());
    ASSERT_TRUE(bob.Connect());

    cmd::RequestForm form;
    form.opponent = "bob";
    form.gameType = "Standard";
    form.timeAmount = "3";
    form.timeUnit = "days";
    alice.setup().Send(cmd::Request(form));
    ASSERT_TRUE(WaitFor([&] { return bob.setup().counters.Reqs == 1; }));
    bob.setup().Send("requestsfor");
    bob.setup().Send(cmd::GameList());
    ASSERT_TRUE(WaitFor([&] { return !bob.setup().gameLists.ReqsForData[0].ID.empty(); }));
    bob.setup().Send(cmd::Accept(bob.setup().gameLists.ReqsForData[0].ID));
    ASSERT_TRUE(WaitFor([&] { return !bob.game().GameID.empty(); }));
    const std::string id = bob.game().GameID;
    alice.setup().ViewGame(id);
    ASSERT_TRUE(WaitFor([&] { return alice.game().GameID == id; }));
    EXPECT_EQ(alice.game().WhitePlayer, "alice");
    EXPECT_EQ(alice.game().GameStatus, "w");
    EXPECT_NE(alice.game().Board.find("e1wk"), std::string::npos);
    EXPECT_TRUE(WaitFor([&] { return alice.setup().status().State() == 2; }));

    struct Ply {
        Player* who;
        const char* from;
        const char* to;
        const char* statusAfter;
    };
    const Ply plies[] = {{&alice, "f2", "f3", "b"},
                         {&bob, "e7", "e5", "w"},
                         {&alice, "g2", "g4", "b"},
                         {&bob, "d8", "h4", "eb"}};
    for (const Ply& p : plies) {
        p.who->Move(p.from, p.to);
        Player* other = p.who == &alice ? &bob : &alice;
        // The mover gets the game at once; the other side by the pushed update.
        ASSERT_TRUE(WaitFor([&] { return p.who->game().GameStatus == p.statusAfter; })) << p.from;
        ASSERT_TRUE(WaitFor([&] { return other->game().GameStatus == p.statusAfter; })) << p.from;
    }
    for (Player* p : {&alice, &bob}) {
        EXPECT_EQ(p->game().StatusText, "checkmate");
        EXPECT_NE(p->game().Board.find("h4bq"), std::string::npos);
        EXPECT_EQ(p->setup().game.MoveLogLines.size(), 4u);
        EXPECT_TRUE(WaitFor([&] { return p->setup().status().State() == 1; }));
        p->setup().Send(cmd::GameList());
    }
    EXPECT_EQ(bob.setup().game.MoveLogLines.back().substr(0, 6), "bqd8h4");
    ASSERT_TRUE(WaitFor([&] { return !alice.setup().gameLists.ClosedGamesData[0].ID.empty(); }));
    ASSERT_TRUE(WaitFor([&] { return !bob.setup().gameLists.ClosedGamesData[0].ID.empty(); }));
    EXPECT_EQ(alice.setup().gameLists.ClosedGamesData[0].Outcome, "l");
    EXPECT_EQ(bob.setup().gameLists.ClosedGamesData[0].Outcome, "w");
    EXPECT_TRUE(alice.setup().gameLists.OpenGamesData[0].ID.empty());
}

// The client knows no chess: it plays from what the server says may move.
// Without a game window nothing asks for the game by itself, so each answer
// awaited below is the answer to the line just sent.
TEST_F(GamesE2E, ClientPlaysTheBotToTheEnd) {
    Player me(port_, "alice");
    me.setup().gameWindow().Unload();
    ASSERT_TRUE(me.Connect());
    me.setup().Send(cmd::BotRequest(0, "Standard", false, "1", "days"));
    ASSERT_TRUE(WaitFor([&] { return !me.game().GameID.empty(); }));
    // The accepted game opened the window, which asks for the game after
    // every update: close it, and let the answers already on their way in.
    me.setup().gameWindow().Unload();
    WaitFor([] { return false; }, 300);
    const std::string id = me.game().GameID;
    EXPECT_EQ(me.game().BlackPlayer.substr(0, 3), "Bot");

    // Sends a line and waits for the game's answer to it.
    auto ask = [&](const std::string& line, std::string& field) {
        field.clear();
        me.setup().Send(line);
        return WaitFor([&] { return !field.empty(); });
    };
    std::mt19937 rng(20261209);
    int plies = 0;
    // The fifty-move rule ends every game within 5,899 half-moves.
    while (plies < 6000) {
        ASSERT_TRUE(ask(cmd::Game(id), me.game().GameStatus));
        if (me.game().GameStatus[0] == 'e') {
            break;
        }
        ASSERT_EQ(me.game().GameStatus, "w") << "the bot did not answer after " << plies;
        const auto pieces = Squares(me.game().CanMove);
        ASSERT_FALSE(pieces.empty());
        const std::string from = pieces[rng() % pieces.size()].first;
        ASSERT_TRUE(ask(cmd::Selected(id, from), me.game().CanMove));
        const auto targets = Squares(me.game().CanMove);
        ASSERT_FALSE(targets.empty()) << from;
        const auto& [to, promotes] = targets[rng() % targets.size()];
        const std::size_t before = me.Plies();
        ASSERT_TRUE(ask(promotes ? cmd::Promote(id, from + to, 'q') : cmd::Move(id, from, to),
                        me.game().GameStatus));
        ASSERT_GT(me.Plies(), before) << from << to << " was refused";
        plies = static_cast<int>(me.Plies());
    }
    ASSERT_EQ(me.game().GameStatus[0], 'e') << "no end after " << plies << " plies";
    EXPECT_GE(plies, 4);  // no game ends sooner
    EXPECT_FALSE(me.game().StatusText.empty());
    RecordProperty("plies", plies);
    EXPECT_TRUE(WaitFor([&] { return me.setup().status().State() == 1; }));
}

}  // namespace
}  // namespace qc::e2e
