#pragma once

#include <string>
#include <vector>

#include "client/core/game/game_messages.h"

namespace qc::game {

// The game shown in the game window: the fields of its "game: " line, and
// what the other game messages and the move input keep. Written by the
// game subsystem alone.
struct CurrentGame : GameFields {
    std::string Board;
    std::string CanMove;
    std::string Selected;
    std::string Orientation;
    std::string PendingMove;
    bool ViewNextPending = false;
    // The "movelog:" records and the "chat:" text.
    std::vector<std::string> MoveLogLines{""};
    std::string ChatText;
};

}  // namespace qc::game
