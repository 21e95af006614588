// The store's reads for the web pages. Each walks a player's two indexes
// (as white, as black) from one end and stops at its limit, so that no page
// costs more than its rows, however long a player's history is.

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "server/core/store.h"
#include "server/core/store_statement.h"

namespace qc::server {

namespace {

std::vector<Game> GamesById(Store& store, const std::vector<std::int64_t>& ids) {
    std::vector<Game> out;
    out.reserve(ids.size());
    for (std::int64_t id : ids) {
        if (std::optional<Game> game = store.FindGame(id)) {
            out.push_back(std::move(*game));
        }
    }
    return out;
}

}  // namespace

std::vector<Game> Store::EndedGames(std::int64_t accountId, int offset, int limit) {
    // A compound SELECT with ORDER BY is merged from its two sides, each read
    // in index order, so the offset and limit bound the rows visited.
    Statement s(*this,
                "SELECT id, ended_at FROM games WHERE white_id = ?1 AND ended = 1 "
                "UNION ALL "
                "SELECT id, ended_at FROM games WHERE black_id = ?1 AND ended = 1 "
                "AND white_id <> ?1 "
                "ORDER BY 2 DESC, 1 DESC LIMIT ?2 OFFSET ?3");
    s.Bind(1, accountId).Bind(2, std::max(limit, 0)).Bind(3, std::max(offset, 0));
    std::vector<std::int64_t> ids;
    while (s.Step()) {
        ids.push_back(s.Int(0));
    }
    return GamesById(*this, ids);
}

std::vector<Game> Store::OpenGamesFirst(std::int64_t accountId, int limit) {
    // Left to itself SQLite walks the deadline index of every open game on
    // the server for the order; the player's own indexes hold only theirs.
    Statement s(*this,
                "SELECT id, move_by FROM games INDEXED BY games_white_state "
                "WHERE white_id = ?1 AND ended = 0 "
                "UNION ALL "
                "SELECT id, move_by FROM games INDEXED BY games_black_state "
                "WHERE black_id = ?1 AND ended = 0 "
                "AND white_id <> ?1 "
                "ORDER BY 2, 1 LIMIT ?2");
    s.Bind(1, accountId).Bind(2, std::max(limit, 0));
    std::vector<std::int64_t> ids;
    while (s.Step()) {
        ids.push_back(s.Int(0));
    }
    return GamesById(*this, ids);
}

std::vector<ResultCount> Store::ResultCounts(std::int64_t accountId, int newest) {
    Statement s(*this,
                "SELECT g.game_type, o.kind, "
                "CASE WHEN g.result = 'd' THEN 'd' "
                "WHEN (g.result = 'w') = (g.white_id = ?1) THEN 'w' ELSE 'l' END, COUNT(*) "
                "FROM (SELECT id, ended_at FROM games WHERE white_id = ?1 AND ended = 1 "
                "AND black_id <> ?1 "
                "UNION ALL "
                "SELECT id, ended_at FROM games WHERE black_id = ?1 AND ended = 1 "
                "AND white_id <> ?1 "
                "ORDER BY 2 DESC, 1 DESC LIMIT ?2) AS pick "
                "JOIN games g ON g.id = pick.id "
                "JOIN accounts o ON o.id = (CASE WHEN g.white_id = ?1 THEN g.black_id "
                "ELSE g.white_id END) "
                "WHERE g.result IN ('w', 'b', 'd') GROUP BY 1, 2, 3");
    s.Bind(1, accountId).Bind(2, std::max(newest, 0));
    // Keyed by type and kind, so that rows come out in a stable order.
    std::map<std::pair<std::string, int>, ResultCount> counts;
    while (s.Step()) {
        const std::string type = s.Text(0);
        const int kind = static_cast<int>(s.Int(1));
        ResultCount& c = counts[{type, kind}];
        c.gameType = type;
        c.opponentKind = static_cast<AccountKind>(kind);
        const std::string outcome = s.Text(2);
        const int n = static_cast<int>(s.Int(3));
        (outcome == "w" ? c.wins : outcome == "l" ? c.losses : c.draws) += n;
    }
    std::vector<ResultCount> out;
    for (auto& [key, count] : counts) {
        out.push_back(std::move(count));
    }
    return out;
}

}  // namespace qc::server
