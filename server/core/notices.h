#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "server/core/config.h"
#include "server/core/store.h"
#include "server/core/types.h"

namespace qc::server {

// The mail the server writes into the outbox about games and requests, for
// players who asked for it. Each must run inside a transaction; none queues
// anything unless Config::mailNotices is set.
//
// Games, for the player whose "Email me when it's my move" box is ticked:
// after the opponent's move (a person's or the bot's) a mail with that move,
// the deadline and the game's page; a move that ends the game brings a mail
// with the result instead. No mail in a local game, to the bot or to an
// account without an address.
namespace notices {

// Call after anything that may have moved in the game. Decides once per
// half-move (the game's mark in the store keeps a later call, or a restart,
// from mailing it again).
void AfterMove(Store& store, const Config& config, std::int64_t gameId, TimePoint now);

// One reminder per turn when a day is left, or half the move time when that
// is shorter; also makes up for any move not yet decided on. Call now and
// then (every half minute is plenty).
void CheckGames(Store& store, const Config& config, TimePoint now);

// The longest a reminder comes before the deadline.
inline constexpr std::chrono::hours kReminderLead{24};

// A request addressed to a player who ticked "Email me when someone requests
// a game with me" in his settings.
void RequestArrived(Store& store, const Config& config, const Request& request, TimePoint now);

// The requester of a request with "Email me when this request is accepted or
// declined" hears the answer: the game that began, or the refusal.
void RequestAnswered(Store& store, const Config& config, const Request& request,
                     const std::string& by, std::optional<std::int64_t> gameId, TimePoint now);

// "Fri 11 Dec 2026, 14:05 CET": a deadline in the server's time and zone
// (UTC when the server keeps its timestamps in UTC).
std::string DeadlineText(TimePoint t, bool utc);

}  // namespace notices
}  // namespace qc::server
