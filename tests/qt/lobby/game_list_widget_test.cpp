#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QTest>

#include "client/ui/lobby/game_list_widget.h"
#include "tests/fakes/controller_fixture.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qc::ui {
namespace {

using lobby::kByGrid;
using lobby::kForGrid;
using lobby::kOpenGrid;

// A shown game list window over the fake controller, with lists received.
struct Fixture {
    fakes::FakeController fc;
    std::unique_ptr<GameListWidget> w;

    explicit Fixture(const std::string& update = "update:1,3,5,1,09Dec26120000\r") {
        w = std::make_unique<GameListWidget>(fc.setup->gameList());
        fc.setup->gameList().Attach(w.get());
        fc.setup->gameList().Show();
        fc.LoginAsGuest(update);
        Lists(5);
    }
    void Lists(int openGames) {
        std::string lines = "opengames:\r";
        for (int i = 0; i < openGames; ++i) {
            lines += std::to_string(10 + i) + ",bob,,1,05Dec26153012\r";
        }
        fc.socket.Receive(lines + ".\rclosedgames:\r21,guest42,,04Dec26120000,2\r.\r" +
                          "requestsfor:\r77,erin,,b,10,n\r.\r" +
                          "requestsby:\r78,,,w,2,ww\r79,frank,,w,1,d\r.\r");
    }
    ~Fixture() { fc.setup->gameList().Attach(&fc.gameListView); }
    QTableWidget* Grid(lobby::GridId id) { return w->Grid(id); }
    void Click(lobby::GridId id, int row, int col) {
        QTableWidget* t = Grid(id);
        const QRect r = t->visualItemRect(t->item(row, col));
        QTest::mouseClick(t->viewport(), Qt::LeftButton, {}, r.center());
    }
    bool Enabled(const char* name) { return w->Button(QString::fromLatin1(name))->isEnabled(); }
    QColor Background(lobby::GridId id, int row, int col) {
        return Grid(id)->item(row, col)->background().color();
    }
};

TEST(GameListWidget, ShowsTheListsInDarkGridsWithTheHeaders) {
    Fixture f;
    QTableWidget* open = f.Grid(kOpenGrid);
    ASSERT_EQ(open->rowCount(), 5);
    EXPECT_EQ(open->horizontalHeaderItem(4)->text(), QStringLiteral("Move must be made by"));
    EXPECT_GE(open->columnWidth(0), 49);  // at least 735 twips
    EXPECT_GE(open->columnWidth(4), open->horizontalHeader()->sectionSizeHint(4));
    EXPECT_EQ(open->item(0, 3)->text(), QStringLiteral("YES"));
    EXPECT_EQ(open->item(0, 0)->foreground().color(), QColor(0, 153, 255));
    EXPECT_EQ(f.Background(kOpenGrid, 0, 0), QColor(Qt::black));
    EXPECT_EQ(f.Grid(lobby::kClosedGrid)->item(0, 1)->text(), QStringLiteral("Local Game"));
    EXPECT_EQ(f.Grid(lobby::kClosedGrid)->item(0, 4)->text(), QStringLiteral("Black"));
    EXPECT_EQ(f.w->SlotsLab()->text(), QStringLiteral("Using 3/5 game slots"));
    EXPECT_FALSE(f.Enabled("View0"));
    EXPECT_FALSE(f.Enabled("Accept"));
    // Every window the buttons open is there.
    EXPECT_TRUE(f.Enabled("PublicReqsBut"));
    EXPECT_TRUE(f.Enabled("BotBut"));
    EXPECT_TRUE(f.Enabled("SettingsBut"));
    EXPECT_TRUE(f.Enabled("KnightBut"));
}

TEST(GameListWidget, AClickSelectsAndARefreshThatShortensTheListClamps) {
    Fixture f;
    f.Click(kOpenGrid, 4, 1);
    EXPECT_EQ(f.Background(kOpenGrid, 4, 0), GameListWidget::kHighlight);
    EXPECT_EQ(f.Background(kOpenGrid, 3, 0), QColor(Qt::black));
    EXPECT_TRUE(f.Enabled("View0"));
    EXPECT_TRUE(f.Enabled("OppStats0"));

    f.Lists(3);
    ASSERT_EQ(f.Grid(kOpenGrid)->rowCount(), 3);
    EXPECT_EQ(f.Background(kOpenGrid, 2, 4), GameListWidget::kHighlight);
    // The ended games had no selection and still have none.
    EXPECT_EQ(f.Background(lobby::kClosedGrid, 0, 0), QColor(Qt::black));
    EXPECT_FALSE(f.Enabled("Remove"));

    f.fc.TakeSent();
    QTest::mouseClick(f.w->Button(QStringLiteral("View0")), Qt::LeftButton);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 game 12\r"});
}

TEST(GameListWidget, AcceptFollowsTheFreeSlots) {
    Fixture full("update:1,5,5,0,09Dec26120000\r");
    full.Click(kForGrid, 0, 0);
    EXPECT_FALSE(full.Enabled("Accept"));
    EXPECT_TRUE(full.Enabled("Decline"));

    Fixture free("update:1,4,5,0,09Dec26120000\r");
    free.Click(kForGrid, 0, 0);
    EXPECT_TRUE(free.Enabled("Accept"));
    free.fc.TakeSent();
    QTest::mouseClick(free.w->Button(QStringLiteral("Accept")), Qt::LeftButton);
    EXPECT_EQ(free.fc.TakeSent(), std::vector<std::string>{"guest42 accept 77\r"});
}

TEST(GameListWidget, PublicOwnRequestDisablesTheOpponentButtons) {
    Fixture f;
    f.Click(kByGrid, 0, 0);
    EXPECT_TRUE(f.Enabled("Cancel"));
    EXPECT_FALSE(f.Enabled("OppStats3"));
    EXPECT_FALSE(f.Enabled("OppHist3"));
    f.Click(kByGrid, 1, 0);
    EXPECT_TRUE(f.Enabled("OppStats3"));
    EXPECT_TRUE(f.Enabled("OppHist3"));
}

TEST(GameListWidget, AStateLandsOnTheControls) {
    fakes::FakeController fc;
    GameListWidget w(fc.setup->gameList());
    lobby::GameListState state = fc.setup->gameList().State();
    state.grids[kOpenGrid].rows = {{"7", "zoe", "Chess960", "No", "2026-12-24"},
                                   {"8", "Local Game", "Standard", "-", ""}};
    state.grids[kOpenGrid].selected = true;
    state.grids[kOpenGrid].row = 2;
    state.buttons.view[0] = true;
    state.buttons.accept = true;
    state.buttons.scoreboard = true;
    state.buttons.settings = false;
    state.caption = "Quorvel Chess - zoe";
    state.clock = "2026-12-24 08:00:00";
    state.slotsText = "Using 2/5 game slots";
    w.Render(state);
    ASSERT_EQ(w.Grid(kOpenGrid)->rowCount(), 2);
    EXPECT_EQ(w.Grid(kOpenGrid)->item(0, 2)->text(), QStringLiteral("Chess960"));
    EXPECT_EQ(w.Grid(kOpenGrid)->item(1, 1)->text(), QStringLiteral("Local Game"));
    EXPECT_EQ(w.Grid(kOpenGrid)->item(1, 0)->background().color(), GameListWidget::kHighlight);
    EXPECT_EQ(w.Grid(kOpenGrid)->item(0, 0)->background().color(), QColor(Qt::black));
    EXPECT_EQ(w.Grid(kForGrid)->rowCount(), 0);
    EXPECT_TRUE(w.Button(QStringLiteral("View0"))->isEnabled());
    EXPECT_FALSE(w.Button(QStringLiteral("View1"))->isEnabled());
    EXPECT_TRUE(w.Button(QStringLiteral("Accept"))->isEnabled());
    EXPECT_TRUE(w.Button(QStringLiteral("ScoreboardBut"))->isEnabled());
    EXPECT_FALSE(w.Button(QStringLiteral("SettingsBut"))->isEnabled());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvel Chess - zoe"));
    EXPECT_EQ(w.Clock()->text(), QStringLiteral("2026-12-24 08:00:00"));
    EXPECT_EQ(w.SlotsLab()->text(), QStringLiteral("Using 2/5 game slots"));

    // A later state that changes one grid leaves the others as drawn.
    state.grids[kOpenGrid].rows.pop_back();
    state.grids[kOpenGrid].row = 1;
    w.Render(state);
    EXPECT_EQ(w.Grid(kOpenGrid)->rowCount(), 1);
    EXPECT_EQ(w.Grid(kOpenGrid)->item(0, 0)->background().color(), GameListWidget::kHighlight);
}

TEST(GameListHost, BuildsTheWindowWhenFirstOpenedWithTheLatestState) {
    fakes::FakeController fc;
    GameListHost host(fc.setup->gameList());
    fc.setup->gameList().Attach(&host);
    fc.LoginAsGuest("update:1,3,5,1,09Dec26120000\r");
    fc.setup->gameList().Update();
    EXPECT_EQ(host.Window(), nullptr) << "nothing is built while the window is closed";
    EXPECT_EQ(host.Left(), 0);
    fc.setup->prefs.GameListX = 1500;
    fc.setup->prefs.GameListY = 750;
    fc.setup->gameList().Show();
    ASSERT_NE(host.Window(), nullptr);
    EXPECT_TRUE(host.Window()->isVisible());
    EXPECT_EQ(host.Window()->pos(), QPoint(100, 50));
    EXPECT_EQ(host.Window()->SlotsLab()->text(), QStringLiteral("Using 3/5 game slots"));
    fc.socket.Receive(
        "opengames:\r10,bob,,1,05Dec26153012\r.\rclosedgames:\r.\r"
        "requestsfor:\r.\rrequestsby:\r.\r");
    EXPECT_EQ(host.Window()->Grid(kOpenGrid)->rowCount(), 1);
    host.Window()->move(200, 120);
    host.Window()->close();
    EXPECT_FALSE(fc.setup->gameList().IsShown());
    EXPECT_EQ(fc.setup->prefs.GameListX, 3000);
    fc.setup->gameList().Attach(&fc.gameListView);
}

TEST(GameListWidget, CaptionFollowsTheConnection) {
    fakes::FakeController fc;
    fc.setup->login.PingTime = 60;
    GameListWidget w(fc.setup->gameList());
    fc.setup->gameList().Attach(&w);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvel Chess - Disconnected"));
    fc.setup->gameList().Show();
    fc.timers.Advance(100);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvel Chess - Disconnected"));
    fc.setup->login.PingTime = 3;
    fc.timers.Advance(100);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvel Chess - Connecting"));
    EXPECT_FALSE(w.Clock()->text().isEmpty());
    fc.setup->gameList().Attach(&fc.gameListView);
}

TEST(GameListWidget, PositionIsSavedOnCloseUnlessAtTheOrigin) {
    fakes::FakeController fc;
    fc.setup->prefs.GameListX = 1500;
    fc.setup->prefs.GameListY = 750;
    GameListWidget w(fc.setup->gameList());
    fc.setup->gameList().Attach(&w);
    fc.setup->gameList().Show();
    EXPECT_EQ(w.pos(), QPoint(100, 50));
    EXPECT_TRUE(w.isVisible());
    w.move(0, 0);
    w.close();
    EXPECT_FALSE(fc.setup->gameList().IsLoaded());
    EXPECT_EQ(fc.setup->prefs.GameListX, 1500);
    EXPECT_EQ(fc.setup->prefs.GameListY, 750);
    fc.setup->gameList().Show();
    w.move(200, 120);
    w.close();
    EXPECT_EQ(fc.setup->prefs.GameListX, 3000);
    EXPECT_EQ(fc.setup->prefs.GameListY, 1800);
    fc.setup->gameList().Attach(&fc.gameListView);
}

}  // namespace
}  // namespace qc::ui

