#include "chess/notation.h"

#include <algorithm>
#include <cctype>

namespace qc::chess {

namespace {

CastleSide castleSide(Move m) {
    return m.to() > m.from() ? HSide : ASide;
}

}  // namespace

std::string toSan(const Position& pos, Move m) {
    std::string san;
    const Square from = m.from(), to = m.to();
    const PieceType type = typeOf(pos.pieceOn(from));
    MoveList legal;
    pos.legalMoves(legal);

    if (m.kind() == Move::Castling) {
        san = castleSide(m) == HSide ? "O-O" : "O-O-O";
    } else if (type == Pawn) {
        if (pos.capturedBy(m) != NoPiece) {
            san += char('a' + fileOf(from));
            san += 'x';
        }
        san += squareName(to);
        if (m.kind() == Move::Promotion) {
            san += '=';
            san += char(std::toupper(pieceLetter(m.promotion())));
        }
    } else {
        san += char(std::toupper(pieceLetter(type)));
        // Other pieces of the same kind that could go to the same square.
        bool ambiguous = false, sameFile = false, sameRank = false;
        for (Move other : legal) {
            if (other.kind() == Move::Castling || other.to() != to || other.from() == from ||
                typeOf(pos.pieceOn(other.from())) != type) {
                continue;
            }
            ambiguous = true;
            sameFile |= fileOf(other.from()) == fileOf(from);
            sameRank |= rankOf(other.from()) == rankOf(from);
        }
        if (ambiguous) {
            if (!sameFile) {
                san += char('a' + fileOf(from));
            } else if (!sameRank) {
                san += char('1' + rankOf(from));
            } else {
                san += squareName(from);
            }
        }
        if (pos.capturedBy(m) != NoPiece)
            san += 'x';
        san += squareName(to);
    }

    Position after = pos;
    after.makeMove(m);
    if (after.inCheck())
        san += after.countLegalMoves() == 0 ? '#' : '+';
    return san;
}

std::string toLogEntry(const Position& pos, Move m) {
    const Piece mover = pos.pieceOn(m.from());
    std::string entry = pieceCode(mover) + squareName(m.from()) + squareName(pos.destination(m));
    Piece captured = pos.capturedBy(m);
    if (captured != NoPiece)
        entry += 'x' + pieceCode(captured);
    return entry + ' ' + toSan(pos, m);
}

std::string toUci(const Position& pos, Move m) {
    Square to = pos.chess960() ? m.to() : pos.destination(m);
    std::string text = squareName(m.from()) + squareName(to);
    if (m.kind() == Move::Promotion)
        text += pieceLetter(m.promotion());
    return text;
}

MoveParse parseMoveCommand(const Position& pos, std::string_view raw) {
    auto fail = [](std::string message) { return MoveParse{Move(), std::move(message)}; };
    while (!raw.empty() && std::isspace(static_cast<unsigned char>(raw.front()))) {
        raw.remove_prefix(1);
    }
    while (!raw.empty() && std::isspace(static_cast<unsigned char>(raw.back()))) {
        raw.remove_suffix(1);
    }
    if (raw.empty())
        return fail("no move given");
    if (raw.size() > 5)
        return fail("not a move: too long");
    std::string text(raw);
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));

    MoveList legal;
    pos.legalMoves(legal);
    const Color us = pos.sideToMove();
    const Square king = pos.kingSquare(us);

    // Castling by side: "ca", "ch", optionally after the king's square.
    if ((text.size() == 2 || text.size() == 4) && text[text.size() - 2] == 'c' &&
        (text.back() == 'a' || text.back() == 'h')) {
        if (text.size() == 4) {
            auto square = parseSquare(std::string_view(text).substr(0, 2));
            if (!square)
                return fail("not a move: " + text);
            if (*square != king)
                return fail("castling is a move of the king");
        }
        CastleSide side = text.back() == 'a' ? ASide : HSide;
        const char* name = side == ASide ? "a-side" : "h-side";
        if (!pos.canCastle(us, side)) {
            return fail(std::string("no right to castle on the ") + name);
        }
        Move castle(king, pos.castlingRook(us, side), Move::Castling);
        if (!legal.contains(castle)) {
            return fail(std::string("castling on the ") + name + " is not possible now");
        }
        return {castle, ""};
    }

    if (text.size() < 4)
        return fail("not a move: " + text);
    auto from = parseSquare(std::string_view(text).substr(0, 2));
    auto to = parseSquare(std::string_view(text).substr(2, 2));
    if (!from || !to)
        return fail("not a move: " + text);
    PieceType promotion = NoPieceType;
    if (text.size() == 5) {
        switch (text[4]) {
            case 'q':
                promotion = Queen;
                break;
            case 'r':
                promotion = Rook;
                break;
            case 'b':
                promotion = Bishop;
                break;
            case 'n':
                promotion = Knight;
                break;
            default:
                return fail("a pawn promotes to q, r, b or n");
        }
    }

    Piece piece = pos.pieceOn(*from);
    if (piece == NoPiece)
        return fail("there is no piece on " + squareName(*from));
    if (colorOf(piece) != us)
        return fail("the piece on " + squareName(*from) + " is not yours");

    // Ordinary moves, and castling written as the king taking its rook.
    bool promotes = false;
    for (Move m : legal) {
        if (m.from() != *from || m.to() != *to)
            continue;
        if (m.kind() == Move::Promotion) {
            promotes = true;
            if (m.promotion() == promotion)
                return {m, ""};
        } else if (promotion == NoPieceType) {
            return {m, ""};
        }
    }
    if (promotes) {
        return fail(promotion == NoPieceType ? "name the piece to promote to (q, r, b or n)"
                                             : "a pawn promotes to q, r, b or n");
    }
    // The king's move to its castling square.
    if (promotion == NoPieceType && *from != *to) {
        for (Move m : legal) {
            if (m.kind() == Move::Castling && m.from() == *from && pos.destination(m) == *to) {
                return {m, ""};
            }
        }
    }
    if (promotion != NoPieceType) {
        if (typeOf(piece) != Pawn)
            return fail("only a pawn can promote");
        for (Move m : legal) {
            if (m.from() == *from && m.to() == *to)
                return fail(text.substr(0, 4) + " is no promotion");
        }
    }
    return fail("illegal move " + text.substr(0, 4));
}

PieceMoves movesFrom(const Position& pos, Square from) {
    PieceMoves result;
    if (from < 0 || from > 63)
        return result;
    MoveList legal;
    pos.legalMoves(legal);
    for (Move m : legal) {
        if (m.from() != from)
            continue;
        if (m.kind() == Move::Castling) {
            (castleSide(m) == HSide ? result.castleH : result.castleA) = true;
            continue;
        }
        auto same = [&m](const Destination& d) { return d.to == m.to(); };
        if (std::none_of(result.destinations.begin(), result.destinations.end(), same)) {
            result.destinations.push_back({m.to(), m.kind() == Move::Promotion});
        }
    }
    std::sort(result.destinations.begin(), result.destinations.end(),
              [](const Destination& a, const Destination& b) { return a.to < b.to; });
    return result;
}

std::vector<Square> movableSquares(const Position& pos) {
    MoveList legal;
    pos.legalMoves(legal);
    Bitboard from = 0;
    for (Move m : legal)
        from |= bb::square(m.from());
    std::vector<Square> squares;
    while (from)
        squares.push_back(bb::popLsb(from));
    return squares;
}

}  // namespace qc::chess
