#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "server/core/store_records.h"

struct sqlite3;
struct sqlite3_stmt;

namespace qc::server {

class StoreError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The server's persistent state in one SQLite database (WAL journal, full
// sync). All text is stored as the Windows-1252 bytes of the wire.
// Changes are made inside a Transaction; a failing statement throws
// StoreError and the transaction rolls back when it is destroyed uncommitted.
// Opening, schema and transactions are in store.cpp; the accounts (with the
// outbox), requests and games (with chat and scoreboard) each have a
// store_*.cpp of their own.
//
// A Transaction opened while another is open is a savepoint inside it: its
// Commit keeps its changes for the outer one to commit, and its rollback
// undoes its own changes only. So a batch of lines can share one durable
// commit while each line still fails alone.
class Store {
  public:
    // ":memory:" opens a private database that vanishes with the object.
    explicit Store(const std::string& path);
    ~Store();
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    class Transaction {
      public:
        explicit Transaction(Store& store);
        ~Transaction();
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        void Commit();

      private:
        Store& store_;
        bool open_ = true;
    };

    // Accounts. Names are matched without regard to ASCII letter case.
    std::optional<Account> FindAccount(std::string_view name);
    std::optional<Account> AccountById(std::int64_t id);
    bool EmailTaken(std::string_view email);
    std::int64_t CreateAccount(const NewAccount& account);
    void SetDigest(std::int64_t accountId, std::string_view digest);
    void SetFlags(std::int64_t accountId, const AccountFlags& flags);
    void SetSlots(std::int64_t accountId, int gameSlots);
    void RecordLogin(std::int64_t accountId, std::string_view version, std::int64_t now);
    void RecordSeen(std::int64_t accountId, std::int64_t now);
    // The number the next guest identifier carries; counts up on every call.
    std::int64_t TakeGuestNumber();
    // Guests without open games or requests, not seen since the given time,
    // with their ended games and those games' chat.
    int DeleteIdleGuests(std::int64_t notSeenSince);

    // Requests.
    std::int64_t AddRequest(const Request& request);
    std::optional<Request> FindRequest(std::int64_t id);
    void DeleteRequest(std::int64_t id);
    std::vector<Request> RequestsFor(std::int64_t accountId);
    std::vector<Request> RequestsBy(std::int64_t accountId);
    std::vector<Request> PublicRequests();
    std::vector<Request> CancelOnLogoutRequests(std::int64_t accountId);
    // Owners of cancel-on-log-out requests, for the sweep after a restart.
    std::vector<std::int64_t> AccountsWithCancelOnLogout();
    int CountRequestsFor(std::int64_t accountId);
    int CountRequestsBy(std::int64_t accountId);
    int CountRequestsBetween(std::int64_t fromId, std::int64_t toId);

    // Games.
    std::int64_t AddGame(const NewGame& game);
    std::optional<Game> FindGame(std::int64_t id);
    std::vector<Game> OpenGames(std::int64_t accountId);
    // Ended games the player has not removed, newest first.
    std::vector<Game> ClosedGames(std::int64_t accountId, int limit);
    int CountOpenGames(std::int64_t accountId);
    // Games the account started after a time against the bot, or local ones.
    int CountBotGamesSince(std::int64_t accountId, std::int64_t since);
    int CountLocalGamesSince(std::int64_t accountId, std::int64_t since);
    int CountYourMove(std::int64_t accountId);
    void EndGame(std::int64_t gameId, GameResult result, std::int64_t when,
                 std::string_view phrase = {});
    void SetToMove(std::int64_t gameId, char colour, std::int64_t moveBy);
    void SetStartFen(std::int64_t gameId, std::string_view fen);
    // Records the moves made so far, who is to move, the deadline and the draw offer.
    void RecordMoves(std::int64_t gameId, std::string_view moves, char toMove, std::int64_t moveBy,
                     char drawOffer);
    void SetDrawOffer(std::int64_t gameId, char drawOffer);
    // The per-game notification wishes of the player of one side.
    void SetGameNotify(std::int64_t gameId, char side, std::optional<bool> email,
                       std::optional<bool> text);
    // Open games whose deadline is at or before `now`.
    std::vector<std::int64_t> GamesPastDeadline(std::int64_t now);
    // Open games in which the side to move is played by the bot.
    std::vector<std::int64_t> GamesWithBotToMove();
    // Chat: messages are kept per game, the newest `keep` of them.
    void AddChat(std::int64_t gameId, std::string_view author, std::string_view text,
                 std::int64_t when, int keep);
    std::vector<ChatMessage> Chat(std::int64_t gameId, int limit);
    void MarkRemoved(std::int64_t gameId, std::int64_t accountId);
    // Distinct human opponents, the most recent game first.
    std::vector<std::string> PastOpponents(std::int64_t accountId, int limit);
    // Named accounts with at least one ended game against another person.
    std::vector<ScoreRow> ScoreRows();

