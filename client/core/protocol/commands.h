#pragma once

#include <string>
#include <string_view>

// Every command line the client sends to the game server, composed as the
// text handed to Send: without the QVID prefix and without the CR. All
// strings are Windows-1252 bytes. Arguments travel unquoted; the only
// changes made to them are those that keep the line one line with its
// fields in place (see OneLine and the request and account commands).
namespace qc::protocol {

// How Send treats a command while the client is not logged in.
enum class SendRule {
    StateChecked,    // dropped silently while not logged in
    NoStateCheck,    // sent whether logged in or not
    HeldUntilLogin,  // kept in OnConnect and sent after the next "update:"
};

// The rule for a composed command line, judged by its command word: the
// login, "createqvid " and "changepw " go out at any time, "settings " waits
// for the login, everything else needs it.
SendRule SendRuleFor(std::string_view command);

namespace cmd {

// The protocol version announced by the login line.
inline constexpr std::string_view kProtocolVersion = "v1.20";

// A CR or LF inside an argument would end the line on the wire and turn the
// rest into a command of its own: each run of them becomes one blank.
std::string OneLine(std::string_view text);

// Login and keep-alive.
std::string Login(std::string_view pwHash);  // "connect v1.20 " + digest
std::string Update();
std::string Pong();
std::string Disconnect();

// Lists.
std::string GameList();
std::string OpenGames();
std::string PublicReqs();
std::string Scoreboard();
std::string RequestWin();
std::string GetSettings();

// The current game. Squares are two characters such as "e2".
std::string Game(std::string_view gameId);
std::string Selected(std::string_view gameId, std::string_view square);
// A plain move: the two squares written together.
std::string Move(std::string_view gameId, std::string_view from, std::string_view to);
// A promotion: pendingMove is from-square and to-square, piece 'q', 'r', 'b' or 'n'.
std::string Promote(std::string_view gameId, std::string_view pendingMove, char piece);
// Castling with the king on `selected`, side 'a' or 'h'.
std::string Castle(std::string_view gameId, std::string_view selected, char side);
// which is 1 (last move) or 2 (next to last); the digit follows the word directly.
std::string ShowLast(int which, bool on);
std::string ShowPoss(bool on);
std::string EmailMe(std::string_view gameId, bool on);
std::string TextMe(std::string_view gameId, bool on);
std::string Chat(std::string_view gameId);
// The text is the last argument and is sent as typed, commas included.
std::string ChatSend(std::string_view gameId, std::string_view text);
std::string Resign(std::string_view gameId);

// The game fields the draw button depends on, as received with the game.
struct DrawState {
    std::string whitePlayer;
    std::string blackPlayer;
    std::string qvid;       // the user's own identifier
    std::string drawOffer;  // "", or "w" / "b": the side that offered
};
// "acceptdraw " in a local game and against the opponent's offer,
// "canceldraw " against the user's own offer, "offerdraw " otherwise.
std::string Draw(const DrawState& state, std::string_view gameId);

// Requests and ended games.
std::string Accept(std::string_view requestId);
std::string Cancel(std::string_view requestId);
std::string Remove(std::string_view gameId);

// Field rules shared by the three request forms.
// "" for "standard" in any letter case, otherwise the type as shown.
std::string GameTypeField(std::string_view gameType);
// "weeks" -> "ww", "days" -> "d", "hours" -> "h", anything else -> "n".
std::string TimeUnitCode(std::string_view unitText);
// Skill 0 plays as "Bot", skill n as "Bot" + n.
std::string BotName(int skillIndex);

// The request window: a named opponent, or "" for a public request.
struct RequestForm {
    std::string opponent;
    std::string gameType;  // as shown in the game-type list
    bool black = false;
    std::string timeAmount;  // the time box's text
    std::string timeUnit;    // the unit list's text, e.g. "weeks"
    bool emailMe = false;
    bool textMe = false;
    bool cancelOnLogout = false;
    bool noGuests = false;
};
std::string Request(const RequestForm& form);
// A game of the user against himself.
std::string LocalGameRequest(std::string_view qvid, std::string_view gameType,
                             std::string_view timeAmount, std::string_view timeUnit);
// A game against the bot at the skill list's index.
std::string BotRequest(int skillIndex, std::string_view gameType, bool black,
                       std::string_view timeAmount, std::string_view timeUnit);

// The account preferences the server keeps, in the order they travel.
struct ServerSettings {
    bool showLast1 = false;
    bool showLast2 = false;
    bool showPoss = false;
    bool emailLink = false;
    bool textLink = false;
    bool emailMeOnReq = false;
    bool textMeOnReq = false;
};
std::string Settings(const ServerSettings& values);

// Account creation; commas are removed from every field so that the line
// always carries exactly five fields.
std::string CreateQvid(std::string_view qvid, std::string_view email, std::string_view firstName,
                       std::string_view lastName, std::string_view referrer);
// Password change: the old password travels as its digest, the new one in
// its digit encoding, never in plain text.
std::string ChangePassword(std::string_view qvid, std::string_view oldPassword,
                           std::string_view newPassword);

}  // namespace cmd
}  // namespace qc::protocol
