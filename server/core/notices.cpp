#include "server/core/notices.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

#include "server/core/games.h"
#include "server/core/mail_message.h"
#include "server/core/requests.h"

namespace qc::server::notices {

namespace {

constexpr const char* kGameFooter =
    "\n\nYou get this mail because \"Email me when it's my move\" is ticked for this game. "
    "Untick it in the game window to stop these mails.\n";

std::string TypeName(const std::string& gameType) {
    return gameType.empty() ? "Standard" : gameType;
}

std::string LimitText(int amount, const std::string& unit) {
    const char* name = unit == "n" ? "minute" : unit == "h" ? "hour" : unit == "d" ? "day" : "week";
    return std::to_string(amount) + " " + name + (amount == 1 ? "" : "s");
}

std::string GameUrl(const Config& config, std::int64_t gameId) {
    return config.webUrl + "game/" + std::to_string(gameId) + ".html";
}

// The player of a side and his address, when mail may go to him.
std::optional<Account> Recipient(Store& store, std::int64_t accountId) {
    std::optional<Account> account = store.AccountById(accountId);
    if (!account || account->kind == AccountKind::Bot || account->email.empty()) {
        return std::nullopt;
    }
    return account;
}

void Queue(Store& store, const Account& to, MailKind kind, std::int64_t gameId, std::string subject,
           std::string body, std::int64_t expires, TimePoint now) {
    if (gameId != 0) {
        // During an outage only the newest news of a game waits.
        store.SupersedeMails(to.email, gameId, {MailKind::Move, MailKind::Reminder});
    }
    Mail mail;
    mail.created = ToUnixSeconds(now);
    mail.recipient = to.email;
    mail.subject = std::move(subject);
    mail.body = std::move(body);
    mail.kind = kind;
    mail.gameId = gameId;
    mail.expires = expires;
    store.AddMail(mail);
}

// "12... Nf6", the last move of the game's log, or "" before the first.
std::string LastMove(const LiveGame& game) {
    if (game.log.empty()) {
        return "";
    }
    const std::string& entry = game.log.back();
    const std::size_t blank = entry.find(' ');
    const std::string san = blank == std::string::npos ? entry : entry.substr(blank + 1);
    const std::size_t ply = game.log.size();
    return std::to_string((ply + 1) / 2) + (ply % 2 == 1 ? ". " : "... ") + san;
}

std::string ResultText(const Game& g) {
    switch (g.result) {
        case GameResult::WhiteWins:
            return g.phrase + ", white wins (1-0)";
        case GameResult::BlackWins:
            return g.phrase + ", black wins (0-1)";
        case GameResult::Draw:
            return g.phrase + ", a draw (1/2-1/2)";
        case GameResult::None:
            break;
    }
    return g.phrase;
}

int LimitSeconds(const Game& g) {
    return RequestService::LimitMinutes(g.amount, g.unit).value_or(7 * 24 * 60) * 60;
}

}  // namespace

std::string DeadlineText(TimePoint t, bool utc) {
    const CalendarTime c = ToCalendar(t, utc);
    const char* zone = utc || c.tm.tm_zone == nullptr ? "UTC" : c.tm.tm_zone;
    char buffer[80];
    std::snprintf(buffer, sizeof buffer, "%s %d %s %04d, %02d:%02d %s", c.day, c.tm.tm_mday,
                  c.month, c.tm.tm_year + 1900, c.tm.tm_hour, c.tm.tm_min, zone);
    return buffer;
}

void AfterMove(Store& store, const Config& config, std::int64_t gameId, TimePoint now) {
    // The mark is taken whether mail goes or not, so that a server started
    // later with a relay does not mail about old moves.
    if (!store.TakeMailPly(gameId) || !config.mailNotices) {
        return;
    }
    std::optional<Game> g = store.FindGame(gameId);
    if (!g || g->whiteId == g->blackId || g->moves.empty()) {
        return;
    }
    // The side to move after the move, or the side that would have been
    // when the move ended the game.
    const bool white = g->toMove == 'w';
    if (!(white ? g->whiteEmail : g->blackEmail)) {
        return;
    }
    std::optional<Account> to = Recipient(store, white ? g->whiteId : g->blackId);
    std::optional<LiveGame> game = to ? LoadGame(store, gameId, config.log) : std::nullopt;
    if (!game) {
        return;
    }
    const std::string& opponent = white ? g->blackName : g->whiteName;
    const std::string id = std::to_string(gameId);
    const std::string played = opponent + " played " + LastMove(*game) + " in your game " + id;
    if (g->ended) {
        Queue(store, *to, MailKind::Ended, gameId,
              "Game " + id + " against " + opponent + " has ended: " + ResultText(*g),
              played + ".\n\nThe game has ended: " + ResultText(*g) +
                  ".\n\nThe game: " + GameUrl(config, gameId) + kGameFooter,
              0, now);
        return;
    }
    Queue(store, *to, MailKind::Move, gameId, "Your move in game " + id + " against " + opponent,
          played + " (" + TypeName(g->gameType) + ", " + LimitText(g->amount, g->unit) +
              " a move).\n\nIt is your move. Please move by " +
              DeadlineText(FromUnixSeconds(g->moveBy), config.utcTimestamps) +
              ".\n\nThe game: " + GameUrl(config, gameId) + kGameFooter,
          g->moveBy, now);
}

void CheckGames(Store& store, const Config& config, TimePoint now) {
    if (!config.mailNotices) {
        return;
    }
    const std::int64_t at = ToUnixSeconds(now);
    const auto lead = std::chrono::duration_cast<std::chrono::seconds>(kReminderLead).count();
    for (std::int64_t id : store.GamesForMail(at, lead)) {
        AfterMove(store, config, id, now);
        std::optional<Game> g = store.FindGame(id);
        if (!g || g->ended || g->moveBy <= at || store.RemindedBy(id) == g->moveBy) {
            continue;
        }
        const std::int64_t before = std::min<std::int64_t>(lead, LimitSeconds(*g) / 2);
        if (at < g->moveBy - before) {
            continue;
        }
        // Decided for this deadline, whether a mail goes or not.
        store.SetRemindedBy(id, g->moveBy);
        const bool white = g->toMove == 'w';
        if (g->whiteId == g->blackId || !(white ? g->whiteEmail : g->blackEmail)) {
            continue;
        }
        std::optional<Account> to = Recipient(store, white ? g->whiteId : g->blackId);
        std::optional<LiveGame> game = to ? LoadGame(store, id, config.log) : std::nullopt;
        if (!game) {
            continue;
        }
        const std::string& opponent = white ? g->blackName : g->whiteName;
        const std::string last = LastMove(*game);
        const std::int64_t hours = (g->moveBy - at + 1800) / 3600;
        const std::string left =
            hours >= 1
                ? "about " + std::to_string(hours) + " hour" + (hours == 1 ? "" : "s")
                : std::to_string(std::max<std::int64_t>(1, (g->moveBy - at) / 60)) + " minutes";
        Queue(store, *to, MailKind::Reminder, id,
              "Reminder: your move in game " + std::to_string(id) + " against " + opponent,
              "Your move in game " + std::to_string(id) + " against " + opponent + " is due by " +
                  DeadlineText(FromUnixSeconds(g->moveBy), config.utcTimestamps) + ", in " + left +
                  ". Without a move by then the game is lost on time.\n\n" +
                  (last.empty() ? "No move has been made yet."
                                : "The last move: " + opponent + " played " + last + ".") +
                  "\n\nThe game: " + GameUrl(config, id) + kGameFooter,
              g->moveBy, now);
    }
}

void RequestArrived(Store& store, const Config& config, const Request& request, TimePoint now) {
    if (!config.mailNotices || !request.toId) {
        return;
    }
    std::optional<Account> to = Recipient(store, *request.toId);
    if (!to || !to->flags[5]) {
        return;
    }
    const std::string colour = request.colour == 'w' ? "black" : "white";
    Queue(store, *to, MailKind::Request, 0, request.fromName + " requests a game with you",
          request.fromName + " requests a " + TypeName(request.gameType) +
              " game with you: you would play " + colour + ", " +
              LimitText(request.amount, request.unit) +
              " a move.\n\nAccept or decline it in Quorvel Chess, in the window My Games and "
              "Requests.\n\n" +
              request.fromName + "'s results: " + config.webUrl +
              "stats.html?qvid=" + request.fromName +
              "\n\nYou get this mail because \"Email me when someone requests a game with me\" "
              "is ticked in your settings. Untick it there to stop these mails.\n",
          0, now);
}

void RequestAnswered(Store& store, const Config& config, const Request& request,
                     const std::string& by, std::optional<std::int64_t> gameId, TimePoint now) {
    if (!config.mailNotices || !request.emailMe) {
        return;
    }
    std::optional<Account> to = Recipient(store, request.fromId);
    if (!to) {
        return;
    }
    const std::string what = "your request for a " + TypeName(request.gameType) + " game (" +
                             LimitText(request.amount, request.unit) + " a move)";
    const std::string footer =
        "\n\nYou get this mail because you ticked \"Email me when this request is accepted or "
        "declined\" when you made the request.\n";
    if (gameId) {
        const std::string id = std::to_string(*gameId);
        Queue(store, *to, MailKind::Answer, 0, by + " accepted your request: game " + id,
              by + " accepted " + what + ". Game " + id + " has begun; you play " +
                  (request.colour == 'w' ? "white" : "black") +
                  ".\n\nThe game: " + GameUrl(config, *gameId) + footer,
              0, now);
        return;
    }
    Queue(store, *to, MailKind::Answer, 0, by + " declined your request",
          by + " declined " + what + "." + footer, 0, now);
}

}  // namespace qc::server::notices
