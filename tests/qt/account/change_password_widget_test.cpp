#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "client/core/account/password.h"
#include "tests/qt/settings/settings_windows_fixture.h"

namespace qc::ui {
namespace {

using account::PasswordField;
using testing::SettingsWindows;

// The settings window open for alice, and "Change Password" clicked in it.
struct ChangeFixture : SettingsWindows {
    SettingsWidget* settingsWidget = nullptr;
    ChangePasswordWidget* w = nullptr;

    ChangeFixture() {
        LogInAs("alice", "old");
        settingsWidget = Open();
        settingsWidget->move(150, 60);
        QTest::mouseClick(settingsWidget->Button("ChangePasswordBut"), Qt::LeftButton);
        w = change.Window();
    }
    QLineEdit* Box(PasswordField field) { return w->Field(field); }
    void Type(PasswordField field, const QString& text) { testing::TypeText(Box(field), text); }
};

TEST(ChangePasswordWidget, AStateLandsOnTheControlsMasked) {
    SettingsWindows f;
    ChangePasswordWidget w(f.fc.setup->changePassword());
    account::ChangePasswordState s;
    s.oldPassword = "old";
    s.newPassword = "fresh";
    s.confirmPassword = "fresh!";
    s.focus = {PasswordField::Confirm, false, 1};
    w.Render(s);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvel Chess - Change Password"));
    EXPECT_EQ(w.Field(PasswordField::Old)->text(), QStringLiteral("old"));
    EXPECT_EQ(w.Field(PasswordField::New)->text(), QStringLiteral("fresh"));
    EXPECT_EQ(w.Field(PasswordField::Confirm)->text(), QStringLiteral("fresh!"));
    EXPECT_EQ(w.Field(PasswordField::Old)->displayText(), QStringLiteral("***"));
    EXPECT_EQ(w.Field(PasswordField::New)->displayText(), QStringLiteral("*****"));
    EXPECT_EQ(w.Field(PasswordField::Confirm)->displayText(), QStringLiteral("******"));
    EXPECT_EQ(w.focusWidget(), w.Field(PasswordField::Confirm));

    QStringList labels;
    for (QLabel* l : w.findChildren<QLabel*>()) {
        labels << l->text();
        if (l->text() == QStringLiteral("C&onfirm")) {
            EXPECT_EQ(l->buddy(), w.Field(PasswordField::Confirm));
        }
    }
    for (const char* text : {"&Old password:", "&New password:", "C&onfirm", "new password:"}) {
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    }
    ASSERT_NE(w.Button("ChangeBut"), nullptr);
    EXPECT_EQ(w.Button("ChangeBut")->text(), QStringLiteral("&Change Password"));
    EXPECT_TRUE(w.Button("ChangeBut")->isDefault());
    ASSERT_NE(w.Button("CancelBut"), nullptr);
    EXPECT_EQ(w.Button("CancelBut")->text(), QStringLiteral("Cancel"));
}

TEST(ChangePasswordWidget, EnterWithMismatchedBoxesSaysSoAndEmptiesBothNewBoxes) {
    ChangeFixture f;
    ASSERT_NE(f.w, nullptr);
    EXPECT_TRUE(f.w->isVisible());
    EXPECT_FALSE(f.settingsWidget->isEnabled());
    const QPoint parent = f.settingsWidget->frameGeometry().center();
    const QPoint child = f.w->frameGeometry().center();
    EXPECT_LE(std::abs(parent.x() - child.x()), 2);
    EXPECT_LE(std::abs(parent.y() - child.y()), 2);
    EXPECT_EQ(f.w->focusWidget(), f.Box(PasswordField::Old));

    f.Type(PasswordField::Old, QStringLiteral("old"));
    f.Type(PasswordField::New, QStringLiteral("abc"));
    f.Type(PasswordField::Confirm, QStringLiteral("abd"));
    QTest::keyClick(f.Box(PasswordField::Confirm), Qt::Key_Return);
    EXPECT_EQ(f.Boxes(), std::vector<std::string>{"Passwords do not match."});
    EXPECT_EQ(f.Box(PasswordField::Old)->text(), QStringLiteral("old"));
    EXPECT_EQ(f.Box(PasswordField::New)->text(), QString());
    EXPECT_EQ(f.Box(PasswordField::Confirm)->text(), QString());
    EXPECT_EQ(f.w->focusWidget(), f.Box(PasswordField::New));
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    EXPECT_TRUE(f.w->isVisible());

    // Typed again alike, Enter sends the change; the answer closes it.
    f.Type(PasswordField::New, QStringLiteral("abc"));
    f.Type(PasswordField::Confirm, QStringLiteral("abc"));
    QTest::keyClick(f.Box(PasswordField::Confirm), Qt::Key_Return);
    EXPECT_EQ(f.Boxes(), std::vector<std::string>{});
    EXPECT_EQ(f.fc.TakeSent(),
              std::vector<std::string>{"alice changepw alice " + account::Swordfish("old") +
                                       " 901902903\r"});
    f.fc.socket.Receive("changedpw\r");
    EXPECT_FALSE(f.w->isVisible());
    EXPECT_TRUE(f.settingsWidget->isEnabled());
    EXPECT_EQ(f.settingsWidget->PasswordBox()->text(), QStringLiteral("abc"));
    EXPECT_EQ(f.fc.setup->login.PWHash, account::Swordfish("abc"));
}

TEST(ChangePasswordWidget, APasswordTheWireCannotCarryIsRefusedAsTyped) {
    ChangeFixture f;
    f.Type(PasswordField::Old, QStringLiteral("old"));
    f.Type(PasswordField::New, QStringLiteral("\u0436\u0436"));
    f.Type(PasswordField::Confirm, QStringLiteral("\u0436\u0436"));
    QTest::keyClick(f.Box(PasswordField::Confirm), Qt::Key_Return);
    const auto boxes = f.Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Windows-1252"), std::string::npos);
    EXPECT_EQ(f.Box(PasswordField::New)->text(), QStringLiteral("\u0436\u0436"));
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
}

TEST(ChangePasswordWidget, EscTheTitleBarAndCancelCloseItWithoutAChange) {
    const struct {
        const char* how;
        void (*close)(ChangePasswordWidget*);
    } cases[] = {
        {"Esc",
         [](ChangePasswordWidget* w) {
             QTest::keyClick(w->Field(PasswordField::New), Qt::Key_Escape);
         }},
        {"title bar", [](ChangePasswordWidget* w) { w->close(); }},
        {"Cancel",
         [](ChangePasswordWidget* w) {
             QTest::mouseClick(w->Button("CancelBut"), Qt::LeftButton);
         }},
    };
    for (const auto& c : cases) {
        ChangeFixture f;
        f.Type(PasswordField::Old, QStringLiteral("old"));
        f.Type(PasswordField::New, QStringLiteral("abc"));
        f.Type(PasswordField::Confirm, QStringLiteral("abc"));
        c.close(f.w);
        EXPECT_FALSE(f.w->isVisible()) << c.how;
        EXPECT_FALSE(f.fc.setup->changePassword().IsShown()) << c.how;
        EXPECT_TRUE(f.settingsWidget->isEnabled()) << c.how;
        EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{}) << c.how;
        EXPECT_EQ(f.fc.setup->login.PWHash, account::Swordfish("old")) << c.how;
        // Opened again, every box is empty.
        QTest::mouseClick(f.settingsWidget->Button("ChangePasswordBut"), Qt::LeftButton);
        EXPECT_TRUE(f.w->isVisible()) << c.how;
        EXPECT_EQ(f.Box(PasswordField::New)->text(), QString()) << c.how;
    }
}

}  // namespace
}  // namespace qc::ui
