#include <gtest/gtest.h>

#include "client/core/account/password.h"
#include "client/core/settings/settings_window.h"
#include "tests/fakes/controller_fixture.h"
#include "tests/fakes/recording_views.h"

namespace qc::settings {
namespace {

using fakes::FakeController;

// A controller whose settings window is the real one, drawn into a recorder.
struct SettingsFixture : FakeController {
    fakes::RecordingSettingsView view;
    SettingsWindow& w = setup->settingsWindow();

    SettingsFixture() {
        setup->views().settings = &w;
        w.Attach(&view);
    }
    ~SettingsFixture() { w.Attach(nullptr); }
    // Logs in to a named account.
    void LogInAs(const std::string& name, const std::string& password) {
        setup->login.QVID = name;
        setup->login.PWHash = account::Swordfish(password);
        setup->Connect();
        socket.Receive("update:0,0,5,0,09Dec26120000\r");
        TakeSent();
    }
    const SettingsWindowState& State() const { return view.state; }
};

TEST(SettingsWindow, OpensWithTheAccountAndTheCurrentSettings) {
    struct Case {
        const char* qvid;
        const char* hash;
        const char* qvidBox;
        const char* passwordBox;
    };
    const Case cases[] = {
        {"guest", "*", "", ""},
        {"GUEST", "", "", ""},
        {"guest42", "abc", "guest42", "**********"},
        {"alice", "abc", "alice", "**********"},
        {"alice", "", "alice", ""},
    };
    for (const Case& c : cases) {
        SettingsFixture f;
        f.setup->login.QVID = c.qvid;
        f.setup->login.PWHash = c.hash;
        f.w.Show();
        EXPECT_EQ(f.State().qvid, c.qvidBox) << c.qvid;
        EXPECT_EQ(f.State().password, c.passwordBox) << c.qvid;
    }
    SettingsFixture f;
    Settings& p = f.setup->prefs;
    p.RunOnStartUp = true;
    p.OpenGameList = false;
    p.FloaterLock = true;
    p.AlwaysList = true;
    p.MyTime = false;
    p.SoundFile = "/sounds/bell.wav";
    p.SettingsX = 1200;
    p.SettingsY = 900;
    f.setup->AppRemember = true;
    f.w.Show();
    EXPECT_EQ(f.State().caption, "Quorvel Chess - Settings");
    EXPECT_TRUE(f.State().Box(SettingsBox::RunOnStartUp));
    EXPECT_FALSE(f.State().Box(SettingsBox::OpenGameList));
    EXPECT_TRUE(f.State().Box(SettingsBox::FloaterLock));
    EXPECT_TRUE(f.State().Box(SettingsBox::AppRemember));
    EXPECT_TRUE(f.State().alwaysList);
    EXPECT_FALSE(f.State().myTime);
    EXPECT_EQ(f.State().soundFile, "/sounds/bell.wav");
    EXPECT_EQ(f.State().slotsText, "10");
    EXPECT_EQ(f.State().textsText, "Free: 0     Purchased: 0");
    EXPECT_EQ(f.view.opened, (WindowRect{1200, 900, 0, 0}));
    // OK without touching anything changes none of them.
    const Settings before = p;
    f.w.Ok();
    EXPECT_EQ(f.setup->prefs, before);
    EXPECT_TRUE(f.setup->AppRemember);
}

TEST(SettingsWindow, OkSendsTheServerSideBoxesNowOrAfterTheNextLogin) {
    struct Case {
        std::vector<SettingsBox> toggled;
        const char* command;
    };
    const Case cases[] = {
        {{}, "settings 1,1,1,0,0,0,0"},
        {{SettingsBox::ShowLast2, SettingsBox::EmailLink}, "settings 1,0,1,1,0,0,0"},
        {{SettingsBox::TextLink, SettingsBox::EmailMeOnReq, SettingsBox::TextMeOnReq},
         "settings 1,1,1,0,1,1,1"},
        {{SettingsBox::ShowLast1, SettingsBox::ShowPoss}, "settings 0,1,0,0,0,0,0"},
    };
    for (const Case& c : cases) {
        SettingsFixture f;
        f.LogInAs("alice", "pw");
        f.w.Show();
        for (SettingsBox b : c.toggled) {
            f.w.SetBox(b, !f.State().Box(b));
        }
        f.w.Ok();
        // Nothing changed in the account: a refresh, then the settings.
        EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{
                                    "alice update\r", "alice " + std::string(c.command) + "\r"}));
        EXPECT_FALSE(f.w.IsShown());
    }
    // Not logged in: OK starts the login and the command waits for it.
    SettingsFixture f;
    f.setup->login.QVID = "alice";
    f.setup->login.PWHash = account::Swordfish("pw");
    f.w.Show();
    f.w.Ok();
    const auto sent = f.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].rfind("alice connect ", 0), 0u);
    EXPECT_EQ(f.setup->login.OnConnect, "settings 1,1,1,0,0,0,0");
    f.socket.Receive("update:0,0,5,0,09Dec26120000\r");
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"alice settings 1,1,1,0,0,0,0\r"});
}

