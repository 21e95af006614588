// A deliberately plain legal move generator for cross-checking the library:
// an 8x8 array, pseudo-legal moves, and a king-attacked test after each one.
// It shares no code with the library beyond the test's own use of FEN text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qc::chess::testing {

struct NaiveMove {
    int from = 0;
    int to = 0;           // for castling: the king's destination
    char promotion = 0;   // 'q', 'r', 'b', 'n' or 0
    int castleSide = -1;  // 0 a-side, 1 h-side, -1 no castling
    int rookFrom = -1;
};

class NaiveBoard {
  public:
    // Accepts KQkq (outermost rook) and rook file letters; returns false on
    // anything it does not understand.
    bool setFen(const std::string& fen);

    std::vector<NaiveMove> legalMoves() const;
    NaiveBoard after(const NaiveMove& m) const;
    std::uint64_t perft(int depth) const;

    // "e2e4", "e7e8q", castling as "ca" / "ch" so that both generators name
    // it the same way whatever their internal encoding.
    static std::string name(const NaiveMove& m);
    bool whiteToMove() const { return white_; }

  private:
    bool attacked(int square, bool byWhite) const;
    bool ownKingAttacked(bool white) const;
    std::vector<NaiveMove> pseudoMoves() const;

    char sq_[64] = {};  // FEN letters, '.' for empty; index = rank * 8 + file
    bool white_ = true;
    int rook_[4] = {-1, -1, -1, -1};  // castling rooks: white a, white h, black a, black h
    int ep_ = -1;
};

}  // namespace qc::chess::testing
