#include "client/core/protocol/commands.h"

#include "client/core/account/password.h"
#include "client/core/text.h"

namespace qc::protocol {

namespace {

std::string WithoutCommas(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ',') {
            out.push_back(c);
        }
    }
    return out;
}

// A field of a comma-separated command: one line, and no comma that would
// shift the fields after it.
std::string Field(std::string_view text) {
    return WithoutCommas(cmd::OneLine(text));
}

std::string OnOff(bool on) {
    return on ? "1" : "0";
}

std::string Word(std::string_view word, std::string_view argument) {
    std::string out(word);
    out += cmd::OneLine(argument);
    return out;
}

std::string WordOnOff(std::string_view word, std::string_view gameId, bool on) {
    return Word(word, gameId) + " " + OnOff(on);
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

SendRule SendRuleFor(std::string_view command) {
    if (StartsWith(command, "connect ") || StartsWith(command, "createqvid ") ||
        StartsWith(command, "changepw ")) {
        return SendRule::NoStateCheck;
    }
    if (StartsWith(command, "settings ")) {
        return SendRule::HeldUntilLogin;
    }
    return SendRule::StateChecked;
}

namespace cmd {

std::string OneLine(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    bool inBreak = false;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!inBreak) {
                out.push_back(' ');
            }
            inBreak = true;
        } else {
            out.push_back(c);
            inBreak = false;
        }
    }
    return out;
}

std::string Login(std::string_view pwHash) {
    std::string out = "connect ";
    out += kProtocolVersion;
    out += ' ';
    out += OneLine(pwHash);
    return out;
}

std::string Update() {
    return "update";
}
std::string Pong() {
    return "pong";
}
std::string Disconnect() {
    return "disconnect";
}

std::string GameList() {
    return "gamelist";
}
std::string OpenGames() {
    return "opengames";
}
std::string PublicReqs() {
    return "publicreqs";
}
std::string Scoreboard() {
    return "scoreboard";
}
std::string RequestWin() {
    return "requestwin";
}
std::string GetSettings() {
    return "getsettings";
}

std::string Game(std::string_view gameId) {
    return Word("game ", gameId);
}

std::string Selected(std::string_view gameId, std::string_view square) {
    return Word("selected ", gameId) + " " + OneLine(square);
}

std::string Move(std::string_view gameId, std::string_view from, std::string_view to) {
    return Word("move ", gameId) + " " + OneLine(from) + OneLine(to);
}

std::string Promote(std::string_view gameId, std::string_view pendingMove, char piece) {
    return Word("move ", gameId) + " " + OneLine(pendingMove) +
           OneLine(std::string_view(&piece, 1));
}

std::string Castle(std::string_view gameId, std::string_view selected, char side) {
    return Word("move ", gameId) + " " + OneLine(selected) + "c" +
           OneLine(std::string_view(&side, 1));
}

std::string ShowLast(int which, bool on) {
    return "showlast" + std::to_string(which) + " " + OnOff(on);
}

std::string ShowPoss(bool on) {
    return "showposs " + OnOff(on);
}

std::string EmailMe(std::string_view gameId, bool on) {
    return WordOnOff("emailme ", gameId, on);
}

std::string TextMe(std::string_view gameId, bool on) {
    return WordOnOff("textme ", gameId, on);
}

std::string Chat(std::string_view gameId) {
    return Word("chat ", gameId);
}

std::string ChatSend(std::string_view gameId, std::string_view text) {
    return Word("chatsend ", gameId) + "," + OneLine(text);
}

std::string Resign(std::string_view gameId) {
    return Word("resign ", gameId);
}

std::string Draw(const DrawState& state, std::string_view gameId) {
    if (text::EqualsIgnoreCase(state.whitePlayer, state.blackPlayer)) {
        // A local game: the user ends it as a draw on his own.
        return Word("acceptdraw ", gameId);
    }
    if (state.drawOffer.empty()) {
        return Word("offerdraw ", gameId);
    }
    // A user who is neither player counts as white, as on the board.
    const std::string mySide = text::EqualsIgnoreCase(state.qvid, state.blackPlayer) ? "b" : "w";
    if (text::ToLower(state.drawOffer) == mySide) {
        return Word("canceldraw ", gameId);
    }
    return Word("acceptdraw ", gameId);
}

std::string Accept(std::string_view requestId) {
    return Word("accept ", requestId);
}

std::string Cancel(std::string_view requestId) {
    return Word("cancel ", requestId);
}

std::string Remove(std::string_view gameId) {
    return Word("remove ", gameId);
}

std::string GameTypeField(std::string_view gameType) {
    if (text::ToLower(gameType) == "standard") {
        return "";
    }
    return std::string(gameType);
}

std::string TimeUnitCode(std::string_view unitText) {
    if (unitText == "weeks") {
        return "ww";
    }
    if (unitText == "days") {
        return "d";
    }
    if (unitText == "hours") {
        return "h";
    }
    return "n";
}

std::string BotName(int skillIndex) {
    // No selection (a negative index) plays the easiest bot rather than
    // naming a player "Bot-1".
    if (skillIndex <= 0) {
        return "Bot";
    }
    return "Bot" + std::to_string(skillIndex);
}

namespace {

// The fields after the opponent that all three forms share.
std::string RequestTail(std::string_view gameType, bool black, std::string_view timeAmount,
                        std::string_view timeUnit) {
    return "," + GameTypeField(Field(gameType)) + "," + (black ? "b" : "w") + "," +
           Field(timeAmount) + "," + TimeUnitCode(timeUnit);
}

}  // namespace

std::string Request(const RequestForm& form) {
    return "request " + Field(form.opponent) +
           RequestTail(form.gameType, form.black, form.timeAmount, form.timeUnit) + "," +
           OnOff(form.emailMe) + "," + OnOff(form.textMe) + "," + OnOff(form.cancelOnLogout) + "," +
           OnOff(form.noGuests);
}

std::string LocalGameRequest(std::string_view qvid, std::string_view gameType,
                             std::string_view timeAmount, std::string_view timeUnit) {
    return "request " + Field(qvid) + RequestTail(gameType, false, timeAmount, timeUnit) + ",0,0,0";
}

std::string BotRequest(int skillIndex, std::string_view gameType, bool black,
                       std::string_view timeAmount, std::string_view timeUnit) {
    return "request " + BotName(skillIndex) + RequestTail(gameType, black, timeAmount, timeUnit) +
           ",0,0,0";
}

std::string Settings(const ServerSettings& v) {
    return "settings " + OnOff(v.showLast1) + "," + OnOff(v.showLast2) + "," + OnOff(v.showPoss) +
           "," + OnOff(v.emailLink) + "," + OnOff(v.textLink) + "," + OnOff(v.emailMeOnReq) + "," +
           OnOff(v.textMeOnReq);
}

std::string CreateQvid(std::string_view qvid, std::string_view email, std::string_view firstName,
                       std::string_view lastName, std::string_view referrer) {
    return "createqvid " + Field(qvid) + "," + Field(email) + "," + Field(firstName) + "," +
           Field(lastName) + "," + Field(referrer);
}

std::string ChangePassword(std::string_view qvid, std::string_view oldPassword,
                           std::string_view newPassword) {
    return Word("changepw ", qvid) + " " + account::Swordfish(oldPassword) + " " +
           account::EncodeNewPassword(newPassword);
}

}  // namespace cmd
}  // namespace qc::protocol
