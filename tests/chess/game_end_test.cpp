#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "chess/notation.h"
#include "chess/position.h"

namespace qc::chess {
namespace {

Position at(const char* fen) {
    std::string error;
    auto pos = Position::fromFen(fen, &error);
    EXPECT_TRUE(pos) << fen << ": " << error;
    return pos.value_or(Position());
}

void play(Position& pos, const std::vector<const char*>& moves) {
    for (const char* text : moves) {
        MoveParse parsed = parseMoveCommand(pos, text);
        ASSERT_TRUE(parsed.ok()) << text << ": " << parsed.error;
        pos.makeMove(parsed.move);
    }
}

TEST(GameEnd, CheckmateAndCheck) {
    Position pos;
    play(pos, {"f2f3", "e7e5", "g2g4"});
    EXPECT_EQ(pos.status().phrase(), "");
    EXPECT_FALSE(pos.status().over());
    play(pos, {"d8h4"});
    GameStatus s = pos.status();
    EXPECT_EQ(s.termination, Termination::Checkmate);
    EXPECT_EQ(s.result, Result::BlackWins);
    EXPECT_EQ(s.phrase(), "checkmate");

    GameStatus check = at("4k3/8/8/8/8/8/8/4R1K1 b - - 0 1").status();
    EXPECT_FALSE(check.over());
    EXPECT_TRUE(check.check);
    EXPECT_EQ(check.phrase(), "check");

    EXPECT_EQ(at("R6k/8/6K1/8/8/8/8/8 b - - 0 1").status().result, Result::WhiteWins);
}

TEST(GameEnd, Stalemate) {
    GameStatus s = at("7k/5Q2/6K1/8/8/8/8/8 b - - 0 1").status();
    EXPECT_EQ(s.termination, Termination::Stalemate);
    EXPECT_EQ(s.result, Result::Draw);
    EXPECT_FALSE(s.check);
    EXPECT_EQ(s.phrase(), "stalemate");
}

TEST(GameEnd, FiftyMoveRule) {
    Position pos = at("8/8/8/4k3/8/8/4K3/4R3 w - - 98 80");
    play(pos, {"e2d2"});
    EXPECT_FALSE(pos.status().over());  // 99 half-moves
    play(pos, {"e5d5"});
    EXPECT_EQ(pos.status().termination, Termination::FiftyMoveRule);
    EXPECT_EQ(pos.status().phrase(), "draw by fifty-move rule");
    // A mate on the hundredth half-move is still a mate.
    Position mate = at("7k/8/6K1/8/8/8/8/R7 w - - 99 80");
    play(mate, {"a1a8"});
    EXPECT_EQ(mate.status().termination, Termination::Checkmate);
    // A pawn move resets the count.
    Position reset = at("4k3/8/8/8/8/8/4P3/4K3 w - - 99 80");
    play(reset, {"e2e3"});
    EXPECT_EQ(reset.halfmoveClock(), 0);
    EXPECT_FALSE(reset.status().over());
}

TEST(GameEnd, ThreefoldRepetition) {
    Position pos;
    const std::vector<const char*> shuffle = {"g1f3", "g8f6", "f3g1", "f6g8"};
    play(pos, shuffle);
    EXPECT_EQ(pos.repetitions(), 1);
    EXPECT_FALSE(pos.status().over());
    play(pos, shuffle);
    EXPECT_EQ(pos.status().termination, Termination::Repetition);
    EXPECT_EQ(pos.status().result, Result::Draw);
    EXPECT_EQ(pos.status().phrase(), "draw by repetition");
    // Taking moves back takes the repetition back.
    pos.unmakeMove();
    EXPECT_FALSE(pos.status().over());
    ASSERT_EQ(pos.moveHistory().size(), 7u);
    EXPECT_EQ(pos.moveHistory().front(), Move(6, 21));  // g1f3
    EXPECT_EQ(pos.moveHistory().back(), Move(21, 6));   // f3g1
    EXPECT_EQ(pos.plyCount(), 7);
}

TEST(GameEnd, LostCastlingRightsMakeADifferentPosition) {
    Position pos = at("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    const std::vector<const char*> kings = {"e1f1", "e8f8", "f1e1", "f8e8"};
    play(pos, kings);  // same placement, but no castling rights any more
    play(pos, kings);
    EXPECT_FALSE(pos.status().over());
    play(pos, kings);
    EXPECT_EQ(pos.status().termination, Termination::Repetition);
}

TEST(GameEnd, EnPassantRightCountsOnlyWhenItCanBeUsed) {
    const std::vector<const char*> knights = {"g1f3", "e8e7", "f3g1", "e7e8"};
    // After ...d5 white could take en passant: that position is not repeated.
    Position pos = at("4k3/3p4/8/4P3/8/8/8/4K1N1 b - - 0 1");
    play(pos, {"d7d5"});
    EXPECT_NE(pos.enPassantSquare(), kNoSquare);
    play(pos, knights);
    play(pos, knights);
    EXPECT_FALSE(pos.status().over());
    play(pos, knights);
    EXPECT_EQ(pos.status().termination, Termination::Repetition);

    // With no pawn to take it, the double step leaves an ordinary position.
    Position plain = at("4k3/3p4/8/8/8/8/8/4K1N1 b - - 0 1");
    play(plain, {"d7d5"});
    EXPECT_EQ(plain.enPassantSquare(), kNoSquare);
    play(plain, knights);
    play(plain, knights);
    EXPECT_EQ(plain.status().termination, Termination::Repetition);
}

TEST(GameEnd, InsufficientMaterial) {
    struct Case {
        const char* fen;
        bool dead;
    };
    const Case cases[] = {
        {"8/8/4k3/8/8/3K4/8/8 w - - 0 1", true},       // K v K
        {"8/8/4k3/8/8/3KB3/8/8 w - - 0 1", true},      // KB v K
        {"8/8/4kn2/8/8/3K4/8/8 w - - 0 1", true},      // K v KN
        {"5b2/8/4k3/8/8/3K4/8/2B5 w - - 0 1", true},   // bishops on dark squares
        {"2b5/8/4k3/8/8/3K4/8/2B5 w - - 0 1", false},  // opposite colours
        {"8/8/4kn2/8/8/3K4/8/6N1 w - - 0 1", false},   // KN v KN
        {"8/8/4k3/8/8/3K4/8/5NN1 w - - 0 1", false},   // KNN v K
        {"8/8/4k3/8/8/3K4/4P3/8 w - - 0 1", false},    // a pawn
        {"8/8/4k3/8/8/3K4/8/7R w - - 0 1", false},     // a rook
    };
    for (const Case& c : cases) {
        Position pos = at(c.fen);
        EXPECT_EQ(pos.insufficientMaterial(), c.dead) << c.fen;
        EXPECT_EQ(pos.status().termination == Termination::InsufficientMaterial, c.dead) << c.fen;
    }
    // Capturing the last piece ends the game.
    Position pos = at("8/8/4k3/4r3/8/3K4/8/8 b - - 0 1");
    play(pos, {"e5e4", "d3e4"});
    EXPECT_EQ(pos.status().phrase(), "draw by insufficient material");
    EXPECT_EQ(pos.status().result, Result::Draw);
}

}  // namespace
}  // namespace qc::chess
