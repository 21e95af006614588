#include "server/core/server_core.h"

#include <exception>
#include <iterator>
#include <optional>

#include "server/core/notices.h"
#include "server/core/requests.h"
#include "server/core/text.h"

namespace qc::server {

ServerCore::ServerCore(Store& store, Config config)
    : store_(store),
      config_(std::move(config)),
      accounts_(store_, config_),
      datagramLimiter_(config_.datagramBurst, config_.datagramsPerSecond),
      networkLimiter_(config_.networkBurst, config_.networkLinesPerSecond),
      creationLimiter_(config_.creationBurst, config_.creationsPerSecond),
      authLimiter_(config_.authFailureBurst, config_.authFailuresPerSecond),
      accountAuthLimiter_(config_.accountAuthFailureBurst, config_.accountAuthFailuresPerSecond),
      games_(store_, config_, sessions_) {
    AddCommand("update", [](CommandContext& ctx) { ctx.ReplyUpdate(); });
    AddCommand("pong", [](CommandContext&) {});
    AddCommand("getsettings", &AccountService::GetSettings);
    AddCommand("settings", &AccountService::SetSettings);
    AddCommand("gamelist", [](CommandContext& ctx) {
        ctx.Reply(GameListLines(ctx.store, ctx.account, ctx.config));
    });
    AddCommand("opengames", [](CommandContext& ctx) {
        ctx.Reply(OpenGamesLines(ctx.store, ctx.account, ctx.config));
    });
    AddCommand("publicreqs",
               [](CommandContext& ctx) { ctx.Reply(PublicRequestsLines(ctx.store)); });
    AddCommand("scoreboard",
               [this](CommandContext& ctx) { ctx.Reply(scoreboard_.Lines(ctx.store, ctx.now)); });
    AddCommand("requestwin",
               [](CommandContext& ctx) { ctx.Reply(OppHistoryLines(ctx.store, ctx.account)); });
    AddCommand("request", &RequestService::MakeRequest);
    AddCommand("accept", &RequestService::Accept);
    AddCommand("cancel", &RequestService::Cancel);
    AddCommand("remove", &RequestService::Remove);
    for (auto& [word, handler] : games_.Commands()) {
        AddCommand(word, std::move(handler));
    }
}

void ServerCore::AddCommand(std::string word, CommandHandler handler) {
    commands_[std::move(word)] = std::move(handler);
}

std::vector<Outgoing> ServerCore::BotAnswer(const EngineAnswer& answer, TimePoint now) {
    std::vector<Outgoing> out;
    games_.BotAnswer(answer, now, out);
    MailAfterMove(answer.gameId, now);
    if (mail_ != nullptr) {
        mail_->Pump(now);
    }
    return out;
}

void ServerCore::Log(std::string_view text) const {
    if (config_.log) {
        config_.log(text);
    }
}

std::vector<Outgoing> ServerCore::HandleDatagram(const Endpoint& from, std::string_view bytes,
                                                 TimePoint now) {
    std::vector<Outgoing> out;
    if (!started_) {
        started_ = now;
    }
    const std::string network = SenderNetwork(from.address);
    // Every line is charged, so packing lines into one datagram buys nothing;
    // a sender's many ports together are limited per network as well.
    auto allow = [&] {
        return datagramLimiter_.Allow(from, now) && networkLimiter_.Allow(network, now);
    };
    if (bytes.size() > kMaxDatagram) {
        allow();
        return out;
    }
    std::vector<std::string_view> lines = SplitLines(bytes);
    if (lines.empty()) {
        allow();
    }
    if (lines.size() > kMaxLinesPerDatagram) {
        lines.resize(kMaxLinesPerDatagram);
    }
    for (std::string_view line : lines) {
        if (!allow()) {
            break;
        }
        // The bot answers a move at once, before the sender's next line; only
        // the game the line touched is looked at, the rest waits for the tick.
        if (line.size() <= kMaxLine) {
            if (std::int64_t botGame = HandleLine(from, network, line, now, out)) {
                games_.BotTurn(botGame, now, out);
                MailAfterMove(botGame, now);
            }
        }
    }
    return out;
}

std::vector<Outgoing> ServerCore::HandleDatagrams(const std::vector<Incoming>& datagrams,
                                                  TimePoint now, const Sink& atOnce) {
    std::vector<Outgoing> out;
    const std::int64_t mailsBefore = store_.MailsAdded();
    std::optional<Store::Transaction> batch;
    try {
        batch.emplace(store_);
    } catch (const std::exception& e) {
        // Each line then commits on its own, as a lone datagram's would.
        Log(std::string("cannot batch lines: ") + e.what());
    }
    const std::int64_t unwritten = store_.TotalChanges();
    for (const Incoming& datagram : datagrams) {
        std::vector<Outgoing> replies = HandleDatagram(datagram.from, datagram.bytes, now);
        if (atOnce && batch && store_.TotalChanges() == unwritten) {
            atOnce(replies);
            continue;
        }
        out.insert(out.end(), std::make_move_iterator(replies.begin()),
                   std::make_move_iterator(replies.end()));
    }
    if (batch) {
        try {
            batch->Commit();
        } catch (const std::exception& e) {
            Log("lines of " + std::to_string(datagrams.size()) +
                " datagrams not committed, left unanswered: " + e.what());
            return {};
        }
    }
    // New mail goes at once; the rest waits for the tick.
    if (mail_ != nullptr && store_.MailsAdded() != mailsBefore) {
        mail_->Pump(now);
    }
    return out;
}

std::int64_t ServerCore::HandleLine(const Endpoint& from, const std::string& network,
                                    std::string_view line, TimePoint now,
                                    std::vector<Outgoing>& out) {
    std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos || blank == 0) {
        return 0;
    }
    std::string_view qvid = line.substr(0, blank);
    std::string_view command = line.substr(blank + 1);
    std::size_t wordEnd = command.find(' ');
    std::string word = Lower(command.substr(0, wordEnd));
    std::string_view args =
        wordEnd == std::string_view::npos ? std::string_view() : command.substr(wordEnd + 1);

