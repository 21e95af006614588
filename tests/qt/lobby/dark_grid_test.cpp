#include <gtest/gtest.h>

#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "client/ui/lobby/dark_grid.h"

namespace qc::ui {
namespace {

lobby::GridState ThreeRows() {
    lobby::GridState g;
    g.headers = {"Request by", "Move time limit"};
    g.widths = {1450, 300};
    g.rows = {{"alice", "1 week"}, {"bob", "3 days"}, {"carol", "10 minutes"}};
    return g;
}

QColor Background(DarkGrid& t, int row, int col) {
    return t.item(row, col)->background().color();
}

TEST(DarkGrid, SetsUpTheColumnsAndDrawsTheHighlightedRow) {
    lobby::GridState g = ThreeRows();
    DarkGrid t(g, nullptr);
    EXPECT_EQ(t.columnCount(), 2);
    EXPECT_EQ(t.horizontalHeaderItem(1)->text(), QStringLiteral("Move time limit"));
    // A design width is the least a column gets; a header never gets cut.
    EXPECT_GE(t.columnWidth(0), 97);
    EXPECT_GE(t.columnWidth(1), t.horizontalHeader()->sectionSizeHint(1));
    EXPECT_EQ(t.selectionMode(), QAbstractItemView::NoSelection);

    g.selected = true;
    g.row = 2;
    t.Render(g);
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.item(2, 1)->text(), QStringLiteral("10 minutes"));
    EXPECT_EQ(t.item(1, 0)->textAlignment(), Qt::AlignCenter);
    EXPECT_EQ(t.item(0, 0)->foreground().color(), QColor(0, 153, 255));
    EXPECT_EQ(Background(t, 1, 0), DarkGrid::kHighlight);
    EXPECT_EQ(Background(t, 1, 1), QColor(69, 0, 69));
    EXPECT_EQ(Background(t, 0, 0), QColor(Qt::black));
    EXPECT_EQ(Background(t, 2, 1), QColor(Qt::black));
    // A text wider than its column widens it.
    EXPECT_GE(t.columnWidth(1), t.fontMetrics().horizontalAdvance(QStringLiteral("10 minutes")));

    g.rows.pop_back();
    g.selected = false;
    t.Render(g);
    EXPECT_EQ(t.rowCount(), 2);
    EXPECT_EQ(Background(t, 1, 0), QColor(Qt::black));
}

TEST(DarkGrid, ReportsTheUsersPicksButNotItsOwnCursorMoves) {
    lobby::GridState g = ThreeRows();
    DarkGrid t(g, nullptr);
    t.resize(400, 300);
    t.show();
    QSignalSpy picked(&t, &DarkGrid::Picked);
    // Rendering moves the cursor to the highlighted row, shortens the list
    // and empties it: none of that is the user's.
    t.Render(g);
    g.selected = true;
    g.row = 3;
    t.Render(g);
    g.rows.pop_back();
    g.row = 2;
    t.Render(g);
    g.rows.clear();
    g.selected = false;
    t.Render(g);
    EXPECT_EQ(picked.count(), 0);

    g = ThreeRows();
    t.Render(g);
    const QRect cell = t.visualItemRect(t.item(1, 1));
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_GE(picked.count(), 1);
    EXPECT_EQ(picked.last(), (QList<QVariant>{2, 1}));

    // The arrow keys go on from the highlighted row the state names.
    picked.clear();
    g.selected = true;
    g.row = 1;
    t.Render(g);
    QTest::keyClick(&t, Qt::Key_Down);
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.last().at(0).toInt(), 2);

    QSignalSpy doubled(&t, &DarkGrid::DoubleClicked);
    const QPoint third = t.visualItemRect(t.item(2, 0)).center();
    QTest::mouseClick(t.viewport(), Qt::LeftButton, {}, third);
    QTest::mouseDClick(t.viewport(), Qt::LeftButton, {}, third);
    ASSERT_EQ(doubled.count(), 1);
    EXPECT_EQ(doubled.last(), (QList<QVariant>{3, 0}));
}

TEST(DarkGrid, TakingTheFocusPicksNothing) {
    lobby::GridState g = ThreeRows();
    DarkGrid t(g, nullptr);
    t.Render(g);
    t.show();
    QSignalSpy picked(&t, &DarkGrid::Picked);
    QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&t, &in);
    EXPECT_EQ(picked.count(), 0);
    // The first arrow key picks the first row, not the second.
    QTest::keyClick(&t, Qt::Key_Down);
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.last().at(0).toInt(), 1);
}

}  // namespace
}  // namespace qc::ui
