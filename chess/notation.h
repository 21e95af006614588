// Move texts: the server's move log, algebraic notation, the client's move
// commands and the data behind the answer to a selection.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"

namespace qc::chess {

// Standard algebraic notation with check (+) and mate (#) marks: "Nbxd2",
// "exd8=N+", "O-O-O". `m` must be legal in `pos`.
std::string toSan(const Position& pos, Move m);

// The move-log entry: mover's piece code, from- and to-square, for a capture
// "x" and the captured piece's code, a blank and the SAN: "wpe4d5xbp exd5+",
// "wke1g1 O-O". Castling names the king's squares, also in Chess960.
std::string toLogEntry(const Position& pos, Move m);

// From- and to-square plus promotion letter ("e7e8q"). Castling is written as
// the king's move in standard chess ("e1g1") and as the king taking its own
// rook in Chess960 ("b1a1"), where the king's move alone could be ambiguous.
std::string toUci(const Position& pos, Move m);

struct MoveParse {
    Move move;          // valid when error is empty
    std::string error;  // a short reason for the player, "" on success
    bool ok() const { return error.empty(); }
};

// Reads a move command of the client: "e2e4", "e7e8n" (q r b n), castling by
// side "ca" / "ch" with or without the king's square in front ("e1ch"), the
// king's move to its castling square ("e1g1", unless that is also an ordinary
// king move) and the king taking its own rook ("e1h1"). Letter case and
// surrounding blanks are ignored. Any text gives either a legal move or an error.
MoveParse parseMoveCommand(const Position& pos, std::string_view text);

// What the piece on a square may do now, for the answer to a selection.
struct Destination {
    Square to;
    bool promotion;  // the move promotes (one entry stands for all four pieces)
};
struct PieceMoves {
    std::vector<Destination> destinations;  // ordinary moves, ascending by square
    bool castleA = false;                   // the selected king may castle on the a-side
    bool castleH = false;                   // ... on the h-side
};
// Empty for an empty square, a piece of the side not to move or a piece without moves.
PieceMoves movesFrom(const Position& pos, Square from);
// Squares of the pieces of the side to move that have at least one legal move.
std::vector<Square> movableSquares(const Position& pos);

}  // namespace qc::chess
