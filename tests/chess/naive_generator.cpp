#include "tests/chess/naive_generator.h"

#include <cctype>
#include <sstream>

namespace qc::chess::testing {

namespace {

bool onBoard(int f, int r) {
    return f >= 0 && f < 8 && r >= 0 && r < 8;
}
bool isWhite(char c) {
    return c >= 'A' && c <= 'Z';
}
bool isBlack(char c) {
    return c >= 'a' && c <= 'z';
}
bool isOwn(char c, bool white) {
    return white ? isWhite(c) : isBlack(c);
}
bool isEnemy(char c, bool white) {
    return white ? isBlack(c) : isWhite(c);
}
char lower(char c) {
    return char(std::tolower(static_cast<unsigned char>(c)));
}

const int kKnight[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
const int kKing[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
const int kDiag[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
const int kOrth[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

}  // namespace

bool NaiveBoard::setFen(const std::string& fen) {
    std::istringstream in(fen);
    std::string placement, side, castling, ep;
    if (!(in >> placement >> side >> castling >> ep))
        return false;
    for (char& c : sq_)
        c = '.';
    int rank = 7, file = 0;
    for (char c : placement) {
        if (c == '/') {
            --rank;
            file = 0;
        } else if (std::isdigit(static_cast<unsigned char>(c))) {
            file += c - '0';
        } else {
            if (!onBoard(file, rank))
                return false;
            sq_[rank * 8 + file] = c;
            ++file;
        }
    }
    white_ = side == "w";
    for (int& r : rook_)
        r = -1;
    if (castling != "-") {
        for (char c : castling) {
            bool white = isWhite(c);
            int back = white ? 0 : 7;
            int king = -1;
            for (int f = 0; f < 8; ++f) {
                if (sq_[back * 8 + f] == (white ? 'K' : 'k'))
                    king = f;
            }
            if (king < 0)
                return false;
            char rookChar = white ? 'R' : 'r';
            char l = lower(c);
            int rookFile = -1;
            if (l == 'k') {
                for (int f = 7; f > king && rookFile < 0; --f) {
                    if (sq_[back * 8 + f] == rookChar)
                        rookFile = f;
                }
            } else if (l == 'q') {
                for (int f = 0; f < king && rookFile < 0; ++f) {
                    if (sq_[back * 8 + f] == rookChar)
                        rookFile = f;
                }
            } else {
                rookFile = l - 'a';
            }
            if (rookFile < 0)
                return false;
            int side = rookFile > king ? 1 : 0;
            rook_[(white ? 0 : 2) + side] = back * 8 + rookFile;
        }
    }
    ep_ = ep == "-" ? -1 : (ep[1] - '1') * 8 + (ep[0] - 'a');
    return true;
}

bool NaiveBoard::attacked(int square, bool byWhite) const {
    int f = square % 8, r = square / 8;
    // A white pawn attacks upwards, so it stands one rank below.
    int pr = byWhite ? r - 1 : r + 1;
    for (int df : {-1, 1}) {
        if (onBoard(f + df, pr) && sq_[pr * 8 + f + df] == (byWhite ? 'P' : 'p'))
            return true;
    }
    for (auto& k : kKnight) {
        int nf = f + k[0], nr = r + k[1];
        if (onBoard(nf, nr) && sq_[nr * 8 + nf] == (byWhite ? 'N' : 'n'))
            return true;
    }
    for (auto& k : kKing) {
        int nf = f + k[0], nr = r + k[1];
        if (onBoard(nf, nr) && sq_[nr * 8 + nf] == (byWhite ? 'K' : 'k'))
            return true;
    }
    for (int pass = 0; pass < 2; ++pass) {
        const int(*dirs)[2] = pass == 0 ? kDiag : kOrth;
        char slider = pass == 0 ? 'b' : 'r';
        for (int d = 0; d < 4; ++d) {
            int nf = f + dirs[d][0], nr = r + dirs[d][1];
            while (onBoard(nf, nr)) {
                char c = sq_[nr * 8 + nf];
                if (c != '.') {
                    if (isOwn(c, byWhite) && (lower(c) == slider || lower(c) == 'q'))
                        return true;
                    break;
                }
                nf += dirs[d][0];
                nr += dirs[d][1];
            }
        }
    }
    return false;
}

bool NaiveBoard::ownKingAttacked(bool white) const {
    for (int s = 0; s < 64; ++s) {
        if (sq_[s] == (white ? 'K' : 'k'))
            return attacked(s, !white);
    }
    return true;  // no king: treat as lost
}

std::vector<NaiveMove> NaiveBoard::pseudoMoves() const {
    std::vector<NaiveMove> moves;
    const bool w = white_;
    for (int s = 0; s < 64; ++s) {
        char c = sq_[s];
        if (!isOwn(c, w))
            continue;
        int f = s % 8, r = s / 8;
        switch (lower(c)) {
            case 'p': {
                int dir = w ? 1 : -1;
                int lastRank = w ? 7 : 0;
                auto add = [&](int to) {
                    if (to / 8 == lastRank) {
                        for (char p : {'q', 'r', 'b', 'n'})
                            moves.push_back({s, to, p});
                    } else {
                        moves.push_back({s, to});
                    }
                };
                int one = s + 8 * dir;
                if (sq_[one] == '.') {
                    add(one);
                    int startRank = w ? 1 : 6;
                    if (r == startRank && sq_[one + 8 * dir] == '.')
                        add(one + 8 * dir);
                }
                for (int df : {-1, 1}) {
                    if (!onBoard(f + df, r + dir))
                        continue;
                    int to = (r + dir) * 8 + f + df;
                    if (isEnemy(sq_[to], w) || to == ep_)
                        add(to);
                }
                break;
            }
            case 'n':
            case 'k': {
                const int(*steps)[2] = lower(c) == 'n' ? kKnight : kKing;
                for (int i = 0; i < 8; ++i) {
                    int nf = f + steps[i][0], nr = r + steps[i][1];
                    if (onBoard(nf, nr) && !isOwn(sq_[nr * 8 + nf], w)) {
                        moves.push_back({s, nr * 8 + nf});
                    }
                }
                break;
            }
            default: {
                char t = lower(c);
                for (int pass = 0; pass < 2; ++pass) {
                    if (pass == 0 && t == 'r')
                        continue;
                    if (pass == 1 && t == 'b')
                        continue;
                    const int(*dirs)[2] = pass == 0 ? kDiag : kOrth;
                    for (int d = 0; d < 4; ++d) {
                        int nf = f + dirs[d][0], nr = r + dirs[d][1];
                        while (onBoard(nf, nr)) {
                            char target = sq_[nr * 8 + nf];
                            if (isOwn(target, w))
                                break;
                            moves.push_back({s, nr * 8 + nf});
                            if (target != '.')
                                break;
                            nf += dirs[d][0];
                            nr += dirs[d][1];
                        }
                    }
                }
            }
        }
    }
    // Castling: squares the pieces travel over must be free of anything but
    // the castling king and rook; the king must not be in check nor cross an
    // attacked square. Landing in check is left to the general test.
    for (int side = 0; side < 2; ++side) {
        int rook = rook_[(w ? 0 : 2) + side];
        if (rook < 0)
            continue;
        int back = w ? 0 : 7;
        int king = -1;
        for (int fi = 0; fi < 8; ++fi) {
            if (sq_[back * 8 + fi] == (w ? 'K' : 'k'))
                king = back * 8 + fi;
        }
        if (king < 0 || sq_[rook] != (w ? 'R' : 'r'))
            continue;
        int kingTo = back * 8 + (side == 1 ? 6 : 2);
        int rookTo = back * 8 + (side == 1 ? 5 : 3);
        bool ok = true;
        auto clear = [&](int a, int b) {
            for (int x = std::min(a, b); x <= std::max(a, b); ++x) {
                if (x != king && x != rook && sq_[x] != '.')
                    ok = false;
            }
        };
        clear(king, kingTo);
        clear(rook, rookTo);
        for (int x = std::min(king, kingTo); ok && x <= std::max(king, kingTo); ++x) {
            if (attacked(x, !w))
                ok = false;
        }
        if (ok) {
            NaiveMove m{king, kingTo};
            m.castleSide = side;
            m.rookFrom = rook;
            moves.push_back(m);
        }
    }
    return moves;
}

NaiveBoard NaiveBoard::after(const NaiveMove& m) const {
    NaiveBoard b = *this;
    const bool w = white_;
    int newEp = -1;
    if (m.castleSide >= 0) {
        int back = w ? 0 : 7;
        b.sq_[m.from] = '.';
        b.sq_[m.rookFrom] = '.';
        b.sq_[m.to] = w ? 'K' : 'k';
        b.sq_[back * 8 + (m.castleSide == 1 ? 5 : 3)] = w ? 'R' : 'r';
    } else {
        char piece = b.sq_[m.from];
        if (lower(piece) == 'p' && m.to == ep_ && b.sq_[m.to] == '.') {
            b.sq_[(m.from / 8) * 8 + m.to % 8] = '.';
        }
        if (lower(piece) == 'p' && (m.to - m.from == 16 || m.from - m.to == 16)) {
            newEp = (m.from + m.to) / 2;
        }
        b.sq_[m.to] = m.promotion ? (w ? char(std::toupper(m.promotion)) : m.promotion) : piece;
        b.sq_[m.from] = '.';
    }
    // Rights go when the king moves or a castling rook leaves or is taken.
    for (int i = 0; i < 4; ++i) {
        if (rook_[i] < 0)
            continue;
        bool ownSide = (i < 2) == w;
        if (ownSide && lower(sq_[m.from]) == 'k')
            b.rook_[i] = -1;
        if (m.from == rook_[i] || m.to == rook_[i] || m.rookFrom == rook_[i])
            b.rook_[i] = -1;
    }
    b.ep_ = newEp;
    b.white_ = !w;
    return b;
}

std::vector<NaiveMove> NaiveBoard::legalMoves() const {
    std::vector<NaiveMove> legal;
    for (const NaiveMove& m : pseudoMoves()) {
        if (!after(m).ownKingAttacked(white_))
            legal.push_back(m);
    }
    return legal;
}

std::uint64_t NaiveBoard::perft(int depth) const {
    if (depth == 0)
        return 1;
    std::uint64_t nodes = 0;
    for (const NaiveMove& m : legalMoves())
        nodes += depth == 1 ? 1 : after(m).perft(depth - 1);
    return nodes;
}

std::string NaiveBoard::name(const NaiveMove& m) {
    if (m.castleSide >= 0)
        return m.castleSide == 1 ? "ch" : "ca";
    std::string s = {char('a' + m.from % 8), char('1' + m.from / 8), char('a' + m.to % 8),
                     char('1' + m.to / 8)};
    if (m.promotion)
        s += m.promotion;
    return s;
}

}  // namespace qc::chess::testing
