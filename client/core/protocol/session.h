#pragma once

#include <string>

namespace qc {
class Setup;
}

namespace qc::protocol {

// The login to the game server: sending lines, logging in and refreshing,
// dropping the login, and the keep-alive and time-out timers.
class Session {
  public:
    explicit Session(Setup& setup) : setup_(setup) {}

    // Sends QVID, a blank, the command and CR in one datagram. Dropped while
    // not logged in unless noStateCheck is set.
    void Send(const std::string& msg, bool noStateCheck = false);
    // Logs in, or refreshes when already logged in.
    void Connect();
    void Disconnect(const std::string& tooltip);

    void PingTimerTick();
    void TimeOutTick();
    void ConnectTimerTick();

    // Drops the login and retries in a minute, showing why.
    void FailAndRetry(const std::string& reason);

  private:
    bool SendLine(const std::string& msg, bool noStateCheck);
    void ApplyGuestRule();

    Setup& setup_;
};

// The tray text after a failure: the program name, the reason, the retry.
std::string RetryTooltip(const std::string& reason);

}  // namespace qc::protocol
