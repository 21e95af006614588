#include "chess/position.h"

#include <algorithm>
#include <charconv>
#include <random>

namespace qc::chess {

namespace {

// Hash keys are generated at compile time from a fixed seed so that keys are
// the same in every process (stored games can be compared across runs).
struct Zobrist {
    std::uint64_t piece[16][64] = {};
    std::uint64_t castling[16] = {};
    std::uint64_t epFile[8] = {};
    std::uint64_t side = 0;

    constexpr Zobrist() {
        std::uint64_t state = 0x51A7E5EED0C0FFEEULL;
        auto next = [&state]() {
            state += 0x9E3779B97F4A7C15ULL;
            std::uint64_t z = state;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
            return z ^ (z >> 31);
        };
        for (auto& row : piece) {
            for (auto& k : row)
                k = next();
        }
        // Castling keys combine per right so that losing one right is one xor.
        std::uint64_t right[4] = {next(), next(), next(), next()};
        for (int m = 0; m < 16; ++m) {
            for (int r = 0; r < 4; ++r) {
                if (m & (1 << r))
                    castling[m] ^= right[r];
            }
        }
        for (auto& k : epFile)
            k = next();
        side = next();
    }
};

constexpr Zobrist kZobrist;

const char kPieceChars[] = " PNBRQK  pnbrqk";

Piece pieceFromChar(char c) {
    // strchr would also find the terminating NUL, so search the letters only.
    for (int i = 0; i < 15; ++i) {
        if (c != ' ' && kPieceChars[i] == c)
            return Piece(i);
    }
    return NoPiece;
}

std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::size_t start = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t')
            ++i;
        if (i > start)
            fields.push_back(text.substr(start, i - start));
    }
    return fields;
}

bool parseNumber(std::string_view text, int limit, int& out) {
    if (text.empty() || text.size() > 6)
        return false;
    int value = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < 0 || value > limit) {
        return false;
    }
    out = value;
    return true;
}

}  // namespace

std::string_view GameStatus::phrase() const {
    switch (termination) {
        case Termination::Checkmate:
            return "checkmate";
        case Termination::Stalemate:
            return "stalemate";
        case Termination::Repetition:
            return "draw by repetition";
        case Termination::FiftyMoveRule:
            return "draw by fifty-move rule";
        case Termination::InsufficientMaterial:
            return "draw by insufficient material";
        case Termination::None:
            break;
    }
    return check ? "check" : "";
}

Position::Position() {
    // The standard position always parses; the fallback keeps the tables filled.
    auto start = fromFen("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1");
    if (start)
        *this = std::move(*start);
}

void Position::clear() {
    bb::initTables();
    std::fill(std::begin(byType_), std::end(byType_), 0);
    byColor_[White] = byColor_[Black] = 0;
    std::fill(std::begin(board_), std::end(board_), NoPiece);
    side_ = White;
    chess960_ = false;
    fullmove_ = 1;
    st_ = State{};
    history_.clear();
    std::fill(std::begin(castlingRookSquare_), std::end(castlingRookSquare_), kNoSquare);
    std::fill(std::begin(castlingPath_), std::end(castlingPath_), 0);
    std::fill(std::begin(castlingKingPath_), std::end(castlingKingPath_), 0);
    std::fill(std::begin(castlingMask_), std::end(castlingMask_), 0);
}

inline void Position::putPiece(Piece p, Square s) {
    board_[s] = p;
    byType_[typeOf(p)] |= bb::square(s);
    byColor_[colorOf(p)] |= bb::square(s);
}

inline void Position::removePiece(Square s) {
    Piece p = board_[s];
    byType_[typeOf(p)] ^= bb::square(s);
    byColor_[colorOf(p)] ^= bb::square(s);
    board_[s] = NoPiece;
}

inline void Position::movePiece(Square from, Square to) {
    Piece p = board_[from];
    Bitboard both = bb::square(from) | bb::square(to);
    byType_[typeOf(p)] ^= both;
    byColor_[colorOf(p)] ^= both;
    board_[from] = NoPiece;
    board_[to] = p;
}