namespace qc::ui {
namespace {

TEST(GameListWidget, AClosingDeadlineIsPaintedInTheWarningColourOnItsCellAlone) {
    fakes::FakeController fc;
    GameListWidget w(fc.setup->gameList());
    fc.setup->gameList().Attach(&w);
    fc.setup->alerts().Start();
    fc.setup->gameList().Show();
    fc.LoginAsGuest("update:0,3,5,2,09Dec26120000\r");
    // Game 10 is due in 2 hours, game 11 in a day and 5 minutes, game 12 is
    // bob's to move.
    fc.socket.Receive(
        "opengames:\r10,bob,,1,09Dec26140000\r11,carol,,1,10Dec26120500\r"
        "12,dave,,0,09Dec26130000\r.\rclosedgames:\r.\rrequestsfor:\r.\rrequestsby:\r.\r");
    QTableWidget* open = w.Grid(lobby::kOpenGrid);
    ASSERT_EQ(open->rowCount(), 3);
    const QColor amber(255, 176, 0);
    const QColor blue(0, 153, 255);
    EXPECT_EQ(open->item(0, 4)->foreground().color(), amber);
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(open->item(0, c)->foreground().color(), blue) << c;
    }
    EXPECT_EQ(open->item(1, 4)->foreground().color(), blue);
    EXPECT_EQ(open->item(2, 4)->foreground().color(), blue);
    // Selected, the warned cell keeps its colour on the highlight.
    const QRect cell = open->visualItemRect(open->item(0, 1));
    QTest::mouseClick(open->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(open->item(0, 4)->background().color(), GameListWidget::kHighlight);
    EXPECT_EQ(open->item(0, 4)->foreground().color(), amber);
    // Ten minutes on, game 11 falls under a day: the timer repaints the window.
    fc.timers.Advance(10 * 60 * 1000);
    EXPECT_EQ(open->item(1, 4)->foreground().color(), amber);
    fc.setup->gameList().Attach(&fc.gameListView);
}

}  // namespace
}  // namespace qc::ui
