// The store's games, their chat, past opponents and the scoreboard.

#include <sqlite3.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/core/store.h"
#include "server/core/store_statement.h"

namespace qc::server {

namespace {

constexpr const char* kGameSelect =
    "SELECT g.id, g.white_id, g.black_id, wa.name, ba.name, wa.kind, ba.kind, g.game_type, "
    "g.amount, g.unit, g.created, g.move_by, g.to_move, g.ended, g.result, g.ended_at, "
    "g.white_removed, g.black_removed, g.start_fen, g.moves, g.phrase, g.draw_offer, "
    "g.white_email, g.white_text, g.black_email, g.black_text "
    "FROM games g JOIN accounts wa ON wa.id = g.white_id "
    "JOIN accounts ba ON ba.id = g.black_id ";

GameResult ResultFromText(const std::string& text) {
    if (text == "w") {
        return GameResult::WhiteWins;
    }
    if (text == "b") {
        return GameResult::BlackWins;
    }
    if (text == "d") {
        return GameResult::Draw;
    }
    return GameResult::None;
}

const char* ResultText(GameResult result) {
    switch (result) {
        case GameResult::WhiteWins:
            return "w";
        case GameResult::BlackWins:
            return "b";
        case GameResult::Draw:
            return "d";
        case GameResult::None:
            break;
    }
    return "";
}

Game ReadGame(const Statement& s) {
    Game g;
    g.id = s.Int(0);
    g.whiteId = s.Int(1);
    g.blackId = s.Int(2);
    g.whiteName = s.Text(3);
    g.blackName = s.Text(4);
    g.whiteKind = static_cast<AccountKind>(s.Int(5));
    g.blackKind = static_cast<AccountKind>(s.Int(6));
    g.gameType = s.Text(7);
    g.amount = static_cast<int>(s.Int(8));
    g.unit = s.Text(9);
    g.created = s.Int(10);
    g.moveBy = s.Int(11);
    g.toMove = s.Text(12) == "b" ? 'b' : 'w';
    g.ended = s.Int(13) != 0;
    g.result = ResultFromText(s.Text(14));
    g.endedAt = s.Int(15);
    g.whiteRemoved = s.Int(16) != 0;
    g.blackRemoved = s.Int(17) != 0;
    g.startFen = s.Text(18);
    g.moves = s.Text(19);
    g.phrase = s.Text(20);
    std::string offer = s.Text(21);
    g.drawOffer = offer == "w" ? 'w' : offer == "b" ? 'b' : 0;
    g.whiteEmail = s.Int(22) != 0;
    g.whiteText = s.Int(23) != 0;
    g.blackEmail = s.Int(24) != 0;
    g.blackText = s.Int(25) != 0;
    return g;
}

std::string_view OfferText(char offer) {
    return offer == 'w' ? "w" : offer == 'b' ? "b" : "";
}

}  // namespace

std::int64_t Store::AddGame(const NewGame& g) {
    Statement s(*this,
                "INSERT INTO games(white_id, black_id, game_type, amount, unit, created, move_by, "
                "start_fen) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    s.Bind(1, g.whiteId).Bind(2, g.blackId).Bind(3, g.gameType).Bind(4, g.amount);
    s.Bind(5, g.unit).Bind(6, g.created).Bind(7, g.moveBy).Bind(8, g.startFen).Run();
    return sqlite3_last_insert_rowid(db_);
}

std::optional<Game> Store::FindGame(std::int64_t id) {
    static const std::string sql = std::string(kGameSelect) + "WHERE g.id = ?";
    Statement s(*this, sql);
    s.Bind(1, id);
    if (s.Step()) {
        return ReadGame(s);
    }
    return std::nullopt;
}

// The player's games are read side by side, each side through its own index
// (player, ended, end time), so that a long history costs the open games
// nothing; a local game has the player on both sides and is read as white.
std::vector<Game> Store::OpenGames(std::int64_t accountId) {
    static const std::string asWhite =
        std::string(kGameSelect) + "WHERE g.white_id = ?1 AND g.ended = 0";
    static const std::string asBlack =
        std::string(kGameSelect) + "WHERE g.black_id = ?1 AND g.ended = 0 AND g.white_id <> ?1";
    std::vector<Game> out;
    for (const std::string* sql : {&asWhite, &asBlack}) {
        Statement s(*this, *sql);
        s.Bind(1, accountId);
        while (s.Step()) {
            out.push_back(ReadGame(s));
        }
    }
    std::sort(out.begin(), out.end(), [](const Game& a, const Game& b) {
        return std::pair(a.moveBy, a.id) < std::pair(b.moveBy, b.id);
    });
    return out;
}

std::vector<Game> Store::ClosedGames(std::int64_t accountId, int limit) {
    // Each side walks its index from the newest end and stops at the limit.
    static const std::string asWhite =
        std::string(kGameSelect) +
        "WHERE g.white_id = ?1 AND g.ended = 1 AND g.white_removed = 0 "
        "ORDER BY g.ended_at DESC, g.id DESC LIMIT ?2";
    static const std::string asBlack =
        std::string(kGameSelect) +
        "WHERE g.black_id = ?1 AND g.ended = 1 AND g.black_removed = 0 "
        "AND NOT (g.white_id = ?1 AND g.white_removed = 0) "
        "ORDER BY g.ended_at DESC, g.id DESC LIMIT ?2";
    std::vector<Game> out;
    for (const std::string* sql : {&asWhite, &asBlack}) {
        Statement s(*this, *sql);
        s.Bind(1, accountId).Bind(2, limit);
        while (s.Step()) {
            out.push_back(ReadGame(s));
        }
    }
    std::sort(out.begin(), out.end(), [](const Game& a, const Game& b) {
        return std::pair(a.endedAt, a.id) > std::pair(b.endedAt, b.id);
    });
    if (out.size() > static_cast<std::size_t>(std::max(limit, 0))) {
        out.resize(static_cast<std::size_t>(std::max(limit, 0)));
    }
    return out;
}

int Store::CountOpenGames(std::int64_t accountId) {
    Statement s(*this,
                "SELECT (SELECT COUNT(*) FROM games WHERE white_id = ?1 AND ended = 0) + "
                "(SELECT COUNT(*) FROM games WHERE black_id = ?1 AND ended = 0 AND "
                "white_id <> ?1)");
    s.Bind(1, accountId);
    return ReadCount(s);
}

int Store::CountBotGamesSince(std::int64_t accountId, std::int64_t since) {
    Statement s(*this,
                "SELECT COUNT(*) FROM games g JOIN accounts wa ON wa.id = g.white_id "
                "JOIN accounts ba ON ba.id = g.black_id WHERE g.created > ?2 AND "
                "((g.white_id = ?1 AND ba.kind = 2) OR (g.black_id = ?1 AND wa.kind = 2))");
    s.Bind(1, accountId).Bind(2, since);
    return ReadCount(s);
}

int Store::CountLocalGamesSince(std::int64_t accountId, std::int64_t since) {
    Statement s(*this,
                "SELECT COUNT(*) FROM games WHERE white_id = ?1 AND black_id = ?1 AND "
                "created > ?2");
    s.Bind(1, accountId).Bind(2, since);
    return ReadCount(s);
}

int Store::CountYourMove(std::int64_t accountId) {
    Statement s(*this,
                "SELECT (SELECT COUNT(*) FROM games WHERE white_id = ?1 AND ended = 0 AND "
                "(to_move = 'w' OR black_id = ?1)) + "
                "(SELECT COUNT(*) FROM games WHERE black_id = ?1 AND ended = 0 AND "
                "white_id <> ?1 AND to_move = 'b')");
    s.Bind(1, accountId);
    return ReadCount(s);
}

void Store::EndGame(std::int64_t gameId, GameResult result, std::int64_t when,
                    std::string_view phrase) {
    ++scoreGeneration_;
    Statement s(*this,
                "UPDATE games SET ended = 1, result = ?, ended_at = ?, phrase = ?, "
                "draw_offer = '' WHERE id = ?");
    s.Bind(1, std::string_view(ResultText(result))).Bind(2, when).Bind(3, phrase);
    s.Bind(4, gameId).Run();
}

void Store::SetStartFen(std::int64_t gameId, std::string_view fen) {
    Statement s(*this, "UPDATE games SET start_fen = ? WHERE id = ?");
    s.Bind(1, fen).Bind(2, gameId).Run();
}

void Store::RecordMoves(std::int64_t gameId, std::string_view moves, char toMove,
                        std::int64_t moveBy, char drawOffer) {
    Statement s(*this,
                "UPDATE games SET moves = ?, to_move = ?, move_by = ?, draw_offer = ? "
                "WHERE id = ?");
    s.Bind(1, moves).Bind(2, std::string_view(toMove == 'b' ? "b" : "w")).Bind(3, moveBy);
    s.Bind(4, OfferText(drawOffer)).Bind(5, gameId).Run();
}

void Store::SetDrawOffer(std::int64_t gameId, char drawOffer) {
    Statement s(*this, "UPDATE games SET draw_offer = ? WHERE id = ?");
    s.Bind(1, OfferText(drawOffer)).Bind(2, gameId).Run();
}

void Store::SetGameNotify(std::int64_t gameId, char side, std::optional<bool> email,
                          std::optional<bool> text) {
    const bool black = side == 'b';
    if (email) {
        Statement s(*this, black ? "UPDATE games SET black_email = ? WHERE id = ?"
                                 : "UPDATE games SET white_email = ? WHERE id = ?");
        s.Bind(1, *email ? 1 : 0).Bind(2, gameId).Run();
    }
    if (text) {
        Statement s(*this, black ? "UPDATE games SET black_text = ? WHERE id = ?"
                                 : "UPDATE games SET white_text = ? WHERE id = ?");
        s.Bind(1, *text ? 1 : 0).Bind(2, gameId).Run();
    }
}

std::vector<std::int64_t> Store::GamesPastDeadline(std::int64_t now) {
    Statement s(*this, "SELECT id FROM games WHERE ended = 0 AND move_by <= ? ORDER BY move_by");
    s.Bind(1, now);
    std::vector<std::int64_t> out;
    while (s.Step()) {
        out.push_back(s.Int(0));
    }
    return out;
}

std::vector<std::int64_t> Store::GamesWithBotToMove() {
    Statement s(*this,
                "SELECT g.id FROM games g JOIN accounts wa ON wa.id = g.white_id "
                "JOIN accounts ba ON ba.id = g.black_id WHERE g.ended = 0 AND "
                "((g.to_move = 'w' AND wa.kind = 2) OR (g.to_move = 'b' AND ba.kind = 2)) "
                "ORDER BY g.id");
    std::vector<std::int64_t> out;
    while (s.Step()) {
        out.push_back(s.Int(0));
    }
    return out;
}

void Store::AddChat(std::int64_t gameId, std::string_view author, std::string_view text,
                    std::int64_t when, int keep) {
    Statement s(*this, "INSERT INTO chat(game_id, author, text, created) VALUES(?, ?, ?, ?)");
    s.Bind(1, gameId).Bind(2, author).Bind(3, text).Bind(4, when).Run();
    Statement trim(*this,
                   "DELETE FROM chat WHERE game_id = ?1 AND id NOT IN "
                   "(SELECT id FROM chat WHERE game_id = ?1 ORDER BY id DESC LIMIT ?2)");
    trim.Bind(1, gameId).Bind(2, keep).Run();
}

std::vector<ChatMessage> Store::Chat(std::int64_t gameId, int limit) {
    Statement s(*this,
                "SELECT author, text FROM (SELECT id, author, text FROM chat WHERE game_id = ? "
                "ORDER BY id DESC LIMIT ?) ORDER BY id");
    s.Bind(1, gameId).Bind(2, limit);
    std::vector<ChatMessage> out;
    while (s.Step()) {
        out.push_back(ChatMessage{s.Text(0), s.Text(1)});
    }
    return out;
}

void Store::SetToMove(std::int64_t gameId, char colour, std::int64_t moveBy) {
    Statement s(*this, "UPDATE games SET to_move = ?, move_by = ? WHERE id = ?");
    s.Bind(1, std::string_view(colour == 'b' ? "b" : "w")).Bind(2, moveBy).Bind(3, gameId).Run();
}

void Store::MarkRemoved(std::int64_t gameId, std::int64_t accountId) {
    Statement s(*this,
                "UPDATE games SET "
                "white_removed = CASE WHEN white_id = ?1 THEN 1 ELSE white_removed END, "
                "black_removed = CASE WHEN black_id = ?1 THEN 1 ELSE black_removed END "
                "WHERE id = ?2 AND ended = 1");
    s.Bind(1, accountId).Bind(2, gameId).Run();
}

std::vector<std::string> Store::PastOpponents(std::int64_t accountId, int limit) {
    Statement s(*this,
                "SELECT a.name FROM (SELECT CASE WHEN white_id = ?1 THEN black_id ELSE white_id "
                "END AS opp, MAX(id) AS last FROM games WHERE (white_id = ?1 OR black_id = ?1) "
                "AND white_id <> black_id GROUP BY opp) o JOIN accounts a ON a.id = o.opp "
                "WHERE a.kind <> 2 ORDER BY o.last DESC LIMIT ?2");
    s.Bind(1, accountId).Bind(2, limit);
    std::vector<std::string> out;
    while (s.Step()) {
        out.push_back(s.Text(0));
    }
    return out;
}

std::vector<ScoreRow> Store::ScoreRows() {
    Statement s(*this,
                "SELECT a.name, a.version, "
                "SUM(CASE WHEN (g.white_id = a.id AND g.result = 'w') OR "
                "(g.black_id = a.id AND g.result = 'b') THEN 1 ELSE 0 END), "
                "SUM(CASE WHEN (g.white_id = a.id AND g.result = 'b') OR "
                "(g.black_id = a.id AND g.result = 'w') THEN 1 ELSE 0 END), "
                "SUM(CASE WHEN g.result = 'd' THEN 1 ELSE 0 END) "
                "FROM accounts a JOIN games g ON (g.white_id = a.id OR g.black_id = a.id) "
                "AND g.ended = 1 AND g.white_id <> g.black_id AND g.result IN ('w', 'b', 'd') "
                "JOIN accounts o ON o.id = (CASE WHEN g.white_id = a.id THEN g.black_id "
                "ELSE g.white_id END) AND o.kind = 0 "
                "WHERE a.kind = 0 GROUP BY a.id");
    std::vector<ScoreRow> out;
    while (s.Step()) {
        ScoreRow row;
        row.name = s.Text(0);
        row.version = s.Text(1);
        row.wins = static_cast<int>(s.Int(2));
        row.losses = static_cast<int>(s.Int(3));
        row.draws = static_cast<int>(s.Int(4));
        out.push_back(row);
    }
    return out;
}

}  // namespace qc::server
