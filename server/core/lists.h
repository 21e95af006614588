#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/core/config.h"
#include "server/core/store.h"
#include "server/core/types.h"

namespace qc::server {

// The wire texts of the status summary, the lists and the settings. Each
// function returns whole lines without their CR.

// "update:" requests-for-the-user, open games, slots, games on the move, time.
std::string UpdateLine(Store& store, const Account& account, TimePoint now, const Config& config);
// "settings: " the seven flags, free and purchased SMS credits, slots.
std::string SettingsLine(const Account& account);

// The four lists of the game list window, in the order the client expects.
std::vector<std::string> GameListLines(Store& store, const Account& account, const Config& config);
std::vector<std::string> OpenGamesLines(Store& store, const Account& account, const Config& config);
std::vector<std::string> PublicRequestsLines(Store& store);
std::vector<std::string> ScoreboardLines(Store& store);

// The scoreboard adds up every ended game of every player, which takes
// milliseconds on a large database: the lines are kept until a game ends
// (or a transaction is undone), and at most kMaxAge for the players'
// versions, so that asking again and again costs next to nothing.
class ScoreboardCache {
  public:
    const std::vector<std::string>& Lines(Store& store, TimePoint now);
    static constexpr std::chrono::seconds kMaxAge{5};

  private:
    std::vector<std::string> lines_;
    std::uint64_t generation_ = 0;
    std::optional<TimePoint> madeAt_;
};
std::vector<std::string> OppHistoryLines(Store& store, const Account& account);
std::vector<std::string> GameTypesLines(const Config& config);

// The scoreboard order: players with at least ten counted games first, by
// points (a win 1, a draw 1/2) per game, then more games, more wins, name;
// then the newcomers by games played and name.
void RankScoreRows(std::vector<ScoreRow>& rows);

// The public requests a list of at most rows shows: the newest, with every
// owner's share as fair as the room allows; in the order they were made.
std::vector<Request> PickPublicRequests(std::vector<Request> requests, std::size_t rows);

inline constexpr int kScoreboardRows = 100;
inline constexpr int kPublicRequestRows = 200;
inline constexpr int kClosedGameRows = 50;
inline constexpr int kPastOpponentRows = 50;

}  // namespace qc::server
