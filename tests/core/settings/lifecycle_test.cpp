#include <gtest/gtest.h>

#include "client/core/settings/lifecycle.h"
#include "tests/fakes/controller_fixture.h"

namespace qc {
namespace {

using fakes::FakeController;

constexpr const char* kPath = "/home/u/.config/quorvel-chess/Quorvel Chess.ini";

settings::StartupEnvironment Env(bool trayAvailable = true) {
    settings::StartupEnvironment env;
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
    fakes::RecordingListWindow gameList;
    fc.setup->views().gameList = &gameList;
    settings::StartUp(*fc.setup, Env());

    ASSERT_GE(fc.tray.calls.size(), 2u);
    EXPECT_EQ(fc.tray.calls[0].op, "add");
    EXPECT_EQ(fc.tray.calls[0].record.picture, platform::TrayPicture::Grey);
    EXPECT_EQ(fc.tray.Last().tip, "Quorvel Chess\r\nConnecting . . .");
    EXPECT_TRUE(gameList.shown);
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
    fakes::RecordingListWindow gameList;
    fc.setup->views().gameList = &gameList;
    settings::StartUp(*fc.setup, Env());
    EXPECT_FALSE(gameList.shown);
    EXPECT_TRUE(fc.floater.visible);
    EXPECT_EQ(fc.floater.left, 1500);
    EXPECT_EQ(fc.floater.top, 3000);
    EXPECT_TRUE(fc.setup->AppRemember);
    EXPECT_TRUE(fc.setup->prefs.RunOnStartUp);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"alice connect v1.20 d1g3st\r"});
}

TEST(StartUp, WithoutANotificationAreaTheIndicatorIsShown) {
    FakeController fc;
    settings::StartUp(*fc.setup, Env(false));
    EXPECT_TRUE(fc.floater.visible);
    EXPECT_FALSE(fc.setup->prefs.ShowFloater);
}

TEST(Shutdown, LoggedInSendsOneDisconnectAndSavesEverything) {
    FakeController fc;
    fakes::RecordingListWindow gameList;
    fc.setup->views().gameList = &gameList;
    settings::StartUp(*fc.setup, Env());
    fc.socket.Receive("guest: guest42,tok\rupdate:0,0,3,0,09Dec26120000\r");
    fc.TakeSent();
    fc.setup->prefs.FloaterX = 1234.5f;
    fc.setup->AppRemember = true;
    settings::Shutdown(*fc.setup);

    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 disconnect\r"});
    EXPECT_EQ(gameList.unloads, 1);
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
    settings::StartUp(*fc.setup, Env());
    fc.TakeSent();
    fc.setup->login.PWHash = "typed-in-this-run";
    fc.setup->prefs.RunOnStartUp = true;
    settings::Shutdown(*fc.setup);
    EXPECT_TRUE(fc.socket.sent.empty());
    EXPECT_EQ(Saved(fc, "PW"), "");
    EXPECT_TRUE(fc.setup->login.PWHash.empty());
    EXPECT_EQ(Saved(fc, "Foreign"), "yes");
    EXPECT_NE(fc.files.File(kPath)->find("; kept"), std::string::npos);
    EXPECT_TRUE(fc.autostart.IsPresent());
}

TEST(Shutdown, AFailedSaveIsSilent) {
    FakeController fc;
    settings::StartUp(*fc.setup, Env());
    fc.files.SetDiskFull(true);
    settings::Shutdown(*fc.setup);
    EXPECT_FALSE(fc.files.File(kPath).has_value());
    EXPECT_TRUE(fc.dialogs.boxes.empty());
    EXPECT_EQ(fc.tray.calls.back().op, "delete");
}

}  // namespace
}  // namespace qc
