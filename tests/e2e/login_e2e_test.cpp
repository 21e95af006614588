#include <gtest/gtest.h>

#include "client/core/account/password.h"
#include "tests/e2e/e2e_support.h"

namespace qc::e2e {
namespace {

class LoginE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        port_ = FreeUdpPort();
        server_ = std::make_unique<Server>(dir_.filePath(QStringLiteral("quorvel.db")));
        ASSERT_TRUE(server_->Start(port_));
    }

    QTemporaryDir dir_;
    std::uint16_t port_ = 0;
    std::unique_ptr<Server> server_;
};

TEST_F(LoginE2E, GuestLogsInAndRefreshesAfterSilence) {
    Client c(port_);
    c.setup->Connect();
    ASSERT_TRUE(WaitFor([&] { return c.setup->status().State() == 1; }));
    const std::string qvid = c.setup->login.QVID;
    EXPECT_EQ(qvid.rfind("guest", 0), 0u);
    EXPECT_GT(qvid.size(), 5u);
    EXPECT_FALSE(c.setup->login.PWHash.empty());
    EXPECT_NE(c.setup->login.PWHash, "*");
    EXPECT_EQ(c.Tip(), "QVID: " + qvid + "\r\nGames: 0/3\r\nRequests: 0\r\nYour move: 0");
    EXPECT_EQ(c.tray.Last().picture, platform::TrayPicture::Red);
    EXPECT_FALSE(c.setup->TimeOut().Enabled());

    // 180 s of silence: the client refreshes and the server answers.
    const std::size_t before = c.tray.calls.size();
    c.timers.Advance(180'000);
    EXPECT_TRUE(c.setup->TimeOut().Enabled());
    ASSERT_TRUE(WaitFor([&] { return !c.setup->TimeOut().Enabled(); }));
    EXPECT_GT(c.tray.calls.size(), before);
    EXPECT_EQ(c.setup->status().State(), 1);
    c.timers.Advance(10'000);
    EXPECT_EQ(c.setup->status().State(), 1);
}

TEST_F(LoginE2E, ServerPingIsAnsweredWithPong) {
    server_->Kill();
    ASSERT_TRUE(server_->Start(port_, {QStringLiteral("--ping-after"), QStringLiteral("1")}));
    Client c(port_);
    c.setup->Connect();
    ASSERT_TRUE(WaitFor([&] { return c.setup->status().State() == 1; }));
    // The client answers "ping" with "pong", which restarts its 180-second
    // count: watch the count go back up without the client having sent
    // anything of its own.
    c.timers.Advance(5'000);
    EXPECT_EQ(c.setup->login.PingTime, 175);
    ASSERT_TRUE(WaitFor([&] { return c.setup->login.PingTime == 180; }, 5000));
    EXPECT_EQ(c.setup->status().State(), 1);
}

TEST_F(LoginE2E, NamedAccountAndWrongPassword) {
    server_->Kill();
    ASSERT_EQ(server_->Run({QStringLiteral("--add-account"), QStringLiteral("alice"),
                            QStringLiteral("s3cret")}),
              0);
    ASSERT_TRUE(server_->Start(port_));

    Client good(port_);
    good.setup->login.QVID = "Alice";
    good.setup->login.PWHash = account::Swordfish("s3cret");
    good.setup->Connect();
    ASSERT_TRUE(WaitFor([&] { return good.setup->status().State() == 1; }));
    EXPECT_EQ(good.Tip().substr(0, 13), "QVID: Alice\r\n");

    Client bad(port_);
    bad.setup->login.QVID = "alice";
    bad.setup->login.PWHash = account::Swordfish("guess");
    bad.setup->Connect();
    ASSERT_TRUE(WaitFor([&] { return !bad.dialogs.boxes.empty(); }));
    EXPECT_EQ(bad.dialogs.boxes[0].text, "The password you entered is incorrect.");
    EXPECT_EQ(bad.Tip(), "Quorvel Chess\r\nIncorrect password");
    EXPECT_FALSE(bad.setup->PingTimer().Enabled());

    Client unknown(port_);
    unknown.setup->login.QVID = "nobody";
    unknown.setup->login.PWHash = account::Swordfish("x");
    unknown.setup->Connect();
    ASSERT_TRUE(WaitFor([&] { return !unknown.dialogs.boxes.empty(); }));
    EXPECT_EQ(unknown.Tip(), "Quorvel Chess\r\nUnknown QVID");
}

TEST_F(LoginE2E, ServerDownTimesOutAndTheClientComesBackByItself) {
    Client c(port_);
    c.setup->Connect();
    ASSERT_TRUE(WaitFor([&] { return c.setup->status().State() == 1; }));
    const std::string qvid = c.setup->login.QVID;

    server_->Kill();
    c.setup->Connect();  // a refresh nobody answers
    WaitFor([] { return false; }, 300);
    c.timers.Advance(10'000);
    EXPECT_EQ(c.setup->status().State(), 0);
    EXPECT_EQ(c.Tip(), "Quorvel Chess\r\nConnection timed out\r\nWill retry in 1 minute");

    ASSERT_TRUE(server_->Start(port_));
    c.timers.Advance(60'000);  // the retry: a fresh login with the guest's credentials
    ASSERT_TRUE(WaitFor([&] { return c.setup->status().State() == 1; }));
    EXPECT_EQ(c.setup->login.QVID, qvid);
}

}  // namespace
}  // namespace qc::e2e
