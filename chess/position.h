// A chess position with its history, for standard chess and Chess960.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chess/bitboard.h"
#include "chess/types.h"

namespace qc::chess {

enum class Termination : std::uint8_t {
    None,
    Checkmate,
    Stalemate,
    Repetition,
    FiftyMoveRule,
    InsufficientMaterial
};

enum class Result : std::uint8_t { Ongoing, WhiteWins, BlackWins, Draw };

struct GameStatus {
    Termination termination = Termination::None;
    Result result = Result::Ongoing;
    bool check = false;  // the side to move is in check

    bool over() const { return termination != Termination::None; }
    // "checkmate", "stalemate", "draw by repetition", "draw by fifty-move rule",
    // "draw by insufficient material", "check" for a running game in check, else "".
    std::string_view phrase() const;
};

class Position {
  public:
    enum class CastlingNotation {
        // KQkq where that names the rook (the outermost one on its side), the
        // rook's file letter otherwise; plain FEN for standard chess.
        XFen,
        // Always the rook's file letter (HAha for the standard position).
        Shredder
    };

    // The standard start position.
    Position();

    // Reads FEN, X-FEN and Shredder-FEN. The move counters may be left out.
    // Rejects anything that could not arise on a board or that the move
    // generator could not handle (missing kings, pawns on the back rank,
    // the side not to move in check, castling rights without their rook...).
    // `chess960` makes castling follow the Chess960 notation even when the
    // pieces stand where standard chess has them; it is switched on anyway
    // when a castling right can only mean Chess960.
    static std::optional<Position> fromFen(std::string_view fen, std::string* error = nullptr,
                                           bool chess960 = false);
    // Start position number 0..959 in the Scharnagl numbering (518 is the
    // standard set-up); nullopt outside that range.
    static std::optional<Position> chess960Start(int number);
    // A start position drawn uniformly from the 960, seeded from the system.
    static Position chess960Random();

    std::string fen(CastlingNotation notation = CastlingNotation::XFen) const;

    Color sideToMove() const { return side_; }
    Piece pieceOn(Square s) const { return board_[s]; }
    Bitboard pieces(Color c) const { return byColor_[c]; }
    Bitboard pieces(Color c, PieceType t) const { return byColor_[c] & byType_[t]; }
    Bitboard pieces(PieceType t) const { return byType_[t]; }
    Bitboard occupied() const { return byColor_[White] | byColor_[Black]; }
    Square kingSquare(Color c) const { return bb::lsb(pieces(c, King)); }
    bool chess960() const { return chess960_; }
    // Set by the game service for Chess960 games that start from 518.
    void setChess960(bool on) { chess960_ = on; }

    int halfmoveClock() const { return st_.rule50; }
    int fullmoveNumber() const { return fullmove_; }
    // Only set when an en-passant capture is actually possible, so that
    // positions that differ in nothing else compare equal.
    Square enPassantSquare() const { return st_.ep; }
    std::uint64_t key() const { return st_.key; }
    // Plies made since this position was set up.
    int plyCount() const { return int(history_.size()); }

    bool canCastle(Color c, CastleSide side) const {
        return st_.castling & (1 << rightIndex(c, side));
    }
    // The castling rook's square, kNoSquare without that right.
    Square castlingRook(Color c, CastleSide side) const {
        return canCastle(c, side) ? castlingRookSquare_[rightIndex(c, side)] : kNoSquare;
    }
    // Where the king lands when castling on `side`: g1/c1 relative to `c`.
    static Square castlingKingTarget(Color c, CastleSide side) {
        return relative(c, side == HSide ? 6 : 2);
    }

    Bitboard checkers() const;
    bool inCheck() const { return checkers() != 0; }
    Bitboard attackersTo(Square s, Bitboard occupied) const;

    void legalMoves(MoveList& list) const;
    MoveList legalMoves() const {
        MoveList list;
        legalMoves(list);
        return list;
    }
    // Number of legal moves, without building their list.
    int countLegalMoves() const;
    bool isLegal(Move m) const;

    // The move must be legal in this position (from legalMoves()).
    void makeMove(Move m);
    // Takes back the last move made; does nothing at the set-up position.
    void unmakeMove();
    // The moves made since set-up, oldest first.
    std::vector<Move> moveHistory() const;

    // For a castling move: the king's destination square; for every other move to().
    Square destination(Move m) const;
    // The piece a move takes (the pawn behind the target for en passant), NoPiece otherwise.
    Piece capturedBy(Move m) const;

    // How often the current position has occurred before, counting only the
    // stretch since the last capture or pawn move. Only moves made on this
    // object count: rebuild a game by replaying its moves from the start.
    int repetitions() const;
    bool insufficientMaterial() const;
    GameStatus status() const;

    // The hash computed from scratch; tests compare it with the incremental one.
    std::uint64_t computeKey() const;

    // Same placement, side to move, castling rights and en-passant square:
    // the sense in which positions repeat. Counters and history are ignored.
    friend bool operator==(const Position& a, const Position& b);

  private:
    struct State {
        std::uint64_t key = 0;
        Move move;
        Piece captured = NoPiece;
        std::uint8_t castling = 0;
        std::uint8_t ep = kNoSquare;
        std::uint16_t rule50 = 0;
    };

    static constexpr int rightIndex(Color c, CastleSide side) { return c * 2 + side; }

    struct Blank {};
    explicit Position(Blank) {}

    void clear();
    void putPiece(Piece p, Square s);
    void removePiece(Square s);
    void movePiece(Square from, Square to);
    void setCastlingRight(Color c, CastleSide side, Square rook);
    bool enPassantPossible(Square ep) const;
    bool attacked(Color by, Square s, Bitboard occupied) const;

    template <Color Us, bool CountOnly>
    int generate(MoveList* list) const;

    Bitboard byType_[7] = {};
    Bitboard byColor_[2] = {};
    Piece board_[64] = {};
    Color side_ = White;
    bool chess960_ = false;
    int fullmove_ = 1;
    State st_;
    std::vector<State> history_;

    // Castling set-up, fixed for the game once the position is read.
    Square castlingRookSquare_[4] = {kNoSquare, kNoSquare, kNoSquare, kNoSquare};
    Bitboard castlingPath_[4] = {};       // must be empty but for king and rook
    Bitboard castlingKingPath_[4] = {};   // must not be attacked
    std::uint8_t castlingMask_[64] = {};  // rights lost when a piece leaves or enters
};

// Counts the leaf nodes of the legal move tree to `depth`.
std::uint64_t perft(Position& pos, int depth);

}  // namespace qc::chess