TEST(SettingsWindow, ANewAccountLogsOutAndInAgainTwoSecondsLater) {
    SettingsFixture f;
    f.LogInAs("alice", "pw");
    f.setup->gameWindow().Show();
    f.w.Show();
    // Enter comes while the identifier box still has the focus.
    f.w.EditQvid(" bob smith, ");
    f.w.EditPassword("secret", true);
    f.w.SetBox(SettingsBox::ShowPoss, false);
    f.w.Ok();
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"alice disconnect\r"});
    EXPECT_EQ(f.setup->login.QVID, "bobsmith");
    EXPECT_EQ(f.setup->login.PWHash, account::Swordfish("secret"));
    EXPECT_FALSE(f.setup->gameWindow().IsLoaded());
    EXPECT_EQ(f.setup->status().State(), 0);
    EXPECT_EQ(f.tray.Last().tip, "Quorvel Chess\r\nConnecting . . .");
    EXPECT_EQ(f.setup->login.OnConnect, "settings 1,1,0,0,0,0,0");
    f.timers.Advance(1000);
    EXPECT_TRUE(f.TakeSent().empty());
    f.timers.Advance(1000);
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"bobsmith connect v1.20 " +
                                                     account::Swordfish("secret") + "\r"});
    f.socket.Receive("update:0,0,5,0,09Dec26120000\r");
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"bobsmith settings 1,1,0,0,0,0,0\r"});
}

TEST(SettingsWindow, TheAccountBoxesDecideTheNextLogin) {
    struct Case {
        const char* qvidBox;
        const char* passwordBox;
        const char* qvid;
        std::string hash;
        bool gameWindowKept;
    };
    const std::string old = account::Swordfish("pw");
    const Case cases[] = {
        // Only the identifier changed: the stored digest goes with it.
        {"carol", "**********", "carol", old, false},
        // Only the password changed.
        {"alice", "new", "alice", account::Swordfish("new"), true},
        // An empty box: no digest; the login then asks for a password.
        {"dave", "", "dave", "", false},
        {"", "**********", "", "", false},
    };
    for (const Case& c : cases) {
        SettingsFixture f;
        f.LogInAs("alice", "pw");
        f.setup->gameWindow().Show();
        f.w.Show();
        f.w.EditQvid(c.qvidBox);
        f.w.EditPassword(c.passwordBox, true);
        f.w.Ok();
        EXPECT_EQ(f.setup->login.QVID, c.qvid) << c.qvidBox;
        EXPECT_EQ(f.setup->login.PWHash, c.hash) << c.qvidBox;
        EXPECT_EQ(f.setup->gameWindow().IsLoaded(), c.gameWindowKept) << c.qvidBox;
        EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"alice disconnect\r"});
    }
    // A guest pressing OK untouched logs in as a guest again.
    SettingsFixture f;
    f.setup->login.QVID = "guest";
    f.setup->login.PWHash = "*";
    f.w.Show();
    f.w.Ok();
    f.timers.Advance(2000);
    const auto sent = f.TakeSent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], "guest connect v1.20 *\r");
}

TEST(SettingsWindow, APasswordOutsideTheWireCodePageIsRefused) {
    SettingsFixture f;
    f.LogInAs("alice", "pw");
    f.w.Show();
    f.w.EditPassword("p?ss", false);
    f.w.Ok();
    ASSERT_EQ(f.dialogs.boxes.size(), 1u);
    EXPECT_NE(f.dialogs.boxes[0].text.find("Windows-1252"), std::string::npos);
    EXPECT_TRUE(f.w.IsShown());
    EXPECT_TRUE(f.TakeSent().empty());
    EXPECT_EQ(f.setup->login.PWHash, account::Swordfish("pw"));
}

TEST(SettingsWindow, TheServersLineFillsTheServerSideBoxesAndTheCredits) {
    struct Case {
        const char* line;
        std::array<bool, 3> highlights;  // ShowLast1, ShowLast2, ShowPoss
        bool emailMeOnReq;
        const char* texts;
        const char* slots;
    };
    const Case cases[] = {
        {"1,0,1,0,0,1,0,5,20,12", {true, false, true}, true, "Free: 5     Purchased: 20", "12"},
        {"0,0,0,0,0,0,0,2.5,3.5,2.5",
         {false, false, false},
         false,
         "Free: 2     Purchased: 4",
         "2.5"},
        // Fields missing: the credits and slots keep what was there.
        {"0,1", {false, true, true}, false, "Free: 0     Purchased: 0", "10"},
        // Text reads as 0; a count too large for its field is kept.
        {"x,1,y,0,0,0,0,99999999999,7,1000000000000000000000000000000000000000000",
         {false, true, false},
         false,
         "Free: 0     Purchased: 7",
         "10"},
    };
    for (const Case& c : cases) {
        SettingsFixture f;
        f.w.Show();
        f.setup->credits.Slots = 10;
        f.socket.Receive(std::string("settings: ") + c.line + "\r");
        const Settings& p = f.setup->prefs;
        EXPECT_EQ((std::array<bool, 3>{p.ShowLast1, p.ShowLast2, p.ShowPoss}), c.highlights)
            << c.line;
        EXPECT_EQ(p.EmailMeOnReq, c.emailMeOnReq) << c.line;
        EXPECT_EQ(f.State().Box(SettingsBox::ShowLast2), p.ShowLast2) << c.line;
        EXPECT_EQ(f.State().textsText, c.texts) << c.line;
        EXPECT_EQ(f.State().slotsText, c.slots) << c.line;
    }
    // The server's values overwrite the user's unsaved clicks.
    SettingsFixture f;
    f.w.Show();
    f.w.SetBox(SettingsBox::TextLink, true);
    f.socket.Receive("settings: 1,1,1,0,0,0,0,0,0,5\r");
    EXPECT_FALSE(f.State().Box(SettingsBox::TextLink));
}

