#pragma once

// A stored game replayed for reading, and its record in PGN.

#include <optional>
#include <string>
#include <vector>

#include "chess/position.h"
#include "server/core/store_records.h"

namespace qc::server::web {

// The game's moves in SAN from its start, replayed as the game service does.
struct Replay {
    bool startKnown = false;  // false: the start position cannot be read; no moves
    bool chess960 = false;
    std::string startFen;  // as the PGN's FEN tag gives it
    chess::Position start;
    chess::Position end;
    std::vector<std::string> san;  // one per half-move
};
Replay ReplayGame(const Game& game);

// The PGN record: the seven standard tags (with Variant, SetUp and FEN for
// Chess960 or any start but the standard one), the moves with their numbers,
// why the game ended as a comment, and the result; lines of at most 80
// characters. `site` fills the Site tag.
std::string GamePgn(const Game& game, const Replay& replay, const std::string& site);

}  // namespace qc::server::web
