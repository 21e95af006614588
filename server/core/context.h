#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/config.h"
#include "server/core/lists.h"
#include "server/core/sessions.h"
#include "server/core/store.h"
#include "server/core/types.h"

namespace qc::server {

// What a command handler sees: the logged-in account, the command's
// arguments, the store (inside the line's transaction) and the reply sink.
struct CommandContext {
    Store& store;
    const Config& config;
    SessionTable& sessions;
    TimePoint now;
    const Session& session;
    Account account;
    std::string_view args;
    std::vector<Outgoing>& out;
    // Set by a handler after which the bot may be to move in this game.
    std::int64_t botGame = 0;

    void Reply(std::string line) { out.push_back(Outgoing{session.endpoint, std::move(line)}); }
    void Reply(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            Reply(line);
        }
    }
    void ReplyUpdate() { Reply(UpdateLine(store, account, now, config)); }
    // Tells another logged-in account that its counts changed, so its client
    // refreshes at once instead of at its next periodic update.
    void NotifyUpdate(std::int64_t accountId) {
        if (accountId == account.id) {
            return;
        }
        const Session* other = sessions.ByAccount(accountId);
        if (other == nullptr || !sessions.TakePushTurn(accountId, now)) {
            return;
        }
        if (auto acc = store.AccountById(accountId)) {
            out.push_back(Outgoing{other->endpoint, UpdateLine(store, *acc, now, config)});
        }
    }
};

using CommandHandler = std::function<void(CommandContext&)>;

}  // namespace qc::server
