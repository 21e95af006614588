#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/accounts.h"
#include "server/core/config.h"
#include "server/core/context.h"
#include "server/core/games.h"
#include "server/core/lists.h"
#include "server/core/mail_queue.h"
#include "server/core/sessions.h"
#include "server/core/store.h"
#include "server/core/types.h"

namespace qc::server {

// The game server without its sockets: datagrams and clock ticks in,
// addressed lines out. Every change a line makes is committed to the store
// before the lines that report it are returned.
class ServerCore {
  public:
    ServerCore(Store& store, Config config);

    // One datagram from one sender: one or more lines "QVID command".
    std::vector<Outgoing> HandleDatagram(const Endpoint& from, std::string_view bytes,
                                         TimePoint now);
    // The datagrams that arrived together, each handled as by HandleDatagram
    // but all inside one transaction: their changes cost one durable commit,
    // and the replies are returned only after it. When that commit fails
    // nothing was confirmed and no reply is returned.
    //
    // The replies of the datagrams handled before the first one that writes
    // saw only committed data, so they need not wait for the disk: when
    // `atOnce` is given they are handed to it as soon as they are made.
    struct Incoming {
        Endpoint from;
        std::string bytes;
    };
    using Sink = std::function<void(const std::vector<Outgoing>&)>;
    std::vector<Outgoing> HandleDatagrams(const std::vector<Incoming>& datagrams, TimePoint now,
                                          const Sink& atOnce = {});
    // Periodic work: pings, ended sessions, housekeeping. Call about once a second.
    std::vector<Outgoing> Tick(TimePoint now);

    // The engine that plays bot levels 1 to 10 (see GameService::SetEngine).
    void SetBotEngine(BotEngine* engine) { games_.SetEngine(engine); }
    // The engine's answer to a question the game service asked: the bot's
    // move, committed, and the lines that report it.
    std::vector<Outgoing> BotAnswer(const EngineAnswer& answer, TimePoint now);

    // The queue that sends the outbox's mail; without one mail stays there.
    void SetMailQueue(MailQueue* queue) { mail_ = queue; }

    // Adds or replaces the handler of a command word that needs a login
    // (the game service registers its commands here).
    void AddCommand(std::string word, CommandHandler handler);

    const SessionTable& Sessions() const { return sessions_; }
    const Config& GetConfig() const { return config_; }

    static constexpr std::size_t kMaxDatagram = 8192;
    static constexpr std::size_t kMaxLine = 2048;
    static constexpr std::size_t kMaxLinesPerDatagram = 16;
    // How often games are looked at for reminders.
    static constexpr std::chrono::seconds kMailCheckInterval{30};
    // How long mail about games and requests stays in the outbox once done
    // with; a password's row (without the password) stays for good.
    static constexpr std::chrono::hours kNoticesKept{24 * 30};

  private:
    // The game in which the bot may now be to move, 0 for none.
    // network is SenderNetwork(from.address), the key of per-address limits.
    std::int64_t HandleLine(const Endpoint& from, const std::string& network, std::string_view line,
                            TimePoint now, std::vector<Outgoing>& out);
    void HandleLogin(const Endpoint& from, const std::string& network, std::string_view qvid,
                     std::string_view args, TimePoint now, std::vector<Outgoing>& out);
    // Charges a wrong password to the account and the sender's address;
    // false when either has used up its allowance and the refusal is dropped.
    bool CountWrongPassword(std::string_view account, const std::string& network, TimePoint now);
    void EndSession(const Session& session, TimePoint now, std::vector<Outgoing>& out);
    // What a log-out means for the account's data: its cancel-on-log-out
    // requests go, and the players they were addressed to hear of it.
    void LogOut(std::int64_t accountId, bool seen, TimePoint now, std::vector<Outgoing>& out);
    void Housekeeping(TimePoint now, std::vector<Outgoing>& out);
    // The "update:" lines held back by the push interval, now due.
    void PushOwedUpdates(TimePoint now, std::vector<Outgoing>& out);
    void Log(std::string_view text) const;
    // The mail a move made outside a line's transaction may bring.
    void MailAfterMove(std::int64_t gameId, TimePoint now);
    // Reminders and the like now and then, and the queue's next mail.
    void RunMail(TimePoint now);

    Store& store_;
    Config config_;
    AccountService accounts_;
    SessionTable sessions_;
    RateLimiter<Endpoint> datagramLimiter_;
    RateLimiter<std::string> networkLimiter_;
    RateLimiter<std::string> creationLimiter_;
    RateLimiter<std::string> authLimiter_;
    RateLimiter<std::string> accountAuthLimiter_;
    std::map<std::string, CommandHandler> commands_;
    GameService games_;
    ScoreboardCache scoreboard_;
    std::optional<TimePoint> started_;
    bool restartSweepDone_ = false;
    TimePoint lastHousekeeping_{};
    MailQueue* mail_ = nullptr;
    TimePoint lastMailCheck_{};
};

// Packs lines into datagram payloads of at most maxBytes per endpoint, each
// line ended by CR, keeping the order of the lines for each endpoint. Lines
// are never split unless one alone exceeds maxBytes (the client joins
// datagrams by CR, so a split line still arrives whole).
struct Datagram {
    Endpoint to;
    std::string bytes;
    bool operator==(const Datagram&) const = default;
};
std::vector<Datagram> PackDatagrams(const std::vector<Outgoing>& lines,
                                    std::size_t maxBytes = 1200);

}  // namespace qc::server
