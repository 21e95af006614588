#include "chess/types.h"

namespace qc::chess {

std::string squareName(Square s) {
    if (s < 0 || s > 63)
        return "-";
    return {char('a' + fileOf(s)), char('1' + rankOf(s))};
}

std::optional<Square> parseSquare(std::string_view text) {
    if (text.size() != 2)
        return std::nullopt;
    char f = text[0], r = text[1];
    if (f >= 'A' && f <= 'H')
        f = char(f - 'A' + 'a');
    if (f < 'a' || f > 'h' || r < '1' || r > '8')
        return std::nullopt;
    return makeSquare(f - 'a', r - '1');
}

char pieceLetter(PieceType t) {
    return " pnbrqk"[t < 7 ? t : 0];
}

std::string pieceCode(Piece p) {
    if (p == NoPiece)
        return "";
    return {colorOf(p) == White ? 'w' : 'b', pieceLetter(typeOf(p))};
}

}  // namespace qc::chess
