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

// Pixels in a cell that are neither of the two cell colours: a piece.
int PiecePixels(const Screen& s, int left, int top, int size) {
    int n = 0;
    for (int y = top + 6; y < top + size - 6; ++y) {
        for (int x = left + 6; x < left + size - 6; ++x) {
            const std::uint32_t c = s.At(x, y);
            n += c != 0x009696 && c != 0xa03c28;
        }
    }
    return n;
}

using DesktopClicksE2E = DesktopTest;

TEST_F(DesktopClicksE2E, ClicksOnE2AndE4MoveThePawnAndTheBoardRedraws) {
    // Alice has a game against the bot, with white; her client shows the game
    // list at the top left of the screen when it starts.
    {
        Client alice(port_);
        alice.As("alice");
        ASSERT_TRUE(alice.LogIn());
        alice.setup->Send(cmd::BotRequest(0, "Standard", false, "1", "days"));
        ASSERT_TRUE(WaitFor([&] { return !alice.setup->game.GameID.empty(); }));
        alice.setup->Send(cmd::Disconnect());
    }
    WriteAliceSettings("ShowChat=1\r\n");
    ASSERT_FALSE(HasFatalFailure());
    client_.setProcessEnvironment(Env());
    // A display that refuses a first client now and then gets a second try.
    for (int attempt = 0; attempt < 2; ++attempt) {
        client_.start(QStringLiteral(QC_CLIENT_EXE),
                      {QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(port_)});
        ASSERT_TRUE(client_.waitForStarted(5000));
        if (!client_.waitForFinished(1500)) {
            break;
        }
    }
    ASSERT_EQ(client_.state(), QProcess::Running) << client_.readAllStandardError().toStdString();

    // The game list's first row: just below the grid's header, whose cells
    // are the only (48, 48, 48) areas on the screen.
    std::optional<Screen> s;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s && !Find(*s, 0x303030).Empty() && !Find(*s, 0x0099ff).Empty() &&
                   Run(QStringLiteral("xdotool"),
                       {QStringLiteral("search"), QStringLiteral("--name"),
                        QStringLiteral("Quorvel Chess - alice")}) == 0;
        },
        20000))
        << "client " << (client_.state() == QProcess::Running ? "running" : "ended") << ", exit "
        << client_.exitCode() << ": " << client_.readAllStandardError().toStdString()
        << (s ? (s->Save(QStringLiteral("/tmp/desktop-clicks.png")),
                 " (screen in /tmp/desktop-clicks.png)")
              : " (no screen dump)");
    // The rows arrive with the lists after the login.
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s.has_value();
        },
        3000));
    QTest::qWait(1500);
    s = Grab();
    ASSERT_TRUE(s);
    const auto header = FindRun(*s, 0x303030, 30);
    ASSERT_TRUE(header.has_value());
    // The first data row starts where the black cells begin below the header.
    const int rowX = header->first + 20;
    int headerBottom = header->second;
    while (headerBottom < header->second + 80 && s->At(rowX, headerBottom) != 0x000000) {
        ++headerBottom;
    }
    Click(rowX, headerBottom + 8, 2);

    // The game window opens over the list; find its board by the cell colours.
    Box board;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            board = s ? Find(*s, 0x009696) : Box{};
            return !board.Empty() && board.right - board.left > 300;
        },
        10000))
        << "the game window did not open; clicked at " << rowX << "," << headerBottom + 8
        << (s ? (s->Save(QStringLiteral("/tmp/desktop-clicks.png")),
                 " (screen in /tmp/desktop-clicks.png)")
              : "");
    QTest::qWait(500);
    s = Grab();
    board = Find(*s, 0x009696);
    const int cell = (board.right - board.left + 1) / 8;
    ASSERT_EQ(cell, 40) << "cells of 40 pixels";
    auto centre = [&](int file, int rank) {
        return std::pair{board.left + file * cell + cell / 2,
                         board.top + (8 - rank) * cell + cell / 2};
    };
    EXPECT_GT(PiecePixels(*s, board.left + 4 * cell, board.top + 6 * cell, cell), 50)
        << "a pawn on e2";
    EXPECT_EQ(PiecePixels(*s, board.left + 4 * cell, board.top + 4 * cell, cell), 0) << "e4 empty";

    const auto [e2x, e2y] = centre(4, 2);
    Click(e2x, e2y);
    QTest::qWait(700);
    const auto [e4x, e4y] = centre(4, 4);
    Click(e4x, e4y);
    // The server's reply, and the bot's answer, redraw the board.
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s && PiecePixels(*s, board.left + 4 * cell, board.top + 4 * cell, cell) > 50;
        },
        10000))
        << "the pawn did not arrive on e4";
    EXPECT_EQ(PiecePixels(*s, board.left + 4 * cell, board.top + 6 * cell, cell), 0)
        << "e2 is empty now";
}

}  // namespace
}  // namespace qc::e2e
