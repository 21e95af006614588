// Basic vocabulary of the rules library: colours, pieces, squares and moves.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qc::chess {

using Bitboard = std::uint64_t;

enum Color : std::uint8_t { White = 0, Black = 1 };
constexpr Color operator~(Color c) {
    return Color(c ^ 1);
}

enum PieceType : std::uint8_t {
    NoPieceType = 0,
    Pawn = 1,
    Knight = 2,
    Bishop = 3,
    Rook = 4,
    Queen = 5,
    King = 6
};

// Colour in bit 3 so that a piece indexes small tables directly.
enum Piece : std::uint8_t {
    NoPiece = 0,
    WhitePawn = 1,
    WhiteKnight,
    WhiteBishop,
    WhiteRook,
    WhiteQueen,
    WhiteKing,
    BlackPawn = 9,
    BlackKnight,
    BlackBishop,
    BlackRook,
    BlackQueen,
    BlackKing
};

constexpr Piece makePiece(Color c, PieceType t) {
    return Piece((c << 3) | t);
}
constexpr PieceType typeOf(Piece p) {
    return PieceType(p & 7);
}
constexpr Color colorOf(Piece p) {
    return Color(p >> 3);
}

// Squares run from a1 = 0 to h8 = 63, file-major within a rank.
using Square = int;
constexpr Square kNoSquare = 64;
constexpr Square makeSquare(int file, int rank) {
    return rank * 8 + file;
}
constexpr int fileOf(Square s) {
    return s & 7;
}
constexpr int rankOf(Square s) {
    return s >> 3;
}
// The square as seen from `c`'s side of the board (a1 for white is a8 for black).
constexpr Square relative(Color c, Square s) {
    return s ^ (c == Black ? 56 : 0);
}

// "e4" for 28; "-" for kNoSquare.
std::string squareName(Square s);
// Accepts exactly two characters, file a-h (either case) and rank 1-8.
std::optional<Square> parseSquare(std::string_view text);

// Piece codes of the move log: colour letter w/b and piece letter k q r b n p.
char pieceLetter(PieceType t);  // lower case
std::string pieceCode(Piece p);

// Castling is named by side rather than by king or queen so that the names
// stay true in Chess960: the a-side rook starts towards the a-file.
enum CastleSide : std::uint8_t { ASide = 0, HSide = 1 };

// A move in 16 bits. Castling is stored as the king capturing its own rook,
// which is unambiguous in Chess960 even when the king does not move.
class Move {
  public:
    enum Kind : std::uint16_t {
        Normal = 0,
        Promotion = 1 << 14,
        EnPassant = 2 << 14,
        Castling = 3 << 14
    };

    constexpr Move() = default;
    constexpr Move(Square from, Square to, Kind kind = Normal, PieceType promotion = Knight)
        : data_(std::uint16_t(kind | ((promotion - Knight) << 12) | (to << 6) | from)) {}

    constexpr Square from() const { return data_ & 63; }
    // For castling this is the rook's square, not the king's destination.
    constexpr Square to() const { return (data_ >> 6) & 63; }
    constexpr Kind kind() const { return Kind(data_ & (3 << 14)); }
    constexpr PieceType promotion() const {
        return kind() == Promotion ? PieceType(((data_ >> 12) & 3) + Knight) : NoPieceType;
    }
    constexpr bool isNull() const { return data_ == 0; }
    constexpr std::uint16_t raw() const { return data_; }
    static constexpr Move fromRaw(std::uint16_t raw) {
        Move m;
        m.data_ = raw;
        return m;
    }
    friend constexpr bool operator==(Move a, Move b) { return a.data_ == b.data_; }

  private:
    std::uint16_t data_ = 0;
};

// No legal position has more than 218 moves; the margin covers every
// position the FEN reader accepts. The storage is left uninitialised on
// purpose: lists are built at every node of a search.
class MoveList {
  public:
    static constexpr int kCapacity = 256;

    class Iterator {
      public:
        explicit Iterator(const std::uint16_t* p) : p_(p) {}
        Move operator*() const { return Move::fromRaw(*p_); }
        Iterator& operator++() {
            ++p_;
            return *this;
        }
        bool operator!=(const Iterator& o) const { return p_ != o.p_; }

      private:
        const std::uint16_t* p_;
    };

    MoveList() {}
    void push(Move m) { raw_[size_++] = m.raw(); }
    int size() const { return size_; }
    bool empty() const { return size_ == 0; }
    void clear() { size_ = 0; }
    Move operator[](int i) const { return Move::fromRaw(raw_[i]); }
    Iterator begin() const { return Iterator(raw_); }
    Iterator end() const { return Iterator(raw_ + size_); }
    bool contains(Move m) const;

  private:
    std::uint16_t raw_[kCapacity];
    int size_ = 0;
};

}  // namespace qc::chess
