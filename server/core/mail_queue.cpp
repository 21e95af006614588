#include "server/core/mail_queue.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "client/core/account/cp1252.h"
#include "server/core/mail_message.h"

namespace qc::server {

namespace {

std::string DomainOf(const std::string& address) {
    std::size_t at = address.find('@');
    return at == std::string::npos ? std::string("localhost") : address.substr(at + 1);
}

// Stored text as it may go into a log line: no control characters.
// A notice of a move or a close deadline still wanted: the recipient still
// plays the game and has not switched its mail off since it was queued.
bool StillWished(Store& store, const Mail& mail) {
    if ((mail.kind != MailKind::Move && mail.kind != MailKind::Reminder) || mail.gameId == 0) {
        return true;
    }
    const std::optional<Game> game = store.FindGame(mail.gameId);
    if (!game) {
        return false;
    }
    for (const auto& [accountId, wish] :
         {std::pair{game->whiteId, game->whiteEmail}, std::pair{game->blackId, game->blackEmail}}) {
        const std::optional<Account> account = store.AccountById(accountId);
        if (wish && account && account->email == mail.recipient) {
            return true;
        }
    }
    return false;
}

std::string ForLog(std::string_view text) {
    std::string out;
    for (char c : text.substr(0, 254)) {
        out += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? '?' : c;
    }
    return out;
}

}  // namespace

MailQueue::MailQueue(Store& store, MailSettings settings, MailTransport& transport,
                     std::function<void(std::string_view)> log)
    : store_(store), settings_(std::move(settings)), transport_(transport), log_(std::move(log)) {}

void MailQueue::Log(std::string_view text) const {
    if (log_) {
        log_(text);
    }
}

MailQueue::Verdict MailQueue::Judge(const SendResult& result) {
    if (result.accepted) {
        return Verdict::Sent;
    }
    const bool permanent = result.smtpCode >= 500 && result.smtpCode <= 599;
    if (permanent && (result.stage == SendResult::Stage::Recipient ||
                      result.stage == SendResult::Stage::Message)) {
        return Verdict::Refused;
    }
    // A refused sender or log-in is the relay's set-up, not this mail's
    // fault: the mail waits until the administrator has put it right.
    return Verdict::Retry;
}

std::chrono::seconds MailQueue::Backoff(int failures, std::chrono::seconds first,
                                        std::chrono::seconds max) {
    std::chrono::seconds wait = first;
    for (int i = 1; i < failures && wait < max; ++i) {
        wait *= 2;
    }
    return std::min(wait, max);
}

void MailQueue::Pump(TimePoint now) {
    if (inFlight_ || (pausedUntil_ && now < *pausedUntil_)) {
        return;
    }
    pausedUntil_.reset();
    const std::int64_t at = ToUnixSeconds(now);
    std::optional<Mail> mail;
    std::string message;
    try {
        Store::Transaction tx(store_);
        int stale = 0;
        for (const Mail& m : store_.ExpireMails(at, at - settings_.giveUpAfter.count())) {
            if (m.kind == MailKind::Password) {
                // The administrator can still hand this one over.
                Log("mail " + std::to_string(m.id) + " to " + ForLog(m.recipient) +
                    " given up, it stays in the outbox (" +
                    (m.lastError.empty() ? std::string("not sent") : m.lastError) + ")");
            } else {
                ++stale;
            }
        }
        if (stale > 0) {
            Log(std::to_string(stale) + " notice mails set aside unsent: their time has passed");
        }
        // Each pass hands over at most one mail; a bounded number of
        // unsendable ones is set aside on the way.
        for (int skipped = 0; skipped < 100; ++skipped) {
            mail = store_.NextDueMail(at);
            if (!mail) {
                break;
            }
            if (!StillWished(store_, *mail)) {
                store_.EndMail(mail->id, MailState::Superseded, "the player no longer asks for it");
                mail.reset();
                continue;
            }
            MessageParts parts;
            parts.from = settings_.from;
            parts.fromName = settings_.fromName;
            parts.to = mail->recipient;
            parts.subject = Cp1252ToUtf8(mail->subject);
            parts.body = Cp1252ToUtf8(mail->body);
            parts.messageId = "quorvel." + std::to_string(mail->id) + "." +
                              std::to_string(mail->created) + "@" + DomainOf(settings_.from);
            parts.date = now;
            parts.utc = settings_.utc;
            std::optional<std::string> composed = ComposeMessage(parts);
            if (composed) {
                message = std::move(*composed);
                break;
            }
            store_.EndMail(mail->id, MailState::Failed, "not a plain mail address");
            Log("mail " + std::to_string(mail->id) + " not sent: '" + ForLog(mail->recipient) +
                "' is not a plain mail address");
            mail.reset();
        }
        tx.Commit();
    } catch (const std::exception& e) {
        Log(std::string("mail queue: ") + e.what());
        return;
    }
    if (!mail) {
        return;
    }
    inFlight_ = mail->id;
    transport_.Send(mail->id, settings_.from, mail->recipient, message);
}

void MailQueue::Finished(const SendResult& result, TimePoint now) {
    if (!inFlight_ || *inFlight_ != result.mailId) {
        Log("mail queue: a result for mail " + std::to_string(result.mailId) +
            " that was not on its way");
        return;
    }
    inFlight_.reset();
    const std::int64_t at = ToUnixSeconds(now);
    const Verdict verdict = Judge(result);
    try {
        Store::Transaction tx(store_);
        std::optional<Mail> mail = store_.FindMail(result.mailId);
        if (mail && mail->state == MailState::Pending) {
            switch (verdict) {
                case Verdict::Sent:
                    // The password lives on only in the player's mailbox.
                    store_.MarkMailSent(mail->id, at, mail->kind == MailKind::Password);
                    break;
                case Verdict::Refused:
                    store_.EndMail(mail->id, MailState::Failed, result.error);
                    Log("mail " + std::to_string(mail->id) + " to " + ForLog(mail->recipient) +
                        " refused by the relay: " + result.error);
                    break;
                case Verdict::Retry: {
                    const int attempts = mail->attempts + 1;
                    const auto wait = Backoff(attempts, settings_.firstRetry, settings_.maxRetry);
                    store_.RetryMail(mail->id, attempts, at + wait.count(), result.error);
                    if (result.stage == SendResult::Stage::Connection) {
                        // Nothing else gets through either: all mail waits,
                        // longer with each failed try in a row.
                        ++unreachable_;
                        pausedUntil_ =
                            now + Backoff(unreachable_, settings_.firstRetry, settings_.maxRetry);
                    }
                    if (!relayDown_) {
                        Log("mail relay: " + result.error + "; mail waits and is tried again");
                    }
                    relayDown_ = true;
                    break;
                }
            }
        }
        tx.Commit();
    } catch (const std::exception& e) {
        Log(std::string("mail queue: ") + e.what());
    }
    if (verdict != Verdict::Retry) {
        unreachable_ = 0;
    }
    if (verdict != Verdict::Retry && relayDown_) {
        relayDown_ = false;
        Log("mail relay answers again");
    }
    Pump(now);
}

}  // namespace qc::server
