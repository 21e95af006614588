#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "chess/position.h"
#include "server/core/config.h"
#include "server/core/context.h"
#include "server/core/sessions.h"
#include "server/core/store.h"
#include "server/core/types.h"
#include "server/core/uci_engine.h"

namespace qc::server {

// A stored game with its position rebuilt by replaying its moves from the
// start, so that repetitions count as in the game itself.
struct LiveGame {
    Game record;
    chess::Position position;
    std::vector<std::string> log;    // move-log entries, one per half-move
    std::vector<std::string> moves;  // the same moves in coordinate form
};

// Reads a game and replays it; nothing when it does not exist or its start
// cannot be read. Must run inside a transaction (an old Chess960 game
// without a start position is given one).
std::optional<LiveGame> LoadGame(Store& store, std::int64_t id,
                                 const std::function<void(std::string_view)>& log = {});

// The start position of a new game of a type, as FEN: the standard set-up,
// or for Chess960 one of its 960 drawn at random.
std::string StartFenFor(std::string_view gameType);

// What a player sees of a game: "board: ", the "movelog:" list, "game: "
// and "canmove: " (the squares of the pieces the viewer may move now).
std::vector<std::string> GameMessages(const LiveGame& game, const Account& viewer,
                                      const Config& config);
// "canmove: " for the piece on a square: where it may go ("p" after a
// promotion square), "ca" / "ch" when it may castle on that side now.
std::string SelectionLine(const LiveGame& game, const Account& viewer, std::string_view square);

// The games themselves: viewing, moving, resigning, draws, chat, the
// per-game and account-wide display wishes, the bot and the move deadlines.
class GameService {
  public:
    GameService(Store& store, const Config& config, SessionTable& sessions);

    // The command words this service answers, for the server core.
    std::vector<std::pair<std::string, CommandHandler>> Commands();

    // Work that is due without a command: the bot's moves and the games
    // whose deadline has passed. Each game is its own transaction.
    void RunDue(TimePoint now, std::vector<Outgoing>& out);
    // The bot's move in one game, when it is to move there.
    void BotTurn(std::int64_t gameId, TimePoint now, std::vector<Outgoing>& out);

    // Where levels 1 to 10 get their moves; without one (or while it is not
    // available) every level plays level 0's random moves at once.
    void SetEngine(BotEngine* engine) { engine_ = engine; }
    // Plays the engine's move when the game still waits for it in the same
    // position, the bot's own move when the engine gave none.
    void BotAnswer(const EngineAnswer& answer, TimePoint now, std::vector<Outgoing>& out);

    // A question the engine has not answered in this time is asked again.
    static constexpr std::chrono::seconds kEngineAnswerWait{30};

    // Within this many centipawns of level, a position counts as level.
    static constexpr int kBotDrawMargin = 25;

    static constexpr int kChatKept = 200;
    static constexpr int kChatShown = 100;
    static constexpr std::size_t kChatMessageMax = 400;

  private:
    void View(CommandContext& ctx);
    void Selected(CommandContext& ctx);
    void Move(CommandContext& ctx);
    void Resign(CommandContext& ctx);
    void OfferDraw(CommandContext& ctx);
    void AcceptDraw(CommandContext& ctx);
    void CancelDraw(CommandContext& ctx);
    void GetChat(CommandContext& ctx);
    void SendChat(CommandContext& ctx);
    static void Notify(CommandContext& ctx, bool email);
    static void ShowFlag(CommandContext& ctx, std::size_t flag);

    void PlayBot(std::int64_t gameId, TimePoint now, std::vector<Outgoing>& out);
    void PlayBotMove(LiveGame& game, chess::Move move, TimePoint now, std::vector<Outgoing>& out);
    // Ends the game as a draw when the bot's opponent offers one and the bot,
    // to move, judges the position level or worse for itself: by the
    // engine's score, else by material.
    bool BotTakesDraw(LiveGame& game, bool whiteToMove, std::optional<int> score, TimePoint now,
                      std::vector<Outgoing>& out);
    void EndOnTime(std::int64_t gameId, TimePoint now, std::vector<Outgoing>& out);
    // Pushes are held to the sessions' push interval, except the bot's
    // answer, which the player's own move asked for (immediate).
    void PushUpdate(std::int64_t accountId, TimePoint now, std::vector<Outgoing>& out,
                    bool immediate = false);
    void Log(std::string_view text) const;

    Store& store_;
    const Config& config_;
    SessionTable& sessions_;
    std::mt19937_64 random_;
    BotEngine* engine_ = nullptr;
    struct Asked {
        std::string movesKey;
        TimePoint at;
    };
    std::map<std::int64_t, Asked> asked_;  // games waiting for the engine
};

}  // namespace qc::server