TEST(SettingsWindow, TheChosenSoundReachesTheSettingsOnlyOnOk) {
    SettingsFixture f;
    f.w.Show();
    f.dialogs.files = {std::filesystem::path("/home/u/ding.wav"), std::nullopt};
    f.w.ChooseSound();
    ASSERT_EQ(f.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(f.dialogs.fileDialogs[0].title, "Choose Sound");
    EXPECT_EQ(f.dialogs.fileDialogs[0].filters.at(0).pattern, "*.wav");
    EXPECT_EQ(f.dialogs.fileDialogs[0].filters.at(1).pattern, "*.*");
    EXPECT_EQ(f.dialogs.fileDialogs[0].current, "/sounds/chime.wav");
    EXPECT_EQ(f.State().soundFile, "/home/u/ding.wav");
    f.w.ChooseSound();  // cancelled: the choice stays
    EXPECT_EQ(f.State().soundFile, "/home/u/ding.wav");
    EXPECT_EQ(f.setup->prefs.SoundFile, "/sounds/chime.wav");
    f.w.Cancel();
    EXPECT_EQ(f.setup->prefs.SoundFile, "/sounds/chime.wav");
    f.w.Show();
    f.dialogs.files = {std::filesystem::path("/home/u/ding.wav")};
    f.w.ChooseSound();
    f.w.Ok();
    EXPECT_EQ(f.setup->prefs.SoundFile, "/home/u/ding.wav");
}

TEST(SettingsWindow, ButtonsOpenTheAccountWindowsAndThePages) {
    SettingsFixture f;
    f.w.Show();
    f.w.EditQvid("Guest17");
    f.w.ChangePassword();
    ASSERT_EQ(f.dialogs.boxes.size(), 1u);
    EXPECT_EQ(f.dialogs.boxes[0].text, "You cannot change the password of a guest account.");
    EXPECT_FALSE(f.setup->changePassword().IsShown());
    f.w.EditQvid("alice");
    f.w.ChangePassword();
    EXPECT_TRUE(f.setup->changePassword().IsShown());
    EXPECT_FALSE(f.State().enabled);
    f.setup->changePassword().Cancel();
    EXPECT_TRUE(f.State().enabled);
    f.w.CreateAccount();
    EXPECT_TRUE(f.setup->createAccount().IsShown());
    EXPECT_FALSE(f.State().enabled);
    f.setup->createAccount().Cancel();
    EXPECT_TRUE(f.State().enabled);
    f.w.ContactInfo();
    f.w.BuySlots();
    f.w.BuyTexts();
    EXPECT_EQ(f.shell.Urls(),
              (std::vector<std::string>{"http://games.example/settings/personal.html",
                                        "http://games.example/buyslots.html",
                                        "http://games.example/buytexts.html"}));
}

TEST(SettingsWindow, RefusedLoginsOpenItWithTheBoxToFix) {
    SettingsFixture f;
    f.LogInAs("alice", "pw");
    f.socket.Receive("!p\r");
    EXPECT_TRUE(f.w.IsShown());
    EXPECT_EQ(f.State().focus.where, SettingsFocus::PasswordCleared);
    EXPECT_EQ(f.State().password, "");
    const int serial = f.State().focus.serial;
    f.socket.Receive("!w\r");
    EXPECT_EQ(f.State().focus.where, SettingsFocus::QvidSelectAll);
    EXPECT_EQ(f.State().focus.serial, serial + 1);
    f.w.Cancel();
    // A named account without a password asks for one.
    f.setup->login.PWHash.clear();
    f.setup->Connect();
    EXPECT_TRUE(f.w.IsShown());
    EXPECT_EQ(f.State().focus.where, SettingsFocus::Password);
}

TEST(SettingsWindow, KeepsItsPlaceUnlessAtTheOrigin) {
    SettingsFixture f;
    f.w.Show();
    f.view.at = {2000.4, 1500.6, 0, 0};
    f.w.Cancel();
    EXPECT_EQ(f.setup->prefs.SettingsX, 2000);
    EXPECT_EQ(f.setup->prefs.SettingsY, 1501);
    f.w.Show();
    f.view.at = {};
    f.setup->Unload();
    EXPECT_FALSE(f.w.IsLoaded());
    EXPECT_EQ(f.setup->prefs.SettingsX, 2000);
}

}  // namespace
}  // namespace qc::settings
