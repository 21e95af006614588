#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/context.h"
#include "server/core/store.h"

namespace qc::server {

// Game requests and the games they turn into: making a request (to a user,
// to anybody, to the bot, or a local game), accepting, declining or
// cancelling it, and removing an ended game from one's list.
class RequestService {
  public:
    static void MakeRequest(CommandContext& ctx);
    static void Accept(CommandContext& ctx);
    static void Cancel(CommandContext& ctx);
    static void Remove(CommandContext& ctx);

    // Cancels the account's cancel-on-log-out requests; returns the accounts
    // they were addressed to.
    static std::vector<std::int64_t> CancelOnLogout(Store& store, std::int64_t accountId);

    // The move time limit in minutes for an amount and unit code, when it
    // lies within 10 minutes and 4 weeks.
    static std::optional<int> LimitMinutes(int amount, std::string_view unit);
    // The stored form of a requested game type: "" for standard chess,
    // the server's spelling otherwise; none for a type the server lacks.
    static std::optional<std::string> CanonicalGameType(std::string_view type,
                                                        const Config& config);
};

}  // namespace qc::server
