#include <gtest/gtest.h>

#include <set>
#include <string>

#include "chess/notation.h"
#include "chess/position.h"

namespace qc::chess {
namespace {

std::string whiteBackRank(const Position& pos) {
    std::string fen = pos.fen();
    return fen.substr(fen.rfind('/') + 1, 8);
}

TEST(Chess960, StartPositionsByNumber) {
    EXPECT_EQ(whiteBackRank(*Position::chess960Start(0)), "BBQNNRKR");
    EXPECT_EQ(whiteBackRank(*Position::chess960Start(518)), "RNBQKBNR");
    EXPECT_EQ(whiteBackRank(*Position::chess960Start(959)), "RKRNNQBB");
    EXPECT_EQ(Position::chess960Start(518)->fen(), Position().fen());
    EXPECT_FALSE(Position::chess960Start(-1));
    EXPECT_FALSE(Position::chess960Start(960));

    std::set<std::string> seen;
    for (int n = 0; n < 960; ++n) {
        auto pos = Position::chess960Start(n);
        ASSERT_TRUE(pos) << n;
        EXPECT_TRUE(pos->chess960());
        std::string rank = whiteBackRank(*pos);
        seen.insert(rank);
        // Bishops on squares of both colours, the king between the rooks.
        int b1 = int(rank.find('B')), b2 = int(rank.rfind('B'));
        EXPECT_NE(b1 % 2, b2 % 2) << rank;
        EXPECT_LT(rank.find('R'), rank.find('K')) << rank;
        EXPECT_GT(rank.rfind('R'), rank.find('K')) << rank;
        EXPECT_TRUE(pos->canCastle(White, ASide) && pos->canCastle(Black, HSide)) << rank;
        EXPECT_EQ(pos->legalMoves().size(), perft(*pos, 1));
    }
    EXPECT_EQ(seen.size(), 960u);
}

TEST(Chess960, RandomStartPositions) {
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        Position pos = Position::chess960Random();
        EXPECT_TRUE(pos.chess960());
        seen.insert(whiteBackRank(pos));
    }
    EXPECT_GT(seen.size(), 50u);
}

Position at(const char* fen) {
    std::string error;
    auto pos = Position::fromFen(fen, &error);
    EXPECT_TRUE(pos) << fen << ": " << error;
    return pos.value_or(Position());
}

// Castles with the given command and returns the position after it.
Position castled(const char* fen, const char* command, const char* entry) {
    Position pos = at(fen);
    MoveParse parsed = parseMoveCommand(pos, command);
    EXPECT_TRUE(parsed.ok()) << fen << " " << command << ": " << parsed.error;
    EXPECT_EQ(parsed.move.kind(), Move::Castling);
    EXPECT_EQ(toLogEntry(pos, parsed.move), entry);
    std::string before = pos.fen();
    pos.makeMove(parsed.move);
    EXPECT_EQ(pos.key(), pos.computeKey());
    Position undone = pos;
    undone.unmakeMove();
    EXPECT_EQ(undone.fen(), before);
    return pos;
}

TEST(Chess960, KingAndRookSwapSquares) {
    Position pos = castled("4k3/8/8/8/8/8/8/5KR1 w G - 0 1", "ch", "wkf1g1 O-O");
    EXPECT_EQ(pos.pieceOn(6), WhiteKing);
    EXPECT_EQ(pos.pieceOn(5), WhiteRook);
    EXPECT_FALSE(pos.canCastle(White, HSide));
}

TEST(Chess960, KingStaysOnItsSquare) {
    Position pos = castled("4k3/8/8/8/8/8/8/6KR w H - 0 1", "g1ch", "wkg1g1 O-O");
    EXPECT_EQ(pos.pieceOn(6), WhiteKing);
    EXPECT_EQ(pos.pieceOn(5), WhiteRook);
    EXPECT_EQ(pos.pieceOn(7), NoPiece);
    // Black, on the a-side: king c8 stays, rook a8 goes to d8.
    Position black = castled("r1k5/8/8/8/8/8/8/4K3 b a - 0 1", "ca", "bkc8c8 O-O-O");
    EXPECT_EQ(black.pieceOn(58), BlackKing);
    EXPECT_EQ(black.pieceOn(59), BlackRook);
}

TEST(Chess960, RookAlreadyOnItsDestination) {
    Position pos = castled("4k3/8/8/8/8/8/8/3RK3 w D - 0 1", "ca", "wke1c1 O-O-O");
    EXPECT_EQ(pos.pieceOn(2), WhiteKing);
    EXPECT_EQ(pos.pieceOn(3), WhiteRook);
    EXPECT_EQ(pos.pieceOn(4), NoPiece);
    Position h = castled("4k3/8/8/8/8/8/8/4KR2 w F - 0 1", "e1f1", "wke1g1 O-O");
    EXPECT_EQ(h.pieceOn(6), WhiteKing);
    EXPECT_EQ(h.pieceOn(5), WhiteRook);
}

TEST(Chess960, CastlingIsRefusedWhenBlockedOrAttacked) {
    struct Case {
        const char* fen;
        const char* command;
        bool possible;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/8/RK6 w A - 0 1", "ca", true},
        {"4k3/8/8/8/8/8/8/RK1N4 w A - 0 1", "ca", false},  // the rook's destination is taken
        {"4k3/8/8/8/8/8/8/RKN5 w A - 0 1", "ca", false},   // the king's destination is taken
        {"4k3/8/8/8/8/8/8/1RK5 w B - 0 1", "ca", true},
        {"4k3/8/8/8/8/8/8/qRK5 w B - 0 1", "ca", false},    // the rook shields the king
        {"2r1k3/8/8/8/8/8/8/1RK5 w B - 0 1", "ca", false},  // the king is in check
        {"4k3/8/8/8/8/8/8/1K4R1 w G - 0 1", "ch", true},
        {"4k3/8/8/8/8/8/8/1K2N1R1 w G - 0 1", "ch", false},  // a piece on the king's way
        {"3rk3/8/8/8/8/8/8/1K4R1 w G - 0 1", "ch", false},   // the king crosses d1
        {"1r2k3/8/8/8/8/8/8/1K4R1 w G - 0 1", "ch", false},  // in check
        {"5r1k/8/8/8/8/8/8/1K4R1 w G - 0 1", "ch", false},   // the king crosses f1
    };
    for (const Case& c : cases) {
        Position pos = at(c.fen);
        EXPECT_EQ(parseMoveCommand(pos, c.command).ok(), c.possible) << c.fen;
        bool listed = false;
        for (Move m : pos.legalMoves())
            listed |= m.kind() == Move::Castling;
        EXPECT_EQ(listed, c.possible) << c.fen;
    }
}

TEST(Chess960, KingMoveAndCastlingOnTheSameSquares) {
    // King f1 and rook h1: f1g1 is an ordinary king move, castling is "ch" or f1h1.
    Position pos = at("4k3/8/8/8/8/8/8/5K1R w H - 0 1");
    EXPECT_TRUE(pos.chess960());
    MoveParse step = parseMoveCommand(pos, "f1g1");
    ASSERT_TRUE(step.ok());
    EXPECT_EQ(step.move.kind(), Move::Normal);
    MoveParse take = parseMoveCommand(pos, "f1h1");
    ASSERT_TRUE(take.ok());
    EXPECT_EQ(take.move.kind(), Move::Castling);
    EXPECT_EQ(parseMoveCommand(pos, "ch").move, take.move);
    EXPECT_EQ(toUci(pos, take.move), "f1h1");
    EXPECT_EQ(toLogEntry(pos, take.move), "wkf1g1 O-O");
    // Moving the rook loses the right, and so does losing the rook.
    Position moved = pos;
    moved.makeMove(parseMoveCommand(moved, "h1h2").move);
    EXPECT_FALSE(moved.canCastle(White, HSide));
    Position taken = at("4k3/8/8/8/4b3/8/8/5K1R b H - 0 1");
    Position other = taken;
    other.makeMove(parseMoveCommand(other, "e8d8").move);
    EXPECT_TRUE(other.canCastle(White, HSide));
    taken.makeMove(parseMoveCommand(taken, "e4h1").move);
    EXPECT_FALSE(taken.canCastle(White, HSide));
}

}  // namespace
}  // namespace qc::chess
