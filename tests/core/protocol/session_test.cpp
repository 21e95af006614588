#include <gtest/gtest.h>

#include "tests/fakes/controller_fixture.h"

namespace qc {
namespace {

using fakes::FakeController;

const std::string kGuestLogin = "guest connect v1.20 *\r";

TEST(Connect, GuestRuleTable) {
    struct Case {
        std::string qvid, pw;
        std::string expectedDatagram;
    };
    const std::vector<Case> cases = {
        {"", "", kGuestLogin},
        {"", "0123abcd", kGuestLogin},
        {"GuEsT", "0123abcd", kGuestLogin},
        {"guest77", "", kGuestLogin},
        {"Guest77", "", kGuestLogin},
        {"guest77", "tok", "guest77 connect v1.20 tok\r"},
        {"alice", "d1g3st", "alice connect v1.20 d1g3st\r"},
        {"guestalice", "pw", "guestalice connect v1.20 pw\r"},
    };
    for (const auto& c : cases) {
        FakeController fc;
        fc.setup->login.QVID = c.qvid;
        fc.setup->login.PWHash = c.pw;
        fc.setup->Connect();
        ASSERT_EQ(fc.socket.sent.size(), 1u) << c.qvid;
        EXPECT_EQ(fc.socket.sent[0], c.expectedDatagram) << c.qvid << "/" << c.pw;
        EXPECT_EQ(fc.socket.remoteHost, "games.example");
        EXPECT_EQ(fc.socket.remotePort, 3819);
        EXPECT_TRUE(fc.setup->TimeOut().Enabled());
        EXPECT_EQ(fc.eventLoop.calls, 1);
    }
}

TEST(Connect, NamedAccountWithoutPasswordAsksForIt) {
    FakeController fc;
    fc.setup->login.QVID = "alice";
    fc.setup->PingTimer().SetEnabled(true);
    fc.setup->Connect();
    EXPECT_TRUE(fc.socket.sent.empty());
    EXPECT_FALSE(fc.setup->PingTimer().Enabled());
    EXPECT_FALSE(fc.setup->TimeOut().Enabled());
    ASSERT_EQ(fc.settingsWindow.shown.size(), 1u);
    EXPECT_EQ(fc.settingsWindow.shown[0], SettingsFocus::Password);
    // No automatic retry ever follows.
    fc.timers.Advance(600'000);
    EXPECT_TRUE(fc.socket.sent.empty());
}

TEST(Connect, RepeatedWhilePendingResendsTheLoginAndReopensTheSocket) {
    FakeController fc;
    fc.setup->Connect();
    fc.setup->Connect();
    fc.setup->Connect();
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>(3, kGuestLogin));
    EXPECT_EQ(fc.socket.bindCount, 3);
}

TEST(Connect, WhileLoggedInSendsUpdate) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    fc.setup->Connect();
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 update\r"});
    EXPECT_TRUE(fc.setup->TimeOut().Enabled());
}

TEST(Connect, SocketFailureRetriesInAMinute) {
    FakeController fc;
    fc.socket.failBind = true;
    fc.setup->Connect();
    EXPECT_EQ(fc.setup->status().State(), 0);
    EXPECT_EQ(fc.tray.Last().tip, "Quorvel Chess\r\nConnection error\r\nWill retry in 1 minute");
    EXPECT_EQ(fc.setup->login.PingTime, 60);
    EXPECT_FALSE(fc.setup->TimeOut().Enabled());
    fc.socket.failBind = false;
    fc.timers.Advance(59'000);
    EXPECT_TRUE(fc.socket.sent.empty());
    fc.timers.Advance(1'000);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{kGuestLogin});
}

TEST(Send, DroppedWhileNotLoggedInUnlessUnchecked) {
    FakeController fc;
    fc.setup->login.QVID = "alice";
    fc.setup->login.PingTime = 42;
    fc.setup->Send("gamelist");
    EXPECT_TRUE(fc.socket.sent.empty());
    EXPECT_EQ(fc.setup->login.PingTime, 42);
    fc.setup->Send("createqvid x,y,z,w,", true);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"alice createqvid x,y,z,w,\r"});
    EXPECT_EQ(fc.setup->login.PingTime, 180);
}

TEST(Send, FailureOutsideConnectDropsTheLoginAndRetries) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.socket.failSend = true;
    fc.setup->Send("gamelist");
    EXPECT_EQ(fc.setup->status().State(), 0);
    EXPECT_EQ(fc.setup->login.PingTime, 60);
    EXPECT_TRUE(fc.setup->PingTimer().Enabled());
}

