#include "chess/bitboard.h"

#include <cstdlib>
#include <mutex>

namespace qc::chess::bb {

Tables gTables;

namespace {

// Attacks found by walking the rays; only used to fill the tables.
Bitboard slowSlide(Square s, Bitboard occupied, const int (*dirs)[2]) {
    Bitboard result = 0;
    for (int d = 0; d < 4; ++d) {
        int f = fileOf(s) + dirs[d][0];
        int r = rankOf(s) + dirs[d][1];
        while (f >= 0 && f < 8 && r >= 0 && r < 8) {
            Bitboard b = square(makeSquare(f, r));
            result |= b;
            if (occupied & b)
                break;
            f += dirs[d][0];
            r += dirs[d][1];
        }
    }
    return result;
}

constexpr int kBishopDirs[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
constexpr int kRookDirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

Bitboard leaper(Square s, const int (*steps)[2], int n) {
    Bitboard result = 0;
    for (int i = 0; i < n; ++i) {
        int f = fileOf(s) + steps[i][0];
        int r = rankOf(s) + steps[i][1];
        if (f >= 0 && f < 8 && r >= 0 && r < 8)
            result |= square(makeSquare(f, r));
    }
    return result;
}

// Magic factors found offline by a random search with the same tables; they
// are checked for collisions while the tables are filled.
#include "chess/magics.inc"

void initMagics(Magic* magics, const Bitboard* factors, const int (*dirs)[2], Bitboard*& next) {
    for (Square s = 0; s < 64; ++s) {
        Bitboard edges =
            ((rank(0) | rank(7)) & ~rank(rankOf(s))) | ((file(0) | file(7)) & ~file(fileOf(s)));
        Magic& m = magics[s];
        m.mask = slowSlide(s, 0, dirs) & ~edges;
        m.magic = factors[s];
        m.shift = unsigned(64 - count(m.mask));
        m.attacks = next;
        std::size_t size = std::size_t(1) << count(m.mask);
        Bitboard subset = 0;
        do {
            Bitboard attacks = slowSlide(s, subset, dirs);
            Bitboard& slot = next[m.index(subset)];
            // A collision with a different attack set would mean a bad factor.
            if (slot != 0 && slot != attacks)
                std::abort();
            slot = attacks;
            subset = (subset - m.mask) & m.mask;
        } while (subset != 0);
        next += size;
    }
}

void fillTables() {
    Tables& t = gTables;
    constexpr int knightSteps[8][2] = {{1, 2},   {2, 1},   {2, -1}, {1, -2},
                                       {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
    constexpr int kingSteps[8][2] = {{1, 0},  {1, 1},   {0, 1},  {-1, 1},
                                     {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
    constexpr int whitePawn[2][2] = {{-1, 1}, {1, 1}};
    constexpr int blackPawn[2][2] = {{-1, -1}, {1, -1}};
    for (Square s = 0; s < 64; ++s) {
        t.knightAttacks[s] = leaper(s, knightSteps, 8);
        t.kingAttacks[s] = leaper(s, kingSteps, 8);
        t.pawnAttacks[White][s] = leaper(s, whitePawn, 2);
        t.pawnAttacks[Black][s] = leaper(s, blackPawn, 2);
        t.bishopRays[s] = slowSlide(s, 0, kBishopDirs);
        t.rookRays[s] = slowSlide(s, 0, kRookDirs);
    }
    for (Square a = 0; a < 64; ++a) {
        for (Square b = 0; b < 64; ++b) {
            t.between[a][b] = 0;
            t.line[a][b] = 0;
            if (a == b)
                continue;
            const int(*dirs)[2] = nullptr;
            if (t.rookRays[a] & square(b)) {
                dirs = kRookDirs;
            } else if (t.bishopRays[a] & square(b)) {
                dirs = kBishopDirs;
            } else {
                continue;
            }
            t.between[a][b] = slowSlide(a, square(b), dirs) & slowSlide(b, square(a), dirs);
            Bitboard rayA = slowSlide(a, 0, dirs);
            Bitboard rayB = slowSlide(b, 0, dirs);
            t.line[a][b] = (rayA & rayB) | square(a) | square(b);
        }
    }
    Bitboard* next = t.slideTable;
    initMagics(t.rookMagics, kRookFactors, kRookDirs, next);
    initMagics(t.bishopMagics, kBishopFactors, kBishopDirs, next);
}

}  // namespace

void initTables() {
    static std::once_flag once;
    std::call_once(once, fillTables);
}

}  // namespace qc::chess::bb
