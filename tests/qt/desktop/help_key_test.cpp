#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

#include "client/qt/desktop/help_key.h"

namespace qc::qt {
namespace {

// A filter on the real application, removed again after each test.
class HelpKeyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        filter_ = HelpKey::Install(*qApp, [this] { ++helpCalls_; });
    }
    void TearDown() override { delete filter_; }

    static void Show(QWidget& w) {
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }

    int helpCalls_ = 0;
    HelpKey* filter_ = nullptr;
};

TEST_F(HelpKeyTest, ReleaseOfF1CallsHelpAndPressDoesNot) {
    QWidget window;
    Show(window);

    QTest::keyPress(&window, Qt::Key_F1);
    EXPECT_EQ(helpCalls_, 0);
    QTest::keyRelease(&window, Qt::Key_F1);
    EXPECT_EQ(helpCalls_, 1);
    QTest::keyClick(&window, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_EQ(helpCalls_, 2);
}

TEST_F(HelpKeyTest, AutoRepeatAndOtherKeysDoNothing) {
    QWidget window;
    Show(window);

    QTest::simulateEvent(&window, true, Qt::Key_F1, Qt::NoModifier, QString(), true);
    QTest::simulateEvent(&window, false, Qt::Key_F1, Qt::NoModifier, QString(), true);
    for (Qt::Key key : {Qt::Key_F2, Qt::Key_Help, Qt::Key_Escape, Qt::Key_A}) {
        QTest::keyClick(&window, key);
    }
    EXPECT_EQ(helpCalls_, 0);
}

// A release that no widget takes travels from the focused widget up through
// its parents to the window; help still opens once.
TEST_F(HelpKeyTest, OnceFromANestedWidgetAndInEveryWindow) {
    QWidget first;
    auto* layout = new QVBoxLayout(&first);
    auto* panel = new QWidget(&first);
    auto* inner = new QWidget(panel);
    auto* box = new QLineEdit(&first);
    layout->addWidget(panel);
    layout->addWidget(box);
    Show(first);
    // A window made after the filter needs no code of its own.
    QWidget second;
    Show(second);

    QTest::keyClick(inner, Qt::Key_F1);
    EXPECT_EQ(helpCalls_, 1);
    QTest::keyClick(box, Qt::Key_F1);
    EXPECT_EQ(helpCalls_, 2);
    QTest::keyClick(&second, Qt::Key_F1);
    EXPECT_EQ(helpCalls_, 3);
    // As the desktop delivers it: to the platform window, then to its widgets.
    QTest::keyClick(first.windowHandle(), Qt::Key_F1);
    EXPECT_EQ(helpCalls_, 4);

    // Typing is not disturbed.
    QTest::keyClicks(box, "ab");
    EXPECT_EQ(box->text(), "ab");
    EXPECT_EQ(helpCalls_, 4);
}

TEST_F(HelpKeyTest, RemovedWithItsObject) {
    QWidget window;
    Show(window);
    delete filter_;
    filter_ = nullptr;
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_EQ(helpCalls_, 0);
}

}  // namespace
}  // namespace qc::qt
