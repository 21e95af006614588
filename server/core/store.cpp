#include "server/core/store.h"

#include <sqlite3.h>

#include <algorithm>

#include "server/core/text.h"

namespace qc::server {

// A prepared statement with positional binding; throws StoreError on failure.
class Statement {
  public:
    Statement(Store& store, const char* sql) : db_(store.db_) {
        if (sqlite3_prepare_v2(db_, sql, -1, &stmt_, nullptr) != SQLITE_OK) {
            throw StoreError(std::string("prepare: ") + sqlite3_errmsg(db_));
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, std::int64_t value) {
        Check(sqlite3_bind_int64(stmt_, index, value));
        return *this;
    }
    Statement& Bind(int index, std::string_view value) {
        // An empty view may have no data at all, which SQLite would store as NULL.
        Check(sqlite3_bind_text(stmt_, index, value.empty() ? "" : value.data(),
                                static_cast<int>(value.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement& BindNull(int index) {
        Check(sqlite3_bind_null(stmt_, index));
        return *this;
    }

    // True while a row is available.
    bool Step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc == SQLITE_DONE) {
            return false;
        }
        throw StoreError(std::string("step: ") + sqlite3_errmsg(db_));
    }
    void Run() {
        while (Step()) {
        }
    }

    std::int64_t Int(int column) const { return sqlite3_column_int64(stmt_, column); }
    bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
    std::string Text(int column) const {
        auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        int size = sqlite3_column_bytes(stmt_, column);
        return text ? std::string(text, static_cast<std::size_t>(size)) : std::string();
    }

  private:
    void Check(int rc) {
        if (rc != SQLITE_OK) {
            throw StoreError(std::string("bind: ") + sqlite3_errmsg(db_));
        }
    }

    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

namespace {

constexpr const char* kSchema = R"sql(
CREATE TABLE IF NOT EXISTS meta(
  key TEXT PRIMARY KEY,
  value INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS accounts(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  name TEXT NOT NULL UNIQUE COLLATE NOCASE,
  kind INTEGER NOT NULL,
  digest TEXT NOT NULL,
  email TEXT COLLATE NOCASE,
  first_name TEXT NOT NULL DEFAULT '',
  last_name TEXT NOT NULL DEFAULT '',
  referrer TEXT NOT NULL DEFAULT '',
  slots INTEGER NOT NULL,
  show_last1 INTEGER NOT NULL DEFAULT 1,
  show_last2 INTEGER NOT NULL DEFAULT 1,
  show_poss INTEGER NOT NULL DEFAULT 1,
  email_link INTEGER NOT NULL DEFAULT 0,
  text_link INTEGER NOT NULL DEFAULT 0,
  email_me_on_req INTEGER NOT NULL DEFAULT 0,
  text_me_on_req INTEGER NOT NULL DEFAULT 0,
  texts_free INTEGER NOT NULL DEFAULT 0,
  texts_purchased INTEGER NOT NULL DEFAULT 0,
  version TEXT NOT NULL DEFAULT '',
  created INTEGER NOT NULL,
  last_seen INTEGER NOT NULL);
CREATE UNIQUE INDEX IF NOT EXISTS accounts_email ON accounts(email) WHERE email IS NOT NULL;
CREATE TABLE IF NOT EXISTS requests(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  from_id INTEGER NOT NULL REFERENCES accounts(id),
  to_id INTEGER REFERENCES accounts(id),
  game_type TEXT NOT NULL,
  colour TEXT NOT NULL,
  amount INTEGER NOT NULL,
  unit TEXT NOT NULL,
  email_me INTEGER NOT NULL,
  text_me INTEGER NOT NULL,
  cancel_on_logout INTEGER NOT NULL,
  no_guests INTEGER NOT NULL,
  created INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS requests_from ON requests(from_id);
CREATE INDEX IF NOT EXISTS requests_to ON requests(to_id);
CREATE TABLE IF NOT EXISTS games(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  white_id INTEGER NOT NULL REFERENCES accounts(id),
  black_id INTEGER NOT NULL REFERENCES accounts(id),
  game_type TEXT NOT NULL,
  amount INTEGER NOT NULL,
  unit TEXT NOT NULL,
  created INTEGER NOT NULL,
  move_by INTEGER NOT NULL,
  to_move TEXT NOT NULL DEFAULT 'w',
  ended INTEGER NOT NULL DEFAULT 0,
  result TEXT NOT NULL DEFAULT '',
  ended_at INTEGER NOT NULL DEFAULT 0,
  white_removed INTEGER NOT NULL DEFAULT 0,
  black_removed INTEGER NOT NULL DEFAULT 0);
CREATE INDEX IF NOT EXISTS games_white ON games(white_id);
CREATE INDEX IF NOT EXISTS games_black ON games(black_id);
CREATE INDEX IF NOT EXISTS games_deadline ON games(ended, move_by);
CREATE TABLE IF NOT EXISTS chat(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  game_id INTEGER NOT NULL REFERENCES games(id),
  author TEXT NOT NULL,
  text TEXT NOT NULL,
  created INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS chat_game ON chat(game_id, id);
CREATE TABLE IF NOT EXISTS outbox(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  created INTEGER NOT NULL,
  recipient TEXT NOT NULL,
  subject TEXT NOT NULL,
  body TEXT NOT NULL);
)sql";

// Columns added to the games table after its first release; databases made
// before get them on opening.
constexpr const char* kGameColumns[][2] = {
    {"start_fen", "TEXT NOT NULL DEFAULT ''"},     {"moves", "TEXT NOT NULL DEFAULT ''"},
    {"phrase", "TEXT NOT NULL DEFAULT ''"},        {"draw_offer", "TEXT NOT NULL DEFAULT ''"},
    {"white_email", "INTEGER NOT NULL DEFAULT 0"}, {"white_text", "INTEGER NOT NULL DEFAULT 0"},
    {"black_email", "INTEGER NOT NULL DEFAULT 0"}, {"black_text", "INTEGER NOT NULL DEFAULT 0"}};

constexpr const char* kAccountColumns =
    "id, name, kind, digest, COALESCE(email, ''), slots, show_last1, show_last2, show_poss, "
    "email_link, text_link, email_me_on_req, text_me_on_req, texts_free, texts_purchased, version";

Account ReadAccount(const Statement& s) {
    Account a;
    a.id = s.Int(0);
    a.name = s.Text(1);
    a.kind = static_cast<AccountKind>(s.Int(2));
    a.digest = s.Text(3);
    a.email = s.Text(4);
    a.gameSlots = static_cast<int>(s.Int(5));
    for (std::size_t i = 0; i < a.flags.size(); ++i) {
        a.flags[i] = s.Int(6 + static_cast<int>(i)) != 0;
    }
    a.textsFree = static_cast<int>(s.Int(13));
    a.textsPurchased = static_cast<int>(s.Int(14));
    a.version = s.Text(15);
    return a;
}

constexpr const char* kRequestSelect =
    "SELECT r.id, r.from_id, fa.name, fa.kind, r.to_id, COALESCE(ta.name, ''), r.game_type, "
    "r.colour, r.amount, r.unit, r.email_me, r.text_me, r.cancel_on_logout, r.no_guests, "
    "r.created FROM requests r JOIN accounts fa ON fa.id = r.from_id "
    "LEFT JOIN accounts ta ON ta.id = r.to_id ";

Request ReadRequest(const Statement& s) {
    Request r;
    r.id = s.Int(0);
    r.fromId = s.Int(1);
    r.fromName = s.Text(2);
    r.fromKind = static_cast<AccountKind>(s.Int(3));
    if (!s.IsNull(4)) {
        r.toId = s.Int(4);
    }
    r.toName = s.Text(5);
    r.gameType = s.Text(6);
    std::string colour = s.Text(7);
    r.colour = colour == "b" ? 'b' : 'w';
    r.amount = static_cast<int>(s.Int(8));
    r.unit = s.Text(9);
    r.emailMe = s.Int(10) != 0;
    r.textMe = s.Int(11) != 0;
    r.cancelOnLogout = s.Int(12) != 0;
    r.noGuests = s.Int(13) != 0;
    r.created = s.Int(14);
    return r;
}

std::vector<Request> ReadRequests(Statement& s) {
    std::vector<Request> out;
    while (s.Step()) {
        out.push_back(ReadRequest(s));
    }
    return out;
}

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

std::vector<Game> ReadGames(Statement& s) {
    std::vector<Game> out;
    while (s.Step()) {
        out.push_back(ReadGame(s));
    }
    return out;
}

int ReadCount(Statement& s) {
    return s.Step() ? static_cast<int>(s.Int(0)) : 0;
}

}  // namespace

Store::Store(const std::string& path) {
    int rc =
        sqlite3_open_v2(path.c_str(), &db_,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close(db_);
        db_ = nullptr;
        throw StoreError("cannot open " + path + ": " + message);
    }
    try {
        sqlite3_busy_timeout(db_, 5000);
        // WAL with full sync: a committed change survives a killed process and
        // a power cut alike.
        Exec("PRAGMA journal_mode=WAL");
        Exec("PRAGMA synchronous=FULL");
        Exec("PRAGMA foreign_keys=ON");
        Migrate();
    } catch (...) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw;
    }
}

Store::~Store() {
    sqlite3_close(db_);
}

void Store::Exec(const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::string message = error ? error : "unknown error";
        sqlite3_free(error);
        throw StoreError(message);
    }
}

void Store::Migrate() {
    Transaction tx(*this);
    Exec(kSchema);
    std::vector<std::string> present;
    {
        Statement info(*this, "PRAGMA table_info(games)");
        while (info.Step()) {
            present.push_back(info.Text(1));
        }
    }
    for (const auto& [name, declaration] : kGameColumns) {
        if (std::find(present.begin(), present.end(), name) == present.end()) {
            Exec((std::string("ALTER TABLE games ADD COLUMN ") + name + " " + declaration).c_str());
        }
    }
    for (int level = 0; level <= 10; ++level) {
        Statement insert(*this,
                         "INSERT OR IGNORE INTO accounts(name, kind, digest, slots, created, "
                         "last_seen) VALUES(?, 2, '', 0, 0, 0)");
        insert.Bind(1, BotName(level)).Run();
    }
    tx.Commit();
}

std::string Store::JournalMode() {
    Statement s(*this, "PRAGMA journal_mode");
    return s.Step() ? s.Text(0) : std::string();
}

Store::Transaction::Transaction(Store& store) : store_(store) {
    store_.Exec("BEGIN IMMEDIATE");
}

Store::Transaction::~Transaction() {
    if (open_) {
        sqlite3_exec(store_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

void Store::Transaction::Commit() {
    store_.Exec("COMMIT");
    open_ = false;
}

std::optional<Account> Store::FindAccount(std::string_view name) {
    std::string sql = std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE name = ?";
    Statement s(*this, sql.c_str());
    s.Bind(1, name);
    if (s.Step()) {
        return ReadAccount(s);
    }
    return std::nullopt;
}

std::optional<Account> Store::AccountById(std::int64_t id) {
    std::string sql = std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE id = ?";
    Statement s(*this, sql.c_str());
    s.Bind(1, id);
    if (s.Step()) {
        return ReadAccount(s);
    }
    return std::nullopt;
}

bool Store::EmailTaken(std::string_view email) {
    Statement s(*this, "SELECT COUNT(*) FROM accounts WHERE email = ?");
    s.Bind(1, email);
    return ReadCount(s) > 0;
}

std::int64_t Store::CreateAccount(const NewAccount& a) {
    Statement s(*this,
                "INSERT INTO accounts(name, kind, digest, email, first_name, last_name, referrer, "
                "slots, created, last_seen) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    s.Bind(1, a.name).Bind(2, static_cast<std::int64_t>(a.kind)).Bind(3, a.digest);
    if (a.email.empty()) {
        s.BindNull(4);
    } else {
        s.Bind(4, a.email);
    }
    s.Bind(5, a.firstName).Bind(6, a.lastName).Bind(7, a.referrer).Bind(8, a.gameSlots);
    s.Bind(9, a.created).Bind(10, a.created).Run();
    return sqlite3_last_insert_rowid(db_);
}

void Store::SetDigest(std::int64_t accountId, std::string_view digest) {
    Statement s(*this, "UPDATE accounts SET digest = ? WHERE id = ?");
    s.Bind(1, digest).Bind(2, accountId).Run();
}

void Store::SetFlags(std::int64_t accountId, const AccountFlags& f) {
    Statement s(*this,
                "UPDATE accounts SET show_last1 = ?, show_last2 = ?, show_poss = ?, "
                "email_link = ?, text_link = ?, email_me_on_req = ?, text_me_on_req = ? "
                "WHERE id = ?");
    for (std::size_t i = 0; i < f.size(); ++i) {
        s.Bind(static_cast<int>(i) + 1, static_cast<std::int64_t>(f[i] ? 1 : 0));
    }
    s.Bind(8, accountId).Run();
}

void Store::SetSlots(std::int64_t accountId, int gameSlots) {
    Statement s(*this, "UPDATE accounts SET slots = ? WHERE id = ?");
    s.Bind(1, gameSlots).Bind(2, accountId).Run();
}

void Store::RecordLogin(std::int64_t accountId, std::string_view version, std::int64_t now) {
    Statement s(*this, "UPDATE accounts SET version = ?, last_seen = ? WHERE id = ?");
    s.Bind(1, version).Bind(2, now).Bind(3, accountId).Run();
}

void Store::RecordSeen(std::int64_t accountId, std::int64_t now) {
    Statement s(*this, "UPDATE accounts SET last_seen = ? WHERE id = ?");
    s.Bind(1, now).Bind(2, accountId).Run();
}

std::int64_t Store::TakeGuestNumber() {
    Statement read(*this, "SELECT value FROM meta WHERE key = 'next_guest'");
    std::int64_t number = read.Step() ? read.Int(0) : 1;
    Statement write(*this, "INSERT OR REPLACE INTO meta(key, value) VALUES('next_guest', ?)");
    write.Bind(1, number + 1).Run();
    return number;
}

int Store::DeleteIdleGuests(std::int64_t notSeenSince) {
    Statement s(*this,
                "DELETE FROM accounts WHERE kind = 1 AND last_seen < ? "
                "AND NOT EXISTS (SELECT 1 FROM games WHERE white_id = accounts.id "
                "OR black_id = accounts.id) "
                "AND NOT EXISTS (SELECT 1 FROM requests WHERE from_id = accounts.id "
                "OR to_id = accounts.id)");
    s.Bind(1, notSeenSince).Run();
    return sqlite3_changes(db_);
}

std::int64_t Store::AddRequest(const Request& r) {
    Statement s(*this,
                "INSERT INTO requests(from_id, to_id, game_type, colour, amount, unit, email_me, "
                "text_me, cancel_on_logout, no_guests, created) "
                "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    s.Bind(1, r.fromId);
    if (r.toId) {
        s.Bind(2, *r.toId);
    } else {
        s.BindNull(2);
    }
    s.Bind(3, r.gameType).Bind(4, std::string_view(r.colour == 'b' ? "b" : "w"));
    s.Bind(5, r.amount).Bind(6, r.unit).Bind(7, r.emailMe ? 1 : 0).Bind(8, r.textMe ? 1 : 0);
    s.Bind(9, r.cancelOnLogout ? 1 : 0).Bind(10, r.noGuests ? 1 : 0).Bind(11, r.created).Run();
    return sqlite3_last_insert_rowid(db_);
}

std::optional<Request> Store::FindRequest(std::int64_t id) {
    std::string sql = std::string(kRequestSelect) + "WHERE r.id = ?";
    Statement s(*this, sql.c_str());
    s.Bind(1, id);
    if (s.Step()) {
        return ReadRequest(s);
    }
    return std::nullopt;
}

void Store::DeleteRequest(std::int64_t id) {
    Statement s(*this, "DELETE FROM requests WHERE id = ?");
    s.Bind(1, id).Run();
}

std::vector<Request> Store::RequestsFor(std::int64_t accountId) {
    std::string sql = std::string(kRequestSelect) + "WHERE r.to_id = ? ORDER BY r.id";
    Statement s(*this, sql.c_str());
    s.Bind(1, accountId);
    return ReadRequests(s);
}

std::vector<Request> Store::RequestsBy(std::int64_t accountId) {
    std::string sql = std::string(kRequestSelect) + "WHERE r.from_id = ? ORDER BY r.id";
    Statement s(*this, sql.c_str());
    s.Bind(1, accountId);
    return ReadRequests(s);
}

std::vector<Request> Store::PublicRequests() {
    std::string sql = std::string(kRequestSelect) + "WHERE r.to_id IS NULL ORDER BY r.id";
    Statement s(*this, sql.c_str());
    return ReadRequests(s);
}

std::vector<Request> Store::CancelOnLogoutRequests(std::int64_t accountId) {
    std::string sql = std::string(kRequestSelect) +
                      "WHERE r.from_id = ? AND r.cancel_on_logout = 1 ORDER BY r.id";
    Statement s(*this, sql.c_str());
    s.Bind(1, accountId);
    return ReadRequests(s);
}

std::vector<std::int64_t> Store::AccountsWithCancelOnLogout() {
    Statement s(*this, "SELECT DISTINCT from_id FROM requests WHERE cancel_on_logout = 1");
    std::vector<std::int64_t> out;
    while (s.Step()) {
        out.push_back(s.Int(0));
    }
    return out;
}

int Store::CountRequestsFor(std::int64_t accountId) {
    Statement s(*this, "SELECT COUNT(*) FROM requests WHERE to_id = ?");
    s.Bind(1, accountId);
    return ReadCount(s);
}

int Store::CountRequestsBy(std::int64_t accountId) {
    Statement s(*this, "SELECT COUNT(*) FROM requests WHERE from_id = ?");
    s.Bind(1, accountId);
    return ReadCount(s);
}

std::int64_t Store::AddGame(const NewGame& g) {
    Statement s(*this,
                "INSERT INTO games(white_id, black_id, game_type, amount, unit, created, move_by, "
                "start_fen) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    s.Bind(1, g.whiteId).Bind(2, g.blackId).Bind(3, g.gameType).Bind(4, g.amount);
    s.Bind(5, g.unit).Bind(6, g.created).Bind(7, g.moveBy).Bind(8, g.startFen).Run();
    return sqlite3_last_insert_rowid(db_);
}

std::optional<Game> Store::FindGame(std::int64_t id) {
    std::string sql = std::string(kGameSelect) + "WHERE g.id = ?";
    Statement s(*this, sql.c_str());
    s.Bind(1, id);
    if (s.Step()) {
        return ReadGame(s);
    }
    return std::nullopt;
}

std::vector<Game> Store::OpenGames(std::int64_t accountId) {
    std::string sql = std::string(kGameSelect) +
                      "WHERE g.ended = 0 AND (g.white_id = ?1 OR g.black_id = ?1) "
                      "ORDER BY g.move_by, g.id";
    Statement s(*this, sql.c_str());
    s.Bind(1, accountId);
    return ReadGames(s);
}

std::vector<Game> Store::ClosedGames(std::int64_t accountId, int limit) {
    std::string sql = std::string(kGameSelect) +
                      "WHERE g.ended = 1 AND ((g.white_id = ?1 AND g.white_removed = 0) OR "
                      "(g.black_id = ?1 AND g.black_removed = 0)) "
                      "ORDER BY g.ended_at DESC, g.id DESC LIMIT ?2";
    Statement s(*this, sql.c_str());
    s.Bind(1, accountId).Bind(2, limit);
    return ReadGames(s);
}

int Store::CountOpenGames(std::int64_t accountId) {
    Statement s(*this,
                "SELECT COUNT(*) FROM games WHERE ended = 0 AND (white_id = ?1 OR black_id = ?1)");
    s.Bind(1, accountId);
    return ReadCount(s);
}

int Store::CountYourMove(std::int64_t accountId) {
    Statement s(*this,
                "SELECT COUNT(*) FROM games WHERE ended = 0 AND ((white_id = ?1 AND to_move = "
                "'w') OR (black_id = ?1 AND to_move = 'b'))");
    s.Bind(1, accountId);
    return ReadCount(s);
}

void Store::EndGame(std::int64_t gameId, GameResult result, std::int64_t when,
                    std::string_view phrase) {
    Statement s(*this,
                "UPDATE games SET ended = 1, result = ?, ended_at = ?, phrase = ?, "
                "draw_offer = '' WHERE id = ?");
    s.Bind(1, std::string_view(ResultText(result))).Bind(2, when).Bind(3, phrase);
    s.Bind(4, gameId).Run();
}

namespace {

std::string_view OfferText(char offer) {
    return offer == 'w' ? "w" : offer == 'b' ? "b" : "";
}

}  // namespace

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

void Store::AddMail(const Mail& mail) {
    Statement s(*this, "INSERT INTO outbox(created, recipient, subject, body) VALUES(?, ?, ?, ?)");
    s.Bind(1, mail.created).Bind(2, mail.recipient).Bind(3, mail.subject).Bind(4, mail.body).Run();
}

std::vector<Mail> Store::Outbox() {
    Statement s(*this, "SELECT id, created, recipient, subject, body FROM outbox ORDER BY id");
    std::vector<Mail> out;
    while (s.Step()) {
        out.push_back(Mail{s.Int(0), s.Int(1), s.Text(2), s.Text(3), s.Text(4)});
    }
    return out;
}

}  // namespace qc::server
