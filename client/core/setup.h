#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "client/core/account/account_windows.h"
#include "client/core/desktop/status_display.h"
#include "client/core/desktop/tray_icon.h"
#include "client/core/desktop/tray_menu.h"
#include "client/core/desktop/web_pages.h"
#include "client/core/game/banner.h"
#include "client/core/game/current_game.h"
#include "client/core/game/game_session.h"
#include "client/core/game/game_window.h"
#include "client/core/lobby/game_list_window.h"
#include "client/core/lobby/game_lists.h"
#include "client/core/lobby/list_windows.h"
#include "client/core/lobby/lobby.h"
#include "client/core/lobby/move_alerts.h"
#include "client/core/lobby/new_game_forms.h"
#include "client/core/lobby/request_actions.h"
#include "client/core/protocol/controller.h"
#include "client/core/protocol/dispatcher.h"
#include "client/core/protocol/notices.h"
#include "client/core/protocol/session.h"
#include "client/core/settings/settings.h"
#include "client/core/settings/settings_window.h"
#include "client/core/window_views.h"
#include "client/platform/autostart.h"
#include "client/platform/clock.h"
#include "client/platform/datagram_socket.h"
#include "client/platform/dialogs.h"
#include "client/platform/event_loop.h"
#include "client/platform/file_system.h"
#include "client/platform/locale.h"
#include "client/platform/media.h"
#include "client/platform/shell.h"
#include "client/platform/stream_socket.h"
#include "client/platform/timer.h"
#include "client/platform/tray.h"

namespace qc {

// The platform services the controller is built on.
struct Platform {
    platform::DatagramSocket& socket;
    platform::TimerFactory& timers;
    platform::Clock& clock;
    platform::EventLoop& eventLoop;
    platform::TrayService& tray;
    platform::SoundPlayer& sound;
    platform::Dialogs& dialogs;
    platform::Shell& shell;
    platform::FileSystem& files;
    platform::Autostart& autostart;
    platform::DateTimeFormat& dateTime;
    // The banner's connection, apart from the game server's.
    platform::StreamSocket& bannerSocket;
};

using protocol::ServerAddress;

// The windows the controller talks to. Any of them may be missing. The
// lobby's windows are the controller's own (see gameList(), publicReqs()
// and the forms); their entries here may be replaced by tests.
struct Views {
    FloaterView* floater = nullptr;
    TrayMenuView* trayMenu = nullptr;
    SettingsWindowView* settings = nullptr;
    lobby::LobbyViews lobby;
};

// What start-up needs to know about the machine.
struct StartupEnvironment {
    std::filesystem::path settingsPath;
    settings::ScreenTwips screen;
    settings::SettingsDefaults defaults;
    // Without a notification area the floating indicator is the only way to
    // reach the program, so it is shown whatever the setting says.
    bool trayAvailable = true;
};

// The controller: the composition root. It owns the shared state, the
// timers and the subsystems, builds each subsystem with the state and the
// services it needs, and offers the operations every window calls.
class Setup {
  public:
    // `webBase` is the web site's address; empty: the game server's host.
    // Banners come from `banner`; no host: the game server's, port 80.
    Setup(Platform platform, ServerAddress server, std::string webBase = "",
          game::BannerServer banner = {});
    ~Setup();
    Setup(const Setup&) = delete;
    Setup& operator=(const Setup&) = delete;

    // The controller's load: settings, autostart, the icon, the first
    // windows and the login, in that order. The single-instance check
    // comes before it.
    void Load(const StartupEnvironment& env);
    // The controller's unload: goodbye to the server, the windows, the
    // settings file, the autostart entry, the icon and the socket.
    void Unload();

    // Views are attached once the windows exist.
    Views& views() { return views_; }

    // Connection.
    void Send(const std::string& msg, bool noStateCheck = false) {
        session_.Send(msg, noStateCheck);
    }
    void SendCommand(const std::string& command) { session_.SendCommand(command); }
    void Connect() { session_.Connect(); }
    void Disconnect(const std::string& tooltip) { session_.Disconnect(tooltip); }

    // Status display.
    void SetState(std::int16_t setTo, const std::string& tooltip) {
        status_.SetState(setTo, tooltip);
    }

    // Opens a game by its identifier.
    void ViewGame(const std::string& id);
    // The game list's rows: "o" or "c" and the element number of the open or
    // closed games list; a row past the end opens nothing.
    void ViewListRow(const std::string& row);
    // Opens the window on the next game that waits for the user's move;
    // a tray double click has asked for the open games already.
    void ViewNext(bool inDoubleClick = false);

