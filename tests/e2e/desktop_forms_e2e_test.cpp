#include <gtest/gtest.h>

#include <QTest>
#include <optional>

#include "tests/e2e/desktop_support.h"

namespace qc::e2e {
namespace {

using DesktopFormsE2E = DesktopTest;

// Pixels of one colour on a line from x to x + length.
int CountOnLine(const Screen& s, int x, int y, int length, std::uint32_t colour) {
    int n = 0;
    for (int i = x; i < x + length && i < s.width; ++i) {
        n += s.At(i, y) == colour;
    }
    return n;
}

TEST_F(DesktopFormsE2E, PlayBotByAltBAndEnterStartsAGameTheGameListShows) {
    // Alice has no game yet; her client shows the game list at the top left.
    WriteAliceSettings("");
    ASSERT_FALSE(HasFatalFailure());
    StartClient();
    ASSERT_FALSE(HasFatalFailure());

    // The current games grid is the top one: the first (48, 48, 48) header
    // on the screen, with only the empty (32, 32, 32) area below it.
    std::optional<Screen> s;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s && FindRun(*s, 0x303030, 30) &&
                   WindowNamed(QStringLiteral("^Quorvel Chess - alice$"));
        },
        20000))
        << Keep(s, "desktop-forms");
    QTest::qWait(1500);
    s = Grab();
    ASSERT_TRUE(s);
    const auto header = FindRun(*s, 0x303030, 30);
    ASSERT_TRUE(header);
    const int rowX = header->first + 2;
    int below = header->second;
    while (below < header->second + 80 && s->At(rowX + 18, below) != 0x202020) {
        ++below;
    }
    const int rowY = below + 8;
    ASSERT_EQ(s->At(rowX + 18, rowY), 0x202020u)
        << "alice has no game yet" << Keep(s, "desktop-forms");
    ASSERT_LT(CountOnLine(*s, rowX, rowY - 6, 200, 0x000000), 100) << Keep(s, "desktop-forms");

    // Alt+B, the game list's "Play Bot", opens the form.
    auto focus = [&](const char* title) {
        return Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--name"), QString::fromLatin1(title),
                        QStringLiteral("windowfocus"), QStringLiteral("--sync")}) == 0;
    };
    ASSERT_TRUE(focus("^Quorvel Chess - alice$"));
    QTest::qWait(300);
    Key(QStringLiteral("alt+b"));
    ASSERT_TRUE(WaitFor(
        [&] { return WindowNamed(QStringLiteral("^Quorvel Chess - Play Against Bot$")); }, 5000))
        << "Alt+B opened no form" << Keep(Grab(), "desktop-forms");
    ASSERT_TRUE(focus("^Quorvel Chess - Play Against Bot$"));
    QTest::qWait(300);

    // Enter starts the game with the form's first choices: the server
    // answers with the new game, and the form goes away.
    Key(QStringLiteral("Return"));
    ASSERT_TRUE(WaitFor(
        [&] {
            return !WindowNamed(QStringLiteral("Play Against Bot")) &&
                   WindowNamed(QStringLiteral("^Quorvel Chess - Game "));
        },
        10000))
        << "no game was started" << Keep(Grab(), "desktop-forms");

    // The game window opened over the list; aside with it, and the game is a
    // row of the current games: black cells with blue text.
    ASSERT_EQ(Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                       QStringLiteral("--name"), QStringLiteral("^Quorvel Chess - Game "),
                       QStringLiteral("windowmove"), QStringLiteral("600"), QStringLiteral("300")}),
              0);
    EXPECT_TRUE(WaitFor(
        [&] {
            s = Grab();
            // The list's grid in sight again, where it was.
            if (!s || FindRun(*s, 0x303030, 30) != header) {
                return false;
            }
            int text = 0;
            for (int y = rowY - 7; y <= rowY + 7; ++y) {
                text += CountOnLine(*s, rowX, y, 200, 0x0099ff);
            }
            return CountOnLine(*s, rowX, rowY - 6, 200, 0x000000) > 100 && text > 20;
        },
        10000))
        << "the new game is not in the current games" << Keep(s, "desktop-forms");
}

}  // namespace
}  // namespace qc::e2e
