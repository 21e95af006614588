// The pages about players: statistics, game history and the scoreboard.

#include <algorithm>
#include <string>
#include <vector>

#include "server/core/lists.h"
#include "server/core/text.h"
#include "server/web/pages.h"

namespace qc::server::web {

namespace {

const PageFrame kTop{"", ""};

std::string Percent(int part, int whole) {
    if (whole <= 0) {
        return "&ndash;";
    }
    return std::to_string((part * 200 + whole) / (2 * whole)) + "%";
}

// A date and time in a table, UTC as its heading says; narrow screens show
// the date alone, unless the time of day matters (a deadline).
std::string TableDate(std::int64_t unixSeconds, bool alwaysTime = false) {
    const std::string full = FormatDate(unixSeconds);
    const std::size_t blank = full.find(' ');
    if (blank == std::string::npos || full.size() < blank + 6) {
        return full;
    }
    if (alwaysTime) {
        return full.substr(0, blank + 6);
    }
    return full.substr(0, blank) + "<span class=\"wide\">" + full.substr(blank, 6) + "</span>";
}

std::string Cell(int n) {
    return "<td class=\"n\">" + std::to_string(n) + "</td>";
}

bool IsLocal(const Game& g) {
    return g.whiteId == g.blackId;
}

const std::string& OpponentName(const Game& g, std::int64_t accountId) {
    return g.whiteId == accountId ? g.blackName : g.whiteName;
}

std::string Opponent(const Game& g, std::int64_t accountId) {
    return IsLocal(g) ? std::string("(local game)") : PlayerLink(kTop, OpponentName(g, accountId));
}

std::string GameLinks(const Game& g, const std::string& root) {
    const std::string id = std::to_string(g.id);
    return "<a href=\"" + root + "game/" + id + ".html\">Game " + id + "</a> &middot; <a href=\"" +
           root + "game/" + id + ".pgn\">PGN</a>";
}

// "Won on time", "Lost by checkmate", "Drawn by agreement"; a local game by
// the side that won.
std::string Outcome(const Game& g, std::int64_t accountId) {
    std::string how = HowEnded(g);
    how = how.empty() ? "" : " " + how;
    if (g.result == GameResult::Draw) {
        return "Drawn" + how;
    }
    if (g.result == GameResult::None) {
        return "Ended";
    }
    const bool whiteWon = g.result == GameResult::WhiteWins;
    if (IsLocal(g)) {
        return (whiteWon ? "White won" : "Black won") + how;
    }
    const bool won = (g.whiteId == accountId) == whiteWon;
    return (won ? "Won" : "Lost") + how;
}

int FullMoves(const Game& g) {
    int plies = 0;
    bool inWord = false;
    for (char c : g.moves) {
        if (c != ' ' && !inWord) {
            ++plies;
        }
        inWord = c != ' ';
    }
    return (plies + 1) / 2;
}

struct Totals {
    int wins = 0, losses = 0, draws = 0;
    int Games() const { return wins + losses + draws; }
};

std::string ResultRow(const std::string& label, const Totals& t, bool strong = false) {
    return "<tr>" + std::string(strong ? "<th>" : "<td>") + label + (strong ? "</th>" : "</td>") +
           Cell(t.Games()) + Cell(t.wins) + Cell(t.losses) + Cell(t.draws) + "<td class=\"n\">" +
           Percent(t.wins, t.Games()) + "</td></tr>\n";
}

std::string Rank(const std::vector<ScoreRow>& rows, const Account& account) {
    if (account.kind == AccountKind::Guest) {
        return "Guests are not on the scoreboard.";
    }
    if (account.kind == AccountKind::Bot) {
        return "The bot is not on the scoreboard.";
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (EqualsNoCase(rows[i].name, account.name)) {
            const int games = rows[i].wins + rows[i].losses + rows[i].draws;
            std::string text = "Rank " + std::to_string(i + 1) + " of " +
                               std::to_string(rows.size()) + " on the scoreboard";
            if (games < 10) {
                text += " (new: fewer than 10 counted games)";
            }
            if (i >= static_cast<std::size_t>(kScoreboardRows)) {
                text += "; the scoreboard lists the first " + std::to_string(kScoreboardRows);
            }
            return text + ".";
        }
    }
    return "Not on the scoreboard yet: it counts ended games between two named players.";
}

}  // namespace

Response StatsPage(Store& store, const Account& account, const std::vector<ScoreRow>& ranked,
                   std::int64_t now) {
    const std::string name = EscapeStored(account.name);
    PageFrame frame{"Statistics of " + Utf8(account.name), ""};
    std::string body;
    if (account.kind == AccountKind::Bot) {
        body += "<p>" + name +
                " is the server's bot. Its levels are described in <a href=\"help.html#bot\">the "
                "help</a>.</p>\n";
    }
    body += "<p>" + Rank(ranked, account) + "</p>\n";

    const std::vector<ResultCount> counts = store.ResultCounts(account.id, Site::kCountedGames);
    body += "<h2>Results</h2>\n";
    Totals people, all;
    int counted = 0;
    std::string rows;
    for (const ResultCount& c : counts) {
        Totals t{c.wins, c.losses, c.draws};
        const bool bot = c.opponentKind == AccountKind::Bot;
        rows += ResultRow((c.gameType.empty() ? "Standard" : EscapeStored(c.gameType)) +
                              (bot ? " against the bot" : ""),
                          t);
        if (!bot) {
            people.wins += t.wins;
            people.losses += t.losses;
            people.draws += t.draws;
        }
        all.wins += t.wins;
        all.losses += t.losses;
        all.draws += t.draws;
        counted += t.Games();
    }
    if (counts.empty()) {
        body += "<p>No ended games yet.</p>\n";
    } else {
        body +=
            "<div class=\"scroll\"><table>\n<tr><th>Game type</th><th class=\"n\">Games</th><th "
            "class=\"n\">Won</th><th class=\"n\">Lost</th><th class=\"n\">Drawn</th><th "
            "class=\"n\">Win rate</th></tr>\n" +
            rows + ResultRow("All against players", people, true) +
            ResultRow("All, the bot included", all, true) + "</table></div>\n";
        body +=
            "<p class=\"note\">Win rate: games won of all games. Local games (both sides "
            "played by one person) are not counted.";
        if (counted >= Site::kCountedGames) {
            body +=
                " Counted over the newest " + std::to_string(Site::kCountedGames) + " ended games.";
        }
        body += "</p>\n";
    }

    body += "<h2>Current games</h2>\n";
    const std::vector<Game> open = store.OpenGamesFirst(account.id, Site::kCurrentGameRows + 1);
    if (open.empty()) {
        body += "<p>No games in progress.</p>\n";
    } else {
        body +=
            "<div class=\"scroll\"><table>\n<tr><th>Opponent</th><th "
            "class=\"wide\">Type</th><th>To "
            "move</th><th>Deadline (UTC)</th><th>Game</th></tr>\n";
        for (std::size_t i = 0; i < open.size() && i < Site::kCurrentGameRows; ++i) {
            const Game& g = open[i];
            const std::string& mover = g.toMove == 'b' ? g.blackName : g.whiteName;
            body += "<tr><td>" + Opponent(g, account.id) + "</td><td class=\"wide\">" +
                    Escape(TypeName(g)) + "</td><td>" + EscapeStored(mover) + " (" +
                    std::string(g.toMove == 'b' ? "Black" : "White") + ")</td><td>" +
                    TableDate(g.moveBy, true) + (g.moveBy < now ? " (passed)" : "") +
                    "</td><td class=\"t\"><a href=\"game/" + std::to_string(g.id) +
                    ".html\">Game " + std::to_string(g.id) + "</a></td></tr>\n";
        }
        body += "</table></div>\n";
        if (open.size() > static_cast<std::size_t>(Site::kCurrentGameRows)) {
            body += "<p class=\"note\">The first " + std::to_string(Site::kCurrentGameRows) +
                    " games by deadline.</p>\n";
        }
    }
    body += "<p class=\"links\"><a href=\"" + Escape(HistoryHref(kTop, account.name)) +
            "\">Game history of " + name +
            "</a> <a href=\"scoreboard.html\">The scoreboard</a></p>\n";
    return HtmlResponse(200, frame, body);
}

Response HistoryPage(Store& store, const Account& account, int page) {
    const std::string name = EscapeStored(account.name);
    PageFrame frame{"Game history of " + Utf8(account.name), ""};
    std::vector<Game> games =
        store.EndedGames(account.id, (page - 1) * Site::kHistoryRows, Site::kHistoryRows + 1);
    const bool more =
        games.size() > static_cast<std::size_t>(Site::kHistoryRows) && page < Site::kHistoryPages;
    if (games.size() > static_cast<std::size_t>(Site::kHistoryRows)) {
        games.resize(Site::kHistoryRows);
    }
    std::string body;
    if (games.empty()) {
        body += page == 1 ? "<p>No ended games yet.</p>\n" : "<p>No games on this page.</p>\n";
    } else {
        body += "<p>Ended games, the newest first" +
                (page > 1 ? ", page " + std::to_string(page) : std::string()) + ".</p>\n";
        body +=
            "<div class=\"scroll\"><table>\n<tr><th>Ended (UTC)</th><th>Opponent</th><th "
            "class=\"wide\">Colour</th><th class=\"wide\">Type</th><th>Result</th><th class=\"n "
            "wide\">Moves</th><th "
            "class=\"wide\">Started</th><th>Record</th></tr>\n";
        for (const Game& g : games) {
            const std::string colour = IsLocal(g)                ? "both"
                                       : g.whiteId == account.id ? "White"
                                                                 : "Black";
            body += "<tr><td class=\"t\">" + TableDate(g.endedAt) + "</td><td>" +
                    Opponent(g, account.id) + "</td><td class=\"wide\">" + colour +
                    "</td><td class=\"wide\">" + Escape(TypeName(g)) + "</td><td>" +
                    Outcome(g, account.id) + "</td><td class=\"n wide\">" +
                    std::to_string(FullMoves(g)) + "</td><td class=\"t wide\">" +
                    TableDate(g.created) + "</td><td>" + GameLinks(g, "") + "</td></tr>\n";
        }
        body += "</table></div>\n";
    }
    const std::string href = Escape(HistoryHref(kTop, account.name));
    body += "<p class=\"links\">";
    if (page > 1) {
        body +=
            "<a href=\"" + href + "&amp;page=" + std::to_string(page - 1) + "\">Newer games</a> ";
    }
    if (more) {
        body +=
            "<a href=\"" + href + "&amp;page=" + std::to_string(page + 1) + "\">Older games</a> ";
    }
    body += "<a href=\"" + Escape(StatsHref(kTop, account.name)) + "\">Statistics of " + name +
            "</a></p>\n";
    if (page == Site::kHistoryPages &&
        games.size() == static_cast<std::size_t>(Site::kHistoryRows)) {
        body += "<p class=\"note\">The history shows the newest " +
                std::to_string(Site::kHistoryRows * Site::kHistoryPages) + " games.</p>\n";
    }
    return HtmlResponse(200, frame, body);
}

Response ScoreboardPage(const std::vector<ScoreRow>& ranked) {
    const std::size_t shown = std::min(ranked.size(), static_cast<std::size_t>(kScoreboardRows));
    const std::vector<ScoreRow> rows(ranked.begin(), ranked.begin() + static_cast<long>(shown));
    PageFrame frame{"Scoreboard", ""};
    const std::string rules =
        "<p class=\"note\">Ended games between two named players count: games against the bot, "
        "with a guest and local games do not. Players with at least 10 such games are ranked by "
        "points per game (a win 1, a draw &frac12;), then by more games, more wins and name; "
        "then come the new players, by games and wins.</p>\n";
    if (rows.empty()) {
        return HtmlResponse(200, frame, "<p>Nobody has finished a counted game yet.</p>\n" + rules);
    }
    std::string body =
        "<div class=\"scroll\"><table>\n<tr><th class=\"n\">Rank</th><th>Player</th><th "
        "class=\"n\">Games</th><th class=\"n wide\">Won</th><th class=\"n wide\">Lost</th><th "
        "class=\"n wide\">Drawn</th><th class=\"n\">Points per game</th><th "
        "class=\"wide\">History</th></tr>\n";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const ScoreRow& r = rows[i];
        const int games = r.wins + r.losses + r.draws;
        char points[16];
        std::snprintf(points, sizeof points, "%.2f",
                      games > 0 ? (r.wins + r.draws / 2.0) / games : 0.0);
        body += "<tr><td class=\"n\">" + (games >= 10 ? std::to_string(i + 1) : "New") +
                "</td><td>" + PlayerLink(kTop, r.name) + "</td>" + Cell(games) +
                "<td class=\"n wide\">" + std::to_string(r.wins) + "</td><td class=\"n wide\">" +
                std::to_string(r.losses) + "</td><td class=\"n wide\">" + std::to_string(r.draws) +
                "</td><td class=\"n\">" + points + "</td><td class=\"wide\"><a href=\"" +
                Escape(HistoryHref(kTop, r.name)) + "\">History</a></td></tr>\n";
    }
    body += "</table></div>\n" + rules;
    return HtmlResponse(200, frame, body);
}

}  // namespace qc::server::web
