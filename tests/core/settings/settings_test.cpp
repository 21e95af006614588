#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/settings/ini_file.h"
#include "client/core/settings/settings.h"
#include "tests/fakes/fake_autostart.h"
#include "tests/fakes/fake_file_system.h"

namespace qc::settings {
namespace {

using fakes::FakeAutostart;
using fakes::FakeFileSystem;

constexpr const char* kPath = "C:\\Program Files\\Quorvel Chess\\Quorvel Chess.ini";
constexpr ScreenTwips kFullHd{1920 * 15, 1080 * 15};

TEST(CentredPosition, RoundsHalvesToTheEvenNeighbour) {
    struct Case {
        double screen;
        double size;
        std::int32_t expected;
    };
    const std::vector<Case> cases = {
        {28800, 12075, 8362},   // 8362.5
        {28800, 13545, 7628},   // 7627.5
        {28800, 6565, 11118},   // 11117.5
        {16200, 7860, 4170},    // exact
        {9600, 13545, -1972},   // -1972.5: a screen smaller than the window
        {1, 0, 0},              // 0.5
        {3, 0, 2},              // 1.5
        {-3, 0, -2},            // -1.5
        {5.2, 0, 3},            // 2.6
        {4.8, 0, 2},            // 2.4
        {1e12, 0, 2147483647},  // clamped rather than undefined
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CentredPosition(c.screen, c.size), c.expected) << c.screen << " " << c.size;
    }
}

TEST(DefaultSettings, CentreEveryWindowAndFollowTheTable) {
    const Settings d = DefaultSettings(kFullHd);
    EXPECT_EQ(d.GameListX, 8362);
    EXPECT_EQ(d.GameListY, 4170);
    EXPECT_EQ(d.GameWinX, 7628);
    EXPECT_EQ(d.GameWinY, 3570);
    EXPECT_EQ(d.PublicReqsX, 11118);
    EXPECT_EQ(d.PublicReqsY, 4920);
    EXPECT_EQ(d.RequestX, 12128);  // 12127.5
    EXPECT_EQ(d.RequestY, 5460);
    EXPECT_EQ(d.LocalGameX, 12128);
    EXPECT_EQ(d.LocalGameY, 6930);
    EXPECT_EQ(d.PlayBotX, 12128);
    EXPECT_EQ(d.PlayBotY, 6450);
    EXPECT_EQ(d.ScoreboardX, 9630);
    EXPECT_EQ(d.ScoreboardY, 4912);  // 4912.5
    EXPECT_EQ(d.SettingsX, 9240);
    EXPECT_EQ(d.SettingsY, 5040);
    EXPECT_EQ(d.PublicReqsWidth, 6565);
    EXPECT_EQ(d.PublicReqsHeight, 6360);
    EXPECT_EQ(d.ScoreboardWidth, 9540);
    EXPECT_EQ(d.ScoreboardHeight, 6375);
    EXPECT_EQ(d.FloaterX, 200.0f);
    EXPECT_EQ(d.FloaterY, 200.0f);
    EXPECT_EQ(d.SoundFile, "C:\\Windows\\Media\\chimes.wav");
    // The Booleans: 1 for these ...
    for (bool b : {d.OpenGameList, d.PlaySound, d.MyTime, d.ShowLast1, d.ShowLast2, d.ShowPoss,
                   d.FloaterTop, d.ShowLog, d.ShowChat, d.Notify}) {
        EXPECT_TRUE(b);
    }
    // ... and 0 for these.
    for (bool b : {d.AlwaysList, d.ShowFloater, d.EmailLink, d.TextLink, d.EmailMeOnReq,
                   d.TextMeOnReq, d.FloaterLock, d.RunOnStartUp}) {
        EXPECT_FALSE(b);
    }
    EXPECT_EQ(DefaultSettings(kFullHd, {"/usr/share/quorvel-chess/chime.wav"}).SoundFile,
              "/usr/share/quorvel-chess/chime.wav");
}

TEST(LoadSettings, WithoutAFileEveryFieldTakesItsDefault) {
    FakeFileSystem fs;
    const SettingsDefaults defaults{"/opt/chime.wav"};
    const LoadedSettings loaded = LoadSettingsFile(fs, kPath, kFullHd, defaults);
    EXPECT_EQ(loaded.settings, DefaultSettings(kFullHd, defaults));
    EXPECT_EQ(loaded.qvid, "");
    EXPECT_EQ(loaded.pwHash, "");
    EXPECT_FALSE(loaded.appRemember);
}

TEST(LoadSettings, ReadsEachKeyWithItsOwnDefault) {
    FakeFileSystem fs;
    fs.SetFile(kPath,
               "[main]\r\n"
               "QVID=alice\r\n"
               "PlaySound=yes\r\n"  // not a number: 0, so False
               "AlwaysList=2\r\n"   // not 0: True
               "floater=1\r\n"      // key "Floater" is ShowFloater
               "SoundFile=\r\n"     // present but empty: no default
               "[Windows]\r\n"
               "GameListX=-300\r\n"
               "GameListY=abc\r\n"
               "FloaterX=1234.5\r\n"
               "FloaterY=-7.9\r\n"
               "ShowChat=0\r\n");
    const LoadedSettings loaded = LoadSettingsFile(fs, kPath, kFullHd);
    Settings expected = DefaultSettings(kFullHd);
    expected.PlaySound = false;
    expected.AlwaysList = true;
    expected.ShowFloater = true;
    expected.SoundFile = "";
    expected.GameListX = -300;
    expected.GameListY = 0;
    expected.FloaterX = 1234;
    expected.FloaterY = -7;
    expected.ShowChat = false;
    EXPECT_EQ(loaded.settings, expected);
    EXPECT_EQ(loaded.qvid, "alice");
    EXPECT_FALSE(loaded.appRemember);
}

TEST(LoadSettings, AppRememberFollowsThePasswordDigest) {
    struct Case {
        const char* file;
        bool remember;
        const char* pw;
    };
    const std::vector<Case> cases = {
        {"[main]\nPW=abc123\n", true, "abc123"},
        {"[main]\nPW=*\n", true, "*"},
        {"[main]\nPW=\n", false, ""},
        {"[main]\nQVID=x\n", false, ""},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        fs.SetFile(kPath, c.file);
        const LoadedSettings loaded = LoadSettingsFile(fs, kPath, kFullHd);
        EXPECT_EQ(loaded.appRemember, c.remember) << c.file;
        EXPECT_EQ(loaded.pwHash, c.pw) << c.file;
    }
}

TEST(LoadSettings, CutsALongAccountToTheBuffer) {
    FakeFileSystem fs;
    fs.SetFile(kPath, "[main]\nQVID=" + std::string(300, 'v') +
                          "\nSoundFile=" + std::string(300, 's') + "\n");
    const LoadedSettings loaded = LoadSettingsFile(fs, kPath, kFullHd);
    EXPECT_EQ(loaded.qvid, std::string(254, 'v'));
    EXPECT_EQ(loaded.settings.SoundFile, std::string(254, 's'));
}

// Every field away from its default, so that a lost or swapped key shows.
Settings Distinct() {
    Settings s;
    s.OpenGameList = false;
    s.PlaySound = false;
    s.SoundFile = "D:\\Sounds\\ding dong.wav";
    s.AlwaysList = true;
    s.MyTime = false;
    s.ShowFloater = true;
    s.ShowLast1 = false;
    s.ShowLast2 = false;
    s.ShowPoss = false;
    s.EmailLink = true;
    s.TextLink = true;
    s.EmailMeOnReq = true;
    s.TextMeOnReq = true;
    s.Notify = false;
    s.FloaterX = -15;
    s.FloaterY = 30000;
    s.FloaterTop = false;
    s.FloaterLock = true;
    s.GameListX = -300;
    s.GameListY = 1;
    s.GameWinX = 2;
    s.GameWinY = 3;
    s.ShowLog = false;
    s.ShowChat = false;
    s.PublicReqsX = 4;
    s.PublicReqsY = 5;
    s.PublicReqsWidth = 6;
    s.PublicReqsHeight = 7;
    s.RequestX = 8;
    s.RequestY = 9;
    s.LocalGameX = 10;
    s.LocalGameY = 11;
    s.PlayBotX = 12;
    s.PlayBotY = 13;
    s.ScoreboardX = 14;
    s.ScoreboardY = 15;
    s.ScoreboardWidth = 16;
    s.ScoreboardHeight = 17;
    s.SettingsX = -2147483647 - 1;
    s.SettingsY = 2147483647;
    return s;
}

TEST(SaveSettings, WritesEveryKeyInTheSavingOrder) {
    FakeFileSystem fs;
    Settings s = Distinct();
    s.FloaterX = 1234.5f;
    ASSERT_TRUE(SaveSettingsFile(fs, kPath, s, "alice", std::string(64, 'a'), true));
    EXPECT_EQ(fs.File(kPath),
              "[main]\r\n"
              "QVID=alice\r\n"
              "PW=" +
                  std::string(64, 'a') +
                  "\r\n"
                  "OpenGameList=0\r\n"
                  "PlaySound=0\r\n"
                  "SoundFile=D:\\Sounds\\ding dong.wav\r\n"
                  "AlwaysList=1\r\n"
                  "MyTime=0\r\n"
                  "Floater=1\r\n"
                  "ShowLast1=0\r\n"
                  "ShowLast2=0\r\n"
                  "ShowPoss=0\r\n"
                  "EmailLink=1\r\n"
                  "TextLink=1\r\n"
                  "EmailMeOnReq=1\r\n"
                  "TextMeOnReq=1\r\n"
                  "Notify=0\r\n"
                  "[windows]\r\n"
                  "FloaterX=1234.5\r\n"
                  "FloaterY=30000\r\n"
                  "FloaterTop=0\r\n"
                  "FloaterLock=1\r\n"
                  "GameListX=-300\r\n"
                  "GameListY=1\r\n"
                  "ShowLog=0\r\n"
                  "ShowChat=0\r\n"
                  "GameWinX=2\r\n"
                  "GameWinY=3\r\n"
                  "PublicReqsWidth=6\r\n"
                  "PublicReqsHeight=7\r\n"
                  "PublicReqsX=4\r\n"
                  "PublicReqsY=5\r\n"
                  "RequestX=8\r\n"
                  "RequestY=9\r\n"
                  "LocalGameX=10\r\n"
                  "LocalGameY=11\r\n"
                  "PlayBotX=12\r\n"
                  "PlayBotY=13\r\n"
                  "ScoreboardWidth=16\r\n"
                  "ScoreboardHeight=17\r\n"
                  "ScoreboardX=14\r\n"
                  "ScoreboardY=15\r\n"
                  "SettingsX=-2147483648\r\n"
                  "SettingsY=2147483647\r\n");
    EXPECT_EQ(fs.writes(), 1);
}

TEST(SaveSettings, RoundTripsEverySetting) {
    FakeFileSystem fs;
    const Settings s = Distinct();
    ASSERT_TRUE(SaveSettingsFile(fs, kPath, s, "J\xFCrgen", "digest", true));
    const LoadedSettings loaded = LoadSettingsFile(fs, kPath, kFullHd);
    EXPECT_EQ(loaded.settings, s);
    EXPECT_EQ(loaded.qvid, "J\xFCrgen");
    EXPECT_EQ(loaded.pwHash, "digest");
    EXPECT_TRUE(loaded.appRemember);
}

TEST(SaveSettings, FloatsKeepTheirFractionInTheFileButNotWhenRead) {
    struct Case {
        float value;
        const char* text;
        float readBack;
    };
    const std::vector<Case> cases = {
        {1234.5f, "1234.5", 1234},
        {200, "200", 200},
        {-0.5f, "-0.5", 0},
        {0.1f, "0.1", 0},
        {-300.25f, "-300.25", -300},
        {1e10f, "10000000000", static_cast<float>(1410065408)},  // no exponent; wraps
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        Settings s = DefaultSettings(kFullHd);
        s.FloaterX = c.value;
        IniFile ini = IniFile::Load(fs, kPath);
        SaveSettings(ini, s, "", "", false);
        EXPECT_EQ(ini.GetString("windows", "FloaterX", "?"), c.text) << c.text;
        EXPECT_EQ(LoadSettings(ini, kFullHd).settings.FloaterX, c.readBack) << c.text;
    }
}

TEST(SaveSettings, WithoutAppRememberThePasswordIsWrittenEmpty) {
    FakeFileSystem fs;
    fs.SetFile(kPath, "[main]\nQVID=bob\nPW=oldhash\n");
    ASSERT_TRUE(SaveSettingsFile(fs, kPath, DefaultSettings(kFullHd), "bob", "newhash", false));
    const LoadedSettings loaded = LoadSettingsFile(fs, kPath, kFullHd);
    EXPECT_EQ(loaded.pwHash, "");
    EXPECT_FALSE(loaded.appRemember);
    EXPECT_EQ(fs.File(kPath)->find("hash"), std::string::npos);
}

TEST(SaveSettings, KeepsKeysAndCommentsItDoesNotOwn) {
    FakeFileSystem fs;
    fs.SetFile(kPath,
               "; edited by hand\n"
               "[Main]\n"
               "qvid=old\n"
               "Language=fr\n"
               "[Plugins]\n"
               "PlaySound=keep me\n"
               "[WINDOWS]\n"
               "; where the windows were\n"
               "gamelistx=1\n");
    ASSERT_TRUE(SaveSettingsFile(fs, kPath, Distinct(), "new", "", true));
    const std::string saved = *fs.File(kPath);
    EXPECT_EQ(saved.rfind("; edited by hand\n[Main]\nqvid=new\nLanguage=fr\nPW=\n", 0), 0u)
        << saved;
    EXPECT_NE(saved.find("[Plugins]\nPlaySound=keep me\n[WINDOWS]\n; where the windows "
                         "were\ngamelistx=-300\nFloaterX=-15\n"),
              std::string::npos)
        << saved;
    const IniFile ini = IniFile::Load(fs, kPath);
    EXPECT_EQ(ini.GetString("Plugins", "PlaySound", ""), "keep me");
    EXPECT_EQ(ini.GetString("main", "Language", ""), "fr");
    EXPECT_EQ(LoadSettings(ini, kFullHd).settings, Distinct());
}

TEST(SaveSettings, AFailedWriteIsSilentAndKeepsTheOldFile) {
    const std::string old = "[main]\nQVID=old\n";
    struct Case {
        const char* name;
        void (*arrange)(FakeFileSystem&);
    };
    const std::vector<Case> cases = {
        {"read-only folder",
         [](FakeFileSystem& f) { f.SetReadOnlyFolder("C:\\Program Files\\Quorvel Chess"); }},
        {"disk full", [](FakeFileSystem& f) { f.SetDiskFull(true); }},
        {"unreadable file", [](FakeFileSystem& f) { f.FailReads(kPath); }},
    };
    for (const Case& c : cases) {
        FakeFileSystem fs;
        fs.SetFile(kPath, old);
        c.arrange(fs);
        bool saved = true;
        EXPECT_NO_THROW(saved = SaveSettingsFile(fs, kPath, Distinct(), "new", "h", true))
            << c.name;
        EXPECT_FALSE(saved) << c.name;
        EXPECT_EQ(fs.File(kPath), old) << c.name;
    }
}

TEST(RunOnStartUp, FollowsTheEntryAndIgnoresFailures) {
    FakeAutostart autostart("\"/opt/quorvel chess/quorvel-chess\"");
    EXPECT_FALSE(ReadRunOnStartUp(autostart));
    autostart.SetEntry("");  // exists but empty: still present
    EXPECT_TRUE(ReadRunOnStartUp(autostart));

    SaveRunOnStartUp(autostart, true);
    EXPECT_EQ(autostart.entry(), "\"/opt/quorvel chess/quorvel-chess\"");
    SaveRunOnStartUp(autostart, false);
    EXPECT_FALSE(autostart.entry().has_value());
    SaveRunOnStartUp(autostart, false);  // absent already: still removed, quietly
    EXPECT_EQ(autostart.removes(), 2);
    EXPECT_FALSE(ReadRunOnStartUp(autostart));

    autostart.SetNoRights(true);
    EXPECT_NO_THROW(SaveRunOnStartUp(autostart, true));
    EXPECT_FALSE(ReadRunOnStartUp(autostart)) << "the next start sees the entry as it is";
}

}  // namespace
}  // namespace qc::settings
