#include "client/core/protocol/session.h"
#include "client/core/protocol/commands.h"

#include "client/core/setup.h"
#include "client/core/text.h"

namespace qc::protocol {

std::string RetryTooltip(const std::string& reason) {
    return std::string("Quorvel Chess") + kCrLf + reason + kCrLf + "Will retry in 1 minute";
}

bool Session::SendLine(const std::string& msg, bool noStateCheck) {
    LoginState& login = setup_.login;
    if (login.State < 1 && !noStateCheck) {
        return true;
    }
    setup_.PingTimer().SetEnabled(false);
    login.PingTime = 180;
    setup_.PingTimer().SetEnabled(true);
    return setup_.platform().socket.SendDatagram(login.QVID + " " + msg + "\r");
}

void Session::Send(const std::string& msg, bool noStateCheck) {
    // A failed send outside Connect is treated like a failed connection.
    if (!SendLine(msg, noStateCheck)) {
        FailAndRetry("Connection error");
    }
}

void Session::ApplyGuestRule() {
    LoginState& login = setup_.login;
    const std::string lower = text::ToLower(login.QVID);
    if (lower == "guest" || login.QVID.empty() ||
        (login.PWHash.empty() && lower.substr(0, 5) == "guest")) {
        login.QVID = "guest";
        login.PWHash = "*";
    }
}

void Session::Connect() {
    LoginState& login = setup_.login;
    ApplyGuestRule();
    if (login.PWHash.empty()) {
        // A named account without a known password: ask for one.
        setup_.PingTimer().SetEnabled(false);
        if (SettingsWindowView* settings = setup_.views().settings) {
            settings->ShowWithFocus(SettingsFocus::Password);
        }
        return;
    }
    if (login.State != kStateOffline) {
        if (!SendLine(cmd::Update(), false)) {
            FailAndRetry("Connection error");
            return;
        }
    } else {
        platform::DatagramSocket& socket = setup_.platform().socket;
        socket.Close();
        const bool opened = socket.Bind() && socket.SetRemote("", 0) &&
                            socket.SetRemote(setup_.server().host, setup_.server().port);
        if (!opened) {
            FailAndRetry("Connection error");
            return;
        }
        setup_.platform().eventLoop.ProcessPendingEvents();
        if (!SendLine(cmd::Login(login.PWHash), true)) {
            FailAndRetry("Connection error");
            return;
        }
    }
    setup_.TimeOut().SetEnabled(true);
}

void Session::Disconnect(const std::string& tooltip) {
    setup_.TimeOut().SetEnabled(false);
    setup_.dispatcher().SetRcvMode(RcvMode::None);
    setup_.platform().socket.Close();
    setup_.SetState(kStateOffline, tooltip);
}

void Session::FailAndRetry(const std::string& reason) {
    setup_.PingTimer().SetEnabled(false);
    Disconnect(RetryTooltip(reason));
    setup_.login.PingTime = 60;
    setup_.PingTimer().SetEnabled(true);
}

void Session::PingTimerTick() {
    LoginState& login = setup_.login;
    login.PingTime = static_cast<std::int16_t>(login.PingTime - 1);
    if (login.PingTime < 1) {
        login.PingTime = 180;
        Connect();
    }
}

void Session::TimeOutTick() {
    FailAndRetry("Connection timed out");
}

void Session::ConnectTimerTick() {
    setup_.ConnectTimer().SetEnabled(false);
    Connect();
}

}  // namespace qc::protocol