TEST(KeepAlive, SilenceRefreshesThenTimesOutThenRetriesTheLogin) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    EXPECT_EQ(fc.setup->status().State(), 1);

    fc.timers.Advance(179'999);
    EXPECT_TRUE(fc.socket.sent.empty());
    fc.timers.Advance(1);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 update\r"});

    // The server stays silent: ten seconds later the login is dropped.
    fc.timers.Advance(9'999);
    EXPECT_EQ(fc.setup->status().State(), 1);
    fc.timers.Advance(1);
    EXPECT_EQ(fc.setup->status().State(), 0);
    EXPECT_EQ(fc.tray.Last().tip,
              "Quorvel Chess\r\nConnection timed out\r\nWill retry in 1 minute");
    EXPECT_EQ(fc.tray.Last().picture, platform::TrayPicture::Grey);
    EXPECT_FALSE(fc.socket.open);

    fc.timers.Advance(59'999);
    EXPECT_TRUE(fc.socket.sent.empty());
    fc.timers.Advance(1);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 connect v1.20 abc123\r"});
}

TEST(KeepAlive, EverySendRestartsTheCount) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    fc.timers.Advance(170'000);
    fc.socket.Receive("ping\r");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 pong\r"});
    fc.timers.Advance(179'000);
    EXPECT_TRUE(fc.socket.sent.empty());
    fc.timers.Advance(1'000);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 update\r"});
}

TEST(KeepAlive, AForeignDatagramLeavesTheTimeOutRunning) {
    FakeController fc;
    fc.setup->Connect();
    fc.timers.Advance(9'000);
    fc.socket.ReceiveForeign();
    EXPECT_TRUE(fc.setup->TimeOut().Enabled());
    fc.timers.Advance(1'000);
    EXPECT_EQ(fc.tray.Last().tip,
              "Quorvel Chess\r\nConnection timed out\r\nWill retry in 1 minute");
    EXPECT_EQ(fc.setup->login.PingTime, 60);
}

TEST(KeepAlive, AnyDatagramFromTheServerCancelsTheTimeOut) {
    FakeController fc;
    fc.setup->Connect();
    fc.timers.Advance(9'000);
    fc.socket.Receive("msg: hello\r");
    EXPECT_FALSE(fc.setup->TimeOut().Enabled());
    fc.timers.Advance(5'000);
    ASSERT_EQ(fc.dialogs.boxes.size(), 1u);
    for (const auto& call : fc.tray.calls) {
        EXPECT_EQ(call.record.tip.find("timed out"), std::string::npos);
    }
}

TEST(Disconnect, ClosesTheOpenListButKeepsTheBuffer) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.socket.Receive("opphistory:\rbob\rpartial");
    EXPECT_EQ(fc.setup->receive.Mode, protocol::RcvMode::OppHistory);
    fc.setup->Disconnect("Quorvel Chess\r\nGone");
    EXPECT_EQ(fc.setup->receive.Mode, protocol::RcvMode::None);
    EXPECT_FALSE(fc.setup->RcvModeTimer().Enabled());
    EXPECT_EQ(fc.setup->receive.RcvBuffer, "partial");
    EXPECT_EQ(fc.setup->status().State(), 0);
    EXPECT_EQ(fc.tray.Last().tip, "Quorvel Chess\r\nGone");
}

TEST(ReadFailure, DropsTheLoginWithCouldNotConnect) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.socket.failRead = true;
    fc.socket.Receive("update:0,0,5,0,09Dec26120000\r");
    EXPECT_EQ(fc.setup->status().State(), 0);
    EXPECT_EQ(fc.tray.Last().tip, "Quorvel Chess\r\nCould not connect\r\nWill retry in 1 minute");
    EXPECT_EQ(fc.setup->login.PingTime, 60);
}

TEST(TrayClicks, TwoLeftReleasesCauseOneConnectAfterTheSecond) {
    FakeController fc;
    fc.setup->trayIcon().Deliver(514);
    fc.timers.Advance(100);
    fc.setup->trayIcon().Deliver(514);
    fc.timers.Advance(249);
    EXPECT_TRUE(fc.socket.sent.empty());
    fc.timers.Advance(1);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{kGuestLogin});
    fc.timers.Advance(5'000);
    EXPECT_TRUE(fc.socket.sent.empty());
    // The one menu is kept, not unloaded under a click.
    EXPECT_EQ(fc.trayMenu.unloads, 0);
}

TEST(TrayClicks, RightReleasePopsUpTheMenuWithTheFloaterCheck) {
    FakeController fc;
    fc.setup->trayIcon().Deliver(517);
    fc.setup->ToggleFloater();
    fc.setup->trayIcon().Deliver(517);
    EXPECT_EQ(fc.trayMenu.popups, (std::vector<TrayMenuState>{{false, true}, {true, true}}));
    EXPECT_TRUE(fc.floater.visible);
    fc.setup->ToggleFloater();
    EXPECT_FALSE(fc.floater.visible);
    EXPECT_FALSE(fc.setup->prefs.ShowFloater);
}

}  // namespace
}  // namespace qc

namespace qc {
namespace {

TEST(SendCommand, RulesWhileNotLoggedInAndLoggedIn) {
    fakes::FakeController fc;
    fc.setup->login.QVID = "alice";
    fc.setup->SendCommand("gamelist");
    fc.setup->SendCommand("settings 1,1,1,0,0,0,0");
    fc.setup->SendCommand("createqvid bob,b@example.com,B,B,");
    fc.setup->SendCommand("changepw alice d1 901902903");
    EXPECT_EQ(fc.TakeSent(), (std::vector<std::string>{"alice createqvid bob,b@example.com,B,B,\r",
                                                       "alice changepw alice d1 901902903\r"}));
    EXPECT_EQ(fc.setup->login.OnConnect, "settings 1,1,1,0,0,0,0");

    fc.setup->login.QVID.clear();
    fc.LoginAsGuest();
    EXPECT_EQ(fc.TakeSent(), (std::vector<std::string>{"guest connect v1.20 *\r",
                                                       "guest42 settings 1,1,1,0,0,0,0\r"}));
    fc.setup->SendCommand("settings 0,0,0,0,0,0,0");
    fc.setup->SendCommand("gamelist");
    EXPECT_EQ(fc.TakeSent(),
              (std::vector<std::string>{"guest42 settings 0,0,0,0,0,0,0\r", "guest42 gamelist\r"}));
}

}  // namespace
}  // namespace qc
