#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "client/platform/clock.h"

namespace qc::game {

// The fields of the server's "game: " line, in wire order.
struct GameFields {
    std::string GameID;
    std::string WhitePlayer;
    std::string BlackPlayer;
    std::string GameType;    // "" is standard chess
    std::string GameStatus;  // lower case: "w", "b", or "e" and the result
    std::string StatusText;
    std::int16_t MoveTime = 0;
    std::string MoveTimeUnit;  // lower case
    platform::CivilTime Started;
    platform::CivilTime MoveBy;
    std::string DrawOffer;  // lower case: "", "w" or "b"
    bool GameEmailMe = false;
    bool GameTextMe = false;
    bool ShowLast1 = false;
    bool ShowLast2 = false;
    bool ShowPoss = false;
    std::int32_t TextsFree = 0;
    std::int32_t TextsPurchased = 0;
};

// Stores a "game: " line into `fields`. Fields are taken by their position
// among the commas; a value that cannot be converted keeps its previous
// value and the rest of the line is still read. Returns true when the line
// names another game than the one stored (identifiers compared without
// regard to case), so that the caller drops its selection and orientation.
// `now` picks the century of the two-digit years.
bool ReadGameLine(std::string_view line, GameFields& fields, const platform::CivilTime& now);

// The stored text of a "board: " or "canmove: " line: the line after its
// prefix, lower-cased.
std::string ReadBoardLine(std::string_view line);
std::string ReadCanMoveLine(std::string_view line);

// Board cells 0..63, row by row from the top left, for an orientation ("b":
// black at the bottom; anything else: white at the bottom). -1 for a text
// that is not a square.
int SquareToIndex(std::string_view square, std::string_view orientation);
// The square shown on a cell, "" outside 0..63.
std::string IndexToSquare(int index, std::string_view orientation);

// The piece code on every cell ("" for an empty cell): a square's piece is
// the two characters after the first occurrence of the square in the board.
std::array<std::string, 64> BoardCells(std::string_view board, std::string_view orientation);

// Reading a stored "canmove: " text.
bool CanMoveTo(std::string_view canMove, std::string_view square);
bool CanMovePromotes(std::string_view canMove, std::string_view square);
bool CanCastleA(std::string_view canMove);
bool CanCastleH(std::string_view canMove);

}  // namespace qc::game
