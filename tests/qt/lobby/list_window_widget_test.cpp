#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <functional>
#include <memory>

#include "client/ui/lobby/list_window_widget.h"
#include "tests/fakes/controller_fixture.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qc::ui {
namespace {

constexpr const char* kPublicReqs =
    "publicreqs:\r101,alice,,w,3,d,1\r102,Guest42,Chess960,b,1,ww,1\r103,bob,,b,10,n,0\r.\r";
constexpr const char* kScoreboard =
    "scoreboard:\r30,10,10,magnus,2.1\r2,1,0,newbie,1.0\r20,5,5,judit,2.0, beta\r.\r";

// A list window over the fake controller, logged in as guest42 and shown.
struct Fixture {
    fakes::FakeController fc;
    lobby::ListWindow& logic;
    std::unique_ptr<ListWindowWidget> w;

    explicit Fixture(bool scoreboard)
        : logic(scoreboard ? static_cast<lobby::ListWindow&>(fc.setup->scoreboard())
                           : fc.setup->publicReqs()) {
        w = scoreboard ? std::make_unique<ListWindowWidget>(fc.setup->scoreboard())
                       : std::make_unique<ListWindowWidget>(fc.setup->publicReqs());
        logic.Attach(w.get());
        fc.LoginAsGuest();
        logic.Show();
        fc.socket.Receive(scoreboard ? kScoreboard : kPublicReqs);
        fc.TakeSent();
    }
    ~Fixture() { logic.Attach(nullptr); }
    QString Cell(int row, int col) { return w->Grid()->item(row, col)->text(); }
    void Click(int row, int col) {
        DarkGrid* t = w->Grid();
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {},
                          t->visualItemRect(t->item(row, col)).center());
    }
    void Press(const char* name) {
        QTest::mouseClick(w->Button(QString::fromLatin1(name)), Qt::LeftButton);
    }
    // Which of the four buttons are enabled, in their order.
    std::vector<bool> Enabled(std::initializer_list<const char*> names) {
        std::vector<bool> out;
        for (const char* n : names) {
            out.push_back(w->Button(QString::fromLatin1(n))->isEnabled());
        }
        return out;
    }
};

TEST(ListWindowWidget, PublicRequestsShowTheListAndTheButtonsFollowTheRow) {
    Fixture f(false);
    const auto buttons = {"Accept", "Stats", "Hist", "RefreshBut"};
    EXPECT_EQ(f.w->windowTitle(), QStringLiteral("Quorvel Chess - Public Game Requests"));
    EXPECT_EQ(f.w->Grid()->objectName(), QStringLiteral("List"));
    EXPECT_EQ(f.w->Button(QStringLiteral("Accept"))->text(), QStringLiteral("&Accept Request"));
    EXPECT_EQ(f.w->Button(QStringLiteral("Hist"))->text(),
              QStringLiteral("Opponent's Game &History"));
    EXPECT_EQ(f.w->Grid()->horizontalHeaderItem(4)->text(), QStringLiteral("Guests allowed"));
    ASSERT_EQ(f.w->Grid()->rowCount(), 3);
    EXPECT_EQ(f.Cell(0, 0), QStringLiteral("alice"));
    EXPECT_EQ(f.Cell(0, 1), QStringLiteral("Standard"));
    EXPECT_EQ(f.Cell(0, 2), QStringLiteral("White"));
    EXPECT_EQ(f.Cell(0, 3), QStringLiteral("3 days"));
    EXPECT_EQ(f.Cell(0, 4), QStringLiteral("Yes"));
    EXPECT_EQ(f.Cell(2, 4), QStringLiteral("No"));
    EXPECT_EQ(f.Enabled(buttons), (std::vector<bool>{false, false, false, true}));
    EXPECT_GE(f.w->minimumWidth(), 361);   // 5415 twips
    EXPECT_GE(f.w->minimumHeight(), 177);  // 2655 twips

    // A request closed to guests: a guest may look at its maker only.
    f.Click(2, 1);
    EXPECT_EQ(f.w->Grid()->item(2, 0)->background().color(), DarkGrid::kHighlight);
    EXPECT_EQ(f.Enabled(buttons), (std::vector<bool>{false, true, true, true}));
    // The user's own request, in another letter case.
    f.Click(1, 3);
    EXPECT_EQ(f.w->Grid()->item(1, 4)->background().color(), DarkGrid::kHighlight);
    EXPECT_EQ(f.w->Grid()->item(2, 0)->background().color(), QColor(Qt::black));
    EXPECT_EQ(f.Enabled(buttons), (std::vector<bool>{false, false, false, true}));
    f.Click(0, 0);
    EXPECT_EQ(f.Enabled(buttons), (std::vector<bool>{true, true, true, true}));

    f.Press("Accept");
    EXPECT_EQ(f.fc.TakeSent(),
              (std::vector<std::string>{"guest42 accept 101\r", "guest42 publicreqs\r"}));
    f.Press("Stats");
    f.Press("Hist");
    EXPECT_EQ(f.fc.shell.Urls(),
              (std::vector<std::string>{"http://games.example/stats.html?qvid=alice",
                                        "http://games.example/history.html?qvid=alice"}));

    // A refresh that comes back empty leaves nothing to act on.
    f.fc.socket.Receive("publicreqs:\r.\r");
    EXPECT_EQ(f.w->Grid()->rowCount(), 0);
    EXPECT_EQ(f.Enabled(buttons), (std::vector<bool>{false, false, false, true}));
    f.Press("RefreshBut");
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 publicreqs\r"});
}

