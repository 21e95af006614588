#pragma once

// The store's prepared statements, shared by store.cpp and the store_*.cpp files
// only; not part of the store's interface.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "server/core/store.h"

namespace qc::server {

// A prepared statement with positional binding; throws StoreError on failure.
// It comes from the store's cache and goes back reset, its bindings cleared.
class Statement {
  public:
    Statement(Store& store, std::string_view sql) : db_(store.db_) {
        auto found = store.statements_.find(sql);
        if (found != store.statements_.end() && !found->second.busy) {
            cached_ = &found->second;
            stmt_ = cached_->stmt;
            cached_->busy = true;
            return;
        }
        if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &stmt_, nullptr) !=
            SQLITE_OK) {
            sqlite3_finalize(stmt_);
            throw StoreError(std::string("prepare: ") + sqlite3_errmsg(db_));
        }
        if (found == store.statements_.end()) {
            cached_ = &store.statements_.emplace(std::string(sql), Store::CachedStatement{})
                           .first->second;
            cached_->stmt = stmt_;
            cached_->busy = true;
        }
    }
    ~Statement() {
        if (cached_ == nullptr) {
            sqlite3_finalize(stmt_);
            return;
        }
        sqlite3_reset(stmt_);
        sqlite3_clear_bindings(stmt_);
        cached_->busy = false;
    }
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
    Store::CachedStatement* cached_ = nullptr;  // null: prepared for this use alone
};

// The number of half-moves in the games table's move text ("e2e4 e7e5").
inline constexpr const char* kPlyCountSql =
    "(CASE moves WHEN '' THEN 0 ELSE length(moves) - length(replace(moves, ' ', '')) + 1 END)";

// The first column of a one-row result (a COUNT), 0 when there is no row.
inline int ReadCount(Statement& s) {
    return s.Step() ? static_cast<int>(s.Int(0)) : 0;
}

}  // namespace qc::server