    std::size_t mark = out.size();
    try {
        if (word == "connect") {
            HandleLogin(from, network, qvid, args, now, out);
            return 0;
        }
        if (word == "createqvid") {
            if (!creationLimiter_.Allow(network, now)) {
                return 0;
            }
            Store::Transaction tx(store_);
            std::string reply = accounts_.CreateAccount(args, now);
            tx.Commit();
            out.push_back(Outgoing{from, std::move(reply)});
            return 0;
        }
        if (word == "changepw") {
            // The old password is checked first: only wrong ones are limited,
            // so a guesser cannot keep the owner from changing it.
            Store::Transaction tx(store_);
            std::string reply = accounts_.ChangePassword(args);
            tx.Commit();
            if (reply == "!a2") {
                // The account as ChangePassword read it, blanks before it too.
                std::string_view name =
                    args.substr(std::min(args.find_first_not_of(' '), args.size()));
                name = name.substr(0, name.find(' '));
                if (!CountWrongPassword(name, network, now)) {
                    return 0;
                }
            } else if (reply == "!a1" && !authLimiter_.CanSpend(network, now)) {
                return 0;
            }
            out.push_back(Outgoing{from, std::move(reply)});
            return 0;
        }

        Session* session = sessions_.ByEndpoint(from);
        if (session == nullptr || !EqualsNoCase(session->name, qvid)) {
            return 0;
        }
        session->lastHeard = now;
        if (word == "disconnect") {
            Session ended = *session;
            sessions_.Close(from);
            EndSession(ended, now, out);
            return 0;
        }
        auto handler = commands_.find(word);
        if (handler == commands_.end()) {
            return 0;
        }
        Store::Transaction tx(store_);
        auto account = store_.AccountById(session->accountId);
        if (!account) {
            return 0;
        }
        CommandContext ctx{store_, config_, sessions_, now, *session, std::move(*account),
                           args,   out,     false};
        handler->second(ctx);
        if (ctx.botGame != 0) {
            // A move's mail is queued in the move's own transaction.
            notices::AfterMove(store_, config_, ctx.botGame, now);
        }
        tx.Commit();
        return ctx.botGame;
    } catch (const std::exception& e) {
        // The line's changes were rolled back, so nothing it produced may go out.
        out.resize(mark);
        Log(std::string("line dropped: ") + e.what());
    }
    return 0;
}

