// The client's parsers read the server's game messages back.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "chess/notation.h"
#include "client/core/game/game_messages.h"
#include "core_fixture.h"
#include "server/core/games.h"

namespace qc::server::testing {
namespace {

using namespace std::chrono_literals;

std::string Find(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& l : lines) {
        if (l.rfind(prefix, 0) == 0) {
            return l;
        }
    }
    return "";
}

class RoundTripTest : public CoreFixture {
  protected:
    void SetUp() override {
        AddAccount("alice", "a");
        AddAccount("bob", "b");
        Login(kAlice, "alice", "a");
        Login(kBob, "bob", "b");
    }

    LiveGame Load(std::int64_t id) {
        Store::Transaction tx(store);
        std::optional<LiveGame> game = LoadGame(store, id);
        tx.Commit();
        EXPECT_TRUE(game);
        return *game;
    }

    // Every cell the client draws holds the piece the server's position has.
    void ExpectBoardMatches(const std::vector<std::string>& lines, const chess::Position& pos) {
        const std::string board = game::ReadBoardLine(Find(lines, "board: "));
        for (const char* orientation : {"w", "b"}) {
            auto cells = game::BoardCells(board, orientation);
            for (int i = 0; i < 64; ++i) {
                auto square = chess::parseSquare(game::IndexToSquare(i, orientation));
                ASSERT_TRUE(square);
                chess::Piece p = pos.pieceOn(*square);
                EXPECT_EQ(cells[static_cast<std::size_t>(i)],
                          p == chess::NoPiece ? "" : chess::pieceCode(p))
                    << chess::squareName(*square);
            }
        }
    }
};

TEST_F(RoundTripTest, GameBoardAndCanMoveReadBack) {
    Send(kAlice, "alice request bob,Chess960,w,2,h,0,0,0,0");
    Send(kBob, "bob accept 1");
    store.SetStartFen(1, "r3k2r/1P5p/8/8/8/8/7P/R3K2R w KQkq - 0 1");
    Send(kAlice, "alice emailme 1 1");
    Send(kAlice, "alice showlast2 0");
    Send(kAlice, "alice offerdraw 1");
    now += 10min;

    auto lines = Send(kAlice, "alice game 1");
    game::GameFields f;
    EXPECT_TRUE(game::ReadGameLine(Find(lines, "game: "), f, {2026, 12, 10, 0, 0, 0}));
    EXPECT_EQ(f.GameID, "1");
    EXPECT_EQ(f.WhitePlayer, "alice");
    EXPECT_EQ(f.BlackPlayer, "bob");
    EXPECT_EQ(f.GameType, "Chess960");
    EXPECT_EQ(f.GameStatus, "w");
    EXPECT_EQ(f.StatusText, "");
    EXPECT_EQ(f.MoveTime, 2);
    EXPECT_EQ(f.MoveTimeUnit, "h");
    EXPECT_EQ(f.Started.day, 9);
    EXPECT_EQ(f.Started.hour, 23);
    EXPECT_EQ(f.Started.minute, 45);
    EXPECT_EQ(f.MoveBy.day, 10);
    EXPECT_EQ(f.MoveBy.hour, 1);
    EXPECT_EQ(f.MoveBy.minute, 45);
    EXPECT_EQ(f.DrawOffer, "w");
    EXPECT_TRUE(f.GameEmailMe);
    EXPECT_FALSE(f.GameTextMe);
    EXPECT_TRUE(f.ShowLast1);
    EXPECT_FALSE(f.ShowLast2);
    EXPECT_TRUE(f.ShowPoss);
    EXPECT_EQ(f.TextsFree, 0);
    EXPECT_EQ(f.TextsPurchased, 0);

    LiveGame live = Load(1);
    ExpectBoardMatches(lines, live.position);
    // With nothing selected the client may pick up exactly the pieces that can move.
    std::string canMove = game::ReadCanMoveLine(Find(lines, "canmove: "));
    std::vector<chess::Square> movable = chess::movableSquares(live.position);
    for (chess::Square s = 0; s < 64; ++s) {
        bool listed = std::find(movable.begin(), movable.end(), s) != movable.end();
        EXPECT_EQ(game::CanMoveTo(canMove, chess::squareName(s)), listed) << chess::squareName(s);
    }

    // A selection: reachable squares, promotions and castling as the rules say.
    for (const char* from : {"e1", "b7", "a1", "h2"}) {
        canMove =
            game::ReadCanMoveLine(Send(kAlice, std::string("alice selected 1 ") + from).at(0));
        chess::PieceMoves moves = chess::movesFrom(live.position, *chess::parseSquare(from));
        for (chess::Square s = 0; s < 64; ++s) {
            auto d = std::find_if(moves.destinations.begin(), moves.destinations.end(),
                                  [s](const chess::Destination& x) { return x.to == s; });
            const std::string name = chess::squareName(s);
            EXPECT_EQ(game::CanMoveTo(canMove, name), d != moves.destinations.end())
                << from << name;
            EXPECT_EQ(game::CanMovePromotes(canMove, name),
                      d != moves.destinations.end() && d->promotion)
                << from << name;
        }
        EXPECT_EQ(game::CanCastleA(canMove), moves.castleA) << from;
        EXPECT_EQ(game::CanCastleH(canMove), moves.castleH) << from;
    }

    // After a promotion and a capture the board still reads back, and an ended
    // game's status and phrase arrive whole.
    Send(kAlice, "alice move 1 b7a8q");
    Send(kBob, "bob move 1 e8e7");
    lines = Send(kAlice, "alice resign 1");
    ExpectBoardMatches(lines, Load(1).position);
    game::GameFields ended = f;
    EXPECT_FALSE(game::ReadGameLine(Find(lines, "game: "), ended, {2026, 12, 10, 0, 0, 0}));
    EXPECT_EQ(ended.GameStatus, "eb");
    EXPECT_EQ(ended.StatusText, "white resigned");
    EXPECT_EQ(ended.DrawOffer, "");
    EXPECT_EQ(game::ReadCanMoveLine(Find(lines, "canmove: ")), "");
}

}  // namespace
}  // namespace qc::server::testing
