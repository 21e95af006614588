#include "client/core/setup.h"
#include "client/core/protocol/commands.h"

#include "client/core/desktop/web_pages.h"

#include <optional>

namespace qc {

Setup::Setup(Platform platform, ServerAddress server)
    : platform_(platform),
      server_(std::move(server)),
      trayIcon_(platform.tray),
      status_(*this),
      session_(*this),
      dispatcher_(*this) {
    platform::TimerFactory& timers = platform_.timers;
    pingTimer_ = timers.CreateTimer(1000, [this] { session_.PingTimerTick(); });
    timeOut_ = timers.CreateTimer(10000, [this] { session_.TimeOutTick(); });
    connectTimer_ = timers.CreateTimer(250, [this] { session_.ConnectTimerTick(); });
    rcvModeTimer_ = timers.CreateTimer(20000, [this] { dispatcher_.RcvModeTimerTick(); });
    closeSoundTimer_ = timers.CreateTimer(5000, [this] { status_.CloseSoundTick(); });
    platform_.socket.onDataArrival = [this] { dispatcher_.OnDataArrival(); };
    trayIcon_.MouseUp = [this](int button) { TrayMouseUp(button); };
    trayIcon_.MouseDblClick = [this](int button) { TrayMouseDblClick(button); };
}

Setup::~Setup() {
    platform_.socket.onDataArrival = nullptr;
}

void Setup::ResetLists() {
    lists = protocol::ListLines{};
    gameLists = lobby::GameLists{};
}

void Setup::SendCommand(const std::string& command) {
    switch (protocol::SendRuleFor(command)) {
        case protocol::SendRule::NoStateCheck:
            Send(command, true);
            break;
        case protocol::SendRule::HeldUntilLogin:
            if (login.State < 1) {
                login.OnConnect = command;
            } else {
                Send(command);
            }
            break;
        case protocol::SendRule::StateChecked:
            Send(command);
            break;
    }
}

void Setup::Site(const std::string& page) {
    desktop::Site(platform_.shell, server_.host, page);
}

void Setup::KnightsTour() {
    desktop::KnightsTour(platform_.shell, knightsTourPath, server_.host);
}

namespace {

// The element number after "o" or "c", when the rest is all digits.
std::optional<std::size_t> ElementNumber(const std::string& id, char list) {
    if (id.size() < 2 || id[0] != list || id.size() > 6) {
        return std::nullopt;
    }
    std::size_t n = 0;
    for (std::size_t i = 1; i < id.size(); ++i) {
        if (id[i] < '0' || id[i] > '9') {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::size_t>(id[i] - '0');
    }
    return n;
}

}  // namespace

void Setup::ViewGame(const std::string& requested) {
    std::string id = requested;
    if (const auto n = ElementNumber(id, 'o'); n && *n < gameLists.OpenGamesData.size()) {
        id = gameLists.OpenGamesData[*n].ID;
    }
    if (const auto n = ElementNumber(id, 'c'); n && *n < gameLists.ClosedGamesData.size()) {
        id = gameLists.ClosedGamesData[*n].ID;
    }
    if (views_.gameWin != nullptr && !views_.gameWin->IsShown()) {
        views_.gameWin->Show();
    }
    if (views_.gameList == nullptr || !views_.gameList->IsShown()) {
        Send(protocol::cmd::OpenGames());
    }
    // GameID changes only with the server's "game: " line for this game.
    Send(protocol::cmd::Game(id));
}

void Setup::UpdateGameList() {
    if (views_.gameList != nullptr && views_.gameList->IsShown()) {
        views_.gameList->Update();
    }
}

std::string Setup::ServerTimeText(const lobby::ServerTime& t) const {
    const lobby::ServerTime shown = lobby::DisplayTime(t, counters.TimeDiff, prefs.MyTime);
    if (!shown) {
        return "";
    }
    if (shown->hour == 0 && shown->minute == 0 && shown->second == 0) {
        return platform_.dateTime.Date(*shown);
    }
    return platform_.dateTime.DateTime(*shown);
}

void Setup::TrayMouseUp(int button) {
    if (views_.trayMenu != nullptr) {
        views_.trayMenu->Unload();
    }
    if (button == desktop::kLeftButton) {
        connectTimer_->SetInterval(250);
        // A further release within the wait restarts it.
        connectTimer_->SetEnabled(false);
        connectTimer_->SetEnabled(true);
    } else if (button == desktop::kRightButton && views_.trayMenu != nullptr) {
        views_.trayMenu->Popup(prefs.ShowFloater);
    }
}

void Setup::TrayMouseDblClick(int button) {
    if (button == desktop::kLeftButton) {
        DoubleClick();
    }
}

void Setup::FloaterMouseUp(int button) {
    if (button == desktop::kLeftButton) {
        status_.EndDrag();
    }
    TrayMouseUp(button);
}

void Setup::DoubleClick() {
    // Without the game window, a double click always shows the game list.
    if (views_.gameList != nullptr) {
        views_.gameList->Show();
    }
}

void Setup::ToggleFloater() {
    prefs.ShowFloater = !prefs.ShowFloater;
    status_.EnsureFloaterLoaded();
    if (views_.floater != nullptr) {
        views_.floater->SetVisible(prefs.ShowFloater);
    }
}

}  // namespace qc
