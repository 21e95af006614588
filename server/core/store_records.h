#pragma once

// The rows the store reads and writes: accounts, requests, games, chat,
// scoreboard rows and outgoing mail.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace qc::server {

enum class AccountKind { Named = 0, Guest = 1, Bot = 2 };

// The seven preferences the server keeps per account, in wire order:
// ShowLast1, ShowLast2, ShowPoss, EmailLink, TextLink, EmailMeOnReq, TextMeOnReq.
using AccountFlags = std::array<bool, 7>;
inline constexpr AccountFlags kDefaultFlags = {true, true, true, false, false, false, false};

struct Account {
    std::int64_t id = 0;
    std::string name;
    AccountKind kind = AccountKind::Named;
    std::string digest;
    std::string email;
    int gameSlots = 0;
    AccountFlags flags = kDefaultFlags;
    int textsFree = 0;
    int textsPurchased = 0;
    std::string version;
};

struct NewAccount {
    std::string name;
    AccountKind kind = AccountKind::Named;
    std::string digest;
    std::string email;
    std::string firstName;
    std::string lastName;
    std::string referrer;
    int gameSlots = 0;
    std::int64_t created = 0;
};

struct Request {
    std::int64_t id = 0;
    std::int64_t fromId = 0;
    std::string fromName;
    AccountKind fromKind = AccountKind::Named;
    std::optional<std::int64_t> toId;  // none: a public request
    std::string toName;
    std::string gameType;  // "" is standard chess
    char colour = 'w';     // the requester's colour
    int amount = 0;
    std::string unit;  // "n", "h", "d" or "ww"
    bool emailMe = false;
    bool textMe = false;
    bool cancelOnLogout = false;
    bool noGuests = false;
    std::int64_t created = 0;
};

enum class GameResult { None, WhiteWins, BlackWins, Draw };

struct Game {
    std::int64_t id = 0;
    std::int64_t whiteId = 0;
    std::int64_t blackId = 0;
    std::string whiteName;
    std::string blackName;
    AccountKind whiteKind = AccountKind::Named;
    AccountKind blackKind = AccountKind::Named;
    std::string gameType;
    int amount = 0;
    std::string unit;
    std::int64_t created = 0;
    std::int64_t moveBy = 0;  // deadline of the next move
    char toMove = 'w';
    bool ended = false;
    GameResult result = GameResult::None;
    std::int64_t endedAt = 0;
    bool whiteRemoved = false;
    bool blackRemoved = false;
    // The position: the start in FEN ("" is the standard start) and the
    // moves made since, blank-separated in coordinate form ("e2e4 e7e5").
    std::string startFen;
    std::string moves;
    // Why the game ended ("checkmate", "agreed draw", ...); "" while it runs.
    std::string phrase;
    char drawOffer = 0;  // 'w' or 'b': that side has offered a draw; 0 none
    // Per-game notification wishes of each side's player.
    bool whiteEmail = false;
    bool whiteText = false;
    bool blackEmail = false;
    bool blackText = false;
};

struct ChatMessage {
    std::string author;
    std::string text;
};

struct NewGame {
    std::int64_t whiteId = 0;
    std::int64_t blackId = 0;
    std::string gameType;
    int amount = 0;
    std::string unit;
    std::int64_t created = 0;
    std::int64_t moveBy = 0;
    std::string startFen;
};

struct ScoreRow {
    std::string name;
    std::string version;
    int wins = 0;
    int losses = 0;
    int draws = 0;
};

// How a player fared in one game type against one kind of opponent.
struct ResultCount {
    std::string gameType;
    AccountKind opponentKind = AccountKind::Named;
    int wins = 0;
    int losses = 0;
    int draws = 0;
};
// What a mail is about; a new account's password is removed from its row
// once the relay has taken it.
enum class MailKind { Password, Move, Reminder, Ended, Request, Answer };

// Where a mail stands in the outbox, the queue of mail the server sends.
enum class MailState { Pending, Sent, Failed, Expired, Superseded };

struct Mail {
    std::int64_t id = 0;
    std::int64_t created = 0;
    std::string recipient;
    std::string subject;  // Windows-1252, as all stored text
    std::string body;
    MailKind kind = MailKind::Password;
    std::int64_t gameId = 0;   // the game it is about, 0 for none
    std::int64_t expires = 0;  // not worth sending after this time; 0: never
    MailState state = MailState::Pending;
    int attempts = 0;
    std::int64_t nextTry = 0;  // not before this time
    std::int64_t sentAt = 0;
    std::string lastError;
};

}  // namespace qc::server
