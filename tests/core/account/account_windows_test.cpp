#include <gtest/gtest.h>

#include "client/core/account/account_windows.h"
#include "client/core/account/password.h"
#include "tests/fakes/controller_fixture.h"
#include "tests/fakes/recording_views.h"

namespace qc::account {
namespace {

using fakes::FakeController;

// The settings window open, with one account window opened from it.
struct AccountFixture : FakeController {
    fakes::RecordingSettingsView settingsView;
    fakes::RecordingCreateAccountView createView;
    fakes::RecordingChangePasswordView changeView;
    settings::SettingsWindow& settings = setup->settingsWindow();
    CreateAccountWindow& create = setup->createAccount();
    ChangePasswordWindow& change = setup->changePassword();

    AccountFixture() {
        setup->views().settings = &settings;
        settings.Attach(&settingsView);
        create.Attach(&createView);
        change.Attach(&changeView);
        setup->login.QVID = "alice";
        setup->login.PWHash = Swordfish("old");
        settings.Show();
        settingsView.at = {3000, 2000, 6000, 4000};
    }
    ~AccountFixture() {
        settings.Attach(nullptr);
        create.Attach(nullptr);
        change.Attach(nullptr);
    }
    std::vector<std::string> Boxes() {
        std::vector<std::string> out;
        for (const auto& b : dialogs.boxes) {
            out.push_back(b.text);
        }
        dialogs.boxes.clear();
        return out;
    }
};

TEST(CreateAccount, FieldsAreCleanedAndTheRequestGoesOutWithoutALogin) {
    const struct {
        CreateField field;
        const char* typed;
        const char* cleaned;
    } cases[] = {
        {CreateField::Qvid, " new bie, ", "newbie"},
        {CreateField::Email, "a b@c.d,", "ab@c.d"},
        {CreateField::Referrer, "bo b", "bob"},
        {CreateField::FirstName, "Smith, John", "Smith John"},
        {CreateField::LastName, " van Dyke ", " van Dyke "},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CleanCreateField(c.field, c.typed), c.cleaned) << c.typed;
    }
    AccountFixture f;
    f.settings.CreateAccount();
    EXPECT_TRUE(f.createView.open);
    EXPECT_EQ(f.createView.over, (WindowRect{3000, 2000, 6000, 4000}));
    f.create.Edit(CreateField::Qvid, "newbie");
    f.create.Create();
    EXPECT_EQ(f.Boxes(), std::vector<std::string>{
                             "Please fill in all required fields (QVID and email address)."});
    EXPECT_TRUE(f.TakeSent().empty());
    // The button is pressed with the name box still focused.
    f.create.Edit(CreateField::Email, "new@example.org");
    f.create.Edit(CreateField::FirstName, "Smith, John");
    f.create.Create();
    f.create.Create();  // each press asks again
    const std::string line = "alice createqvid newbie,new@example.org,Smith John,,\r";
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{line, line}));
    EXPECT_TRUE(f.create.IsShown());
    f.create.Disclaimer();
    f.create.Terms();
    EXPECT_EQ(f.shell.Urls(), (std::vector<std::string>{"http://games.example/disclaimer.html",
                                                        "http://games.example/terms.html"}));
}

TEST(CreateAccount, CreatedHandsTheNameToTheSettingsWindow) {
    AccountFixture f;
    f.settings.CreateAccount();
    f.create.Edit(CreateField::Qvid, "newbie");
    f.socket.Receive("created\r");
    EXPECT_EQ(f.Boxes(),
              std::vector<std::string>{"Please check your email to receive your password."});
    EXPECT_FALSE(f.create.IsShown());
    EXPECT_FALSE(f.createView.open);
    const auto& s = f.settingsView.state;
    EXPECT_EQ(s.qvid, "newbie");
    EXPECT_EQ(s.password, "");
    EXPECT_EQ(s.focus.where, SettingsFocus::PasswordCleared);
    EXPECT_TRUE(s.enabled);
    // A reply for a window that is not open shows nothing.
    f.socket.Receive("created\r!c3\r");
    EXPECT_TRUE(f.Boxes().empty());
}

TEST(CreateAccount, RefusalsSayWhyAndPointAtTheBox) {
    const struct {
        const char* line;
        const char* message;
        std::optional<CreateField> focus;
    } cases[] = {
        {"!c1", "Invalid QVID.", CreateField::Qvid},
        {"!c2", "Invalid e-mail address.", CreateField::Email},
        {"!c3", "Sorry, the QVID you requested is already taken.", CreateField::Qvid},
        {"!c 4", "E-mail address already assigned to a QVID.", CreateField::Email},
        {"!c3.6", "E-mail address already assigned to a QVID.", CreateField::Email},
        {"!c9", "Unknown error.", std::nullopt},
        {"!c", "Unknown error.", std::nullopt},
    };
    for (const auto& c : cases) {
        AccountFixture f;
        f.settings.CreateAccount();
        f.socket.Receive(std::string(c.line) + "\r");
        EXPECT_EQ(f.Boxes(), std::vector<std::string>{c.message}) << c.line;
        EXPECT_TRUE(f.create.IsShown());
        EXPECT_EQ(f.createView.state.focus.box, c.focus) << c.line;
        if (c.focus) {
            EXPECT_TRUE(f.createView.state.focus.selectAll);
        }
    }
}

