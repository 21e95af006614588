// The store's outbox, the queue of mail the server sends, and the marks that
// keep a game's mails from going twice.

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

constexpr const char* kMailSelect =
    "SELECT id, created, recipient, subject, body, kind, game_id, expires, state, attempts, "
    "next_try, sent_at, last_error FROM outbox ";

constexpr std::pair<MailKind, std::string_view> kKinds[] = {
    {MailKind::Password, "password"}, {MailKind::Move, "move"},
    {MailKind::Reminder, "reminder"}, {MailKind::Ended, "ended"},
    {MailKind::Request, "request"},   {MailKind::Answer, "answer"}};

constexpr std::pair<MailState, std::string_view> kStates[] = {
    {MailState::Pending, ""},
    {MailState::Sent, "sent"},
    {MailState::Failed, "failed"},
    {MailState::Expired, "expired"},
    {MailState::Superseded, "superseded"}};

std::string_view KindText(MailKind kind) {
    for (const auto& [k, text] : kKinds) {
        if (k == kind) {
            return text;
        }
    }
    return "password";
}

// An unknown kind is read as a password, whose body is then dropped once
// sent: the cautious reading.
MailKind KindFromText(std::string_view text) {
    for (const auto& [k, t] : kKinds) {
        if (t == text) {
            return k;
        }
    }
    return MailKind::Password;
}

std::string_view StateText(MailState state) {
    for (const auto& [s, text] : kStates) {
        if (s == state) {
            return text;
        }
    }
    return "";
}

// An unknown state is not pending: nothing is sent that was not meant to be.
MailState StateFromText(std::string_view text) {
    for (const auto& [s, t] : kStates) {
        if (t == text) {
            return s;
        }
    }
    return MailState::Failed;
}

Mail ReadMail(const Statement& s) {
    Mail m;
    m.id = s.Int(0);
    m.created = s.Int(1);
    m.recipient = s.Text(2);
    m.subject = s.Text(3);
    m.body = s.Text(4);
    m.kind = KindFromText(s.Text(5));
    m.gameId = s.Int(6);
    m.expires = s.Int(7);
    m.state = StateFromText(s.Text(8));
    m.attempts = static_cast<int>(s.Int(9));
    m.nextTry = s.Int(10);
    m.sentAt = s.Int(11);
    m.lastError = s.Text(12);
    return m;
}

}  // namespace

