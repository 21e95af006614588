#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "tests/qt/settings/settings_windows_fixture.h"

namespace qc::ui {
namespace {

using account::CreateField;
using testing::SettingsWindows;

// The settings window open for alice, and "Create New QVID" clicked in it.
struct CreateFixture : SettingsWindows {
    SettingsWidget* settingsWidget = nullptr;
    CreateAccountWidget* w = nullptr;

    CreateFixture() {
        LogInAs("alice", "pw");
        settingsWidget = Open();
        settingsWidget->move(120, 90);
        QTest::mouseClick(settingsWidget->Button("CreateQVIDBut"), Qt::LeftButton);
        w = create.Window();
    }
    QLineEdit* Box(CreateField field) { return w->Field(field); }
};

QStringList LabelTexts(QWidget* w) {
    QStringList out;
    for (QLabel* l : w->findChildren<QLabel*>()) {
        out << l->text();
    }
    return out;
}

TEST(CreateAccountWidget, AStateLandsOnTheControls) {
    SettingsWindows f;
    CreateAccountWidget w(f.fc.setup->createAccount());
    account::CreateAccountState s;
    s.qvid = "newbie";
    s.email = "new@example.org";
    s.firstName = "Ren\xe9";
    s.lastName = "van Dyke";
    s.referrer = "bob";
    s.focus = {CreateField::Email, true, 1};
    w.Render(s);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvel Chess - Create QVID"));
    EXPECT_EQ(w.Field(CreateField::Qvid)->text(), QStringLiteral("newbie"));
    EXPECT_EQ(w.Field(CreateField::Email)->text(), QStringLiteral("new@example.org"));
    EXPECT_EQ(w.Field(CreateField::FirstName)->text(), QStringLiteral("Ren\u00e9"));
    EXPECT_EQ(w.Field(CreateField::LastName)->text(), QStringLiteral("van Dyke"));
    EXPECT_EQ(w.Field(CreateField::Referrer)->text(), QStringLiteral("bob"));
    EXPECT_EQ(w.focusWidget(), w.Field(CreateField::Email));
    EXPECT_EQ(w.Field(CreateField::Email)->selectedText(), QStringLiteral("new@example.org"));
    // The same request again moves nothing; a new one does.
    w.Field(CreateField::Qvid)->setFocus();
    w.Render(s);
    EXPECT_EQ(w.focusWidget(), w.Field(CreateField::Qvid));
    s.focus = {CreateField::Referrer, false, 2};
    w.Render(s);
    EXPECT_EQ(w.focusWidget(), w.Field(CreateField::Referrer));
    EXPECT_EQ(w.Field(CreateField::Referrer)->selectedText(), QString());

    const QStringList labels = LabelTexts(&w);
    for (const char* text :
         {"Choose a &QVID*:", "&Email address*:", "First &name:", "Last n&ame:", "&Referred by:",
          "6-30 characters; only letters, numbers, underscores (_) and hyphens (-) allowed; first "
          "character must be a letter.",
          "If you were referred to Quorvel Chess by someone, please enter their QVID here.",
          "* Required field",
          "By clicking the \"Create QVID\" button you are agreeing to our disclaimer and terms and "
          "conditions. "}) {
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    }
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {{"CreateBut", "&Create QVID"},
                   {"CancelBut", "Cancel"},
                   {"DisclaimerBut", "&Disclaimer"},
                   {"TermsBut", "&Terms and Conditions"}};
    for (const auto& b : buttons) {
        ASSERT_NE(w.Button(b.name), nullptr) << b.name;
        EXPECT_EQ(w.Button(b.name)->text(), QString::fromLatin1(b.caption));
    }
}

TEST(CreateAccountWidget, OpensCentredOverTheSettingsWindowAndStaysOnTheScreen) {
    CreateFixture f;
    ASSERT_NE(f.w, nullptr);
    EXPECT_TRUE(f.w->isVisible());
    EXPECT_EQ(f.w->focusWidget(), f.Box(CreateField::Qvid));
    const QPoint parent = f.settingsWidget->frameGeometry().center();
    const QPoint child = f.w->frameGeometry().center();
    EXPECT_LE(std::abs(parent.x() - child.x()), 2);
    EXPECT_LE(std::abs(parent.y() - child.y()), 2);

    // A parent at the screen's corner keeps its child on the screen.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize size(300, 200);
    const QPoint at = CentredOver(
        {(screen.right() - 50) * 15.0, (screen.bottom() - 40) * 15.0, 1500, 1200}, size);
    EXPECT_TRUE(screen.contains(QRect(at, size))) << at.x() << "," << at.y();
}

TEST(CreateAccountWidget, LeftBoxesAreCleanedAndCreateAsksTheServer) {
    CreateFixture f;
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.w));
    QTest::keyClicks(f.Box(CreateField::Qvid), QStringLiteral(" new bie,"));
    QTest::keyClick(f.Box(CreateField::Qvid), Qt::Key_Tab);
    EXPECT_EQ(f.Box(CreateField::Qvid)->text(), QStringLiteral("newbie"));
    ASSERT_EQ(f.w->focusWidget(), f.Box(CreateField::Email));
    QTest::keyClicks(f.Box(CreateField::Email), QStringLiteral("new @example.org"));
    QTest::keyClick(f.Box(CreateField::Email), Qt::Key_Tab);
    EXPECT_EQ(f.Box(CreateField::Email)->text(), QStringLiteral("new@example.org"));
    QTest::keyClicks(f.Box(CreateField::FirstName), QStringLiteral("Smith, John"));
    QTest::keyClick(f.Box(CreateField::FirstName), Qt::Key_Tab);
    EXPECT_EQ(f.Box(CreateField::FirstName)->text(), QStringLiteral("Smith John"));
    // Enter sends nothing: only the button does.
    QTest::keyClick(f.Box(CreateField::LastName), Qt::Key_Return);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    QTest::mouseClick(f.w->Button("CreateBut"), Qt::LeftButton);
    EXPECT_EQ(f.fc.TakeSent(),
              std::vector<std::string>{"alice createqvid newbie,new@example.org,Smith John,,\r"});
    // The server's answer hands the name to the settings window.
    f.fc.socket.Receive("created\r");
    EXPECT_EQ(f.Boxes(),
              std::vector<std::string>{"Please check your email to receive your password."});
    EXPECT_FALSE(f.w->isVisible());
    EXPECT_TRUE(f.settingsWidget->isEnabled());
    EXPECT_EQ(f.settingsWidget->QvidBox()->text(), QStringLiteral("newbie"));
    EXPECT_EQ(f.settingsWidget->PasswordBox()->text(), QString());
    EXPECT_EQ(f.settingsWidget->focusWidget(), f.settingsWidget->PasswordBox());
}

