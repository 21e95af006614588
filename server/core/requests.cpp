#include "server/core/requests.h"

#include "server/core/games.h"
#include "server/core/notices.h"
#include "server/core/text.h"

namespace qc::server {

namespace {

constexpr int kMinLimitMinutes = 10;
constexpr int kMaxLimitMinutes = 4 * 7 * 24 * 60;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && text.front() == ' ') {
        text.remove_prefix(1);
    }
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return text;
}

// Client text quoted back in a notice, cut to a sensible length.
std::string Echo(std::string_view text) {
    return std::string(Trim(text).substr(0, 40));
}

bool Flag(std::string_view field) {
    auto value = ParseCount(Trim(field));
    return value && *value != 0;
}

std::optional<std::int64_t> ParseId(std::string_view text) {
    auto value = ParseCount(Trim(text));
    if (!value) {
        return std::nullopt;
    }
    return *value;
}

bool HasFreeSlot(Store& store, const Account& account) {
    return store.CountOpenGames(account.id) < account.gameSlots;
}

std::int64_t StartGame(CommandContext& ctx, std::int64_t whiteId, std::int64_t blackId,
                       const std::string& gameType, int amount, const std::string& unit,
                       int minutes) {
    NewGame game;
    game.whiteId = whiteId;
    game.blackId = blackId;
    game.gameType = gameType;
    game.amount = amount;
    game.unit = unit;
    game.created = ToUnixSeconds(ctx.now);
    game.moveBy = game.created + static_cast<std::int64_t>(minutes) * 60;
    game.startFen = StartFenFor(gameType);
    return ctx.store.AddGame(game);
}

std::int64_t DayBefore(TimePoint now) {
    return ToUnixSeconds(now - std::chrono::hours(24));
}

void Notice(CommandContext& ctx, const std::string& text) {
    ctx.Reply("msg: " + text);
}

}  // namespace

std::optional<int> RequestService::LimitMinutes(int amount, std::string_view unit) {
    if (amount < 1 || amount > 999) {
        return std::nullopt;
    }
    int perUnit = 0;
    if (unit == "n") {
        perUnit = 1;
    } else if (unit == "h") {
        perUnit = 60;
    } else if (unit == "d") {
        perUnit = 24 * 60;
    } else if (unit == "ww" || unit == "w") {
        perUnit = 7 * 24 * 60;
    } else {
        return std::nullopt;
    }
    int minutes = amount * perUnit;
    if (minutes < kMinLimitMinutes || minutes > kMaxLimitMinutes) {
        return std::nullopt;
    }
    return minutes;
}

std::optional<std::string> RequestService::CanonicalGameType(std::string_view type,
                                                             const Config& config) {
    type = Trim(type);
    if (type.empty() || EqualsNoCase(type, "standard")) {
        return std::string();
    }
    if (EqualsNoCase(type, "chess960")) {
        return std::string("Chess960");
    }
    for (const std::string& extra : config.extraGameTypes) {
        if (EqualsNoCase(type, extra)) {
            return extra;
        }
    }
    return std::nullopt;
}

void RequestService::MakeRequest(CommandContext& ctx) {
    std::vector<std::string_view> f = Split(ctx.args, ',');
    if (f.size() != 8 && f.size() != 9) {
        Notice(ctx, "The request could not be read.");
        return;
    }
    std::string_view opponent = Trim(f[0]);
    auto gameType = CanonicalGameType(f[1], ctx.config);
    if (!gameType) {
        Notice(ctx, "This server does not offer the game type " + Echo(f[1]) + ".");
        return;
    }
    char colour = StartsWithNoCase(Trim(f[2]), "b") ? 'b' : 'w';
    auto amount = ParseCount(Trim(f[3]));
    std::string unit = Lower(Trim(f[4]));
    if (unit == "w") {
        unit = "ww";
    }
    std::optional<int> minutes = amount ? LimitMinutes(*amount, unit) : std::nullopt;
    if (!minutes) {
        Notice(ctx, "The move time limit must be between 10 minutes and 4 weeks.");
        return;
    }

    if (auto level = BotLevel(opponent)) {
        if (!HasFreeSlot(ctx.store, ctx.account)) {
            ctx.Reply("!slots");
            return;
        }
        auto bot = ctx.store.FindAccount(BotName(*level));
        if (!bot) {
            return;
        }
        if (ctx.store.CountBotGamesSince(ctx.account.id, DayBefore(ctx.now)) >=
            ctx.config.botGamesPerDay) {
            Notice(ctx, "You have started " + std::to_string(ctx.config.botGamesPerDay) +
                            " games against the bot in the last 24 hours. Please wait a while.");
            return;
        }
        std::int64_t white = colour == 'w' ? ctx.account.id : bot->id;
        std::int64_t black = colour == 'w' ? bot->id : ctx.account.id;
        std::int64_t id = StartGame(ctx, white, black, *gameType, *amount, unit, *minutes);
        ctx.Reply("accepted: " + std::to_string(id));
        ctx.ReplyUpdate();
        ctx.botGame = id;  // a bot with white opens at once
        return;
    }
    if (EqualsNoCase(opponent, ctx.account.name)) {
        if (!HasFreeSlot(ctx.store, ctx.account)) {
            ctx.Reply("!slots");
            return;
        }
        if (ctx.store.CountLocalGamesSince(ctx.account.id, DayBefore(ctx.now)) >=
            ctx.config.localGamesPerDay) {
            Notice(ctx, "You have started " + std::to_string(ctx.config.localGamesPerDay) +
                            " local games in the last 24 hours. Please wait a while.");
            return;
        }
        std::int64_t id =
            StartGame(ctx, ctx.account.id, ctx.account.id, *gameType, *amount, unit, *minutes);
        ctx.Reply("accepted: " + std::to_string(id));
        ctx.ReplyUpdate();
        return;
    }

    Request r;
    r.fromId = ctx.account.id;
    std::string toName;
    if (!opponent.empty()) {
        auto other = ctx.store.FindAccount(opponent);
        if (!other || other->kind == AccountKind::Bot) {
            Notice(ctx, "There is no player with the QVID " + Echo(opponent) + ".");
            return;
        }
        r.toId = other->id;
        toName = other->name;
    }
    if (ctx.store.CountRequestsBy(ctx.account.id) >= ctx.config.maxRequestsPerAccount) {
        Notice(ctx, "You have too many open requests. Please cancel some first.");
        return;
    }
    if (r.toId &&
        ctx.store.CountRequestsBetween(ctx.account.id, *r.toId) >= ctx.config.maxRequestsBetween) {
        Notice(ctx, "You have " + std::to_string(ctx.config.maxRequestsBetween) +
                        " open requests to " + toName + ". Please cancel one first.");
        return;
    }
    if (r.toId && ctx.store.CountRequestsFor(*r.toId) >= ctx.config.maxRequestsForAccount) {
        Notice(ctx, toName + " has too many open requests. Please try again later.");
        return;
    }
    r.gameType = *gameType;
    r.colour = colour;
    r.amount = *amount;
    r.unit = unit;
    r.emailMe = Flag(f[5]);
    r.textMe = Flag(f[6]);
    r.cancelOnLogout = Flag(f[7]);
    r.noGuests = !r.toId && f.size() == 9 && Flag(f[8]);
    r.created = ToUnixSeconds(ctx.now);
    ctx.store.AddRequest(r);
    r.fromName = ctx.account.name;
    notices::RequestArrived(ctx.store, ctx.config, r, ctx.now);
    ctx.ReplyUpdate();
    if (r.toId) {
        ctx.NotifyUpdate(*r.toId);
    }
}