TEST(ListWindowWidget, ScoreboardShowsRanksAndWinRatesAndRequestsAGame) {
    Fixture f(true);
    const auto buttons = {"RequestBut", "Stats", "Hist", "RefreshBut"};
    EXPECT_EQ(f.w->windowTitle(), QStringLiteral("Quorvel Chess - Scoreboard"));
    EXPECT_EQ(f.w->Grid()->objectName(), QStringLiteral("Board"));
    EXPECT_EQ(f.w->Button(QStringLiteral("RefreshBut"))->text(), QStringLiteral("Re&fresh"));
    EXPECT_EQ(f.w->Button(QStringLiteral("Stats"))->text(), QStringLiteral("Detailed &Stats"));
    ASSERT_EQ(f.w->Grid()->rowCount(), 3);
    EXPECT_EQ(f.Cell(0, 0), QStringLiteral("1"));
    EXPECT_EQ(f.Cell(0, 2), QStringLiteral("60.00%"));
    EXPECT_EQ(f.Cell(0, 3), QStringLiteral("50"));
    EXPECT_EQ(f.Cell(1, 0), QStringLiteral("New"));
    EXPECT_EQ(f.Cell(1, 2), QStringLiteral("66.67%"));
    EXPECT_EQ(f.Cell(2, 0), QStringLiteral("3"));
    EXPECT_EQ(f.Cell(2, 7), QStringLiteral("2.0, beta"));
    EXPECT_EQ(f.Enabled(buttons), (std::vector<bool>{false, false, false, true}));
    EXPECT_GE(f.w->minimumWidth(), 636);  // 9540 twips

    f.Click(1, 1);
    EXPECT_EQ(f.w->Grid()->item(1, 7)->background().color(), DarkGrid::kHighlight);
    EXPECT_EQ(f.Enabled(buttons), (std::vector<bool>{true, true, true, true}));
    f.Press("RequestBut");
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 requestwin\r"});
    EXPECT_TRUE(f.fc.setup->requestForm().IsShown());
    EXPECT_EQ(f.fc.setup->requestForm().State().opponent, "newbie");

    // A shorter list keeps a row selected: its last one.
    f.Click(2, 0);
    f.fc.socket.Receive("scoreboard:\r30,10,10,magnus,2.1\r2,1,0,newbie,1.0\r.\r");
    ASSERT_EQ(f.w->Grid()->rowCount(), 2);
    EXPECT_EQ(f.w->Grid()->item(1, 0)->background().color(), DarkGrid::kHighlight);
    EXPECT_TRUE(f.w->Button(QStringLiteral("Hist"))->isEnabled());
    f.Press("RefreshBut");
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 scoreboard\r"});
}

// Grid on top, taking the room; four buttons of one width in a centred row.
TEST(ListWindowWidget, GridTakesTheRoomAboveOneCentredRowOfEqualButtons) {
    struct Case {
        bool scoreboard;
        std::vector<const char*> buttons;
        int gap;  // pixels between two buttons
    };
    for (const Case& c : {Case{false, {"Accept", "Stats", "Hist", "RefreshBut"}, 5},
                          Case{true, {"RequestBut", "Stats", "Hist", "RefreshBut"}, 9}}) {
        SCOPED_TRACE(c.scoreboard ? "scoreboard" : "public requests");
        Fixture f(c.scoreboard);
        for (const QSize size : {f.w->minimumSize(), QSize(900, 520)}) {
            f.w->resize(size);
            QApplication::processEvents();
            ASSERT_EQ(f.w->size(), size);
            const QRect grid = f.w->Grid()->geometry();
            std::vector<QRect> b;
            for (const char* name : c.buttons) {
                QPushButton* button = f.w->Button(QString::fromLatin1(name));
                b.push_back(button->geometry());
                EXPECT_GE(button->width(), button->sizeHint().width()) << name;
            }
            EXPECT_NEAR(grid.left(), f.w->width() - 1 - grid.right(), 1);
            EXPECT_GT(grid.width(), f.w->width() - 20);
            EXPECT_GE(grid.width(), f.w->Grid()->ColumnsWidth());
            EXPECT_LT(grid.bottom(), b[0].top());
            EXPECT_GT(grid.bottom(), b[0].top() - 20);
            EXPECT_GT(b[0].bottom(), f.w->height() - 20);
            for (std::size_t i = 1; i < b.size(); ++i) {
                EXPECT_EQ(b[i].width(), b[0].width());
                EXPECT_EQ(b[i].top(), b[0].top());
                EXPECT_EQ(b[i].left() - b[i - 1].right() - 1, c.gap);
            }
            EXPECT_NEAR(b[0].left(), f.w->width() - 1 - b[3].right(), 1);
        }
        // A larger window gives the grid the room.
        EXPECT_GT(f.w->Grid()->height(), f.w->minimumHeight());
    }
}