void Position::setCastlingRight(Color c, CastleSide side, Square rook) {
    int r = rightIndex(c, side);
    Square king = kingSquare(c);
    Square kingTo = castlingKingTarget(c, side);
    Square rookTo = relative(c, side == HSide ? 5 : 3);
    st_.castling |= std::uint8_t(1 << r);
    castlingRookSquare_[r] = rook;
    castlingPath_[r] = (bb::between(king, kingTo) | bb::square(kingTo) | bb::between(rook, rookTo) |
                        bb::square(rookTo)) &
                       ~(bb::square(king) | bb::square(rook));
    castlingKingPath_[r] = bb::between(king, kingTo) | bb::square(kingTo);
    castlingMask_[king] |= std::uint8_t(3 << (c * 2));
    castlingMask_[rook] |= std::uint8_t(1 << r);
}

std::optional<Position> Position::fromFen(std::string_view fen, std::string* error, bool chess960) {
    auto fail = [error](std::string message) -> std::optional<Position> {
        if (error)
            *error = std::move(message);
        return std::nullopt;
    };
    std::vector<std::string_view> fields = splitFields(fen);
    if (fields.size() < 4 || fields.size() > 6) {
        return fail("a FEN has 4 to 6 fields separated by blanks");
    }
    Position pos{Blank{}};
    pos.clear();

    // Placement, from a8 to h1.
    int rank = 7, file = 0;
    for (char c : fields[0]) {
        if (c == '/') {
            if (file != 8 || rank == 0)
                return fail("each rank must describe 8 squares");
            --rank;
            file = 0;
        } else if (c >= '1' && c <= '8') {
            file += c - '0';
            if (file > 8)
                return fail("a rank describes more than 8 squares");
        } else {
            Piece p = pieceFromChar(c);
            if (p == NoPiece)
                return fail(std::string("unknown piece letter '") + c + "'");
            if (file > 7)
                return fail("a rank describes more than 8 squares");
            pos.putPiece(p, makeSquare(file, rank));
            ++file;
        }
    }
    if (rank != 0 || file != 8)
        return fail("the placement must describe 8 ranks of 8 squares");
    for (Color c : {White, Black}) {
        if (bb::count(pos.pieces(c, King)) != 1)
            return fail("each side needs exactly one king");
        if (bb::count(pos.pieces(c)) > 16)
            return fail("a side has more than 16 pieces");
        int pawns = bb::count(pos.pieces(c, Pawn));
        int extra = std::max(0, bb::count(pos.pieces(c, Knight)) - 2) +
                    std::max(0, bb::count(pos.pieces(c, Bishop)) - 2) +
                    std::max(0, bb::count(pos.pieces(c, Rook)) - 2) +
                    std::max(0, bb::count(pos.pieces(c, Queen)) - 1);
        if (pawns + extra > 8)
            return fail("a side has more promoted pieces than missing pawns");
    }
    if (pos.pieces(Pawn) & (bb::rank(0) | bb::rank(7))) {
        return fail("pawns cannot stand on the first or last rank");
    }

    if (fields[1] == "w") {
        pos.side_ = White;
    } else if (fields[1] == "b") {
        pos.side_ = Black;
    } else {
        return fail("the side to move must be w or b");
    }
    if (pos.attackersTo(pos.kingSquare(~pos.side_), pos.occupied()) & pos.pieces(pos.side_)) {
        return fail("the side not to move is in check");
    }

    // Castling: KQkq name the outermost rook on that side of the king, file
    // letters name the rook's file (Shredder-FEN and X-FEN).
    bool needs960 = false;
    if (fields[2] != "-") {
        for (char c : fields[2]) {
            Color color = (c >= 'a' && c <= 'z') ? Black : White;
            char lower = char(color == White ? c - 'A' + 'a' : c);
            Square king = pos.kingSquare(color);
            if (rankOf(king) != rankOf(relative(color, 0))) {
                return fail("castling rights need the king on its first rank");
            }
            Bitboard rooks = pos.pieces(color, Rook) & bb::rank(rankOf(king));
            Square rook = kNoSquare;
            CastleSide side;
            if (lower == 'k' || lower == 'q') {
                side = lower == 'k' ? HSide : ASide;
                Bitboard candidates =
                    rooks & (side == HSide ? ~((bb::square(king) << 1) - 1) : bb::square(king) - 1);
                if (candidates) {
                    rook = side == HSide ? 63 - std::countl_zero(candidates) : bb::lsb(candidates);
                }
            } else if (lower >= 'a' && lower <= 'h') {
                rook = makeSquare(lower - 'a', rankOf(king));
                if (!(rooks & bb::square(rook)))
                    rook = kNoSquare;
                side = fileOf(rook) > fileOf(king) ? HSide : ASide;
                needs960 = true;
            } else {
                return fail(std::string("unknown castling letter '") + c + "'");
            }
            if (rook == kNoSquare || rook == king) {
                return fail(std::string("castling right '") + c + "' has no rook to castle with");
            }
            if (pos.canCastle(color, side)) {
                return fail("two castling rights for the same side");
            }
            if (fileOf(king) != 4 || (fileOf(rook) != 0 && fileOf(rook) != 7))
                needs960 = true;
            pos.setCastlingRight(color, side, rook);
        }
    }
    // Shredder letters on the standard squares still mean the standard game.
    if (needs960) {
        needs960 = false;
        for (int r = 0; r < 4; ++r) {
            Square rook = pos.castlingRookSquare_[r];
            if (rook == kNoSquare)
                continue;
            Color c = Color(r / 2);
            if (fileOf(pos.kingSquare(c)) != 4 || fileOf(rook) != (r % 2 ? 7 : 0))
                needs960 = true;
        }
    }
    pos.chess960_ = chess960 || needs960;

    if (fields[3] != "-") {
        auto ep = parseSquare(fields[3]);
        if (!ep)
            return fail("the en-passant field must be a square or -");
        Color us = pos.side_;
        int epRank = us == White ? 5 : 2;
        Square pushed = *ep + (us == White ? -8 : 8);
        Square origin = *ep + (us == White ? 8 : -8);
        if (rankOf(*ep) != epRank || pos.pieceOn(*ep) != NoPiece ||
            pos.pieceOn(origin) != NoPiece || pos.pieceOn(pushed) != makePiece(~us, Pawn)) {
            return fail("the en-passant square does not follow a double pawn step");
        }
        if (pos.enPassantPossible(*ep))
            pos.st_.ep = std::uint8_t(*ep);
    }

    int halfmove = 0, fullmove = 1;
    if (fields.size() > 4 && !parseNumber(fields[4], 9999, halfmove)) {
        return fail("the halfmove clock must be a number from 0 to 9999");
    }
    if (fields.size() > 5 && !parseNumber(fields[5], 99999, fullmove)) {
        return fail("the move number must be a number from 1 to 99999");
    }
    pos.st_.rule50 = std::uint16_t(halfmove);
    pos.fullmove_ = std::max(1, fullmove);
    pos.st_.key = pos.computeKey();
    return pos;
}

