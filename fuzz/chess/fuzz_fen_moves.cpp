// Feeds arbitrary text to the FEN reader and the move-command parser: the
// first line is a FEN (the start position when it does not read), each
// further line a move command. Every accepted move is played and checked.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "chess/notation.h"
#include "chess/position.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qc::chess;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::size_t eol = input.find('\n');
    std::string_view fenLine = input.substr(0, eol);
    std::string error;
    auto parsed = Position::fromFen(fenLine, &error);
    check(parsed.has_value() || !error.empty());
    Position pos = parsed.value_or(Position());

    // What the reader writes it must read back as the same position.
    for (auto notation : {Position::CastlingNotation::XFen, Position::CastlingNotation::Shredder}) {
        auto again = Position::fromFen(pos.fen(notation), &error, pos.chess960());
        check(again.has_value() && *again == pos && again->key() == pos.key());
    }

    int plies = 0;
    while (eol != std::string_view::npos && plies < 200) {
        input.remove_prefix(eol + 1);
        eol = input.find('\n');
        std::string_view line = input.substr(0, eol);
        if (line == "undo") {
            pos.unmakeMove();
            continue;
        }
        MoveParse move = parseMoveCommand(pos, line);
        check(move.ok() != (move.error.size() > 0));
        if (!move.ok())
            continue;
        check(pos.isLegal(move.move));
        std::string entry = toLogEntry(pos, move.move);
        check(entry.size() >= 8);
        PieceMoves from = movesFrom(pos, move.move.from());
        check(!from.destinations.empty() || from.castleA || from.castleH);
        pos.makeMove(move.move);
        ++plies;
        check(pos.key() == pos.computeKey());
        auto reread = Position::fromFen(pos.fen(), &error, pos.chess960());
        check(reread.has_value() && *reread == pos && reread->key() == pos.key());
        GameStatus status = pos.status();
        MoveList list = pos.legalMoves();
        check(list.size() == pos.countLegalMoves());
        check(status.over() || !list.empty());
        check(movableSquares(pos).empty() == list.empty());
    }
    return 0;
}