TEST(ListWindowWidget, OpensAtTheSavedPlaceAndSizeAndKeepsThemOnClose) {
    fakes::FakeController fc;
    fc.setup->prefs.ScoreboardX = 1500;
    fc.setup->prefs.ScoreboardY = 750;
    fc.setup->prefs.ScoreboardWidth = 10500;
    fc.setup->prefs.ScoreboardHeight = 6000;
    ListWindowWidget w(fc.setup->scoreboard());
    fc.setup->scoreboard().Attach(&w);
    fc.setup->scoreboard().Show();
    // The frame around a window is known once it is shown.
    QApplication::processEvents();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.pos(), QPoint(100, 50));
    EXPECT_EQ(w.frameGeometry().size(), QSize(700, 400)) << "the saved size is the outer one";
    EXPECT_EQ(w.Geometry(), (lobby::WindowRect{1500, 750, 10500, 6000}));

    w.move(200, 120);
    w.resize(800, 450);
    const QSize outer = w.frameGeometry().size();
    w.close();
    EXPECT_FALSE(fc.setup->scoreboard().IsLoaded());
    EXPECT_EQ(fc.setup->prefs.ScoreboardX, 3000);
    EXPECT_EQ(fc.setup->prefs.ScoreboardY, 1800);
    EXPECT_EQ(fc.setup->prefs.ScoreboardWidth, outer.width() * 15);
    EXPECT_EQ(fc.setup->prefs.ScoreboardHeight, outer.height() * 15);

    // Shown again, the window has the size it was closed with: no frame
    // is added on top of it.
    fc.setup->scoreboard().Show();
    QApplication::processEvents();
    EXPECT_EQ(w.pos(), QPoint(200, 120));
    EXPECT_EQ(w.size(), QSize(800, 450));
    fc.setup->scoreboard().Unload();

    // A saved size below the least one opens at the least one.
    fc.setup->prefs.ScoreboardWidth = 3000;
    fc.setup->scoreboard().Show();
    QApplication::processEvents();
    EXPECT_EQ(w.width(), w.minimumWidth());
    EXPECT_EQ(w.height(), 450);
    fc.setup->scoreboard().Unload();
    EXPECT_FALSE(w.isVisible());
    fc.setup->scoreboard().Attach(nullptr);
}

TEST(ListWindowHost, BuildsTheWindowWhenFirstOpened) {
    fakes::FakeController fc;
    ListWindowHost host(
        [&fc] { return std::make_unique<ListWindowWidget>(fc.setup->publicReqs()); });
    fc.setup->publicReqs().Attach(&host);
    fc.LoginAsGuest();
    fc.socket.Receive(kPublicReqs);
    EXPECT_EQ(host.Window(), nullptr) << "nothing is built while the window is closed";
    EXPECT_EQ(host.Geometry(), lobby::WindowRect{});
    fc.setup->publicReqs().Show();
    ASSERT_NE(host.Window(), nullptr);
    EXPECT_TRUE(host.Window()->isVisible());
    EXPECT_EQ(host.Window()->Grid()->rowCount(), 0);
    fc.socket.Receive(kPublicReqs);
    EXPECT_EQ(host.Window()->Grid()->rowCount(), 3);
    host.Window()->close();
    EXPECT_FALSE(fc.setup->publicReqs().IsShown());
    EXPECT_FALSE(host.Window()->isVisible());
    // The next show reuses the window.
    ListWindowWidget* first = host.Window();
    fc.setup->publicReqs().Show();
    EXPECT_EQ(host.Window(), first);
    EXPECT_TRUE(first->isVisible());
    fc.setup->publicReqs().Attach(nullptr);
}

}  // namespace
}  // namespace qc::ui
