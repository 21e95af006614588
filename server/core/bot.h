#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <random>

#include "chess/position.h"

namespace qc::server {

// The server's own opponent. Each skill level is one implementation; the
// game service asks it for a move whenever the bot is to move.
class Bot {
  public:
    virtual ~Bot() = default;
    // A legal move in `pos`, or nothing when there is none.
    virtual std::optional<chess::Move> ChooseMove(const chess::Position& pos) = 0;
};

// The server's own bot of a skill level (0 to 10): a legal move drawn at
// random, none preferred. Levels 1 to 10 play through a chess engine when
// one runs (see UciEngine); this is what they fall back to.
std::unique_ptr<Bot> MakeBot(int level, std::mt19937_64& random);

}  // namespace qc::server
