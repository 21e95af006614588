#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>
#include <optional>

#include "client/core/account/password.h"
#include "client/core/protocol/commands.h"
#include "tests/e2e/desktop_support.h"

namespace qc::e2e {
namespace {

namespace cmd = protocol::cmd;

using DesktopKeysE2E = DesktopTest;

TEST_F(DesktopKeysE2E, ChatLineByReturnAndResignByAltRReachTheServer) {
    // Bob asks alice for a game, and alice accepts it from a core of her own.
    Client bob(port_);
    bob.As("bob");
    ASSERT_TRUE(bob.LogIn());
    std::string id;
    {
        Client alice(port_);
        alice.As("alice");
        ASSERT_TRUE(alice.LogIn());
        cmd::RequestForm form;
        form.opponent = "alice";
        form.gameType = "Standard";
        form.timeAmount = "3";
        form.timeUnit = "days";
        bob.setup->Send(cmd::Request(form));
        ASSERT_TRUE(WaitFor([&] {
            alice.setup->Send(cmd::GameList());
            return WaitFor([&] { return !alice.setup->gameLists.ReqsForData[0].ID.empty(); }, 500);
        }));
        alice.setup->Send(cmd::Accept(alice.setup->gameLists.ReqsForData[0].ID));
        ASSERT_TRUE(WaitFor([&] { return !alice.setup->game.GameID.empty(); }));
        id = alice.setup->game.GameID;
        alice.setup->Send(cmd::Disconnect());
    }
    // Asks for the game's chat or the game itself until bob's core has what is awaited.
    auto bobSees = [&](const std::string& line, const std::function<bool()>& done) {
        return WaitFor(
            [&] {
                bob.setup->Send(line);
                return WaitFor(done, 500);
            },
            10000);
    };
    ASSERT_TRUE(bobSees(cmd::Game(id), [&] { return bob.setup->game.GameID == id; }));
    ASSERT_NE(bob.setup->game.GameStatus.substr(0, 1), "e");

    // The real client as alice, the game list and the game window at the top
    // left, the chat unfolded.
    WriteAliceSettings("ShowLog=1\r\nShowChat=1\r\n");
    ASSERT_FALSE(HasFatalFailure());
    StartClient();
    ASSERT_FALSE(HasFatalFailure());

    // The game list's first row lies just below the header of its first grid,
    // the top (48, 48, 48) area on the screen; the rows come with the lists.
    std::optional<Screen> s;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s && FindRun(*s, 0x303030, 30) &&
                   WindowNamed(QStringLiteral("Quorvel Chess - alice"));
        },
        20000))
        << Keep(s, "desktop-keys");
    QTest::qWait(1500);
    s = Grab();
    ASSERT_TRUE(s);
    const auto header = FindRun(*s, 0x303030, 30);
    ASSERT_TRUE(header);
    const int rowX = header->first + 20;
    int headerBottom = header->second;
    while (headerBottom < header->second + 80 && s->At(rowX, headerBottom) != 0x000000) {
        ++headerBottom;
    }
    Click(rowX, headerBottom + 8, 2);

    // The game window opens over the list: its board's light cells place it.
    std::optional<std::pair<int, int>> board;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            board = s ? TopLeftOf(*s, 0x009696) : std::nullopt;
            return board && WindowNamed(QStringLiteral("Quorvel Chess - Game"));
        },
        10000))
        << "the game window did not open" << Keep(s, "desktop-keys");
    QTest::qWait(500);
    s = Grab();
    board = TopLeftOf(*s, 0x009696);
    ASSERT_TRUE(board);
    // The window's corner: the board lies 104 pixels in and 44 down. The
    // chat input is the line at the foot of the 604 pixels high window.
    const int winX = board->first - 104, winY = board->second - 44;
    Click(winX + 200, winY + 604 - 14);
    QTest::qWait(300);

    // Typed and sent with Return.
    Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"),
             QStringLiteral("good luck bob")});
    Key(QStringLiteral("Return"));
    EXPECT_TRUE(bobSees(
        cmd::Chat(id),
        [&] { return bob.setup->game.ChatText.find("good luck bob") != std::string::npos; }))
        << "bob's chat: " << bob.setup->game.ChatText << Keep(Grab(), "desktop-keys");
    // One press, one line.
    QTest::qWait(500);
    bob.setup->game.ChatText.clear();
    ASSERT_TRUE(bobSees(cmd::Chat(id), [&] { return !bob.setup->game.ChatText.empty(); }));
    std::size_t lines = 0;
    for (std::size_t at = 0;
         (at = bob.setup->game.ChatText.find("good luck bob", at)) != std::string::npos; ++at) {
        ++lines;
    }
    EXPECT_EQ(lines, 1u) << bob.setup->game.ChatText;

    // Alt+R asks whether to resign; Return takes the box's default, Yes.
    Key(QStringLiteral("alt+r"));
    ASSERT_TRUE(WaitFor([&] { return WindowNamed(QStringLiteral("^Quorvel Chess$")); }, 5000))
        << "no confirmation box" << Keep(Grab(), "desktop-keys");
    QTest::qWait(300);
    Key(QStringLiteral("Return"));
    EXPECT_TRUE(bobSees(cmd::Game(id),
                        [&] {
                            return bob.setup->game.GameID == id &&
                                   bob.setup->game.GameStatus.substr(0, 1) == "e";
                        }))
        << "status " << bob.setup->game.GameStatus << Keep(Grab(), "desktop-keys");
}

}  // namespace
}  // namespace qc::e2e
