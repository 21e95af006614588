#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>

#include "chess/notation.h"
#include "chess/position.h"
#include "tests/chess/naive_generator.h"
#include "tests/chess/suite_positions.h"

namespace qc::chess {
namespace {

using testing::NaiveBoard;
using testing::NaiveMove;
using testing::suitePositions;

Position parse(const std::string& fen) {
    std::string error;
    auto pos = Position::fromFen(fen, &error);
    EXPECT_TRUE(pos.has_value()) << fen << ": " << error;
    return pos.value_or(Position());
}

TEST(Perft, SuitePositionsMatchPublishedCounts) {
    for (const auto& suite : suitePositions()) {
        Position pos = parse(suite.fen);
        for (std::size_t d = 1; d <= suite.nodes.size(); ++d) {
            EXPECT_EQ(perft(pos, int(d)), suite.nodes[d - 1]) << suite.name << " depth " << d;
        }
        // Perft must leave the position as it found it.
        EXPECT_EQ(pos.fen(), parse(suite.fen).fen()) << suite.name;
    }
}

TEST(Perft, OneDeeperLevelOnTheTrickyPositions) {
    Position kiwipete = parse(suitePositions()[1].fen);
    Position position4 = parse(suitePositions()[3].fen);
    Position position5 = parse(suitePositions()[5].fen);
    EXPECT_EQ(perft(kiwipete, 4), 4085603u);
    EXPECT_EQ(perft(position4, 4), 422333u);
    EXPECT_EQ(perft(position5, 4), 2103487u);
}

// A library move named the way the naive generator names it.
std::string crossName(Move m) {
    if (m.kind() == Move::Castling)
        return m.to() > m.from() ? "ch" : "ca";
    std::string s = squareName(m.from()) + squareName(m.to());
    if (m.kind() == Move::Promotion)
        s += pieceLetter(m.promotion());
    return s;
}

std::set<std::string> libraryMoves(const Position& pos) {
    std::set<std::string> names;
    for (Move m : pos.legalMoves())
        names.insert(crossName(m));
    return names;
}

std::set<std::string> naiveMoves(const NaiveBoard& board) {
    std::set<std::string> names;
    for (const NaiveMove& m : board.legalMoves())
        names.insert(NaiveBoard::name(m));
    return names;
}

TEST(Perft, SuiteAgreesWithNaiveGeneratorToDepthThree) {
    for (const auto& suite : suitePositions()) {
        NaiveBoard naive;
        ASSERT_TRUE(naive.setFen(suite.fen)) << suite.name;
        Position pos = parse(suite.fen);
        int depth = std::min<int>(3, int(suite.nodes.size()));
        EXPECT_EQ(naive.perft(depth), perft(pos, depth)) << suite.name;
    }
}

// Random games from many start positions, comparing at every ply the whole
// move list with the naive generator, and checking that make and unmake
// restore the position and that the incremental hash is right.
TEST(Perft, RandomGamesAgreeWithNaiveGenerator) {
    std::mt19937 rng(20240611);
    std::vector<std::string> starts;
    for (const auto& suite : suitePositions())
        starts.push_back(suite.fen);
    for (int i = 0; i < 24; ++i) {
        starts.push_back(
            Position::chess960Start(int(rng() % 960))->fen(Position::CastlingNotation::Shredder));
    }
    int positionsChecked = 0;
    for (int game = 0; game < 160; ++game) {
        const std::string& start = starts[game % starts.size()];
        Position pos = parse(start);
        NaiveBoard naive;
        ASSERT_TRUE(naive.setFen(start));
        for (int ply = 0; ply < 160; ++ply) {
            std::set<std::string> expected = naiveMoves(naive);
            ASSERT_EQ(libraryMoves(pos), expected) << pos.fen();
            ASSERT_EQ(pos.countLegalMoves(), int(expected.size())) << pos.fen();
            ASSERT_EQ(pos.key(), pos.computeKey()) << pos.fen();
            // What the position writes reads back as the same position.
            auto reread = Position::fromFen(pos.fen(), nullptr, pos.chess960());
            ASSERT_TRUE(reread && *reread == pos && reread->key() == pos.key()) << pos.fen();
            ++positionsChecked;
            if (ply % 23 == 5) {
                ASSERT_EQ(perft(pos, 2), naive.perft(2)) << pos.fen();
            }
            if (expected.empty())
                break;
            MoveList list = pos.legalMoves();
            Move m = list[int(rng() % unsigned(list.size()))];
            std::string before = pos.fen();
            std::uint64_t keyBefore = pos.key();
            pos.makeMove(m);
            pos.unmakeMove();
            ASSERT_EQ(pos.fen(), before);
            ASSERT_EQ(pos.key(), keyBefore);

            const std::string name = crossName(m);
            bool applied = false;
            for (const NaiveMove& nm : naive.legalMoves()) {
                if (NaiveBoard::name(nm) == name) {
                    naive = naive.after(nm);
                    applied = true;
                    break;
                }
            }
            ASSERT_TRUE(applied) << name;
            pos.makeMove(m);
        }
    }
    EXPECT_GT(positionsChecked, 10000);
}

}  // namespace
}  // namespace qc::chess
