#include <gtest/gtest.h>

#include "tests/fakes/controller_fixture.h"

namespace qc {
namespace {

using fakes::FakeController;

constexpr const char* kPath = "/home/u/.config/quorvel-chess/Quorvel Chess.ini";

StartupEnvironment Env(bool trayAvailable = true) {
    StartupEnvironment env;
    env.settingsPath = kPath;
    env.screen = {1920 * 15.0, 1080 * 15.0};
    env.defaults.soundFile = "/usr/share/quorvel-chess/chime.wav";
    env.trayAvailable = trayAvailable;
    return env;
}

// The value of `key` in the saved file, or "<none>".
std::string Saved(const FakeController& fc, const std::string& key) {
    const auto file = fc.files.File(kPath);
    if (!file) {
        return "<none>";
    }
    const std::string needle = "\n" + key + "=";
    const std::size_t at = ("\n" + *file).find(needle);
    if (at == std::string::npos) {
        return "<none>";
    }
    const std::size_t start = at + needle.size() - 1;
    return file->substr(start, file->find_first_of("\r\n", start) - start);
}

TEST(StartUp, FirstStartWithoutAFile) {
    FakeController fc;
    fc.setup->Load(Env());

    ASSERT_GE(fc.tray.calls.size(), 2u);
    EXPECT_EQ(fc.tray.calls[0].op, "add");
    EXPECT_EQ(fc.tray.calls[0].record.picture, platform::TrayPicture::Grey);
    EXPECT_EQ(fc.tray.Last().tip, "Quorvel Chess\r\nConnecting . . .");
    EXPECT_TRUE(fc.setup->gameList().IsShown());
    EXPECT_TRUE(fc.gameListView.open);
    EXPECT_FALSE(fc.floater.visible);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest connect v1.20 *\r"});
    EXPECT_EQ(fc.setup->prefs.SoundFile, "/usr/share/quorvel-chess/chime.wav");
    EXPECT_EQ(fc.setup->prefs.GameListX, 8362);  // 14400 - 6037.5, half to even
    EXPECT_FALSE(fc.setup->AppRemember);
}

TEST(StartUp, StoredAccountPreferencesAndAutostart) {
    FakeController fc;
    fc.files.SetFile(kPath,
                     "[main]\r\nQVID=alice\r\nPW=d1g3st\r\nOpenGameList=0\r\nFloater=1\r\n"
                     "[windows]\r\nFloaterX=1500\r\nFloaterY=3000\r\n");
    fc.autostart.Write();
    fc.setup->Load(Env());
    EXPECT_FALSE(fc.setup->gameList().IsShown());
    EXPECT_EQ(fc.gameListView.opens, 0);
    EXPECT_TRUE(fc.floater.visible);
    EXPECT_EQ(fc.floater.left, 1500);
    EXPECT_EQ(fc.floater.top, 3000);
    EXPECT_TRUE(fc.setup->AppRemember);
    EXPECT_TRUE(fc.setup->prefs.RunOnStartUp);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"alice connect v1.20 d1g3st\r"});
}

TEST(StartUp, WithoutANotificationAreaTheIndicatorIsShownAndStaysShown) {
    FakeController fc;
    fc.setup->Load(Env(false));
    EXPECT_TRUE(fc.floater.visible);
    EXPECT_FALSE(fc.setup->prefs.ShowFloater);

    // The menu tells the truth and cannot hide the last way in.
    fc.setup->FloaterMouseUp(desktop::kRightButton);
    ASSERT_EQ(fc.trayMenu.popups.size(), 1u);
    EXPECT_EQ(fc.trayMenu.popups[0], (TrayMenuState{true, false}));
    fc.setup->ToggleFloater();
    EXPECT_TRUE(fc.floater.visible);
    EXPECT_FALSE(fc.setup->prefs.ShowFloater)
        << "the saved choice is the user's, not the fallback's";
}

