#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTest>
#include <optional>

#include "tests/e2e/desktop_support.h"

namespace qc::e2e {
namespace {

class DesktopSettingsE2E : public DesktopTest {
  protected:
    // A first start: no account, the game list opened at the top left.
    void WriteGuestSettings() {
        QDir().mkpath(dir_.filePath(QStringLiteral("config/quorvel-chess")));
        QDir().mkpath(dir_.filePath(QStringLiteral("run")));
        QFile::setPermissions(dir_.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ExeOwner);
        QFile ini(IniPath());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(
            "[main]\r\nOpenGameList=1\r\nPlaySound=0\r\n[windows]\r\n"
            "GameListX=0\r\nGameListY=0\r\nSettingsX=3000\r\nSettingsY=1500\r\n");
    }
    QString IniPath() const {
        return dir_.filePath(QStringLiteral("config/quorvel-chess/Quorvel Chess.ini"));
    }
    bool Focus(const char* title) {
        return Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--name"), QString::fromLatin1(title),
                        QStringLiteral("windowfocus"), QStringLiteral("--sync")}) == 0;
    }
    void Type(const char* text) {
        Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"),
                 QString::fromLatin1(text)});
    }
};

TEST_F(DesktopSettingsE2E, AnAccountTypedIntoTheSettingsWindowLogsInUnderIt) {
    WriteGuestSettings();
    ASSERT_FALSE(HasFatalFailure());
    StartClient();
    ASSERT_FALSE(HasFatalFailure());

    // Logged in as a guest, the server's name for it in the game list's caption.
    ASSERT_TRUE(
        WaitFor([&] { return WindowNamed(QStringLiteral("^Quorvel Chess - guest")); }, 20000))
        << Keep(Grab(), "desktop-settings");
    QTest::qWait(500);

    // Alt+S, the game list's "Settings", opens the window.
    ASSERT_TRUE(Focus("^Quorvel Chess - guest"));
    QTest::qWait(300);
    Key(QStringLiteral("alt+s"));
    ASSERT_TRUE(
        WaitFor([&] { return WindowNamed(QStringLiteral("^Quorvel Chess - Settings$")); }, 5000))
        << "Alt+S opened no settings window" << Keep(Grab(), "desktop-settings");
    ASSERT_TRUE(Focus("^Quorvel Chess - Settings$"));
    QTest::qWait(300);

    // The identifier box has the focus: the guest's name is typed over, then
    // Alt+P reaches the password box, and Enter is OK.
    Key(QStringLiteral("ctrl+a"));
    Type("alice");
    Key(QStringLiteral("alt+p"));
    Type("pw-alice");
    Key(QStringLiteral("Return"));

    // Logged out, and two seconds later in again as alice.
    EXPECT_TRUE(WaitFor(
        [&] {
            return !WindowNamed(QStringLiteral("^Quorvel Chess - Settings$")) &&
                   WindowNamed(QStringLiteral("^Quorvel Chess - alice$"));
        },
        15000))
        << "the client did not log in as alice" << Keep(Grab(), "desktop-settings");

    // The account is the one the next start logs in with.
    client_.terminate();
    ASSERT_TRUE(client_.waitForFinished(10000));
    QFile ini(IniPath());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("QVID=alice\r\n"));
}

}  // namespace
}  // namespace qc::e2e
