#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include "client/core/account/password.h"
#include "client/core/protocol/commands.h"
#include "tests/e2e/desktop_support.h"

namespace qc::e2e {
namespace {

namespace cmd = protocol::cmd;

// The real client with a notification daemon on a session bus of the
// test's own; skipped where the daemon or the bus is missing.
class DesktopNotifyE2E : public DesktopTest {
  protected:
    void SetUp() override {
        for (const char* tool : {"dbus-daemon", "dunst", "dunstctl"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                GTEST_SKIP() << tool
                             << " is not installed (scripts/bootstrap --desktop installs it)";
            }
        }
        DesktopTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) {
            return;
        }
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        ASSERT_TRUE(WaitFor([&] { return bus_.canReadLine(); }, 10000));
        dbusAddress_ = QString::fromLatin1(bus_.readLine().trimmed());
        // A click on a notification runs its default action, as on most
        // desktops; notifications stay until then.
        const QString config = dir_.filePath(QStringLiteral("dunstrc"));
        QFile rc(config);
        ASSERT_TRUE(rc.open(QIODevice::WriteOnly));
        rc.write(
            "[global]\n    origin = top-right\n    offset = 10x10\n    width = 360\n"
            "    mouse_left_click = do_action, close_current\n"
            "[urgency_normal]\n    timeout = 0\n");
        rc.close();
        dunst_.setProcessEnvironment(Env());
        dunst_.start(QStringLiteral("dunst"), {QStringLiteral("-config"), config});
        ASSERT_TRUE(dunst_.waitForStarted(5000));
        ASSERT_TRUE(WaitFor(
            [&] { return Run(QStringLiteral("dunstctl"), {QStringLiteral("is-paused")}) == 0; },
            10000));
    }
    void TearDown() override {
        DesktopTest::TearDown();
        for (QProcess* p : {&dunst_, &bus_}) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }
    // The notification daemon's window, while it shows one.
    std::optional<Box> NotificationWindow() {
        QByteArray out;
        if (Run(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                 QStringLiteral("--class"), QStringLiteral("Dunst"),
                 QStringLiteral("getwindowgeometry"), QStringLiteral("--shell")},
                &out) != 0) {
            return std::nullopt;
        }
        Box b;
        for (const QByteArray& line : out.split('\n')) {
            const QList<QByteArray> kv = line.split('=');
            if (kv.size() != 2) {
                continue;
            }
            const int v = kv[1].toInt();
            if (kv[0] == "X") {
                b.left = v;
            } else if (kv[0] == "Y") {
                b.top = v;
            } else if (kv[0] == "WIDTH") {
                b.right = b.left + v - 1;
            } else if (kv[0] == "HEIGHT") {
                b.bottom = b.top + v - 1;
            }
        }
        if (b.Empty() || b.bottom < b.top) {
            return std::nullopt;
        }
        return b;
    }

    QProcess bus_;
    QProcess dunst_;
};

TEST_F(DesktopNotifyE2E, BobsMoveIsNotifiedAndAClickOnTheNotificationOpensTheGame) {
    // Alice asked bob for a game with black; bob accepted, and it is his move.
    Client alice(port_);
    alice.As("alice");
    ASSERT_TRUE(alice.LogIn());
    Client bob(port_);
    bob.As("bob");
    ASSERT_TRUE(bob.LogIn());
    cmd::RequestForm form;
    form.opponent = "bob";
    form.gameType = "Standard";
    form.black = true;
    form.timeAmount = "3";
    form.timeUnit = "days";
    alice.setup->Send(cmd::Request(form));
    ASSERT_TRUE(WaitFor([&] { return bob.setup->counters.Reqs == 1; }));
    bob.setup->Send(cmd::GameList());
    ASSERT_TRUE(WaitFor([&] { return !bob.setup->gameLists.ReqsForData[0].ID.empty(); }));
    bob.setup->Send(cmd::Accept(bob.setup->gameLists.ReqsForData[0].ID));
    ASSERT_TRUE(WaitFor([&] { return !bob.setup->game.GameID.empty(); }));
    const std::string id = bob.setup->game.GameID;
    alice.setup->Send(cmd::Disconnect());

    // Alice's real client, with nothing waiting for her: no notification.
    WriteAliceSettings("");
    ASSERT_FALSE(HasFatalFailure());
    StartClient();
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(
        WaitFor([&] { return WindowNamed(QStringLiteral("Quorvel Chess - alice")); }, 20000));
    QTest::qWait(1500);
    EXPECT_FALSE(NotificationWindow().has_value());

    // Bob moves: the server tells alice's client at once.
    bob.setup->Send(cmd::Move(id, "e2", "e4"));
    std::optional<Box> note;
    ASSERT_TRUE(WaitFor(
        [&] {
            note = NotificationWindow();
            return note.has_value();
        },
        15000))
        << "no notification" << Keep(Grab(), "desktop-notify");
    QByteArray shown;
    Run(QStringLiteral("dunstctl"), {QStringLiteral("count"), QStringLiteral("displayed")}, &shown);
    EXPECT_EQ(shown.trimmed(), "1");

    Click((note->left + note->right) / 2, (note->top + note->bottom) / 2);
    // The game window opens on that game: its board's cells are on the screen.
    std::optional<Screen> s;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            const Box board = s ? Find(*s, 0x009696) : Box{};
            return !board.Empty() && board.right - board.left > 300;
        },
        10000))
        << "the game window did not open" << Keep(s, "desktop-notify");
    EXPECT_TRUE(WindowNamed(QStringLiteral("Quorvel Chess - Game")));
    QByteArray history;
    Run(QStringLiteral("dunstctl"), {QStringLiteral("history")}, &history);
    EXPECT_TRUE(history.contains(("Your move against bob, game " + id).c_str()))
        << history.toStdString();
}

}  // namespace
}  // namespace qc::e2e
