// Whole games against the server process over loopback UDP.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>
#include <thread>

#include "chess/notation.h"
#include "client/core/account/password.h"
#include "process_util.h"
#include "server/core/text.h"

namespace qc::server::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::StartsWith;
using Lines = std::vector<std::string>;

// The game's messages of the last answer in `lines`: from its last "board: "
// to its "canmove: ".
Lines LastGame(const Lines& lines) {
    auto board = std::find_if(lines.rbegin(), lines.rend(),
                              [](const std::string& l) { return l.rfind("board: ", 0) == 0; });
    if (board == lines.rend()) {
        return {};
    }
    Lines game;
    for (auto it = board.base() - 1; it != lines.end(); ++it) {
        game.push_back(*it);
        if (it->rfind("canmove: ", 0) == 0) {
            break;
        }
    }
    return game;
}

std::vector<std::string> GameFields(const Lines& game) {
    for (const std::string& l : game) {
        if (l.rfind("game: ", 0) == 0) {
            std::vector<std::string> fields;
            for (std::string_view f : Split(std::string_view(l).substr(6), ',')) {
                fields.emplace_back(f);
            }
            return fields;
        }
    }
    return {};
}

// Lines until the n-th "canmove: ".
std::function<bool(const Lines&)> CanMoves(int n) {
    return [n](const Lines& lines) {
        return std::count_if(lines.begin(), lines.end(), [](const std::string& l) {
                   return l.rfind("canmove: ", 0) == 0;
               }) >= n;
    };
}

// The position a "board: " line shows, white to move. Castling and en
// passant rights are left out: the moves found are then legal in the game too.
std::optional<chess::Position> FromBoard(const std::string& boardLine) {
    char grid[8][8] = {};
    std::string board = boardLine.substr(7);
    for (std::size_t i = 0; i + 4 <= board.size(); i += 4) {
        int file = board[i] - 'a';
        int rank = board[i + 1] - '1';
        char piece = board[i + 3];
        if (file < 0 || file > 7 || rank < 0 || rank > 7) {
            return std::nullopt;
        }
        grid[rank][file] = board[i + 2] == 'w' ? static_cast<char>(piece - 'a' + 'A') : piece;
    }
    std::string fen;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            if (grid[rank][file] == 0) {
                ++empty;
                continue;
            }
            if (empty > 0) {
                fen += std::to_string(empty);
                empty = 0;
            }
            fen += grid[rank][file];
        }
        if (empty > 0) {
            fen += std::to_string(empty);
        }
        if (rank > 0) {
            fen += '/';
        }
    }
    return chess::Position::fromFen(fen + " w - - 0 1");
}

// A move that ends the game quickly against a random opponent: a mate when
// there is one, else the biggest capture, else the move that leaves the
// opponent the fewest replies; never one that draws.
chess::Move PickMove(const chess::Position& pos, std::mt19937& random) {
    chess::MoveList moves = pos.legalMoves();
    chess::Move best = moves[std::uniform_int_distribution<int>(0, moves.size() - 1)(random)];
    int bestScore = -100000;
    for (chess::Move m : moves) {
        chess::Position after = pos;
        after.makeMove(m);
        chess::GameStatus status = after.status();
        int score = -after.countLegalMoves();
        if (status.termination == chess::Termination::Checkmate) {
            score = 10000;
        } else if (status.over()) {
            score = -10000;
        } else if (chess::Piece taken = pos.capturedBy(m); taken != chess::NoPiece) {
            score += 100 * chess::typeOf(taken);
        } else if (m.kind() == chess::Move::Promotion) {
            score += 100 * m.promotion();
        }
        if (score > bestScore) {
            best = m;
            bestScore = score;
        }
    }
    return best;
}

class ProcessGamesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"alice", "bob"}) {
            ASSERT_EQ(ServerProcess::Run({"--db", std::string(db), "--add-account", name, name}),
                      0);
        }
        // Every line counts against the rate; the bot game below sends two
        // lines a datagram at ten datagrams a second.
        ASSERT_TRUE(server.Start(std::string(db), {"--rate", "20"}));
    }

    static void LogIn(UdpClient& client, const std::string& name) {
        auto lines = client.Ask(name + " connect v1.20 " + qc::account::Swordfish(name), "update:");
        ASSERT_THAT(lines, Contains(StartsWith("update:")));
    }

    TempDb db{"games"};
    ServerProcess server;
};

TEST_F(ProcessGamesTest, TwoPlayersPlayFoolsMate) {
    UdpClient alice(server.Port());
    UdpClient bob(server.Port());
    LogIn(alice, "alice");
    LogIn(bob, "bob");
    alice.Ask("alice request bob,,w,1,d,0,0,0,0", "update:");
    bob.Receive([](const Lines& l) { return !l.empty(); });
    EXPECT_THAT(bob.Ask("bob accept 1", "update:"), Contains("accepted: 1"));
    alice.Receive([](const Lines& l) { return !l.empty(); });

    struct Ply {
        UdpClient& mover;
        UdpClient& other;
        std::string line;
    };
    const Ply plies[] = {{alice, bob, "alice move 1 f2f3"},
                         {bob, alice, "bob move 1 e7e5"},
                         {alice, bob, "alice move 1 g2g4"},
                         {bob, alice, "bob move 1 d8h4"}};
    Lines game;
    for (const Ply& p : plies) {
        p.mover.Send(p.line);
        game = LastGame(p.mover.Receive(CanMoves(1)));
        // The other player hears of the move without asking.
        EXPECT_THAT(p.other.Receive([](const Lines& l) { return !l.empty(); }),
                    ElementsAre(StartsWith("update:")))
            << p.line;
    }
    EXPECT_THAT(game, Contains("bqd8h4 Qh4#"));
    auto f = GameFields(game);
    ASSERT_EQ(f.size(), 18u);
    EXPECT_EQ(f[4], "eb");
    EXPECT_EQ(f[5], "checkmate");
    EXPECT_THAT(alice.AskList("alice gamelist", "requestsby:"),
                Contains(StartsWith("1,bob,Standard,")));
    EXPECT_THAT(alice.AskList("alice scoreboard", "scoreboard:"),
                Contains(StartsWith("1,0,0,bob,")));

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

TEST_F(ProcessGamesTest, APlayerBeatsOrDrawsTheBot) {
    UdpClient alice(server.Port());
    LogIn(alice, "alice");
    EXPECT_THAT(alice.Ask("alice request Bot,,w,1,d,0,0,0", "accepted: "), Contains("accepted: 1"));
    std::mt19937 random(2024);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    Lines game = LastGame(alice.Ask("alice game 1", "canmove: "));
    int plies = 0;
    for (; plies < 300 && std::chrono::steady_clock::now() < deadline; ++plies) {
        auto f = GameFields(game);
        ASSERT_EQ(f.size(), 18u) << plies;
        if (f[4][0] == 'e') {
            break;
        }
        ASSERT_EQ(f[4], "w") << "the bot answers before the next line is read";
        auto pos = FromBoard(game.at(0));
        ASSERT_TRUE(pos) << game.at(0);
        chess::Move m = PickMove(*pos, random);
        // After its first burst the server takes twenty lines a second from a sender.
        if (plies >= 35) {
            std::this_thread::sleep_for(std::chrono::milliseconds(105));
        }
        // The move and a fresh look in one datagram: the bot moves in between.
        alice.Send("alice move 1 " + chess::toUci(*pos, m) + "\ralice game 1");
        game = LastGame(alice.Receive(CanMoves(2)));
        ASSERT_FALSE(game.empty()) << "no answer to ply " << plies;
    }
    auto f = GameFields(game);
    ASSERT_EQ(f.size(), 18u);
    EXPECT_EQ(f[4][0], 'e') << "not over after " << plies << " moves";
    EXPECT_THAT(alice.Ask("alice update", "update:"), Contains(StartsWith("update:0,0,5,0,")));

    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

}  // namespace
}  // namespace qc::server::testing