void ServerCore::HandleLogin(const Endpoint& from, const std::string& network,
                             std::string_view qvid, std::string_view args, TimePoint now,
                             std::vector<Outgoing>& out) {
    Store::Transaction tx(store_);
    // Only the making of a new guest is limited (per address rather than per
    // port): a guest that proves itself is an ordinary returning user.
    AccountService::LoginResult result =
        accounts_.Login(qvid, args, now, [&] { return creationLimiter_.Allow(network, now); });
    std::vector<std::string> lines = std::move(result.lines);
    if (result.account) {
        lines.push_back(UpdateLine(store_, *result.account, now, config_));
        for (std::string& line : GameTypesLines(config_)) {
            lines.push_back(std::move(line));
        }
    }
    tx.Commit();
    // Limits apply to refusals only, after the digest was checked: a correct
    // login is answered however many wrong ones came before it.
    if (!lines.empty() && lines.front() == "!p" && !CountWrongPassword(qvid, network, now)) {
        return;
    }
    if (!lines.empty() && lines.front() == "!w" && !authLimiter_.CanSpend(network, now)) {
        return;
    }
    std::optional<Session> ended;
    if (result.account) {
        Session session;
        session.accountId = result.account->id;
        session.name = result.account->name;
        session.kind = result.account->kind;
        session.endpoint = from;
        session.lastHeard = now;
        session.lastPing = now;
        ended = sessions_.Open(session);
    }
    for (std::string& line : lines) {
        out.push_back(Outgoing{from, std::move(line)});
    }
    if (ended) {
        EndSession(*ended, now, out);
    }
}

bool ServerCore::CountWrongPassword(std::string_view account, const std::string& network,
                                    TimePoint now) {
    // Guesses may come from many ports, or at one account from many
    // addresses; both buckets are charged so neither way is faster.
    bool byAccount = accountAuthLimiter_.Allow(Lower(account), now);
    bool byAddress = authLimiter_.Allow(network, now);
    return byAccount && byAddress;
}

void ServerCore::EndSession(const Session& session, TimePoint now, std::vector<Outgoing>& out) {
    LogOut(session.accountId, true, now, out);
}

void ServerCore::LogOut(std::int64_t accountId, bool seen, TimePoint now,
                        std::vector<Outgoing>& out) {
    std::size_t mark = out.size();
    try {
        Store::Transaction tx(store_);
        if (seen) {
            store_.RecordSeen(accountId, ToUnixSeconds(now));
        }
        std::vector<std::int64_t> affected = RequestService::CancelOnLogout(store_, accountId);
        for (std::int64_t accountId : affected) {
            const Session* other = sessions_.ByAccount(accountId);
            auto account = store_.AccountById(accountId);
            if (other != nullptr && account && sessions_.TakePushTurn(accountId, now)) {
                out.push_back(
                    Outgoing{other->endpoint, UpdateLine(store_, *account, now, config_)});
            }
        }
        tx.Commit();
    } catch (const std::exception& e) {
        out.resize(mark);
        Log(std::string("log-out cleanup failed: ") + e.what());
    }
}

std::vector<Outgoing> ServerCore::Tick(TimePoint now) {
    std::vector<Outgoing> out;
    if (!started_) {
        started_ = now;
    }
    std::vector<Session> expired;
    for (const auto& [endpoint, session] : sessions_.All()) {
        if (now - session.lastHeard >= config_.sessionTimeout) {
            expired.push_back(session);
        }
    }
    for (const Session& session : expired) {
        sessions_.Close(session.endpoint);
        EndSession(session, now, out);
    }
    for (const auto& [endpoint, session] : sessions_.All()) {
        if (now - session.lastHeard >= config_.pingAfter &&
            now - session.lastPing >= config_.pingAfter) {
            out.push_back(Outgoing{endpoint, "ping"});
            // The table is keyed by endpoint; the session itself is mutable.
            sessions_.ByEndpoint(endpoint)->lastPing = now;
        }
    }
    PushOwedUpdates(now, out);
    Housekeeping(now, out);
    games_.RunDue(now, out);
    RunMail(now);
    return out;
}

