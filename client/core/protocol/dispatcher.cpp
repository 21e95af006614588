#include "client/core/protocol/dispatcher.h"
#include "client/core/protocol/commands.h"

#include <cmath>
#include <limits>

#include "client/core/game/game_messages.h"
#include "client/core/lobby/game_lists.h"
#include "client/core/lobby/server_time.h"
#include "client/core/protocol/wire_number.h"
#include "client/core/setup.h"
#include "client/core/text.h"

namespace qc::protocol {

namespace {

struct ListHeader {
    const char* header;
    RcvMode mode;
};

// Headers matched as whole lower-case lines, in the message table's order.
bool IsListHeader(std::string_view lower, RcvMode& mode) {
    static constexpr ListHeader kHeaders[] = {
        {"opengames:", RcvMode::OpenGames},     {"closedgames:", RcvMode::ClosedGames},
        {"requestsfor:", RcvMode::RequestsFor}, {"requestsby:", RcvMode::RequestsBy},
        {"scoreboard:", RcvMode::Scoreboard},   {"opphistory:", RcvMode::OppHistory},
        {"gametypes:", RcvMode::GameTypes},     {"publicreqs:", RcvMode::PublicReqs},
        {"movelog:", RcvMode::MoveLog},         {"chat:", RcvMode::Chat},
    };
    for (const ListHeader& h : kHeaders) {
        if (lower == h.header) {
            mode = h.mode;
            return true;
        }
    }
    return false;
}

std::int16_t Increment(std::int16_t count) {
    // A count at its limit stays there: the record is then not stored.
    return count == std::numeric_limits<std::int16_t>::max() ? count
                                                             : static_cast<std::int16_t>(count + 1);
}

}  // namespace

platform::CivilTime Dispatcher::Now() const {
    return setup_.platform().clock.LocalNow();
}

std::string Possessive(const std::string& name) {
    return !name.empty() && name.back() == 's' ? name + "'" : name + "'s";
}

std::string StatusText(const std::string& qvid, const StatusCounters& c) {
    const double slots = std::floor(static_cast<double>(c.Slots));
    std::string slotText = "0";
    if (std::isfinite(slots) && std::fabs(slots) < 1e15) {
        slotText = std::to_string(static_cast<long long>(slots));
    }
    return "QVID: " + qvid + kCrLf + "Games: " + std::to_string(c.Games) + "/" + slotText + kCrLf +
           "Requests: " + std::to_string(c.Reqs) + kCrLf +
           "Your move: " + std::to_string(c.NumYourMove);
}

void Dispatcher::OnDataArrival() {
    setup_.TimeOut().SetEnabled(false);
    std::string text;
    if (!setup_.platform().socket.ReadPending(text)) {
        setup_.session().FailAndRetry("Could not connect");
        return;
    }
    Receive(text);
}

void Dispatcher::Receive(std::string_view text) {
    ReceiveState& rs = setup_.receive;
    if (rs.SkippingLongLine) {
        const std::size_t cr = text.find('\r');
        if (cr == std::string_view::npos) {
            return;
        }
        text.remove_prefix(cr + 1);
        rs.SkippingLongLine = false;
    }
    rs.RcvBuffer.append(text);
    // Lines are taken one at a time from the shared buffer: a message box
    // below may run this handler again for a newer datagram.
    std::string line;
    while (TakeLine(line)) {
        if (!HandleLine(line)) {
            return;
        }
    }
}

bool Dispatcher::TakeLine(std::string& line) {
    ReceiveState& rs = setup_.receive;
    while (true) {
        const std::size_t cr = rs.RcvBuffer.find('\r');
        if (cr == std::string::npos) {
            if (rs.RcvBuffer.size() > kMaxLineBytes) {
                rs.RcvBuffer.clear();
                rs.SkippingLongLine = true;
            }
            return false;
        }
        if (cr > kMaxLineBytes) {
            rs.RcvBuffer.erase(0, cr + 1);
            continue;
        }
        line.assign(rs.RcvBuffer, 0, cr);
        rs.RcvBuffer.erase(0, cr + 1);
        return true;
    }
}

bool Dispatcher::HandleLine(const std::string& line) {
    if (setup_.receive.Mode != RcvMode::None) {
        HandleListLine(line);
        return true;
    }
    return HandleMessage(line);
}

void Dispatcher::SetRcvMode(RcvMode mode) {
    setup_.receive.Mode = mode;
    setup_.RcvModeTimer().SetEnabled(mode != RcvMode::None);
}

void Dispatcher::OpenList(RcvMode mode) {
    SetRcvMode(mode);
    setup_.receive.RcvCount = 0;
    setup_.receive.ListBytes = 0;
    ListLines& lists = setup_.lists;
    switch (mode) {
        case RcvMode::OppHistory:
            lists.OppHistoryData.assign(1, "");
            break;
        case RcvMode::GameTypes:
            setup_.counters.GameTypes = "Standard;Chess960";
            break;
        case RcvMode::MoveLog:
            lists.MoveLogLines.assign(1, "");
            break;
        case RcvMode::Chat:
            lists.ChatText.clear();
            break;
        case RcvMode::OpenGames:
            setup_.gameLists.OpenGamesData.assign(1, {});
            break;
        case RcvMode::ClosedGames:
            setup_.gameLists.ClosedGamesData.assign(1, {});
            break;
        case RcvMode::RequestsFor:
            setup_.gameLists.ReqsForData.assign(1, {});
            break;
        case RcvMode::RequestsBy:
            setup_.gameLists.ReqsByData.assign(1, {});
            break;
        case RcvMode::PublicReqs:
            setup_.gameLists.PublicReqsData.assign(1, {});
            break;
        case RcvMode::Scoreboard:
            setup_.gameLists.ScoreboardData.assign(1, {});
            break;
        case RcvMode::None:
            break;
    }
}

void Dispatcher::HandleListLine(const std::string& line) {
    ReceiveState& rs = setup_.receive;
    if (line == ".") {
        const RcvMode mode = rs.Mode;
        SetRcvMode(RcvMode::None);
        EndList(mode);
        return;
    }
    // A list may hold many records, but not without bound.
    rs.ListBytes += line.size() + 1;
    if (rs.ListBytes > kMaxListBytes) {
        rs.RcvCount = Increment(rs.RcvCount);
        return;
    }
    ListLines& lists = setup_.lists;
    lobby::GameLists& games = setup_.gameLists;
    const std::int16_t at = rs.RcvCount;
    switch (rs.Mode) {
        case RcvMode::OpenGames:
            lobby::StoreRecord(games.OpenGamesData, at, lobby::ParseOpenGame(line, Now()));
            break;
        case RcvMode::ClosedGames:
            lobby::StoreRecord(games.ClosedGamesData, at, lobby::ParseClosedGame(line, Now()));
            break;
        case RcvMode::RequestsFor:
            lobby::StoreRecord(games.ReqsForData, at, lobby::ParseRequest(line));
            break;
        case RcvMode::RequestsBy:
            lobby::StoreRecord(games.ReqsByData, at, lobby::ParseRequest(line));
            break;
        case RcvMode::PublicReqs:
            lobby::StoreRecord(games.PublicReqsData, at, lobby::ParsePublicRequest(line));
            break;
        case RcvMode::Scoreboard:
            lobby::StoreRecord(games.ScoreboardData, at, lobby::ParseScore(line));
            break;
        case RcvMode::OppHistory:
            lobby::StoreRecord(lists.OppHistoryData, at, line);
            break;
        case RcvMode::GameTypes:
            if (setup_.counters.GameTypes.size() < kMaxLineBytes) {
                setup_.counters.GameTypes += ";" + line;
            }
            break;
        case RcvMode::MoveLog:
            lobby::StoreRecord(lists.MoveLogLines, at, line);
            break;
        case RcvMode::Chat:
            if (lists.ChatText.size() + line.size() <= kMaxChatBytes) {
                lists.ChatText += line + kCrLf;
            }
            return;  // the chat keeps no record count
        case RcvMode::None:
            break;
    }
    rs.RcvCount = Increment(rs.RcvCount);
}

void Dispatcher::EndList(RcvMode mode) {
    Views& views = setup_.views();
    auto update = [](ListWindowView* view) {
        if (view != nullptr && view->IsShown()) {
            view->Update();
        }
    };
    switch (mode) {
        case RcvMode::RequestsBy:
            setup_.UpdateGameList();
            break;
        case RcvMode::Scoreboard:
            update(views.scoreboard);
            break;
        case RcvMode::OppHistory:
            update(views.requestWin);
            break;
        case RcvMode::PublicReqs:
            update(views.publicReqs);
            break;
        case RcvMode::Chat:
            if (views.gameWin != nullptr && views.gameWin->IsShown()) {
                views.gameWin->UpdateChat();
            }
            break;
        default:
            break;
    }
}

void Dispatcher::MessageBox(const std::string& text) {
    setup_.platform().dialogs.MessageBox(text, platform::MessageButtons::Ok);
}

bool Dispatcher::HandleMessage(const std::string& line) {
    const std::string lower = text::ToLower(line);
    using text::StartsWith;
    RcvMode listMode = RcvMode::None;

    if (StartsWith(lower, "msg: ")) {
        MessageBox(std::string(MidFrom(line, 6)));
    } else if (StartsWith(lower, "msgweb: ")) {
        HandleWebNotice(line);
    } else if (StartsWith(lower, "!w")) {
        LoginRefused("Unknown QVID", "The QVID you entered does not exist.",
                     static_cast<int>(SettingsFocus::QvidSelectAll));
        return false;
    } else if (StartsWith(lower, "!p")) {
        LoginRefused("Incorrect password", "The password you entered is incorrect.",
                     static_cast<int>(SettingsFocus::PasswordCleared));
        return false;
    } else if (StartsWith(lower, "!slots")) {
        HandleSlots(line);
    } else if (lower == "!guest") {
        MessageBox("Sorry, this request cannot be accepted by guests.");
    } else if (lower == "!noreq") {
        MessageBox("Sorry, request has been accepted by another user or cancelled.");
    } else if (StartsWith(lower, "guest: ")) {
        const std::string_view rest = MidFrom(line, 8);
        const std::size_t comma = rest.find(',');
        // A line without the comma carries no usable credentials: keep the
        // current ones rather than log in with a mangled digest.
        if (comma != std::string_view::npos) {
            setup_.login.QVID = std::string(rest.substr(0, comma));
            setup_.login.PWHash = std::string(rest.substr(comma + 1));
        }
    } else if (StartsWith(lower, "update:")) {
        HandleUpdate(line);
    } else if (StartsWith(lower, "accepted: ")) {
        setup_.ViewGame(std::string(MidFrom(line, 11)));
    } else if (StartsWith(lower, "gametypes: ")) {
        setup_.counters.GameTypes = "Standard;Chess960;" + std::string(MidFrom(line, 12));
    } else if (IsListHeader(lower, listMode)) {
        OpenList(listMode);
    } else if (StartsWith(lower, "board: ")) {
        setup_.game.Board = game::ReadBoardLine(line);
    } else if (StartsWith(lower, "game: ")) {
        HandleGame(line);
    } else if (StartsWith(lower, "canmove: ")) {
        setup_.game.CanMove = game::ReadCanMoveLine(line);
        UpdateGameWin();
    } else if (lower == "ping") {
        setup_.Send(cmd::Pong());
    }
    // Everything else ("settings: ", the account replies and unknown
    // lines) is not acted on here.
    return true;
}

void Dispatcher::HandleGame(const std::string& line) {
    CurrentGame& g = setup_.game;
    if (game::ReadGameLine(line, g, Now())) {
        // Another game: its selection and orientation start afresh.
        g.Selected.clear();
        g.Orientation.clear();
    }
    // The highlight flags are the account's, kept with the settings.
    setup_.prefs.ShowLast1 = g.ShowLast1;
    setup_.prefs.ShowLast2 = g.ShowLast2;
    setup_.prefs.ShowPoss = g.ShowPoss;
    UpdateGameWin();
    if (setup_.prefs.ShowChat) {
        setup_.Send(cmd::Chat(g.GameID));
    }
}

void Dispatcher::UpdateGameWin() {
    GameWindowView* window = setup_.views().gameWin;
    if (window != nullptr && window->IsShown()) {
        window->Update();
    }
}

void Dispatcher::HandleWebNotice(const std::string& line) {
    const std::string rest(MidFrom(line, 9));
    const std::size_t comma = rest.find(',');
    const std::string address = comma == std::string::npos ? "" : rest.substr(0, comma);
    const std::string text = comma == std::string::npos ? rest : rest.substr(comma + 1);
    const platform::MessageAnswer answer =
        setup_.platform().dialogs.MessageBox(text, platform::MessageButtons::YesNo);
    if (answer == platform::MessageAnswer::Yes && !address.empty()) {
        setup_.Site(address);
    }
}

void Dispatcher::LoginRefused(const std::string& tooltipReason, const std::string& message,
                              int settingsFocus) {
    setup_.PingTimer().SetEnabled(false);
    setup_.Disconnect(std::string("Quorvel Chess") + kCrLf + tooltipReason);
    MessageBox(message);
    if (SettingsWindowView* settings = setup_.views().settings) {
        settings->ShowWithFocus(static_cast<SettingsFocus>(settingsFocus));
    }
}

void Dispatcher::HandleSlots(const std::string& line) {
    if (line.size() >= 7 && line[6] == ' ') {
        MessageBox("Sorry, all of " + Possessive(std::string(MidFrom(line, 8))) +
                   " slots are currently in use.");
    } else {
        MessageBox("Sorry, all of your game slots are currently in use.");
    }
}

void Dispatcher::HandleUpdate(const std::string& line) {
    StatusCounters& c = setup_.counters;
    // Each field starts after the first comma from the previous field's
    // start; a missing comma sends the search back to the line's start.
    std::size_t starts[5];
    starts[0] = 8;
    for (int i = 1; i < 5; ++i) {
        starts[i] = InStr(starts[i - 1], line, ',') + 1;
    }
    if (auto v = RoundToInt16(LeadingNumber(MidFrom(line, starts[0])))) {
        c.Reqs = *v;
    }
    if (auto v = RoundToInt16(LeadingNumber(MidFrom(line, starts[1])))) {
        c.Games = *v;
    }
    const double slots = LeadingNumber(MidFrom(line, starts[2]));
    if (std::fabs(slots) <= std::numeric_limits<float>::max()) {
        c.Slots = static_cast<float>(slots);
    }
    if (auto v = RoundToInt16(LeadingNumber(MidFrom(line, starts[3])))) {
        c.NumYourMove = *v;
    }
    const platform::CivilTime now = setup_.platform().clock.LocalNow();
    if (auto server = lobby::ParseServerTimestamp(MidFrom(line, starts[4]), now)) {
        const std::int64_t diff = lobby::CivilSeconds(now) - lobby::CivilSeconds(*server);
        if (diff >= std::numeric_limits<std::int32_t>::min() &&
            diff <= std::numeric_limits<std::int32_t>::max()) {
            c.TimeDiff = static_cast<std::int32_t>(diff);
        }
    }

    const std::string status = StatusText(setup_.login.QVID, c);
    const std::int16_t previous = setup_.login.State;
    bool alert = false;
    if (c.NumYourMove == 0 && c.Reqs == 0) {
        setup_.SetState(kStateIdle, status);
    } else {
        if (c.NumYourMove > 0) {
            alert = previous != kStateYourMove;
            setup_.SetState(kStateYourMove, status);
        } else {
            alert = previous < kStateYourMove;
            setup_.SetState(kStateRequest, status);
        }
        if (alert && setup_.prefs.PlaySound) {
            setup_.status().PlayYourMoveSound();
        }
    }

    if (!setup_.login.OnConnect.empty()) {
        const std::string held = setup_.login.OnConnect;
        setup_.Send(held);
        setup_.login.OnConnect.clear();
    }

    Views& views = setup_.views();
    const bool gameListShown = views.gameList != nullptr && views.gameList->IsShown();
    if (views.gameList != nullptr) {
        if (gameListShown) {
            setup_.Send(cmd::GameList());
        } else if (views.gameList->IsLoaded()) {
            views.gameList->Unload();
        }
    }
    if (views.gameWin != nullptr) {
        if (views.gameWin->IsShown()) {
            if (!gameListShown) {
                setup_.Send(cmd::OpenGames());
            }
            setup_.Send(cmd::Game(setup_.game.GameID));
        } else if (views.gameWin->IsLoaded()) {
            views.gameWin->Unload();
        }
    }
}

}  // namespace qc::protocol
