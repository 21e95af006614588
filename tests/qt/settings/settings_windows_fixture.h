#pragma once

#include <QString>
#include <QTest>
#include <ostream>
#include <string>
#include <vector>

#include "client/core/account/password.h"
#include "client/ui/account/change_password_widget.h"
#include "client/ui/account/create_account_widget.h"
#include "client/ui/settings/settings_widget.h"
#include "tests/fakes/controller_fixture.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qc::ui::testing {

// Types `text` into `w` key by key, letters outside ASCII included (which
// QTest's own typing cannot send).
inline void TypeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(w, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// The controller on the fake platform with the real settings window and its
// two account windows, each drawn by its widget once first opened.
struct SettingsWindows {
    fakes::FakeController fc;
    SettingsHost settings{fc.setup->settingsWindow()};
    CreateAccountHost create{fc.setup->createAccount()};
    ChangePasswordHost change{fc.setup->changePassword()};

    SettingsWindows() {
        // The fake controller hands the login's requests to a recorder;
        // here they go to the window itself, as in the program.
        fc.setup->views().settings = &fc.setup->settingsWindow();
        fc.setup->settingsWindow().Attach(&settings);
        fc.setup->createAccount().Attach(&create);
        fc.setup->changePassword().Attach(&change);
    }
    ~SettingsWindows() {
        fc.setup->settingsWindow().Attach(nullptr);
        fc.setup->createAccount().Attach(nullptr);
        fc.setup->changePassword().Attach(nullptr);
    }
    SettingsWindows(const SettingsWindows&) = delete;
    SettingsWindows& operator=(const SettingsWindows&) = delete;

    settings::SettingsWindow& Logic() { return fc.setup->settingsWindow(); }

    // Logged in to a named account whose password digest is known.
    void LogInAs(const std::string& name, const std::string& password) {
        fc.setup->login.QVID = name;
        fc.setup->login.PWHash = account::Swordfish(password);
        fc.setup->Connect();
        fc.socket.Receive("update:0,0,5,0,09Dec26120000\r");
        fc.TakeSent();
    }
    // The settings window, opened as the game list's button opens it.
    SettingsWidget* Open() {
        Logic().Show();
        return settings.Window();
    }
    // The texts of the message boxes shown since the last call.
    std::vector<std::string> Boxes() {
        std::vector<std::string> out;
        for (const auto& b : fc.dialogs.boxes) {
            out.push_back(b.text);
        }
        fc.dialogs.boxes.clear();
        return out;
    }
};

}  // namespace qc::ui::testing