TEST(StartUp, WithATrayTheMenuTogglesTheIndicator) {
    FakeController fc;
    fc.setup->Load(Env(true));
    EXPECT_FALSE(fc.floater.visible);
    fc.setup->ToggleFloater();
    EXPECT_TRUE(fc.floater.visible);
    EXPECT_TRUE(fc.setup->prefs.ShowFloater);
    fc.setup->TrayMouseUp(desktop::kRightButton);
    ASSERT_EQ(fc.trayMenu.popups.size(), 1u);
    EXPECT_EQ(fc.trayMenu.popups[0], (TrayMenuState{true, true}));
    fc.setup->ToggleFloater();
    EXPECT_FALSE(fc.floater.visible);
}

TEST(Shutdown, LoggedInSendsOneDisconnectAndSavesEverything) {
    FakeController fc;
    fc.setup->Load(Env());
    fc.gameListView.left = 3000;
    fc.gameListView.top = 1500;
    fc.socket.Receive("guest: guest42,tok\rupdate:0,0,3,0,09Dec26120000\r");
    fc.TakeSent();
    fc.setup->prefs.FloaterX = 1234.5f;
    fc.setup->AppRemember = true;
    fc.setup->Unload();

    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 disconnect\r"});
    EXPECT_FALSE(fc.setup->gameList().IsShown());
    EXPECT_FALSE(fc.gameListView.open);
    EXPECT_EQ(Saved(fc, "GameListX"), "3000");
    EXPECT_EQ(fc.trayMenu.unloads, 1);
    EXPECT_EQ(Saved(fc, "QVID"), "guest42");
    EXPECT_EQ(Saved(fc, "PW"), "tok");
    EXPECT_EQ(Saved(fc, "FloaterX"), "1234.5");
    EXPECT_EQ(fc.tray.calls.back().op, "delete");
    EXPECT_FALSE(fc.socket.open);
    EXPECT_FALSE(fc.autostart.IsPresent());
}

TEST(Shutdown, NotLoggedInSendsNothingAndForgetsThePasswordWhenNotRemembered) {
    FakeController fc;
    fc.files.SetFile(kPath, "[main]\r\nQVID=alice\r\nPW=\r\n; kept\r\nForeign=yes\r\n");
    fc.setup->Load(Env());
    fc.TakeSent();
    fc.setup->login.PWHash = "typed-in-this-run";
    fc.setup->prefs.RunOnStartUp = true;
    fc.setup->Unload();
    EXPECT_TRUE(fc.socket.sent.empty());
    EXPECT_EQ(Saved(fc, "PW"), "");
    EXPECT_TRUE(fc.setup->login.PWHash.empty());
    EXPECT_EQ(Saved(fc, "Foreign"), "yes");
    EXPECT_NE(fc.files.File(kPath)->find("; kept"), std::string::npos);
    EXPECT_TRUE(fc.autostart.IsPresent());
}

TEST(Shutdown, AFailedSaveIsSilent) {
    FakeController fc;
    fc.setup->Load(Env());
    fc.files.SetDiskFull(true);
    fc.setup->Unload();
    EXPECT_FALSE(fc.files.File(kPath).has_value());
    EXPECT_TRUE(fc.dialogs.boxes.empty());
    EXPECT_EQ(fc.tray.calls.back().op, "delete");
}

TEST(Startup, DeadlinesAreWatchedFromTheStartWithNoWindowOpen) {
    FakeController fc;
    fc.files.SetFile(kPath, "[main]\r\nOpenGameList=0\r\n");
    fc.setup->Load(Env());
    fc.TakeSent();
    // A game due in a day and a minute, at a start with it waiting.
    fc.socket.Receive("guest: guest42,tok\rupdate:0,1,3,1,09Dec26120000\r");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 gamelist\r"});
    fc.socket.Receive("opengames:\r11,bob,,1,10Dec26120100\r.\r");
    EXPECT_FALSE(fc.setup->gameList().IsShown());
    EXPECT_TRUE(fc.tray.messages.empty());
    fc.timers.Advance(70 * 1000);
    ASSERT_EQ(fc.tray.messages.size(), 1u);
    EXPECT_EQ(fc.tray.messages[0].text, "Game 11 against bob: 23 hours left");
}

}  // namespace
}  // namespace qc