    // Tray and floating-indicator clicks.
    void TrayMouseUp(int button);
    void TrayMouseDblClick(int button);
    void FloaterMouseDown(int button, double xTwips, double yTwips) {
        status_.FloaterMouseDown(button, xTwips, yTwips);
    }
    void FloaterMouseMove(double xTwips, double yTwips) {
        status_.FloaterMouseMove(xTwips, yTwips);
    }
    void FloaterMouseUp(int button);
    void FloaterDblClick() { DoubleClick(); }
    void ToggleFloater() { status_.ToggleFloater(); }
    // The menu's check mark: whether the indicator is shown. Its entry can
    // hide the indicator only while a tray is left to reach the program.
    TrayMenuState MenuState() const { return {status_.FloaterShown(), status_.TrayAvailable()}; }
    // The menu's "My Games and Requests": the window, with fresh lists.
    void MenuGameList();
    // Carries out a menu item.
    void MenuChoose(desktop::MenuItem item);
    // Ends the program through the one shutdown; set by the program.
    std::function<void()> exitProgram;

    // State. Each struct is written by the subsystem named on it; tests and
    // the start-up read and seed them here.
    protocol::LoginState login;
    protocol::ReceiveState receive;
    protocol::StatusCounters counters;
    lobby::GameLists gameLists;
    lobby::LobbyLists lobbyLists;
    lobby::DeadlineWarnings deadlines;
    settings::AccountCredits credits;
    game::CurrentGame game;
    settings::Settings prefs;
    // Remember the password digest in the settings file.
    bool AppRemember = false;
    // Where the settings are saved at shutdown; empty saves nothing.
    std::filesystem::path settingsPath;

    const ServerAddress& server() const { return session_.Server(); }
    Platform& platform() { return platform_; }
    desktop::TrayIcon& trayIcon() { return trayIcon_; }
    desktop::StatusDisplay& status() { return status_; }
    const desktop::StatusDisplay& status() const { return status_; }
    desktop::WebPages& web() { return web_; }
    protocol::Session& session() { return session_; }
    protocol::Dispatcher& dispatcher() { return dispatcher_; }
    lobby::RequestActions& requests() { return requests_; }
    lobby::GameListWindow& gameList() { return gameList_; }
    lobby::MoveAlerts& alerts() { return alerts_; }
    lobby::PublicReqsWindow& publicReqs() { return publicReqs_; }
    lobby::ScoreboardWindow& scoreboard() { return scoreboard_; }
    lobby::NewGameForm& requestForm() { return requestForm_; }
    lobby::NewGameForm& localGameForm() { return localGameForm_; }
    lobby::NewGameForm& playBotForm() { return playBotForm_; }
    settings::SettingsWindow& settingsWindow() { return settingsWindow_; }
    account::CreateAccountWindow& createAccount() { return createAccount_; }
    account::ChangePasswordWindow& changePassword() { return changePassword_; }
    game::GameSession& currentGame() { return gameSession_; }
    game::GameWindow& gameWindow() { return gameWindow_; }
    game::Banner& banner() { return banner_; }

    platform::Timer& PingTimer() { return *pingTimer_; }
    platform::Timer& TimeOut() { return *timeOut_; }
    platform::Timer& ConnectTimer() { return *connectTimer_; }
    platform::Timer& RcvModeTimer() { return *rcvModeTimer_; }
    platform::Timer& CloseSoundTimer() { return *closeSoundTimer_; }

  private:
    lobby::NewGameFormContext FormContext();
    account::AccountWindowContext AccountContext();
    void RegisterAccountReplies();
    void DoubleClick();
    void RefreshShownWindows();

    Platform platform_;
    Views views_;
    std::unique_ptr<platform::Timer> pingTimer_;
    std::unique_ptr<platform::Timer> timeOut_;
    std::unique_ptr<platform::Timer> connectTimer_;
    std::unique_ptr<platform::Timer> rcvModeTimer_;
    std::unique_ptr<platform::Timer> closeSoundTimer_;
    desktop::TrayIcon trayIcon_;
    desktop::StatusDisplay status_;
    desktop::WebPages web_;
    protocol::Dispatcher dispatcher_;
    protocol::Session session_;
    protocol::Notices notices_;
    game::Banner banner_;
    game::GameWindow gameWindow_;
    game::GameSession gameSession_;
    lobby::RequestActions requests_;
    lobby::GameListWindow gameList_;
    lobby::Lobby lobby_;
    lobby::MoveAlerts alerts_;
    lobby::PublicReqsWindow publicReqs_;
    lobby::ScoreboardWindow scoreboard_;
    lobby::NewGameForm requestForm_;
    lobby::NewGameForm localGameForm_;
    lobby::NewGameForm playBotForm_;
    settings::SettingsWindow settingsWindow_;
    account::CreateAccountWindow createAccount_;
    account::ChangePasswordWindow changePassword_;
};

}  // namespace qc
