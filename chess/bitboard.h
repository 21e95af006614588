// Bitboard tables and attack look-ups. Sliding attacks use magic
// multiplication, which needs no particular CPU instruction set.
#pragma once

#include <bit>

#include "chess/types.h"

namespace qc::chess::bb {

constexpr Bitboard kFileA = 0x0101010101010101ULL;
constexpr Bitboard kRank1 = 0xFFULL;
constexpr Bitboard file(int f) {
    return kFileA << f;
}
constexpr Bitboard rank(int r) {
    return kRank1 << (8 * r);
}
constexpr Bitboard square(Square s) {
    return Bitboard(1) << s;
}
constexpr Bitboard kLightSquares = 0x55AA55AA55AA55AAULL;

inline int count(Bitboard b) {
    return std::popcount(b);
}
inline Square lsb(Bitboard b) {
    return std::countr_zero(b);
}
inline Square popLsb(Bitboard& b) {
    Square s = lsb(b);
    b &= b - 1;
    return s;
}
inline bool moreThanOne(Bitboard b) {
    return (b & (b - 1)) != 0;
}

// Shifts towards the 8th rank (+8) or the 1st; east/west shifts mask the wrap.
template <int D>
constexpr Bitboard shift(Bitboard b) {
    if constexpr (D == 8)
        return b << 8;
    if constexpr (D == -8)
        return b >> 8;
    if constexpr (D == 16)
        return b << 16;
    if constexpr (D == -16)
        return b >> 16;
    if constexpr (D == 9)
        return (b & ~file(7)) << 9;
    if constexpr (D == 7)
        return (b & ~kFileA) << 7;
    if constexpr (D == -7)
        return (b & ~file(7)) >> 7;
    if constexpr (D == -9)
        return (b & ~kFileA) >> 9;
    return 0;
}

struct Magic {
    Bitboard mask;
    Bitboard magic;
    const Bitboard* attacks;
    unsigned shift;
    unsigned index(Bitboard occupied) const {
        return unsigned(((occupied & mask) * magic) >> shift);
    }
};

struct Tables {
    Bitboard pawnAttacks[2][64];
    Bitboard knightAttacks[64];
    Bitboard kingAttacks[64];
    Bitboard bishopRays[64];  // on an empty board
    Bitboard rookRays[64];
    Bitboard between[64][64];  // strictly between two aligned squares, else 0
    Bitboard line[64][64];     // the whole line through two aligned squares, else 0
    Magic bishopMagics[64];
    Magic rookMagics[64];
    Bitboard slideTable[102400 + 5248];
};

// Filled once by initTables(); every Position constructor calls it, so code
// that only works through positions never sees empty tables.
extern Tables gTables;
void initTables();

inline Bitboard pawnAttacks(Color c, Square s) {
    return gTables.pawnAttacks[c][s];
}
inline Bitboard knightAttacks(Square s) {
    return gTables.knightAttacks[s];
}
inline Bitboard kingAttacks(Square s) {
    return gTables.kingAttacks[s];
}
inline Bitboard bishopAttacks(Square s, Bitboard occupied) {
    const Magic& m = gTables.bishopMagics[s];
    return m.attacks[m.index(occupied)];
}
inline Bitboard rookAttacks(Square s, Bitboard occupied) {
    const Magic& m = gTables.rookMagics[s];
    return m.attacks[m.index(occupied)];
}
inline Bitboard between(Square a, Square b) {
    return gTables.between[a][b];
}
inline Bitboard line(Square a, Square b) {
    return gTables.line[a][b];
}

}  // namespace qc::chess::bb
