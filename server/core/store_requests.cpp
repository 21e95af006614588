// The store's game requests.

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

}  // namespace

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
    static const std::string sql = std::string(kRequestSelect) + "WHERE r.id = ?";
    Statement s(*this, sql);
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
    static const std::string sql = std::string(kRequestSelect) + "WHERE r.to_id = ? ORDER BY r.id";
    Statement s(*this, sql);
    s.Bind(1, accountId);
    return ReadRequests(s);
}

std::vector<Request> Store::RequestsBy(std::int64_t accountId) {
    static const std::string sql =
        std::string(kRequestSelect) + "WHERE r.from_id = ? ORDER BY r.id";
    Statement s(*this, sql);
    s.Bind(1, accountId);
    return ReadRequests(s);
}

std::vector<Request> Store::PublicRequests() {
    static const std::string sql =
        std::string(kRequestSelect) + "WHERE r.to_id IS NULL ORDER BY r.id";
    Statement s(*this, sql);
    return ReadRequests(s);
}

std::vector<Request> Store::CancelOnLogoutRequests(std::int64_t accountId) {
    static const std::string sql = std::string(kRequestSelect) +
                                   "WHERE r.from_id = ? AND r.cancel_on_logout = 1 ORDER BY r.id";
    Statement s(*this, sql);
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

int Store::CountRequestsBetween(std::int64_t fromId, std::int64_t toId) {
    Statement s(*this, "SELECT COUNT(*) FROM requests WHERE to_id = ? AND from_id = ?");
    s.Bind(1, toId).Bind(2, fromId);
    return ReadCount(s);
}

int Store::CountRequestsBy(std::int64_t accountId) {
    Statement s(*this, "SELECT COUNT(*) FROM requests WHERE from_id = ?");
    s.Bind(1, accountId);
    return ReadCount(s);
}

}  // namespace qc::server
