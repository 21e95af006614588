#include "client/core/game/game_messages.h"

#include <optional>

#include "client/core/protocol/server_time.h"
#include "client/core/protocol/wire_number.h"
#include "client/core/text.h"

namespace qc::game {

namespace {

using protocol::LeadingNumber;

std::string_view After(std::string_view line, std::size_t prefix) {
    return line.size() > prefix ? line.substr(prefix) : std::string_view();
}

}  // namespace

bool ReadGameLine(std::string_view line, GameFields& f, const platform::CivilTime& now) {
    // Fields 1 to 11: the text before the next comma. Without a comma the
    // field cannot be cut out: it keeps its value and the rest stays.
    text::CommaFields fields(After(line, 6));
    bool otherGame = false;
    if (auto v = fields.Next()) {
        otherGame = !text::EqualsIgnoreCase(*v, f.GameID);
        f.GameID = std::string(*v);
    }
    if (auto v = fields.Next()) {
        f.WhitePlayer = std::string(*v);
    }
    if (auto v = fields.Next()) {
        f.BlackPlayer = std::string(*v);
    }
    if (auto v = fields.Next()) {
        f.GameType = std::string(*v);
    }
    if (auto v = fields.Next()) {
        f.GameStatus = text::ToLower(*v);
    }
    if (auto v = fields.Next()) {
        f.StatusText = std::string(*v);
    }
    if (auto v = fields.Next()) {
        if (auto n = protocol::WholeNumber(*v)) {
            if (auto small = protocol::RoundToInt16(*n)) {
                f.MoveTime = *small;
            }
        }
    }
    if (auto v = fields.Next()) {
        f.MoveTimeUnit = text::ToLower(*v);
    }
    if (auto v = fields.Next()) {
        if (auto t = protocol::ParseServerTimestamp(*v, now)) {
            f.Started = *t;
        }
    }
    if (auto v = fields.Next()) {
        if (auto t = protocol::ParseServerTimestamp(*v, now)) {
            f.MoveBy = *t;
        }
    }
    if (auto v = fields.Next()) {
        f.DrawOffer = text::ToLower(*v);
    }
    // Fields 12 to 17: the leading number of the rest; then past the next
    // comma. Field 18 is the leading number of what remains.
    auto number = [&fields] { return LeadingNumber(fields.NextOrRest()); };
    bool* flags[] = {&f.GameEmailMe, &f.GameTextMe, &f.ShowLast1, &f.ShowLast2, &f.ShowPoss};
    for (bool* flag : flags) {
        *flag = number() != 0;
    }
    if (auto v = protocol::RoundToInt32(number())) {
        f.TextsFree = *v;
    }
    if (auto v = protocol::RoundToInt32(LeadingNumber(fields.Rest()))) {
        f.TextsPurchased = *v;
    }
    return otherGame;
}

std::string ReadBoardLine(std::string_view line) {
    return text::ToLower(After(line, 7));
}

std::string ReadCanMoveLine(std::string_view line) {
    return text::ToLower(After(line, 9));
}

int SquareToIndex(std::string_view square, std::string_view orientation) {
    if (square.size() != 2 || square[0] < 'a' || square[0] > 'h' || square[1] < '1' ||
        square[1] > '8') {
        return -1;
    }
    const int file = square[0] - 'a';
    const int rank = square[1] - '0';
    if (orientation == "b") {
        return (7 - file) + 8 * (rank - 1);
    }
    return file + 56 - 8 * (rank - 1);
}

std::string IndexToSquare(int index, std::string_view orientation) {
    if (index < 0 || index > 63) {
        return "";
    }
    const int row = index / 8;
    const int column = index % 8;
    if (orientation == "b") {
        return {static_cast<char>('a' + 7 - column), static_cast<char>('1' + row)};
    }
    return {static_cast<char>('a' + column), static_cast<char>('8' - row)};
}

std::array<std::string, 64> BoardCells(std::string_view board, std::string_view orientation) {
    std::array<std::string, 64> cells;
    for (int i = 0; i < 64; ++i) {
        const std::string square = IndexToSquare(i, orientation);
        const std::size_t at = board.find(square);
        if (at != std::string_view::npos) {
            cells[static_cast<std::size_t>(i)] = std::string(board.substr(at + 2, 2));
        }
    }
    return cells;
}

bool CanMoveTo(std::string_view canMove, std::string_view square) {
    return !square.empty() && canMove.find(square) != std::string_view::npos;
}

bool CanMovePromotes(std::string_view canMove, std::string_view square) {
    return !square.empty() && canMove.find(std::string(square) + "p") != std::string_view::npos;
}

bool CanCastleA(std::string_view canMove) {
    return canMove.find("ca") != std::string_view::npos;
}

bool CanCastleH(std::string_view canMove) {
    return canMove.find("ch") != std::string_view::npos;
}

}  // namespace qc::game
