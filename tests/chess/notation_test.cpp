#include <gtest/gtest.h>

#include <string>

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

Move move(const Position& pos, const char* text) {
    MoveParse parsed = parseMoveCommand(pos, text);
    EXPECT_TRUE(parsed.ok()) << text << ": " << parsed.error;
    return parsed.move;
}

TEST(Notation, LogEntries) {
    struct Case {
        const char* fen;
        const char* move;
        const char* entry;
    };
    const Case cases[] = {
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2e4", "wpe2e4 e4"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "g1f3", "wng1f3 Nf3"},
        {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2", "e4d5", "wpe4d5xbp exd5"},
        // En passant names the pawn taken, which is not on the to-square.
        {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 3", "e5d6", "wpe5d6xbp exd6"},
        // Under-promotion with capture and check.
        {"3r4/4Pk2/8/8/8/8/8/4K3 w - - 0 1", "e7d8n", "wpe7d8xbr exd8=N+"},
        {"4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q", "wpb7b8 b8=Q+"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "ch", "wke1g1 O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "ca", "wke1c1 O-O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", "bke8c8 O-O-O"},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", "bke8g8 O-O"},
        // Capture with check by a piece, and mate.
        {"4k3/8/8/8/3q4/8/8/R3K3 b Q - 0 1", "d4a1", "bqd4a1xwr Qxa1+"},
        {"rnbqkbnr/pppp1ppp/8/4p3/6P1/5P2/PPPPP2P/RNBQKBNR b KQkq - 0 2", "d8h4", "bqd8h4 Qh4#"},
        {"6k1/5ppp/8/8/8/8/8/R3K3 w Q - 0 1", "a1a8", "wra1a8 Ra8#"},
        {"4k3/8/8/8/8/8/8/r3K3 w - - 0 1", "e1d2", "wke1d2 Kd2"},
        {"4k3/8/8/8/8/8/3r4/4K3 w - - 0 1", "e1d2", "wke1d2xbr Kxd2"},
    };
    for (const Case& c : cases) {
        Position pos = at(c.fen);
        EXPECT_EQ(toLogEntry(pos, move(pos, c.move)), c.entry) << c.fen;
    }
}

TEST(Notation, CapturedPieceCodeStartsAtTheEighthCharacter) {
    Position pos = at("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1");
    for (Move m : pos.legalMoves()) {
        std::string entry = toLogEntry(pos, m);
        std::string first = entry.substr(0, entry.find(' '));
        EXPECT_NE(entry.find(squareName(m.from())), std::string::npos) << entry;
        Piece taken = pos.capturedBy(m);
        if (taken == NoPiece) {
            EXPECT_EQ(first.size(), 6u) << entry;
        } else {
            EXPECT_EQ(first.substr(7), pieceCode(taken)) << entry;
            EXPECT_EQ(first[6], 'x') << entry;
        }
    }
}

TEST(Notation, Disambiguation) {
    struct Case {
        const char* fen;
        const char* move;
        const char* san;
    };
    const Case cases[] = {
        {"4k3/8/8/8/8/8/8/1N1K1N2 w - - 0 1", "b1d2", "Nbd2"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a1a3", "R1a3"},
        {"4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", "a5a3", "R5a3"},
        {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "a1b2", "Qa1b2"},
        {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "c1b2", "Qcb2"},
        {"4k3/8/8/8/8/Q7/8/Q1Q1K3 w - - 0 1", "a3b2", "Q3b2"},
        // A pinned knight cannot go there, so nothing needs telling apart.
        {"4k3/8/8/8/7b/2N3N1/8/4K3 w - - 0 1", "c3e4", "Ne4"},
        // Pawn captures always give the file.
        {"4k3/8/8/3p4/2P1P3/8/8/4K3 w - - 0 1", "c4d5", "cxd5"},
        {"4k3/8/8/3p4/2P1P3/8/8/4K3 w - - 0 1", "e4d5", "exd5"},
    };
    for (const Case& c : cases) {
        Position pos = at(c.fen);
        EXPECT_EQ(toSan(pos, move(pos, c.move)), c.san) << c.fen << " " << c.move;
    }
}

TEST(Notation, UciCastlingFollowsTheVariant) {
    Position standard = at("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    EXPECT_EQ(toUci(standard, move(standard, "ch")), "e1g1");
    Position c960 = at("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    c960.setChess960(true);
    EXPECT_EQ(toUci(c960, move(c960, "ch")), "e1h1");
    Position promo = at("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1");
    EXPECT_EQ(toUci(promo, move(promo, "b7b8r")), "b7b8r");
}

}  // namespace
}  // namespace qc::chess
