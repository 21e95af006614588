#include <gtest/gtest.h>

#include <QStandardPaths>
#include <QTest>
#include <optional>

#include "tests/e2e/desktop_support.h"

namespace qc::e2e {

// The real client with a tray host on its X server: the icon is right
// clicked and an item of its menu chosen with the keyboard.
class DesktopTrayE2E : public DesktopTest {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("trayer")).isEmpty()) {
            GTEST_SKIP() << "trayer is not installed (scripts/bootstrap installs it)";
        }
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        tray_.setProcessEnvironment(Env());
        // A tray of one icon at the screen's top right corner.
        tray_.start(
            QStringLiteral("trayer"),
            {QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
             QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("request"),
             QStringLiteral("--height"), QStringLiteral("32"), QStringLiteral("--transparent"),
             QStringLiteral("false"), QStringLiteral("--tint"), QStringLiteral("0xdddddd"),
             QStringLiteral("--SetDockType"), QStringLiteral("true")});
        ASSERT_TRUE(tray_.waitForStarted(5000));
    }
    void TearDown() override {
        DesktopTest::TearDown();
        tray_.kill();
        tray_.waitForFinished(5000);
    }
    QProcess tray_;
};

TEST_F(DesktopTrayE2E, ARightClickOnTheIconShowsTheMenuAndPlayBotOpensTheForm) {
    WriteAliceSettings("");
    ASSERT_FALSE(HasFatalFailure());
    // Only the icon: no window at start.
    QFile ini(dir_.filePath(QStringLiteral("config/quorvel-chess/Quorvel Chess.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadWrite));
    QByteArray text = ini.readAll().replace("OpenGameList=1", "OpenGameList=0");
    ini.resize(0);
    ini.write(text);
    ini.close();
    StartClient();
    ASSERT_FALSE(HasFatalFailure());

    // The icon turns red once alice is logged in: somewhere in the tray's
    // strip at the top right.
    std::optional<Screen> s;
    std::optional<std::pair<int, int>> icon;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            if (!s) {
                return false;
            }
            for (int y = 0; y < 32 && !icon; ++y) {
                for (int x = s->width - 64; x < s->width && !icon; ++x) {
                    const std::uint32_t p = s->At(x, y);
                    if ((p >> 16) > 0xc0 && ((p >> 8) & 0xff) < 0x40 && (p & 0xff) < 0x40) {
                        icon = std::pair{x, y};
                    }
                }
            }
            return icon.has_value();
        },
        20000))
        << "no red tray icon" << Keep(s, "desktop-tray");

    Xdotool({QStringLiteral("mousemove"), QString::number(icon->first + 2),
             QString::number(icon->second + 2), QStringLiteral("click"), QStringLiteral("3")});
    // The menu has the keyboard: "Play Bot" is its seventh item.
    QTest::qWait(800);
    for (int i = 0; i < 7; ++i) {
        Key(QStringLiteral("Down"));
    }
    Key(QStringLiteral("Return"));
    EXPECT_TRUE(WaitFor(
        [&] { return WindowNamed(QStringLiteral("^Quorvel Chess - Play Against Bot$")); }, 5000))
        << "the menu did not open the form" << Keep(Grab(), "desktop-tray");
}

}  // namespace qc::e2e
