#include <gtest/gtest.h>
#include <sqlite3.h>

#include "client/core/account/password.h"
#include "client/core/settings/settings_window.h"
#include "tests/e2e/e2e_support.h"
#include "tests/fakes/recording_views.h"

namespace qc::e2e {
namespace {

using account::ChangePasswordWindow;
using account::CreateAccountWindow;
using account::CreateField;
using account::PasswordField;
using settings::SettingsWindow;

// A client whose settings and account windows are the real ones.
struct AccountClient {
    Client client;
    fakes::RecordingSettingsView settingsView;
    fakes::RecordingCreateAccountView createView;
    fakes::RecordingChangePasswordView changeView;

    explicit AccountClient(std::uint16_t port) : client(port) {
        client.setup->views().settings = &Settings();
        Settings().Attach(&settingsView);
        Create().Attach(&createView);
        Change().Attach(&changeView);
    }
    ~AccountClient() {
        Settings().Attach(nullptr);
        Create().Attach(nullptr);
        Change().Attach(nullptr);
    }
    qc::Setup& setup() { return *client.setup; }
    SettingsWindow& Settings() { return client.setup->settingsWindow(); }
    CreateAccountWindow& Create() { return client.setup->createAccount(); }
    ChangePasswordWindow& Change() { return client.setup->changePassword(); }
    bool LoggedInAs(const std::string& name) {
        return setup().status().State() != 0 && setup().login.QVID == name;
    }
    // Presses OK and lets the two seconds until the new login pass.
    bool OkAndLogInAs(const std::string& name) {
        Settings().Ok();
        client.timers.Advance(2000);
        return WaitFor([&] { return LoggedInAs(name); });
    }
};

// The password in the newest mail of the server's outbox.
std::string MailedPassword(const QString& dbPath) {
    sqlite3* db = nullptr;
    std::string password;
    if (sqlite3_open_v2(dbPath.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT body FROM outbox ORDER BY id DESC LIMIT 1", -1, &s, nullptr);
        if (s != nullptr && sqlite3_step(s) == SQLITE_ROW) {
            const std::string body = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
            const std::string key = "Your password: ";
            const std::size_t at = body.find(key);
            if (at != std::string::npos) {
                const std::size_t from = at + key.size();
                password = body.substr(from, body.find('\n', from) - from);
            }
        }
        sqlite3_finalize(s);
    }
    sqlite3_close(db);
    return password;
}

class AccountE2E : public TwoUserServerTest {
  protected:
    void SetUp() override {
        StartServer();
        ASSERT_FALSE(HasFatalFailure());
    }
};

TEST_F(AccountE2E, ANewAccountLogsInWithTheMailedPasswordAndThenWithItsNewOne) {
    AccountClient c(port_);
    ASSERT_TRUE(c.client.LogIn());  // as a guest
    c.Settings().Show();
    c.Settings().CreateAccount();
    c.Create().Edit(CreateField::Qvid, "newbie1");
    c.Create().Edit(CreateField::Email, "newbie1@example.org");
    c.Create().Create();
    ASSERT_TRUE(WaitFor([&] { return !c.Create().IsShown(); }));
    ASSERT_FALSE(c.client.dialogs.boxes.empty());
    EXPECT_EQ(c.client.dialogs.boxes.back().text,
              "Please check your email to receive your password.");
    EXPECT_EQ(c.settingsView.state.qvid, "newbie1");
    EXPECT_EQ(c.settingsView.state.password, "");

    const std::string mailed = MailedPassword(dir_.filePath(QStringLiteral("quorvel.db")));
    ASSERT_FALSE(mailed.empty());
    c.Settings().EditPassword(mailed, true);
    ASSERT_TRUE(c.OkAndLogInAs("newbie1"));
    EXPECT_EQ(c.setup().login.PWHash, account::Swordfish(mailed));

    c.Settings().Show();
    EXPECT_EQ(c.settingsView.state.password, "**********");
    c.Settings().ChangePassword();
    c.Change().Edit(PasswordField::Old, mailed, true);
    c.Change().Edit(PasswordField::New, "Kn1ght-Fork", true);
    c.Change().Edit(PasswordField::Confirm, "Kn1ght-Fork", true);
    c.Change().Change();
    ASSERT_TRUE(WaitFor([&] { return !c.Change().IsShown(); }));
    EXPECT_EQ(c.settingsView.state.password, "Kn1ght-Fork");
    EXPECT_EQ(c.setup().login.PWHash, account::Swordfish("Kn1ght-Fork"));
    ASSERT_TRUE(c.OkAndLogInAs("newbie1"));

    // A wrong old password is refused and only its box is emptied.
    c.Settings().Show();
    c.Settings().ChangePassword();
    c.Change().Edit(PasswordField::Old, mailed, true);
    c.Change().Edit(PasswordField::New, "x", true);
    c.Change().Edit(PasswordField::Confirm, "x", true);
    c.Change().Change();
    ASSERT_TRUE(WaitFor([&] { return c.changeView.state.oldPassword.empty(); }));
    EXPECT_EQ(c.client.dialogs.boxes.back().text,
              "The password you entered (under \"Old password\") is incorrect.");
    EXPECT_TRUE(c.Change().IsShown());
}

TEST_F(AccountE2E, AWrongPasswordOpensTheSettingsWindowWithThePasswordBoxEmptied) {
    AccountClient c(port_);
    c.client.As("alice");
    c.setup().login.PWHash = account::Swordfish("not-alices");
    c.setup().Connect();
    ASSERT_TRUE(WaitFor([&] { return c.Settings().IsShown(); }));
    EXPECT_EQ(c.client.dialogs.boxes.back().text, "The password you entered is incorrect.");
    EXPECT_EQ(c.settingsView.state.qvid, "alice");
    EXPECT_EQ(c.settingsView.state.password, "");
    EXPECT_EQ(c.settingsView.state.focus.where, SettingsFocus::PasswordCleared);
    EXPECT_EQ(c.setup().status().State(), 0);
    // The right one, typed there, logs in.
    c.Settings().EditPassword("pw-alice", true);
    EXPECT_TRUE(c.OkAndLogInAs("alice"));
}

}  // namespace
}  // namespace qc::e2e