void RequestService::Accept(CommandContext& ctx) {
    auto id = ParseId(ctx.args);
    std::optional<Request> r = id ? ctx.store.FindRequest(*id) : std::nullopt;
    if (!r || r->fromId == ctx.account.id || (r->toId && *r->toId != ctx.account.id)) {
        ctx.Reply("!noreq");
        return;
    }
    if (!r->toId && r->noGuests && ctx.account.kind == AccountKind::Guest) {
        ctx.Reply("!guest");
        return;
    }
    if (!HasFreeSlot(ctx.store, ctx.account)) {
        ctx.Reply("!slots");
        return;
    }
    auto requester = ctx.store.AccountById(r->fromId);
    if (!requester) {
        ctx.Reply("!noreq");
        return;
    }
    if (!HasFreeSlot(ctx.store, *requester)) {
        ctx.Reply("!slots " + requester->name);
        return;
    }
    std::int64_t white = r->colour == 'w' ? r->fromId : ctx.account.id;
    std::int64_t black = r->colour == 'w' ? ctx.account.id : r->fromId;
    int minutes = LimitMinutes(r->amount, r->unit).value_or(7 * 24 * 60);
    ctx.store.DeleteRequest(r->id);
    std::int64_t game = StartGame(ctx, white, black, r->gameType, r->amount, r->unit, minutes);
    // The requester's notification wishes carry over to the game.
    ctx.store.SetGameNotify(game, r->colour, r->emailMe, r->textMe);
    notices::RequestAnswered(ctx.store, ctx.config, *r, ctx.account.name, game, ctx.now);
    ctx.Reply("accepted: " + std::to_string(game));
    ctx.ReplyUpdate();
    ctx.NotifyUpdate(r->fromId);
}

void RequestService::Cancel(CommandContext& ctx) {
    auto id = ParseId(ctx.args);
    std::optional<Request> r = id ? ctx.store.FindRequest(*id) : std::nullopt;
    if (!r) {
        return;
    }
    bool mine = r->fromId == ctx.account.id;
    bool forMe = r->toId && *r->toId == ctx.account.id;
    if (!mine && !forMe) {
        return;
    }
    ctx.store.DeleteRequest(r->id);
    if (!mine) {
        notices::RequestAnswered(ctx.store, ctx.config, *r, ctx.account.name, std::nullopt,
                                 ctx.now);
    }
    ctx.ReplyUpdate();
    if (mine && r->toId) {
        ctx.NotifyUpdate(*r->toId);
    } else if (forMe) {
        ctx.NotifyUpdate(r->fromId);
    }
}

void RequestService::Remove(CommandContext& ctx) {
    auto id = ParseId(ctx.args);
    std::optional<Game> g = id ? ctx.store.FindGame(*id) : std::nullopt;
    if (!g || !g->ended || (g->whiteId != ctx.account.id && g->blackId != ctx.account.id)) {
        return;
    }
    ctx.store.MarkRemoved(g->id, ctx.account.id);
    ctx.ReplyUpdate();
}

std::vector<std::int64_t> RequestService::CancelOnLogout(Store& store, std::int64_t accountId) {
    std::vector<std::int64_t> addressed;
    for (const Request& r : store.CancelOnLogoutRequests(accountId)) {
        store.DeleteRequest(r.id);
        if (r.toId) {
            addressed.push_back(*r.toId);
        }
    }
    return addressed;
}

}  // namespace qc::server