    // For the web pages (store_web.cpp); each reads a bounded number of rows
    // through the players' indexes.
    // Ended games of a player, removed ones too, newest first.
    std::vector<Game> EndedGames(std::int64_t accountId, int offset, int limit);
    // The player's open games, the nearest deadline first.
    std::vector<Game> OpenGamesFirst(std::int64_t accountId, int limit);
    // Results of the player's newest ended games that have a result, local
    // games left out, counted by game type and the opponent's kind.
    std::vector<ResultCount> ResultCounts(std::int64_t accountId, int newest);

    // The outbox: mail the server sends through its relay, or without one
    // keeps for an administrator to hand over.
    std::int64_t AddMail(const Mail& mail);
    std::vector<Mail> Outbox();
    // In store_mail.cpp: the queue's rows and the games' mail marks.
    std::optional<Mail> FindMail(std::int64_t id);
    // The pending mail whose time has come, the longest due first.
    std::optional<Mail> NextDueMail(std::int64_t now);
    // Pending mail that expired or was made before `oldest`: marked expired.
    std::vector<Mail> ExpireMails(std::int64_t now, std::int64_t oldest);
    void MarkMailSent(std::int64_t id, std::int64_t when, bool dropBody);
    void RetryMail(std::int64_t id, int attempts, std::int64_t nextTry, std::string_view error);
    void EndMail(std::int64_t id, MailState state, std::string_view error);
    // Pending mail of these kinds to the recipient about the game gives way
    // to a newer one.
    void SupersedeMails(std::string_view recipient, std::int64_t gameId,
                        const std::vector<MailKind>& kinds);
    // Records that the game's moves so far were considered for mail; false
    // when they already were.
    bool TakeMailPly(std::int64_t gameId);
    // Whether TakeMailPly would take anything, without writing.
    bool MailPlyBehind(std::int64_t gameId);
    std::int64_t RemindedBy(std::int64_t gameId);
    void SetRemindedBy(std::int64_t gameId, std::int64_t moveBy);
    // Open games with an e-mail wish whose moves were not yet considered, or
    // whose deadline lies within `window` seconds and was not yet reminded.
    std::vector<std::int64_t> GamesForMail(std::int64_t now, std::int64_t window);
    // Notices (not passwords) made before the time and no longer pending.
    int DeleteOldNotices(std::int64_t before);
    // Counts the rows AddMail wrote since the store was opened.
    std::int64_t MailsAdded() const { return mailsAdded_; }

    // Grows whenever the scoreboard may have changed: a game ended, or a
    // transaction was rolled back (what it did is undone).
    std::uint64_t ScoreGeneration() const { return scoreGeneration_; }

    std::string JournalMode();
    // Rows written through this connection since it was opened, rolled-back
    // writes included: a line that leaves it unchanged has written nothing.
    std::int64_t TotalChanges() const;
    // True while a Transaction is open.
    bool InTransaction() const { return depth_ > 0; }

  private:
    friend class Statement;
    void Exec(const char* sql);
    // Runs a statement without result rows through the statement cache.
    void Run(std::string_view sql);
    void Migrate();

    // Prepared statements are kept for the life of the store: parsing a
    // statement costs more than running the small queries of one line.
    struct CachedStatement {
        sqlite3_stmt* stmt = nullptr;
        bool busy = false;  // in use by a Statement; a second user prepares its own
    };
    struct SqlHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view sql) const {
            return std::hash<std::string_view>{}(sql);
        }
    };
    std::unordered_map<std::string, CachedStatement, SqlHash, std::equal_to<>> statements_;

    sqlite3* db_ = nullptr;
    int depth_ = 0;
    std::uint64_t scoreGeneration_ = 0;  // open transactions, the outer one included
    std::int64_t mailsAdded_ = 0;
};

}  // namespace qc::server