std::optional<Position> Position::chess960Start(int number) {
    if (number < 0 || number > 959)
        return std::nullopt;
    char rank[8] = {};
    auto placeOnFree = [&rank](int nth, char piece) {
        for (int f = 0; f < 8; ++f) {
            if (rank[f] == 0 && nth-- == 0) {
                rank[f] = piece;
                return;
            }
        }
    };
    int n = number;
    rank[2 * (n % 4) + 1] = 'B';  // light-squared bishop: b, d, f or h
    n /= 4;
    rank[2 * (n % 4)] = 'B';  // dark-squared bishop: a, c, e or g
    n /= 4;
    placeOnFree(n % 6, 'Q');
    n /= 6;
    // The ten ways to put two knights on the five squares left.
    static constexpr int kKnights[10][2] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2},
                                            {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
    // Place the second knight first so that the first one's index stays valid.
    placeOnFree(kKnights[n][1], 'N');
    placeOnFree(kKnights[n][0], 'N');
    placeOnFree(0, 'R');
    placeOnFree(0, 'K');
    placeOnFree(0, 'R');
    std::string white(rank, 8);
    std::string black = white;
    for (char& c : black)
        c = char(c - 'A' + 'a');
    std::string fen = black + "/pppppppp/8/8/8/8/PPPPPPPP/" + white + " w KQkq - 0 1";
    return fromFen(fen, nullptr, true);
}

Position Position::chess960Random() {
    thread_local std::mt19937 rng{std::random_device{}()};
    int number = std::uniform_int_distribution<int>(0, 959)(rng);
    return chess960Start(number).value_or(Position());
}

