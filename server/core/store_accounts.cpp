// The store's accounts and guest numbers (the outbox is in store_mail.cpp).

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/store.h"
#include "server/core/store_statement.h"

namespace qc::server {

namespace {

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

}  // namespace

std::optional<Account> Store::FindAccount(std::string_view name) {
    static const std::string sql =
        std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE name = ?";
    Statement s(*this, sql);
    s.Bind(1, name);
    if (s.Step()) {
        return ReadAccount(s);
    }
    return std::nullopt;
}

std::optional<Account> Store::AccountById(std::int64_t id) {
    static const std::string sql =
        std::string("SELECT ") + kAccountColumns + " FROM accounts WHERE id = ?";
    Statement s(*this, sql);
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
    std::vector<std::int64_t> idle;
    {
        Statement s(*this,
                    "SELECT id FROM accounts WHERE kind = 1 AND last_seen < ? "
                    "AND NOT EXISTS (SELECT 1 FROM games WHERE white_id = accounts.id "
                    "AND ended = 0) "
                    "AND NOT EXISTS (SELECT 1 FROM games WHERE black_id = accounts.id "
                    "AND ended = 0) "
                    "AND NOT EXISTS (SELECT 1 FROM requests WHERE from_id = accounts.id "
                    "OR to_id = accounts.id)");
        s.Bind(1, notSeenSince);
        while (s.Step()) {
            idle.push_back(s.Int(0));
        }
    }
    // A game against a guest leaves its opponent's history with the guest.
    for (std::int64_t id : idle) {
        Statement chat(*this,
                       "DELETE FROM chat WHERE game_id IN (SELECT id FROM games WHERE "
                       "white_id = ?1 UNION ALL SELECT id FROM games WHERE black_id = ?1)");
        chat.Bind(1, id).Run();
        Statement games(*this, "DELETE FROM games WHERE white_id = ?1 OR black_id = ?1");
        games.Bind(1, id).Run();
        Statement account(*this, "DELETE FROM accounts WHERE id = ?");
        account.Bind(1, id).Run();
    }
    return static_cast<int>(idle.size());
}

}  // namespace qc::server