void ServerCore::MailAfterMove(std::int64_t gameId, TimePoint now) {
    try {
        // Usually the line's own transaction has decided already.
        if (!store_.MailPlyBehind(gameId)) {
            return;
        }
        Store::Transaction tx(store_);
        notices::AfterMove(store_, config_, gameId, now);
        tx.Commit();
    } catch (const std::exception& e) {
        Log("mail about game " + std::to_string(gameId) + ": " + e.what());
    }
}

void ServerCore::RunMail(TimePoint now) {
    // A clock set back does not hold the reminders up either.
    if (config_.mailNotices &&
        (now - lastMailCheck_ >= kMailCheckInterval || now < lastMailCheck_)) {
        lastMailCheck_ = now;
        try {
            Store::Transaction tx(store_);
            notices::CheckGames(store_, config_, now);
            tx.Commit();
        } catch (const std::exception& e) {
            Log(std::string("mail reminders: ") + e.what());
        }
    }
    if (mail_ != nullptr) {
        mail_->Pump(now);
    }
}

void ServerCore::PushOwedUpdates(TimePoint now, std::vector<Outgoing>& out) {
    std::size_t mark = out.size();
    try {
        Store::Transaction tx(store_);
        for (std::int64_t accountId : sessions_.DuePushes(now)) {
            const Session* session = sessions_.ByAccount(accountId);
            auto account = store_.AccountById(accountId);
            if (session != nullptr && account) {
                out.push_back(
                    Outgoing{session->endpoint, UpdateLine(store_, *account, now, config_)});
            }
        }
        tx.Commit();
    } catch (const std::exception& e) {
        out.resize(mark);
        Log(std::string("pushing updates failed: ") + e.what());
    }
}

void ServerCore::Housekeeping(TimePoint now, std::vector<Outgoing>& out) {
    // After a restart nobody is logged in. Requests that live only while
    // their owner is logged in get the usual grace of one session time-out
    // for the owner to come back before they are cancelled.
    if (!restartSweepDone_ && now - *started_ >= config_.sessionTimeout) {
        restartSweepDone_ = true;
        std::vector<std::int64_t> owners;
        try {
            Store::Transaction tx(store_);
            owners = store_.AccountsWithCancelOnLogout();
            tx.Commit();
        } catch (const std::exception& e) {
            Log(std::string("restart sweep failed: ") + e.what());
        }
        for (std::int64_t owner : owners) {
            if (sessions_.ByAccount(owner) == nullptr) {
                LogOut(owner, false, now, out);
            }
        }
    }
    if (now - lastHousekeeping_ < std::chrono::hours(1)) {
        return;
    }
    lastHousekeeping_ = now;
    datagramLimiter_.Prune(now);
    networkLimiter_.Prune(now);
    creationLimiter_.Prune(now);
    authLimiter_.Prune(now);
    accountAuthLimiter_.Prune(now);
    try {
        Store::Transaction tx(store_);
        for (const auto& [endpoint, session] : sessions_.All()) {
            store_.RecordSeen(session.accountId, ToUnixSeconds(now));
        }
        int removed = store_.DeleteIdleGuests(ToUnixSeconds(now - config_.guestRetention));
        store_.DeleteOldNotices(ToUnixSeconds(now - kNoticesKept));
        tx.Commit();
        if (removed > 0) {
            Log("forgot " + std::to_string(removed) + " idle guest accounts");
        }
    } catch (const std::exception& e) {
        Log(std::string("housekeeping failed: ") + e.what());
    }
}

std::vector<Datagram> PackDatagrams(const std::vector<Outgoing>& lines, std::size_t maxBytes) {
    std::vector<Datagram> out;
    std::map<Endpoint, std::size_t> open;  // endpoint -> index of its last datagram
    for (const Outgoing& line : lines) {
        std::string text = line.text + '\r';
        auto it = open.find(line.to);
        if (it != open.end() && out[it->second].bytes.size() + text.size() <= maxBytes) {
            out[it->second].bytes += text;
            continue;
        }
        std::size_t pos = 0;
        while (pos < text.size()) {
            std::size_t take = std::min(maxBytes, text.size() - pos);
            out.push_back(Datagram{line.to, text.substr(pos, take)});
            pos += take;
        }
        open[line.to] = out.size() - 1;
    }
    return out;
}

}  // namespace qc::server