std::string Position::fen(CastlingNotation notation) const {
    std::string out;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            Piece p = board_[makeSquare(file, rank)];
            if (p == NoPiece) {
                ++empty;
                continue;
            }
            if (empty)
                out += char('0' + empty);
            empty = 0;
            out += kPieceChars[p];
        }
        if (empty)
            out += char('0' + empty);
        if (rank)
            out += '/';
    }
    out += side_ == White ? " w " : " b ";
    std::string castling;
    for (Color c : {White, Black}) {
        for (CastleSide side : {HSide, ASide}) {
            if (!canCastle(c, side))
                continue;
            Square rook = castlingRookSquare_[rightIndex(c, side)];
            // The outermost rook on that side is what K/Q stand for.
            Bitboard beyond = side == HSide
                                  ? bb::between(rook, relative(c, 7)) | bb::square(relative(c, 7))
                                  : bb::between(rook, relative(c, 0)) | bb::square(relative(c, 0));
            beyond &= ~bb::square(rook);
            bool outermost = !(beyond & pieces(c, Rook));
            char letter;
            if (notation == CastlingNotation::XFen && outermost) {
                letter = side == HSide ? 'k' : 'q';
            } else {
                letter = char('a' + fileOf(rook));
            }
            castling += c == White ? char(letter - 'a' + 'A') : letter;
        }
    }
    out += castling.empty() ? "-" : castling;
    out += ' ';
    out += squareName(st_.ep);
    out += ' ' + std::to_string(st_.rule50) + ' ' + std::to_string(fullmove_);
    return out;
}

std::uint64_t Position::computeKey() const {
    std::uint64_t key = 0;
    for (Square s = 0; s < 64; ++s) {
        if (board_[s] != NoPiece)
            key ^= kZobrist.piece[board_[s]][s];
    }
    key ^= kZobrist.castling[st_.castling];
    if (st_.ep != kNoSquare)
        key ^= kZobrist.epFile[fileOf(st_.ep)];
    if (side_ == Black)
        key ^= kZobrist.side;
    return key;
}

// Whether the side to move can take en passant on `ep` without exposing its
// king; only then does the en-passant square count as part of the position.
bool Position::enPassantPossible(Square ep) const {
    Color us = side_;
    Square captured = ep + (us == White ? -8 : 8);
    Square king = kingSquare(us);
    Bitboard takers = bb::pawnAttacks(~us, ep) & pieces(us, Pawn);
    while (takers) {
        Square from = bb::popLsb(takers);
        Bitboard occ = (occupied() ^ bb::square(from) ^ bb::square(captured)) | bb::square(ep);
        Bitboard them = pieces(~us) & ~bb::square(captured);
        if (!(attackersTo(king, occ) & them))
            return true;
    }
    return false;
}

void Position::makeMove(Move m) {
    const Color us = side_, them = ~us;
    const Square from = m.from();
    Square to = m.to();
    history_.push_back(st_);
    State& st = st_;
    std::uint64_t key = st.key ^ kZobrist.side;
    if (st.ep != kNoSquare) {
        key ^= kZobrist.epFile[fileOf(st.ep)];
        st.ep = kNoSquare;
    }
    st.move = m;
    st.captured = NoPiece;
    ++st.rule50;

    if (m.kind() == Move::Castling) {
        CastleSide side = to > from ? HSide : ASide;
        Square kingTo = castlingKingTarget(us, side);
        Square rookTo = relative(us, side == HSide ? 5 : 3);
        Piece king = board_[from], rook = board_[to];
        removePiece(from);
        removePiece(to);
        putPiece(king, kingTo);
        putPiece(rook, rookTo);
        key ^= kZobrist.piece[king][from] ^ kZobrist.piece[king][kingTo] ^
               kZobrist.piece[rook][to] ^ kZobrist.piece[rook][rookTo];
    } else {
        Piece piece = board_[from];
        Square capSq = m.kind() == Move::EnPassant ? to + (us == White ? -8 : 8) : to;
        Piece captured = board_[capSq];
        if (captured != NoPiece) {
            removePiece(capSq);
            key ^= kZobrist.piece[captured][capSq];
            st.captured = captured;
            st.rule50 = 0;
        }
        movePiece(from, to);
        key ^= kZobrist.piece[piece][from] ^ kZobrist.piece[piece][to];
        if (typeOf(piece) == Pawn) {
            st.rule50 = 0;
            if (m.kind() == Move::Promotion) {
                Piece promoted = makePiece(us, m.promotion());
                removePiece(to);
                putPiece(promoted, to);
                key ^= kZobrist.piece[piece][to] ^ kZobrist.piece[promoted][to];
            } else if ((from ^ to) == 16) {
                Square ep = (from + to) / 2;
                if (bb::pawnAttacks(us, ep) & pieces(them, Pawn)) {
                    side_ = them;  // the test looks from the capturer's side
                    if (enPassantPossible(ep)) {
                        st.ep = std::uint8_t(ep);
                        key ^= kZobrist.epFile[fileOf(ep)];
                    }
                    side_ = us;
                }
            }
        }
    }
    std::uint8_t lost = st.castling & (castlingMask_[from] | castlingMask_[to]);
    if (lost) {
        key ^= kZobrist.castling[st.castling] ^ kZobrist.castling[st.castling & ~lost];
        st.castling &= std::uint8_t(~lost);
    }
    st.key = key;
    side_ = them;
    if (us == Black)
        ++fullmove_;
}

