#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "client/core/desktop/status_display.h"
#include "client/core/desktop/tray_icon.h"
#include "client/core/lobby/game_lists.h"
#include "client/core/protocol/controller.h"
#include "client/core/protocol/dispatcher.h"
#include "client/core/protocol/session.h"
#include "client/core/settings/settings.h"
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
    platform::MediaControl& media;
    platform::Dialogs& dialogs;
    platform::Shell& shell;
    platform::FileSystem& files;
    platform::Autostart& autostart;
    platform::DateTimeFormat& dateTime;
};

// Where the game server is.
struct ServerAddress {
    std::string host = QC_SERVER_HOST;
    std::uint16_t port = QC_SERVER_PORT;
};

// The windows the controller talks to. Any of them may be missing.
struct Views {
    FloaterView* floater = nullptr;
    TrayMenuView* trayMenu = nullptr;
    SettingsWindowView* settings = nullptr;
    ListWindowView* gameList = nullptr;
    GameWindowView* gameWin = nullptr;
    ListWindowView* publicReqs = nullptr;
    ListWindowView* scoreboard = nullptr;
    RequestWindowView* requestWin = nullptr;
    // The settings window itself, for the buttons that open it.
    WindowView* settingsWindow = nullptr;
    WindowView* localGame = nullptr;
    WindowView* playBot = nullptr;
};

// The controller: owns the shared state and the timers, and offers the
// operations every window calls. The logic lives in the subsystems.
class Setup {
  public:
    Setup(Platform platform, ServerAddress server);
    ~Setup();
    Setup(const Setup&) = delete;
    Setup& operator=(const Setup&) = delete;

    // Every list back to one empty element.
    void ResetLists();

    // Views are attached once the windows exist.
    Views& views() { return views_; }

    // Connection.
    void Send(const std::string& msg, bool noStateCheck = false) {
        session_.Send(msg, noStateCheck);
    }
    // Sends a composed command by its rule: most need the login, the
    // account commands go out at any time, and the settings command waits
    // for the next login instead of being lost.
    void SendCommand(const std::string& command);
    void Connect() { session_.Connect(); }
    void Disconnect(const std::string& tooltip) { session_.Disconnect(tooltip); }
    // The server's datagrams arrive here.
    void OnDataArrival() { dispatcher_.OnDataArrival(); }

    // Status display.
    void SetState(std::int16_t setTo, const std::string& tooltip) {
        status_.SetState(setTo, tooltip);
    }

    // Web pages: relative pages are taken from the game server's web site.
    void Site(const std::string& page);
    // Starts the Knight's Tour program, or opens its page when it is missing.
    void KnightsTour();

    // Opens a game by its identifier, or by "o" or "c" and the element
    // number of the open or closed games list.
    void ViewGame(const std::string& id);
    // Refreshes the game list window from the lists, when it is shown.
    void UpdateGameList();
    // A server time for display: the user's locale, shifted to local time
    // when so configured; midnight shows the date alone.
    std::string ServerTimeText(const lobby::ServerTime& t) const;

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
    void ToggleFloater();

    // State, read and written by the subsystems and the windows.
    protocol::LoginState login;
    protocol::ReceiveState receive;
    protocol::StatusCounters counters;
    protocol::ListLines lists;
    lobby::GameLists gameLists;
    protocol::CurrentGame game;
    settings::Settings prefs;
    // Remember the password digest in the settings file.
    bool AppRemember = false;
    // Where the settings are saved at shutdown; "" saves nothing.
    std::string settingsPath;
    // Where the Knight's Tour program would be.
    std::string knightsTourPath;

    const ServerAddress& server() const { return server_; }
    Platform& platform() { return platform_; }
    desktop::TrayIcon& trayIcon() { return trayIcon_; }
    desktop::StatusDisplay& status() { return status_; }
    protocol::Session& session() { return session_; }
    protocol::Dispatcher& dispatcher() { return dispatcher_; }

    platform::Timer& PingTimer() { return *pingTimer_; }
    platform::Timer& TimeOut() { return *timeOut_; }
    platform::Timer& ConnectTimer() { return *connectTimer_; }
    platform::Timer& RcvModeTimer() { return *rcvModeTimer_; }
    platform::Timer& CloseSoundTimer() { return *closeSoundTimer_; }

  private:
    void DoubleClick();

    Platform platform_;
    ServerAddress server_;
    Views views_;
    std::unique_ptr<platform::Timer> pingTimer_;
    std::unique_ptr<platform::Timer> timeOut_;
    std::unique_ptr<platform::Timer> connectTimer_;
    std::unique_ptr<platform::Timer> rcvModeTimer_;
    std::unique_ptr<platform::Timer> closeSoundTimer_;
    desktop::TrayIcon trayIcon_;
    desktop::StatusDisplay status_;
    protocol::Session session_;
    protocol::Dispatcher dispatcher_;
};

}  // namespace qc
