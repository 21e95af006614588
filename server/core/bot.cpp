#include "server/core/bot.h"

namespace qc::server {

namespace {

class RandomMoveBot : public Bot {
  public:
    explicit RandomMoveBot(std::mt19937_64& random) : random_(random) {}

    std::optional<chess::Move> ChooseMove(const chess::Position& pos) override {
        chess::MoveList moves = pos.legalMoves();
        if (moves.empty()) {
            return std::nullopt;
        }
        std::uniform_int_distribution<int> pick(0, moves.size() - 1);
        return moves[pick(random_)];
    }

  private:
    std::mt19937_64& random_;
};

}  // namespace

std::unique_ptr<Bot> MakeBot(int level, std::mt19937_64& random) {
    (void)level;  // the stronger levels are the engine's
    return std::make_unique<RandomMoveBot>(random);
}

}  // namespace qc::server
