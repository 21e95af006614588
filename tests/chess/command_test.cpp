#include <gtest/gtest.h>

#include <string>

#include "chess/notation.h"
#include "chess/position.h"

namespace qc::chess {
namespace {

constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
constexpr const char* kCastle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
constexpr const char* kPromote = "1n2k3/P7/8/8/8/8/8/4K3 w - - 0 1";

TEST(MoveCommand, AcceptsTheClientsForms) {
    struct Case {
        const char* fen;
        const char* text;
        const char* uci;  // how the move reads back
    };
    const Case cases[] = {
        {kStart, "e2e4", "e2e4"},     {kStart, " E2E4 \r", "e2e4"}, {kStart, "g1f3", "g1f3"},
        {kPromote, "a7a8q", "a7a8q"}, {kPromote, "a7a8n", "a7a8n"}, {kPromote, "a7b8r", "a7b8r"},
        {kPromote, "a7b8B", "a7b8b"}, {kCastle, "ca", "e1c1"},      {kCastle, "ch", "e1g1"},
        {kCastle, "e1ca", "e1c1"},    {kCastle, "e1ch", "e1g1"},    {kCastle, "e1g1", "e1g1"},
        {kCastle, "e1c1", "e1c1"},    {kCastle, "e1h1", "e1g1"},    {kCastle, "e1a1", "e1c1"},
        {kCastle, "e1f1", "e1f1"},
    };
    for (const Case& c : cases) {
        Position pos = *Position::fromFen(c.fen);
        MoveParse parsed = parseMoveCommand(pos, c.text);
        ASSERT_TRUE(parsed.ok()) << c.text << ": " << parsed.error;
        EXPECT_TRUE(pos.isLegal(parsed.move)) << c.text;
        EXPECT_EQ(toUci(pos, parsed.move), c.uci) << c.text;
    }
}

TEST(MoveCommand, RejectsWithAReason) {
    struct Case {
        const char* fen;
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        {kStart, "", "no move given"},
        {kStart, "   ", "no move given"},
        {kStart, "e2", "not a move: e2"},
        {kStart, "e2e", "not a move: e2e"},
        {kStart, "e2e4e5", "not a move: too long"},
        {kStart, "e9e4", "not a move: e9e4"},
        {kStart, "i2e4", "not a move: i2e4"},
        {kStart, "\xff\xfe\x01\x02", "not a move: \xff\xfe\x01\x02"},
        {kStart, "e2e5", "illegal move e2e5"},
        {kStart, "e2e2", "illegal move e2e2"},
        {kStart, "e3e4", "there is no piece on e3"},
        {kStart, "e7e5", "the piece on e7 is not yours"},
        {kStart, "e2e4q", "e2e4 is no promotion"},
        {kStart, "g1f3q", "only a pawn can promote"},
        {kStart, "e2e4x", "a pawn promotes to q, r, b or n"},
        {kStart, "ch", "castling on the h-side is not possible now"},
        {kStart, "e1g1", "illegal move e1g1"},
        {kPromote, "a7a8", "name the piece to promote to (q, r, b or n)"},
        {kPromote, "a7a8k", "a pawn promotes to q, r, b or n"},
        {kPromote, "a7a8p", "a pawn promotes to q, r, b or n"},
        {kPromote, "ca", "no right to castle on the a-side"},
        {kCastle, "d1ch", "castling is a move of the king"},
        {kCastle, "x1ch", "not a move: x1ch"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e1ch", "castling is a move of the king"},
        {"r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1", "ch",
         "castling on the h-side is not possible now"},
    };
    for (const Case& c : cases) {
        Position pos = *Position::fromFen(c.fen);
        MoveParse parsed = parseMoveCommand(pos, c.text);
        EXPECT_FALSE(parsed.ok()) << c.text;
        EXPECT_EQ(parsed.error, c.error) << c.text;
    }
}

TEST(Selection, DestinationsOfOnePiece) {
    Position start;
    PieceMoves knight = movesFrom(start, 6);  // g1
    ASSERT_EQ(knight.destinations.size(), 2u);
    EXPECT_EQ(knight.destinations[0].to, 21);  // f3
    EXPECT_EQ(knight.destinations[1].to, 23);  // h3
    EXPECT_FALSE(knight.castleA || knight.castleH);
    EXPECT_TRUE(movesFrom(start, 0).destinations.empty());   // boxed-in rook
    EXPECT_TRUE(movesFrom(start, 52).destinations.empty());  // black pawn, white to move
    EXPECT_TRUE(movesFrom(start, 30).destinations.empty());  // empty square
    EXPECT_TRUE(movesFrom(start, 64).destinations.empty());
    EXPECT_TRUE(movesFrom(start, -1).destinations.empty());

    // One entry per promotion square, marked; ordinary squares unmarked.
    Position promo = *Position::fromFen(kPromote);
    PieceMoves pawn = movesFrom(promo, 48);  // a7
    ASSERT_EQ(pawn.destinations.size(), 2u);
    EXPECT_EQ(pawn.destinations[0].to, 56);
    EXPECT_TRUE(pawn.destinations[0].promotion);
    EXPECT_EQ(pawn.destinations[1].to, 57);
    EXPECT_TRUE(pawn.destinations[1].promotion);
    EXPECT_FALSE(movesFrom(promo, 4).destinations.front().promotion);

    // The king's castling shows as flags, not as squares.
    Position castle = *Position::fromFen(kCastle);
    PieceMoves king = movesFrom(castle, 4);
    EXPECT_TRUE(king.castleA);
    EXPECT_TRUE(king.castleH);
    EXPECT_EQ(king.destinations.size(), 5u);  // d1 d2 e2 f2 f1
    Position attacked = *Position::fromFen("r3k2r/8/8/8/8/8/5r2/R3K2R w KQkq - 0 1");
    PieceMoves crossing = movesFrom(attacked, 4);  // f1 is attacked, d1 and c1 are not
    EXPECT_TRUE(crossing.castleA);
    EXPECT_FALSE(crossing.castleH);
    PieceMoves rook = movesFrom(castle, 0);
    EXPECT_FALSE(rook.castleA || rook.castleH);
}

TEST(Selection, PiecesThatCanMove) {
    EXPECT_EQ(movableSquares(Position()),
              (std::vector<Square>{1, 6, 8, 9, 10, 11, 12, 13, 14, 15}));
    // In double check only the king moves.
    Position pos = *Position::fromFen("4k3/8/8/8/8/8/3PPn2/r3K2R w K - 0 1");
    EXPECT_EQ(movableSquares(pos), (std::vector<Square>{4}));
    Position mate =
        *Position::fromFen("rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3");
    EXPECT_TRUE(movableSquares(mate).empty());
}

}  // namespace
}  // namespace qc::chess