TEST(CreateAccount, AReplyHandledWhileABoxIsOpenIsNotUndone) {
    AccountFixture f;
    f.settings.CreateAccount();
    f.create.Edit(CreateField::Qvid, "newbie");
    // "created" arrives while the refusal's box is open and closes the window.
    f.dialogs.whileOpen = [&f] { f.socket.Receive("created\r"); };
    f.socket.Receive("!c3\r");
    EXPECT_EQ(f.Boxes().size(), 2u);
    EXPECT_FALSE(f.create.IsShown());
    EXPECT_EQ(f.createView.state.focus.serial, 0);
    EXPECT_TRUE(f.settingsView.state.enabled);
    EXPECT_EQ(f.settingsView.state.qvid, "newbie");
}

TEST(ChangePassword, ChecksTheBoxesAndSendsTheDigestAndTheEncoding) {
    AccountFixture f;
    f.settings.ChangePassword();
    ASSERT_TRUE(f.change.IsShown());
    EXPECT_FALSE(f.settingsView.state.enabled);
    f.change.Edit(PasswordField::Old, "old", true);
    f.change.Edit(PasswordField::New, "abc", true);
    f.change.Change();
    EXPECT_EQ(f.Boxes(), std::vector<std::string>{"Please fill in all fields."});
    f.change.Edit(PasswordField::Confirm, "abd", true);
    f.change.Change();
    EXPECT_EQ(f.Boxes(), std::vector<std::string>{"Passwords do not match."});
    EXPECT_EQ(f.changeView.state.oldPassword, "old");
    EXPECT_EQ(f.changeView.state.newPassword, "");
    EXPECT_EQ(f.changeView.state.confirmPassword, "");
    EXPECT_EQ(f.changeView.state.focus.box, PasswordField::New);
    EXPECT_TRUE(f.TakeSent().empty());
    // The identifier is the settings window's box, whoever is logged in.
    f.settings.SetQvidBox("bob");
    f.change.Edit(PasswordField::New, "abc", true);
    f.change.Edit(PasswordField::Confirm, "abc", true);
    f.change.Change();
    EXPECT_EQ(f.TakeSent(),
              std::vector<std::string>{"alice changepw bob " + Swordfish("old") + " 901902903\r"});
    // A character the wire cannot carry is refused, not changed.
    f.change.Edit(PasswordField::New, "ab?", false);
    f.change.Edit(PasswordField::Confirm, "ab?", false);
    f.change.Change();
    EXPECT_NE(f.Boxes().at(0).find("Windows-1252"), std::string::npos);
    EXPECT_TRUE(f.TakeSent().empty());
}

TEST(ChangePassword, TheRefusals) {
    {
        AccountFixture f;
        f.settings.ChangePassword();
        f.change.Edit(PasswordField::Old, "wrong", true);
        f.change.Edit(PasswordField::New, "n", true);
        f.socket.Receive("!a2\r");
        EXPECT_EQ(f.Boxes(),
                  std::vector<std::string>{
                      "The password you entered (under \"Old password\") is incorrect."});
        EXPECT_EQ(f.changeView.state.oldPassword, "");
        EXPECT_EQ(f.changeView.state.newPassword, "n");
        EXPECT_EQ(f.changeView.state.focus.box, PasswordField::Old);
        EXPECT_TRUE(f.change.IsShown());
    }
    {
        AccountFixture f;
        f.settings.ChangePassword();
        f.socket.Receive("!a1\r");
        EXPECT_EQ(f.Boxes(),
                  std::vector<std::string>{
                      "You are trying to change the password for a QVID that doesn't exist."});
        EXPECT_FALSE(f.change.IsShown());
        EXPECT_TRUE(f.settingsView.state.enabled);
        EXPECT_EQ(f.settingsView.state.focus.where, SettingsFocus::QvidSelectAll);
    }
    {
        AccountFixture f;
        f.settings.ChangePassword();
        f.socket.Receive("!a7\r");
        EXPECT_EQ(f.Boxes(), std::vector<std::string>{"Unknown error."});
        EXPECT_TRUE(f.change.IsShown());
    }
}

TEST(ChangePassword, ChangedHandsTheNewPasswordOnAndKeepsItsDigestAtOnce) {
    AccountFixture f;
    f.settings.ChangePassword();
    f.change.Edit(PasswordField::Old, "old", true);
    f.change.Edit(PasswordField::New, "fresh", true);
    f.change.Edit(PasswordField::Confirm, "fresh", true);
    f.socket.Receive("changedpw\r");
    EXPECT_TRUE(f.Boxes().empty());
    EXPECT_FALSE(f.change.IsShown());
    EXPECT_EQ(f.settingsView.state.password, "fresh");
    EXPECT_TRUE(f.settingsView.state.enabled);
    // The old digest no longer logs in: a Cancel must not keep it.
    EXPECT_EQ(f.setup->login.PWHash, Swordfish("fresh"));
    f.settings.Cancel();
    EXPECT_EQ(f.setup->login.PWHash, Swordfish("fresh"));

    // Another account's password: the logged-in digest stays.
    AccountFixture g;
    g.settings.SetQvidBox("bob");
    g.settings.ChangePassword();
    g.change.Edit(PasswordField::New, "fresh", true);
    g.socket.Receive("changedpw\r");
    EXPECT_EQ(g.setup->login.PWHash, Swordfish("old"));
    // Nothing open: ignored.
    g.socket.Receive("changedpw\r!a2\r");
    EXPECT_TRUE(g.Boxes().empty());
}

TEST(AccountWindows, ShutdownUnloadsThemFirst) {
    AccountFixture f;
    f.settings.CreateAccount();
    f.setup->Unload();
    EXPECT_FALSE(f.create.IsShown());
    EXPECT_FALSE(f.settings.IsLoaded());
}

}  // namespace
}  // namespace qc::account
