#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "client/platform/clock.h"
#include "client/platform/locale.h"

namespace qc::lobby {

// A server time; empty when the field could not be read.
using ServerTime = std::optional<platform::CivilTime>;

struct OpenGameRec {
    std::string ID;
    std::string Opponent;
    std::string GameType;
    bool YourMove = false;
    ServerTime MoveBy;
};

struct ClosedGameRec {
    std::string ID;
    std::string Opponent;
    std::string GameType;
    ServerTime Ended;
    std::string Outcome;  // one lower-case character, or empty
};

// A game request: addressed to the user, made by the user, or public.
struct RequestRec {
    std::string ID;
    std::string QVID;
    std::string GameType;
    std::string Colour;  // one lower-case character, or empty
    std::int16_t TimeAmount = 0;
    std::string TimeUnit;
    bool GuestsAllowed = false;
};

// Counts are 32-bit: a busy server's players pass 32767 games.
struct ScoreRec {
    std::int32_t Wins = 0;
    std::int32_t Losses = 0;
    std::int32_t Draws = 0;
    std::string QVID;
    std::string Version;
};

// The controller's copies of the server's lists. Each holds at least one
// element; an empty key field in element 0 means the list is empty.
struct GameLists {
    std::vector<OpenGameRec> OpenGamesData{1};
    std::vector<ClosedGameRec> ClosedGamesData{1};
    std::vector<RequestRec> ReqsForData{1};
    std::vector<RequestRec> ReqsByData{1};
    std::vector<RequestRec> PublicReqsData{1};
    std::vector<ScoreRec> ScoreboardData{1};
};

// The open games whose deadline is close. Written by the move alerts, read
// by the game list window.
struct DeadlineWarnings {
    std::set<std::string> gameIds;
    bool Warned(const std::string& id) const { return gameIds.count(id) != 0; }
};

// Record parsers. A missing or unreadable field keeps the empty record's
// value and the fields after it are read from whatever text remains.
// `now` picks the century of two-digit years.
OpenGameRec ParseOpenGame(std::string_view line, const platform::CivilTime& now);
ClosedGameRec ParseClosedGame(std::string_view line, const platform::CivilTime& now);
RequestRec ParseRequest(std::string_view line);
RequestRec ParsePublicRequest(std::string_view line);
ScoreRec ParseScore(std::string_view line);

// "10 minutes", "1 hour", "3 weeks": the unit code "n", "h", "d" or other.
std::string MoveTimeText(std::int16_t amount, std::string_view unit);

// A server time as the user wants to see it: shifted by the clock
// difference when times are shown in local time.
ServerTime DisplayTime(const ServerTime& t, std::int32_t timeDiff, bool myTime);

// A server time for display: the user's locale, shifted to local time when
// so configured; midnight shows the date alone.
std::string ServerTimeText(const ServerTime& t, std::int32_t timeDiff, bool myTime,
                           platform::DateTimeFormat& format);

// "White", "Black", "Win", "Loss", "Draw" or "-".
std::string OutcomeText(std::string_view outcome);

// True when `name` is the user's own QVID, letter case aside.
bool IsSelf(std::string_view name, std::string_view qvid);

}  // namespace qc::lobby
