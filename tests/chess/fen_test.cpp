#include <gtest/gtest.h>

#include <string>

#include "chess/position.h"

namespace qc::chess {
namespace {

TEST(Fen, RoundTrips) {
    const char* fens[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        // En passant that can really be taken is kept.
        "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 3",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 17 42",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        // Chess960 in X-FEN: outermost rooks as KQkq, an inner rook by its file.
        "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1",
        "1k6/8/8/8/8/8/8/1K2R2R w E - 0 1",
        "rk2r3/8/8/8/8/8/8/RK2R3 b Kq - 3 20",
    };
    for (const char* fen : fens) {
        std::string error;
        auto pos = Position::fromFen(fen, &error);
        ASSERT_TRUE(pos) << fen << ": " << error;
        EXPECT_EQ(pos->fen(), fen);
        auto again = Position::fromFen(pos->fen(Position::CastlingNotation::Shredder), &error);
        ASSERT_TRUE(again) << error;
        EXPECT_TRUE(*again == *pos) << fen;
        EXPECT_EQ(again->key(), pos->key()) << fen;
    }
}

TEST(Fen, ReadsShredderAndXFenCastlingAlike) {
    auto shredder = Position::fromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1");
    ASSERT_TRUE(shredder);
    EXPECT_FALSE(shredder->chess960());  // the rooks stand where standard chess has them
    EXPECT_TRUE(*shredder == Position());
    EXPECT_EQ(shredder->fen(), Position().fen());
    EXPECT_EQ(Position().fen(Position::CastlingNotation::Shredder),
              "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1");

    auto x = Position::fromFen("bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w KQkq - 0 1");
    ASSERT_TRUE(x);
    EXPECT_TRUE(x->chess960());
    EXPECT_EQ(x->castlingRook(White, HSide), 7);
    EXPECT_EQ(x->castlingRook(White, ASide), 5);
    EXPECT_EQ(x->castlingRook(Black, ASide), 61);
    EXPECT_EQ(x->fen(Position::CastlingNotation::Shredder),
              "bbqnnrkr/pppppppp/8/8/8/8/PPPPPPPP/BBQNNRKR w HFhf - 0 1");
}

TEST(Fen, NormalisesWhatCarriesNoInformation) {
    // Move counters may be missing.
    EXPECT_EQ(Position::fromFen("4k3/8/8/8/8/8/8/4K3 w - -")->fen(),
              "4k3/8/8/8/8/8/8/4K3 w - - 0 1");
    // An en-passant square no pawn can use is dropped, as after 1.e4.
    auto e4 = Position::fromFen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1");
    ASSERT_TRUE(e4);
    EXPECT_EQ(e4->enPassantSquare(), kNoSquare);
    EXPECT_EQ(e4->fen(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
    // ... and so is one whose capture would expose the king.
    auto pinned = Position::fromFen("8/8/8/K2Pp2r/8/8/8/7k w - e6 0 1");
    ASSERT_TRUE(pinned);
    EXPECT_EQ(pinned->enPassantSquare(), kNoSquare);
}

TEST(Fen, RejectsBadText) {
    struct Case {
        const char* fen;
        const char* why;
    };
    const Case cases[] = {
        {"", "empty"},
        {"8/8/8/8 w - -", "too few ranks"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1 extra", "too many fields"},
        {"4k3/8/8/8/8/8/8/4K3", "no side to move"},
        {"4k3/8/8/8/8/8/8/8/4K3 w - - 0 1", "nine ranks"},
        {"4k3/9/8/8/8/8/8/4K3 w - - 0 1", "rank of nine squares"},
        {"4k3/4p4/8/8/8/8/8/4K3 w - - 0 1", "rank of nine squares with a piece"},
        {"4k3/7/8/8/8/8/8/4K3 w - - 0 1", "rank of seven squares"},
        {"4k3/8/8/8/8/8/8/4K2X w - - 0 1", "unknown piece"},
        {"8/8/8/8/8/8/8/4K3 w - - 0 1", "no black king"},
        {"4k2k/8/8/8/8/8/8/4K3 w - - 0 1", "two black kings"},
        {"3Pk3/8/8/8/8/8/8/4K3 w - - 0 1", "pawn on the last rank"},
        {"4k3/8/8/8/8/8/8/p3K3 w - - 0 1", "pawn on the first rank"},
        {"4k3/8/8/8/8/8/8/4K3 x - - 0 1", "bad side to move"},
        {"4k3/8/8/8/8/8/8/R3K2r b - - 0 1", "side not to move in check"},
        {"4k3/8/8/8/8/8/8/4K3 w K - 0 1", "castling without a rook"},
        {"4k3/8/8/8/8/8/4K3/7R w K - 0 1", "castling with the king off its rank"},
        {"4k3/8/8/8/8/8/8/4K2R w X - 0 1", "unknown castling letter"},
        {"4k3/8/8/8/8/8/8/4K2R w KH - 0 1", "same right twice"},
        {"4k3/8/8/8/8/8/8/4K2R w E - 0 1", "castling letter on the king's file"},
        {"4k3/8/8/8/8/8/8/4K3 w - e4 0 1", "en passant on the wrong rank"},
        {"4k3/8/8/8/8/8/8/4K3 w - e6 0 1", "en passant without a pawn"},
        {"4k3/8/8/8/8/8/8/4K3 w - z6 0 1", "en passant not a square"},
        {"4k3/8/8/8/8/8/8/4K3 w - - -1 1", "negative halfmove clock"},
        {"4k3/8/8/8/8/8/8/4K3 w - - x 1", "halfmove clock not a number"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 0 1x", "move number with trailing text"},
        {"4k3/8/8/8/8/8/8/4K3 w - - 99999999999 1", "huge halfmove clock"},
        {"QQQQQQQQ/QQ6/8/8/8/8/8/K6k w - - 0 1", "more promoted pieces than pawns"},
        {"4k3/8/8/8/8/PPPPPPPP/PPPPPPPP/4K3 w - - 0 1", "more than 16 pieces"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(Position::fromFen(c.fen, &error)) << c.why;
        EXPECT_FALSE(error.empty()) << c.why;
    }
    // A NUL byte is no piece letter (it once matched the end of the letter table).
    using namespace std::string_literals;
    EXPECT_FALSE(Position::fromFen("4k3/8/8/8/8/8/8/4K2\0 w - - 0 1"s));
}

}  // namespace
}  // namespace qc::chess