std::int64_t Store::AddMail(const Mail& mail) {
    Statement s(*this,
                "INSERT INTO outbox(created, recipient, subject, body, kind, game_id, expires, "
                "next_try) VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
    s.Bind(1, mail.created).Bind(2, mail.recipient).Bind(3, mail.subject).Bind(4, mail.body);
    s.Bind(5, KindText(mail.kind)).Bind(6, mail.gameId).Bind(7, mail.expires);
    s.Bind(8, mail.nextTry).Run();
    ++mailsAdded_;
    return sqlite3_last_insert_rowid(db_);
}

std::vector<Mail> Store::Outbox() {
    static const std::string sql = std::string(kMailSelect) + "ORDER BY id";
    Statement s(*this, sql);
    std::vector<Mail> out;
    while (s.Step()) {
        out.push_back(ReadMail(s));
    }
    return out;
}

std::optional<Mail> Store::FindMail(std::int64_t id) {
    static const std::string sql = std::string(kMailSelect) + "WHERE id = ?";
    Statement s(*this, sql);
    s.Bind(1, id);
    if (s.Step()) {
        return ReadMail(s);
    }
    return std::nullopt;
}

std::optional<Mail> Store::NextDueMail(std::int64_t now) {
    static const std::string sql =
        std::string(kMailSelect) +
        "WHERE state = '' AND next_try <= ? ORDER BY next_try, id LIMIT 1";
    Statement s(*this, sql);
    s.Bind(1, now);
    if (s.Step()) {
        return ReadMail(s);
    }
    return std::nullopt;
}

std::vector<Mail> Store::ExpireMails(std::int64_t now, std::int64_t oldest) {
    static const std::string sql = std::string(kMailSelect) +
                                   "WHERE state = '' AND ((expires <> 0 AND expires <= ?1) OR "
                                   "created < ?2) ORDER BY id";
    std::vector<Mail> out;
    {
        Statement s(*this, sql);
        s.Bind(1, now).Bind(2, oldest);
        while (s.Step()) {
            out.push_back(ReadMail(s));
        }
    }
    for (const Mail& m : out) {
        EndMail(m.id, MailState::Expired, m.lastError);
    }
    return out;
}

void Store::MarkMailSent(std::int64_t id, std::int64_t when, bool dropBody) {
    Statement s(*this,
                "UPDATE outbox SET state = 'sent', sent_at = ?, last_error = '', "
                "body = CASE WHEN ? THEN '' ELSE body END WHERE id = ?");
    s.Bind(1, when).Bind(2, dropBody ? 1 : 0).Bind(3, id).Run();
}

void Store::RetryMail(std::int64_t id, int attempts, std::int64_t nextTry, std::string_view error) {
    Statement s(*this,
                "UPDATE outbox SET attempts = ?, next_try = ?, last_error = ? WHERE id = ? AND "
                "state = ''");
    s.Bind(1, attempts).Bind(2, nextTry).Bind(3, error).Bind(4, id).Run();
}

void Store::EndMail(std::int64_t id, MailState state, std::string_view error) {
    Statement s(*this, "UPDATE outbox SET state = ?, last_error = ? WHERE id = ? AND state = ''");
    s.Bind(1, StateText(state)).Bind(2, error).Bind(3, id).Run();
}

void Store::SupersedeMails(std::string_view recipient, std::int64_t gameId,
                           const std::vector<MailKind>& kinds) {
    for (MailKind kind : kinds) {
        Statement s(*this,
                    "UPDATE outbox SET state = 'superseded' WHERE state = '' AND recipient = ? "
                    "AND game_id = ? AND kind = ?");
        s.Bind(1, recipient).Bind(2, gameId).Bind(3, KindText(kind)).Run();
    }
}

bool Store::TakeMailPly(std::int64_t gameId) {
    static const std::string sql = std::string("UPDATE games SET mail_ply = ") + kPlyCountSql +
                                   " WHERE id = ? AND mail_ply < " + kPlyCountSql;
    Statement s(*this, sql);
    s.Bind(1, gameId).Run();
    return sqlite3_changes(db_) > 0;
}

bool Store::MailPlyBehind(std::int64_t gameId) {
    static const std::string sql =
        std::string("SELECT mail_ply < ") + kPlyCountSql + " FROM games WHERE id = ?";
    Statement s(*this, sql);
    s.Bind(1, gameId);
    return s.Step() && s.Int(0) != 0;
}

std::int64_t Store::RemindedBy(std::int64_t gameId) {
    Statement s(*this, "SELECT reminded_by FROM games WHERE id = ?");
    s.Bind(1, gameId);
    return s.Step() ? s.Int(0) : 0;
}

void Store::SetRemindedBy(std::int64_t gameId, std::int64_t moveBy) {
    Statement s(*this, "UPDATE games SET reminded_by = ? WHERE id = ?");
    s.Bind(1, moveBy).Bind(2, gameId).Run();
}

std::vector<std::int64_t> Store::GamesForMail(std::int64_t now, std::int64_t window) {
    static const std::string sql =
        std::string(
            "SELECT id FROM games WHERE ended = 0 AND (white_email = 1 OR "
            "black_email = 1) AND (mail_ply < ") +
        kPlyCountSql + " OR (reminded_by <> move_by AND move_by > ?1 AND move_by <= ?1 + ?2)) " +
        "ORDER BY id";
    Statement s(*this, sql);
    s.Bind(1, now).Bind(2, window);
    std::vector<std::int64_t> out;
    while (s.Step()) {
        out.push_back(s.Int(0));
    }
    return out;
}

int Store::DeleteOldNotices(std::int64_t before) {
    Statement s(*this,
                "DELETE FROM outbox WHERE kind <> 'password' AND state <> '' AND created < ?");
    s.Bind(1, before).Run();
    return sqlite3_changes(db_);
}

}  // namespace qc::server
