#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "client/core/desktop/status_display.h"
#include "client/core/protocol/controller.h"
#include "client/core/protocol/dispatcher.h"
#include "client/core/settings/settings_window.h"
#include "client/core/window_views.h"
#include "client/platform/clock.h"
#include "client/platform/datagram_socket.h"
#include "client/platform/dialogs.h"
#include "client/platform/event_loop.h"
#include "client/platform/timer.h"

namespace qc::protocol {

// Where the game server is.
struct ServerAddress {
    std::string host = QC_SERVER_HOST;
    std::uint16_t port = QC_SERVER_PORT;
};

// The timers the session runs.
struct SessionTimers {
    platform::Timer& ping;     // keep-alive and retry countdown, 1000 ms
    platform::Timer& timeOut;  // answer time-out, 10000 ms
    platform::Timer& connect;  // deferred Connect, 250 ms
};

// The login to the game server: sending lines, logging in and refreshing,
// dropping the login, the keep-alive and time-out timers, and the
// login-level server messages ("guest: ", "update:", "ping", the refusals).
class Session : public CommandSink, public settings::LoginControl {
  public:
    Session(LoginState& login, StatusCounters& counters, platform::DatagramSocket& socket,
            platform::EventLoop& eventLoop, const platform::Clock& clock,
            platform::Dialogs& dialogs, SessionTimers timers, desktop::StatusDisplay& status,
            Dispatcher& dispatcher, ServerAddress server, SettingsWindowView*& settingsWindow);
    ~Session() override;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Adds the session's messages to the dispatcher's table.
    void Register();

    // Sends QVID, a blank, the command and CR in one datagram. Dropped while
    // not logged in unless noStateCheck is set.
    void Send(const std::string& msg, bool noStateCheck);
    void Send(const std::string& command) override { Send(command, false); }
    const std::string& Qvid() const override { return login_.QVID; }
    const std::string& PwHash() const override { return login_.PWHash; }
    // Sends a composed command by its rule: most need the login, the
    // account commands go out at any time, and the settings command waits
    // for the next login instead of being lost.
    void SendCommand(const std::string& command) override;
    // Logs in, or refreshes when already logged in.
    void Connect() override;
    void Disconnect(const std::string& tooltip);
    // Connects after the short wait of a click; a further click restarts it.
    void ConnectSoon();
    // After a window could not be refreshed: connects again in 3 s, so that
    // the server sends its data anew.
    void ReconnectSoon();

    // The socket has datagrams.
    void OnDataArrival();
    void PingTimerTick();
    void TimeOutTick();
    void ConnectTimerTick();

    // The account the next login uses.
    void ChangeAccount(const std::string& qvid, const std::string& pwHash) override;
    // A new digest for the same account, after its password was changed.
    void StoreDigest(const std::string& pwHash);
    // Drops the login and logs in again two seconds later, as after an
    // account change.
    void LogInAgainSoon() override;

    // Drops the login and retries in a minute, showing why.
    void FailAndRetry(const std::string& reason);

    bool LoggedIn() const override { return status_.State() >= desktop::kStateIdle; }
    const ServerAddress& Server() const { return server_; }

    // Runs after each "update:" once the status is applied: the windows
    // that are shown ask for fresh data.
    std::function<void()> onUpdated;

  private:
    bool SendLine(const std::string& msg, bool noStateCheck);
    void ApplyGuestRule();
    bool HandleUpdate(const std::string& line);
    bool HandleGuest(const std::string& line);
    bool LoginRefused(const std::string& tooltipReason, const std::string& message,
                      SettingsFocus focus);

    LoginState& login_;
    StatusCounters& counters_;
    platform::DatagramSocket& socket_;
    platform::EventLoop& eventLoop_;
    const platform::Clock& clock_;
    platform::Dialogs& dialogs_;
    SessionTimers timers_;
    desktop::StatusDisplay& status_;
    Dispatcher& dispatcher_;
    ServerAddress server_;
    SettingsWindowView*& settingsWindow_;
};

// The tray text after a failure: the program name, the reason, the retry.
std::string RetryTooltip(const std::string& reason);

}  // namespace qc::protocol
