// The store's database: opening it, its schema and migrations, transactions.

#include "server/core/store.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <vector>

#include "server/core/store_statement.h"
#include "server/core/text.h"

namespace qc::server {

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
DROP INDEX IF EXISTS games_white;
DROP INDEX IF EXISTS games_black;
CREATE INDEX IF NOT EXISTS games_white_state ON games(white_id, ended, ended_at);
CREATE INDEX IF NOT EXISTS games_black_state ON games(black_id, ended, ended_at);
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
constexpr const char* kGameColumns[][2] = {{"start_fen", "TEXT NOT NULL DEFAULT ''"},
                                           {"moves", "TEXT NOT NULL DEFAULT ''"},
                                           {"phrase", "TEXT NOT NULL DEFAULT ''"},
                                           {"draw_offer", "TEXT NOT NULL DEFAULT ''"},
                                           {"white_email", "INTEGER NOT NULL DEFAULT 0"},
                                           {"white_text", "INTEGER NOT NULL DEFAULT 0"},
                                           {"black_email", "INTEGER NOT NULL DEFAULT 0"},
                                           {"black_text", "INTEGER NOT NULL DEFAULT 0"},
                                           // The half-moves up to which "your move" mails were
                                           // decided, and the deadline a reminder was mailed for.
                                           {"mail_ply", "INTEGER NOT NULL DEFAULT 0"},
                                           {"reminded_by", "INTEGER NOT NULL DEFAULT 0"}};

// The outbox became the queue of the mail the server sends. Rows made before
// were all new accounts' passwords.
constexpr const char* kOutboxColumns[][2] = {
    {"kind", "TEXT NOT NULL DEFAULT 'password'"}, {"game_id", "INTEGER NOT NULL DEFAULT 0"},
    {"expires", "INTEGER NOT NULL DEFAULT 0"},    {"state", "TEXT NOT NULL DEFAULT ''"},
    {"attempts", "INTEGER NOT NULL DEFAULT 0"},   {"next_try", "INTEGER NOT NULL DEFAULT 0"},
    {"sent_at", "INTEGER NOT NULL DEFAULT 0"},    {"last_error", "TEXT NOT NULL DEFAULT ''"}};

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
    for (auto& [sql, cached] : statements_) {
        sqlite3_finalize(cached.stmt);
    }
    sqlite3_close(db_);
}

void Store::Run(std::string_view sql) {
    Statement s(*this, sql);
    s.Run();
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
    // Adds the columns a table lacks; returns the names of those it added.
    auto addColumns = [this](const std::string& table, const auto& columns) {
        std::vector<std::string> present;
        std::vector<std::string> added;
        {
            Statement info(*this, "PRAGMA table_info(" + table + ")");
            while (info.Step()) {
                present.push_back(info.Text(1));
            }
        }
        for (const auto& [name, declaration] : columns) {
            if (std::find(present.begin(), present.end(), name) == present.end()) {
                Exec(("ALTER TABLE " + table + " ADD COLUMN " + name + " " + declaration).c_str());
                added.emplace_back(name);
            }
        }
        return added;
    };
    const std::vector<std::string> gameColumns = addColumns("games", kGameColumns);
    if (std::find(gameColumns.begin(), gameColumns.end(), "mail_ply") != gameColumns.end()) {
        // Moves made before mail was sent are not mailed about afterwards.
        Exec((std::string("UPDATE games SET mail_ply = ") + kPlyCountSql).c_str());
    }
    addColumns("outbox", kOutboxColumns);
    Exec("CREATE INDEX IF NOT EXISTS outbox_due ON outbox(state, next_try)");
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

std::int64_t Store::TotalChanges() const {
    return sqlite3_total_changes64(db_);
}

Store::Transaction::Transaction(Store& store) : store_(store) {
    store_.Run(store_.depth_ == 0 ? "BEGIN IMMEDIATE" : "SAVEPOINT line");
    ++store_.depth_;
}

Store::Transaction::~Transaction() {
    if (!open_) {
        return;
    }
    --store_.depth_;
    ++store_.scoreGeneration_;
    if (store_.depth_ == 0) {
        sqlite3_exec(store_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
    } else {
        // Undoes this savepoint's changes and ends it; the outer one goes on.
        sqlite3_exec(store_.db_, "ROLLBACK TO line; RELEASE line", nullptr, nullptr, nullptr);
    }
}

void Store::Transaction::Commit() {
    store_.Run(store_.depth_ == 1 ? "COMMIT" : "RELEASE line");
    --store_.depth_;
    open_ = false;
}

}  // namespace qc::server
