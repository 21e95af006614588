#include "client/core/protocol/session.h"

#include "client/core/protocol/commands.h"
#include "client/core/protocol/status_update.h"
#include "client/core/protocol/wire_number.h"
#include "client/core/text.h"

namespace qc::protocol {

std::string RetryTooltip(const std::string& reason) {
    return std::string(text::kProgramName) + kCrLf + reason + kCrLf + "Will retry in 1 minute";
}

Session::Session(LoginState& login, StatusCounters& counters, platform::DatagramSocket& socket,
                 platform::EventLoop& eventLoop, const platform::Clock& clock,
                 platform::Dialogs& dialogs, SessionTimers timers, desktop::StatusDisplay& status,
                 Dispatcher& dispatcher, ServerAddress server, SettingsWindowView*& settingsWindow)
    : login_(login),
      counters_(counters),
      socket_(socket),
      eventLoop_(eventLoop),
      clock_(clock),
      dialogs_(dialogs),
      timers_(timers),
      status_(status),
      dispatcher_(dispatcher),
      server_(std::move(server)),
      settingsWindow_(settingsWindow) {
    socket_.onDataArrival = [this] { OnDataArrival(); };
}

Session::~Session() {
    socket_.onDataArrival = nullptr;
}

void Session::Register() {
    dispatcher_.AddMessage({"!w", Match::Prefix, [this](const std::string&) {
                                return LoginRefused("Unknown QVID",
                                                    "The QVID you entered does not exist.",
                                                    SettingsFocus::QvidSelectAll);
                            }});
    dispatcher_.AddMessage({"!p", Match::Prefix, [this](const std::string&) {
                                return LoginRefused("Incorrect password",
                                                    "The password you entered is incorrect.",
                                                    SettingsFocus::PasswordCleared);
                            }});
    dispatcher_.AddMessage(
        {"guest: ", Match::Prefix, [this](const std::string& l) { return HandleGuest(l); }});
    dispatcher_.AddMessage(
        {"update:", Match::Prefix, [this](const std::string& l) { return HandleUpdate(l); }});
    dispatcher_.AddMessage({"ping", Match::Whole, [this](const std::string&) {
                                Send(cmd::Pong());
                                return true;
                            }});
}

bool Session::SendLine(const std::string& msg, bool noStateCheck) {
    if (!LoggedIn() && !noStateCheck) {
        return true;
    }
    timers_.ping.SetEnabled(false);
    login_.PingTime = 180;
    timers_.ping.SetEnabled(true);
    return socket_.SendDatagram(login_.QVID + " " + msg + "\r");
}

void Session::Send(const std::string& msg, bool noStateCheck) {
    // A failed send outside Connect is treated like a failed connection.
    if (!SendLine(msg, noStateCheck)) {
        FailAndRetry("Connection error");
    }
}

void Session::SendCommand(const std::string& command) {
    switch (SendRuleFor(command)) {
        case SendRule::NoStateCheck:
            Send(command, true);
            break;
        case SendRule::HeldUntilLogin:
            if (!LoggedIn()) {
                login_.OnConnect = command;
            } else {
                Send(command);
            }
            break;
        case SendRule::StateChecked:
            Send(command);
            break;
    }
}

void Session::ApplyGuestRule() {
    const std::string_view qvid = login_.QVID;
    if (text::EqualsIgnoreCase(qvid, "guest") || qvid.empty() ||
        (login_.PWHash.empty() && text::EqualsIgnoreCase(qvid.substr(0, 5), "guest"))) {
        login_.QVID = "guest";
        login_.PWHash = "*";
    }
}

void Session::Connect() {
    ApplyGuestRule();
    if (login_.PWHash.empty()) {
        // A named account without a known password: ask for one.
        timers_.ping.SetEnabled(false);
        if (settingsWindow_ != nullptr) {
            settingsWindow_->ShowWithFocus(SettingsFocus::Password);
        }
        return;
    }
    if (status_.State() != desktop::kStateOffline) {
        if (!SendLine(cmd::Update(), false)) {
            FailAndRetry("Connection error");
            return;
        }
    } else {
        socket_.Close();
        const bool opened = socket_.Bind() && socket_.SetRemote("", 0) &&
                            socket_.SetRemote(server_.host, server_.port);
        if (!opened) {
            FailAndRetry("Connection error");
            return;
        }
        eventLoop_.ProcessPendingEvents();
        if (!SendLine(cmd::Login(login_.PWHash), true)) {
            FailAndRetry("Connection error");
            return;
        }
    }
    timers_.timeOut.SetEnabled(true);
}

void Session::ConnectSoon() {
    timers_.connect.SetInterval(250);
    // A further release within the wait restarts it.
    timers_.connect.SetEnabled(false);
    timers_.connect.SetEnabled(true);
}

void Session::ReconnectSoon() {
    timers_.connect.SetInterval(3000);
    timers_.connect.SetEnabled(false);
    timers_.connect.SetEnabled(true);
}

void Session::Disconnect(const std::string& tooltip) {
    timers_.timeOut.SetEnabled(false);
    dispatcher_.SetRcvMode(RcvMode::None);
    socket_.Close();
    status_.SetState(desktop::kStateOffline, tooltip);
}

void Session::ChangeAccount(const std::string& qvid, const std::string& pwHash) {
    login_.QVID = qvid;
    login_.PWHash = pwHash;
}

void Session::StoreDigest(const std::string& pwHash) {
    login_.PWHash = pwHash;
}

void Session::LogInAgainSoon() {
    timers_.ping.SetEnabled(false);
    Disconnect(std::string(text::kProgramName) + kCrLf + "Connecting . . .");
    // The new login starts at the second tick of the ping timer.
    login_.PingTime = 2;
    timers_.ping.SetEnabled(true);
}

void Session::FailAndRetry(const std::string& reason) {
    timers_.ping.SetEnabled(false);
    Disconnect(RetryTooltip(reason));
    login_.PingTime = 60;
    timers_.ping.SetEnabled(true);
}

void Session::OnDataArrival() {
    std::string text;
    const std::optional<std::size_t> datagrams = socket_.ReadPending(text);
    if (!datagrams) {
        FailAndRetry("Could not connect");
        return;
    }
    // Only what came from the server counts as its answer: a stray datagram
    // must not cancel the time-out.
    if (*datagrams == 0) {
        return;
    }
    timers_.timeOut.SetEnabled(false);
    dispatcher_.Receive(text);
}

void Session::PingTimerTick() {
    login_.PingTime = static_cast<std::int16_t>(login_.PingTime - 1);
    if (login_.PingTime < 1) {
        login_.PingTime = 180;
        Connect();
    }
}

void Session::TimeOutTick() {
    FailAndRetry("Connection timed out");
}

void Session::ConnectTimerTick() {
    timers_.connect.SetEnabled(false);
    Connect();
}

bool Session::HandleGuest(const std::string& line) {
    text::CommaFields fields(MidFrom(line, 8));
    // A line without the comma carries no usable credentials: keep the
    // current ones rather than log in with a mangled digest.
    if (const auto qvid = fields.Next()) {
        login_.QVID = std::string(*qvid);
        login_.PWHash = std::string(fields.Rest());
    }
    return true;
}

bool Session::HandleUpdate(const std::string& line) {
    counters_ = ReadUpdateCounters(line, counters_, clock_.LocalNow());
    const StatusChange change = DecideStatus(counters_, status_.State());
    status_.SetState(change.state, StatusText(login_.QVID, counters_));
    if (change.alert) {
        status_.PlayYourMoveSound();
    }
    if (!login_.OnConnect.empty()) {
        const std::string held = login_.OnConnect;
        Send(held);
        login_.OnConnect.clear();
    }
    if (onUpdated) {
        onUpdated();
    }
    return true;
}

bool Session::LoginRefused(const std::string& tooltipReason, const std::string& message,
                           SettingsFocus focus) {
    timers_.ping.SetEnabled(false);
    Disconnect(std::string(text::kProgramName) + kCrLf + tooltipReason);
    dialogs_.MessageBox(message, platform::MessageButtons::Ok);
    if (settingsWindow_ != nullptr) {
        settingsWindow_->ShowWithFocus(focus);
    }
    return false;
}

}  // namespace qc::protocol
