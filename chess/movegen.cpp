// Legal move generation. Moves are generated legal from the start (check
// and pin masks) rather than filtered afterwards, which is what makes
// counting the last ply of a perft cheap.
#include "chess/position.h"

namespace qc::chess {

Bitboard Position::attackersTo(Square s, Bitboard occ) const {
    return (bb::pawnAttacks(Black, s) & pieces(White, Pawn)) |
           (bb::pawnAttacks(White, s) & pieces(Black, Pawn)) |
           (bb::knightAttacks(s) & pieces(Knight)) |
           (bb::bishopAttacks(s, occ) & (pieces(Bishop) | pieces(Queen))) |
           (bb::rookAttacks(s, occ) & (pieces(Rook) | pieces(Queen))) |
           (bb::kingAttacks(s) & pieces(King));
}

Bitboard Position::checkers() const {
    return attackersTo(kingSquare(side_), occupied()) & pieces(~side_);
}

inline bool Position::attacked(Color by, Square s, Bitboard occ) const {
    const Bitboard them = pieces(by);
    return (bb::pawnAttacks(~by, s) & them & byType_[Pawn]) ||
           (bb::knightAttacks(s) & them & byType_[Knight]) ||
           (bb::kingAttacks(s) & them & byType_[King]) ||
           (bb::bishopAttacks(s, occ) & them & (byType_[Bishop] | byType_[Queen])) ||
           (bb::rookAttacks(s, occ) & them & (byType_[Rook] | byType_[Queen]));
}

namespace {

template <bool CountOnly>
inline void addAll(MoveList* list, int& n, Square from, Bitboard targets) {
    if constexpr (CountOnly) {
        n += bb::count(targets);
    } else {
        while (targets)
            list->push(Move(from, bb::popLsb(targets)));
    }
}

template <bool CountOnly>
inline void addPromotions(MoveList* list, int& n, Square from, Square to) {
    if constexpr (CountOnly) {
        n += 4;
    } else {
        list->push(Move(from, to, Move::Promotion, Queen));
        list->push(Move(from, to, Move::Promotion, Rook));
        list->push(Move(from, to, Move::Promotion, Bishop));
        list->push(Move(from, to, Move::Promotion, Knight));
    }
}

}  // namespace

template <Color Us, bool CountOnly>
int Position::generate(MoveList* list) const {
    constexpr Color Them = ~Us;
    constexpr int Up = Us == White ? 8 : -8;
    constexpr int UpLeft = Us == White ? 7 : -9;
    constexpr int UpRight = Us == White ? 9 : -7;
    constexpr Bitboard Rank7 = bb::rank(Us == White ? 6 : 1);
    constexpr Bitboard Rank3 = bb::rank(Us == White ? 2 : 5);

    int n = 0;
    const Bitboard ours = byColor_[Us], theirs = byColor_[Them];
    const Bitboard occ = ours | theirs;
    const Square ksq = bb::lsb(ours & byType_[King]);
    const Bitboard theirDiag = theirs & (byType_[Bishop] | byType_[Queen]);
    const Bitboard theirOrth = theirs & (byType_[Rook] | byType_[Queen]);

    const Bitboard checkers =
        ((bb::pawnAttacks(Us, ksq) & byType_[Pawn]) | (bb::knightAttacks(ksq) & byType_[Knight]) |
         (bb::bishopAttacks(ksq, occ) & (byType_[Bishop] | byType_[Queen])) |
         (bb::rookAttacks(ksq, occ) & (byType_[Rook] | byType_[Queen]))) &
        theirs;

    // King moves: test the target with the king lifted off the board so that
    // stepping back along a checking line is seen as attacked.
    {
        Bitboard targets = bb::kingAttacks(ksq) & ~ours;
        const Bitboard occNoKing = occ ^ bb::square(ksq);
        while (targets) {
            Square to = bb::popLsb(targets);
            if (!attacked(Them, to, occNoKing)) {
                if constexpr (CountOnly) {
                    ++n;
                } else {
                    list->push(Move(ksq, to));
                }
            }
        }
    }
    if (bb::moreThanOne(checkers))
        return n;

    Bitboard target = ~ours;
    if (checkers) {
        Square c = bb::lsb(checkers);
        target = bb::between(ksq, c) | checkers;
    }

    Bitboard pinned = 0;
    {
        Bitboard snipers =
            (bb::gTables.bishopRays[ksq] & theirDiag) | (bb::gTables.rookRays[ksq] & theirOrth);
        while (snipers) {
            Square s = bb::popLsb(snipers);
            Bitboard blockers = bb::between(ksq, s) & occ;
            if (blockers && !bb::moreThanOne(blockers))
                pinned |= blockers & ours;
        }
    }

    // Knights: a pinned knight never moves.
    {
        Bitboard knights = ours & byType_[Knight] & ~pinned;
        while (knights) {
            Square s = bb::popLsb(knights);
            addAll<CountOnly>(list, n, s, bb::knightAttacks(s) & target);
        }
    }
    // Sliders: a pinned one stays on the line through its king.
    {
        Bitboard diag = ours & (byType_[Bishop] | byType_[Queen]);
        while (diag) {
            Square s = bb::popLsb(diag);
            Bitboard t = bb::bishopAttacks(s, occ) & target;
            if (pinned & bb::square(s))
                t &= bb::line(ksq, s);
            addAll<CountOnly>(list, n, s, t);
        }
        Bitboard orth = ours & (byType_[Rook] | byType_[Queen]);
        while (orth) {
            Square s = bb::popLsb(orth);
            Bitboard t = bb::rookAttacks(s, occ) & target;
            if (pinned & bb::square(s))
                t &= bb::line(ksq, s);
            addAll<CountOnly>(list, n, s, t);
        }
    }

    // Pawns that are not pinned move in sets; pinned ones one by one.
    {
        const Bitboard pawns = ours & byType_[Pawn];
        const Bitboard free = pawns & ~pinned;
        const Bitboard empty = ~occ;
        const Bitboard low = free & ~Rank7, high = free & Rank7;

        Bitboard push1 = bb::shift<Up>(low) & empty;
        Bitboard push2 = bb::shift<Up>(push1 & Rank3) & empty & target;
        push1 &= target;
        Bitboard capL = bb::shift<UpLeft>(low) & theirs & target;
        Bitboard capR = bb::shift<UpRight>(low) & theirs & target;
        if constexpr (CountOnly) {
            n += bb::count(push1) + bb::count(push2) + bb::count(capL) + bb::count(capR);
        } else {
            while (push1) {
                Square to = bb::popLsb(push1);
                list->push(Move(to - Up, to));
            }
            while (push2) {
                Square to = bb::popLsb(push2);
                list->push(Move(to - 2 * Up, to));
            }
            while (capL) {
                Square to = bb::popLsb(capL);
                list->push(Move(to - UpLeft, to));
            }
            while (capR) {
                Square to = bb::popLsb(capR);
                list->push(Move(to - UpRight, to));
            }
        }
        if (high) {
            Bitboard p1 = bb::shift<Up>(high) & empty & target;
            Bitboard pl = bb::shift<UpLeft>(high) & theirs & target;
            Bitboard pr = bb::shift<UpRight>(high) & theirs & target;
            while (p1) {
                Square to = bb::popLsb(p1);
                addPromotions<CountOnly>(list, n, to - Up, to);
            }
            while (pl) {
                Square to = bb::popLsb(pl);
                addPromotions<CountOnly>(list, n, to - UpLeft, to);
            }
            while (pr) {
                Square to = bb::popLsb(pr);
                addPromotions<CountOnly>(list, n, to - UpRight, to);
            }
        }

        Bitboard pinnedPawns = pawns & pinned;
        while (pinnedPawns) {
            Square s = bb::popLsb(pinnedPawns);
            Bitboard allowed = bb::line(ksq, s) & target;
            Bitboard moves = bb::pawnAttacks(Us, s) & theirs;
            Bitboard one = bb::shift<Up>(bb::square(s)) & empty;
            moves |= one;
            if (one & Rank3)
                moves |= bb::shift<Up>(one) & empty;
            moves &= allowed;
            if (bb::square(s) & Rank7) {
                while (moves)
                    addPromotions<CountOnly>(list, n, s, bb::popLsb(moves));
            } else {
                addAll<CountOnly>(list, n, s, moves);
            }
        }

        // En passant: rare, so the full test (both pawns lifted) is affordable.
        if (st_.ep != kNoSquare) {
            const Square ep = st_.ep;
            const Square capSq = ep - Up;
            Bitboard takers = bb::pawnAttacks(Them, ep) & pawns;
            while (takers) {
                Square from = bb::popLsb(takers);
                Bitboard occ2 = (occ ^ bb::square(from) ^ bb::square(capSq)) | bb::square(ep);
                Bitboard att =
                    (bb::bishopAttacks(ksq, occ2) & theirDiag) |
                    (bb::rookAttacks(ksq, occ2) & theirOrth) |
                    (bb::knightAttacks(ksq) & theirs & byType_[Knight]) |
                    (bb::pawnAttacks(Us, ksq) & theirs & byType_[Pawn] & ~bb::square(capSq));
                if (!att) {
                    if constexpr (CountOnly) {
                        ++n;
                    } else {
                        list->push(Move(from, ep, Move::EnPassant));
                    }
                }
            }
        }
    }

    // Castling: the path must be empty but for king and rook, and no square
    // the king stands on, crosses or reaches may be attacked. King and rook
    // are lifted for that test: in Chess960 the rook may shield the king's
    // destination from a rook or queen behind it.
    if (!checkers && (st_.castling & (Us == White ? 3 : 12))) {
        for (CastleSide side : {ASide, HSide}) {
            int r = rightIndex(Us, side);
            if (!(st_.castling & (1 << r)) || (castlingPath_[r] & occ))
                continue;
            Square rook = castlingRookSquare_[r];
            Bitboard occ2 = occ ^ bb::square(ksq) ^ bb::square(rook);
            Bitboard path = castlingKingPath_[r];
            bool safe = true;
            while (path && safe)
                safe = !attacked(Them, bb::popLsb(path), occ2);
            if (safe) {
                if constexpr (CountOnly) {
                    ++n;
                } else {
                    list->push(Move(ksq, rook, Move::Castling));
                }
            }
        }
    }
    return n;
}

void Position::legalMoves(MoveList& list) const {
    list.clear();
    if (side_ == White) {
        generate<White, false>(&list);
    } else {
        generate<Black, false>(&list);
    }
}

int Position::countLegalMoves() const {
    return side_ == White ? generate<White, true>(nullptr) : generate<Black, true>(nullptr);
}

bool Position::isLegal(Move m) const {
    MoveList list;
    legalMoves(list);
    return list.contains(m);
}

bool MoveList::contains(Move m) const {
    for (int i = 0; i < size_; ++i) {
        if (raw_[i] == m.raw())
            return true;
    }
    return false;
}

namespace {

std::uint64_t perftInner(Position& pos, int depth) {
    if (depth == 1)
        return std::uint64_t(pos.countLegalMoves());
    MoveList list;
    pos.legalMoves(list);
    std::uint64_t nodes = 0;
    for (Move m : list) {
        pos.makeMove(m);
        nodes += perftInner(pos, depth - 1);
        pos.unmakeMove();
    }
    return nodes;
}

}  // namespace

std::uint64_t perft(Position& pos, int depth) {
    if (depth <= 0)
        return 1;
    return perftInner(pos, depth);
}

}  // namespace qc::chess