TEST(CreateAccountWidget, EscTheTitleBarAndCancelCloseItAndThePagesOpen) {
    const struct {
        const char* how;
        void (*close)(CreateAccountWidget*);
    } cases[] = {
        {"Esc",
         [](CreateAccountWidget* w) {
             QTest::keyClick(w->Field(CreateField::Qvid), Qt::Key_Escape);
         }},
        {"title bar", [](CreateAccountWidget* w) { w->close(); }},
        {"Cancel",
         [](CreateAccountWidget* w) { QTest::mouseClick(w->Button("CancelBut"), Qt::LeftButton); }},
    };
    for (const auto& c : cases) {
        CreateFixture f;
        QTest::keyClicks(f.Box(CreateField::Qvid), QStringLiteral("newbie"));
        c.close(f.w);
        EXPECT_FALSE(f.w->isVisible()) << c.how;
        EXPECT_FALSE(f.fc.setup->createAccount().IsShown()) << c.how;
        EXPECT_TRUE(f.settingsWidget->isEnabled()) << c.how;
        EXPECT_EQ(f.settingsWidget->QvidBox()->text(), QStringLiteral("alice")) << c.how;
        EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{}) << c.how;
        // Opened again, it is empty.
        QTest::mouseClick(f.settingsWidget->Button("CreateQVIDBut"), Qt::LeftButton);
        EXPECT_TRUE(f.w->isVisible()) << c.how;
        EXPECT_EQ(f.Box(CreateField::Qvid)->text(), QString()) << c.how;
    }
    CreateFixture f;
    QTest::mouseClick(f.w->Button("DisclaimerBut"), Qt::LeftButton);
    QTest::mouseClick(f.w->Button("TermsBut"), Qt::LeftButton);
    EXPECT_EQ(f.fc.shell.Urls(), (std::vector<std::string>{"http://games.example/disclaimer.html",
                                                           "http://games.example/terms.html"}));
}

}  // namespace
}  // namespace qc::ui