void Position::unmakeMove() {
    if (history_.empty())
        return;
    const Move m = st_.move;
    const Color us = ~side_;
    side_ = us;
    if (us == Black)
        --fullmove_;
    const Square from = m.from(), to = m.to();
    if (m.kind() == Move::Castling) {
        CastleSide side = to > from ? HSide : ASide;
        Square kingTo = castlingKingTarget(us, side);
        Square rookTo = relative(us, side == HSide ? 5 : 3);
        Piece king = board_[kingTo], rook = board_[rookTo];
        removePiece(kingTo);
        removePiece(rookTo);
        putPiece(king, from);
        putPiece(rook, to);
    } else {
        if (m.kind() == Move::Promotion) {
            removePiece(to);
            putPiece(makePiece(us, Pawn), from);
        } else {
            movePiece(to, from);
        }
        if (st_.captured != NoPiece) {
            Square capSq = m.kind() == Move::EnPassant ? to + (us == White ? -8 : 8) : to;
            putPiece(st_.captured, capSq);
        }
    }
    st_ = history_.back();
    history_.pop_back();
}

std::vector<Move> Position::moveHistory() const {
    std::vector<Move> moves;
    moves.reserve(history_.size());
    for (std::size_t i = 1; i < history_.size(); ++i)
        moves.push_back(history_[i].move);
    if (!history_.empty())
        moves.push_back(st_.move);
    return moves;
}

Square Position::destination(Move m) const {
    if (m.kind() != Move::Castling)
        return m.to();
    return castlingKingTarget(colorOf(board_[m.from()]), m.to() > m.from() ? HSide : ASide);
}

Piece Position::capturedBy(Move m) const {
    switch (m.kind()) {
        case Move::Castling:
            return NoPiece;
        case Move::EnPassant:
            return makePiece(~side_, Pawn);
        default:
            return board_[m.to()];
    }
}

int Position::repetitions() const {
    int count = 0;
    int n = int(history_.size());
    int window = std::min<int>(st_.rule50, n);
    for (int back = 4; back <= window; back += 2) {
        if (history_[n - back].key == st_.key)
            ++count;
    }
    return count;
}

bool Position::insufficientMaterial() const {
    if (pieces(Pawn) | pieces(Rook) | pieces(Queen))
        return false;
    Bitboard minors = pieces(Knight) | pieces(Bishop);
    if (bb::count(minors) <= 1)
        return true;
    // Bishops only, all on squares of one colour: no mate is possible.
    if (pieces(Knight))
        return false;
    Bitboard bishops = pieces(Bishop);
    return (bishops & bb::kLightSquares) == 0 || (bishops & ~bb::kLightSquares) == 0;
}

GameStatus Position::status() const {
    GameStatus status;
    status.check = inCheck();
    if (countLegalMoves() == 0) {
        if (status.check) {
            status.termination = Termination::Checkmate;
            status.result = side_ == White ? Result::BlackWins : Result::WhiteWins;
        } else {
            status.termination = Termination::Stalemate;
            status.result = Result::Draw;
        }
        return status;
    }
    if (insufficientMaterial()) {
        status.termination = Termination::InsufficientMaterial;
    } else if (repetitions() >= 2) {
        status.termination = Termination::Repetition;
    } else if (st_.rule50 >= 100) {
        status.termination = Termination::FiftyMoveRule;
    } else {
        return status;
    }
    status.result = Result::Draw;
    return status;
}

bool operator==(const Position& a, const Position& b) {
    if (!std::equal(std::begin(a.board_), std::end(a.board_), std::begin(b.board_)) ||
        a.side_ != b.side_ || a.st_.castling != b.st_.castling || a.st_.ep != b.st_.ep) {
        return false;
    }
    // Rook squares of lost rights no longer matter.
    for (int r = 0; r < 4; ++r) {
        if ((a.st_.castling & (1 << r)) && a.castlingRookSquare_[r] != b.castlingRookSquare_[r]) {
            return false;
        }
    }
    return true;
}

}  // namespace qc::chess
