#include <gtest/gtest.h>

#include <QApplication>
#include <QGroupBox>
#include <QStyleOptionButton>
#include <QTest>
#include <memory>

#include "client/core/account/password.h"
#include "tests/qt/settings/settings_windows_fixture.h"

namespace qc::ui {
namespace {

using settings::SettingsBox;
using testing::SettingsWindows;

constexpr int kBoxes = settings::kSettingsBoxes;

QStringList LabelTexts(QWidget* w) {
    QStringList out;
    for (QLabel* l : w->findChildren<QLabel*>()) {
        out << l->text();
    }
    return out;
}

QLabel* LabelFor(QWidget* w, QWidget* buddy) {
    for (QLabel* l : w->findChildren<QLabel*>()) {
        if (l->buddy() == buddy) {
            return l;
        }
    }
    return nullptr;
}

// A click on a box's or an option's caption, where a user clicks: the
// control may be wider than its text.
void ClickCaption(QAbstractButton* b) {
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
}

// How light a control is drawn at a point of its own picture.
int LightnessAt(QWidget* w, QPoint p) {
    return w->grab().toImage().pixelColor(p).lightness();
}

TEST(SettingsWidget, AStateLandsOnTheControls) {
    SettingsWindows f;
    SettingsWidget w(f.Logic());
    settings::SettingsWindowState s = f.Logic().State();
    s.caption = "Quorvel Chess - Settings";
    s.qvid = "alice";
    s.password = "secret";
    for (int i = 0; i < kBoxes; ++i) {
        s.boxes[static_cast<std::size_t>(i)] = i % 3 == 0;
    }
    s.alwaysList = true;
    s.myTime = false;
    s.soundFile = "/sounds/bell.wav";
    s.slotsText = "12";
    s.textsText = "Free: 5     Purchased: 20";
    w.Render(s);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Quorvel Chess - Settings"));
    EXPECT_EQ(w.QvidBox()->text(), QStringLiteral("alice"));
    EXPECT_EQ(w.PasswordBox()->text(), QStringLiteral("secret"));
    EXPECT_EQ(w.PasswordBox()->displayText(), QStringLiteral("******"));
    for (int i = 0; i < kBoxes; ++i) {
        EXPECT_EQ(w.Box(static_cast<SettingsBox>(i))->isChecked(), i % 3 == 0) << i;
    }
    EXPECT_TRUE(w.AlwaysListOption()->isChecked());
    EXPECT_FALSE(w.GameWindowOption()->isChecked());
    EXPECT_FALSE(w.MyTimeOption()->isChecked());
    EXPECT_TRUE(w.ServerTimeOption()->isChecked());
    EXPECT_EQ(w.SlotsLab()->text(), QStringLiteral("12"));
    EXPECT_EQ(w.TextsLab()->text(), QStringLiteral("Free: 5     Purchased: 20"));
    EXPECT_EQ(w.Button("ChooseSoundBut")->toolTip(), QStringLiteral("/sounds/bell.wav"));
    EXPECT_TRUE(w.isEnabled());

    // The opposite of everything, and a child window open.
    for (int i = 0; i < kBoxes; ++i) {
        s.boxes[static_cast<std::size_t>(i)] = i % 3 != 0;
    }
    s.alwaysList = false;
    s.myTime = true;
    s.qvid = "";
    s.password = "**********";
    s.enabled = false;
    w.Render(s);
    for (int i = 0; i < kBoxes; ++i) {
        EXPECT_EQ(w.Box(static_cast<SettingsBox>(i))->isChecked(), i % 3 != 0) << i;
    }
    EXPECT_FALSE(w.AlwaysListOption()->isChecked());
    EXPECT_TRUE(w.GameWindowOption()->isChecked());
    EXPECT_TRUE(w.MyTimeOption()->isChecked());
    EXPECT_FALSE(w.ServerTimeOption()->isChecked());
    EXPECT_EQ(w.QvidBox()->text(), QString());
    EXPECT_EQ(w.PasswordBox()->displayText(), QStringLiteral("**********"));
    EXPECT_FALSE(w.isEnabled());
    s.enabled = true;
    w.Render(s);
    EXPECT_TRUE(w.isEnabled());
}

TEST(SettingsWidget, EveryControlHasItsCaptionAndAccessKeyAndRoomForIt) {
    SettingsWindows f;
    SettingsWidget& w = *f.Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const struct {
        SettingsBox box;
        const char* caption;
    } boxes[] = {
        {SettingsBox::AppRemember, "Remember passwor&d"},
        {SettingsBox::RunOnStartUp, "Launch Quorvel Chess on Windows s&tart-up"},
        {SettingsBox::OpenGameList, "Open M&y Games and Requests window on launch"},
        {SettingsBox::PlaySound, "Play a so&und when it's my move or someone requests a game"},
        {SettingsBox::FloaterTop, "&Always on top"},
        {SettingsBox::FloaterLock, "Lock positio&n"},
        {SettingsBox::ShowLast1, "&Highlight last move made on board"},
        {SettingsBox::ShowLast2, "H&ighlight next to last move made on board"},
        {SettingsBox::ShowPoss, "Highlight possible mo&ves by selected piece"},
        {SettingsBox::EmailMeOnReq, "Email me when someone &requests a game with me"},
        {SettingsBox::TextMeOnReq,
         "Text me when someone re&quests a game with me (costs you 1 Quorvel SMS Credit per text)"},
        {SettingsBox::EmailLink, "Place link to &email me on my stats and game history pages"},
        {SettingsBox::TextLink,
         "Place link to te&xt me on my stats and game history pages (using sender's Quorvel SMS "
         "Credits)"},
        {SettingsBox::Notify, "Sho&w desktop notifications of moves, requests and deadlines"},
    };
    for (const auto& b : boxes) {
        EXPECT_EQ(w.Box(b.box)->text(), QString::fromLatin1(b.caption));
    }
    const struct {
        const char* name;
        const char* caption;
    } buttons[] = {
        {"ChangePasswordBut", "Change Password"},
        {"CreateQVIDBut", "Create New QVID"},
        {"ContactInfoBut", "C&onfigure Email Address and Mobile Phone Number"},
        {"ChooseSoundBut", "Choose Sound"},
        {"BuySlotsBut", "Purchase Game &Slots"},
        {"BuyTextsBut", "Purchase SMS &Credits"},
        {"OKBut", "O&K"},
        {"CancelBut", "Cancel"},
    };
    for (const auto& b : buttons) {
        ASSERT_NE(w.Button(b.name), nullptr) << b.name;
        EXPECT_EQ(w.Button(b.name)->text(), QString::fromLatin1(b.caption));
    }
    EXPECT_TRUE(w.Button("OKBut")->isDefault());
    EXPECT_EQ(w.AlwaysListOption()->text(),
              QStringLiteral("Always take me to the My Games and Requests window"));
    EXPECT_EQ(w.GameWindowOption()->text(),
              QStringLiteral("Take me to the &Game Window if it's my move in a game"));
    EXPECT_EQ(w.MyTimeOption()->text(), QStringLiteral("My time"));
    EXPECT_EQ(w.ServerTimeOption()->text(), QStringLiteral("Server time"));
    const QStringList labels = LabelTexts(&w);
    for (const char* text :
         {"(leave blank to log in as guest)", "Double-click options:", "Display times as:",
          "Floating indicator:", "Your Game Slots:", "Your Quorvel SMS Credits:"}) {
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    }
    ASSERT_NE(LabelFor(&w, w.QvidBox()), nullptr);
    EXPECT_EQ(LabelFor(&w, w.QvidBox())->text(), QStringLiteral("&QVID:"));
    ASSERT_NE(LabelFor(&w, w.PasswordBox()), nullptr);
    EXPECT_EQ(LabelFor(&w, w.PasswordBox())->text(), QStringLiteral("&Password:"));
    // The design size at least; every control inside the window, none cut.
    EXPECT_GE(w.width(), 688);
    EXPECT_GE(w.height(), 408);
    for (QWidget* c : w.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(c) == nullptr && qobject_cast<QLabel*>(c) == nullptr &&
            qobject_cast<QGroupBox*>(c) == nullptr) {
            continue;
        }
        const QRect at(c->mapTo(&w, QPoint(0, 0)), c->size());
        EXPECT_TRUE(w.rect().contains(at)) << c->objectName().toStdString();
        EXPECT_GE(c->width(), c->minimumSizeHint().width()) << c->objectName().toStdString();
        EXPECT_GE(c->height(), c->minimumSizeHint().height()) << c->objectName().toStdString();
    }
}

TEST(SettingsWidget, IsDarkWithoutWhiteBoxes) {
    SettingsWindows f;
    SettingsWidget* w = f.Open();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    EXPECT_EQ(w->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(w->palette().color(QPalette::WindowText), QColor(0, 153, 255));
    EXPECT_LT(LightnessAt(w, {2, 2}), 10);
    // The boxes, and the square and the circle beside a caption.
    EXPECT_LT(LightnessAt(w->QvidBox(), w->QvidBox()->rect().center()), 60);
    w->Box(SettingsBox::ShowPoss)->setChecked(false);
    w->Box(SettingsBox::AppRemember)->setChecked(false);
    auto unchecked = [](QRadioButton* a, QRadioButton* b) { return a->isChecked() ? b : a; };
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             w->Box(SettingsBox::ShowPoss), w->Box(SettingsBox::AppRemember),
             unchecked(w->MyTimeOption(), w->ServerTimeOption()),
             unchecked(w->AlwaysListOption(), w->GameWindowOption())}) {
        ASSERT_FALSE(b->isChecked());
        QStyleOptionButton opt;
        opt.initFrom(b);
        const bool radio = qobject_cast<QRadioButton*>(b) != nullptr;
        const QRect indicator = b->style()->subElementRect(
            radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &opt, b);
        EXPECT_LT(LightnessAt(b, indicator.center()), 60) << b->objectName().toStdString();
    }
}

TEST(SettingsWidget, IsBuiltWhenFirstOpenedWhereTheSettingsSayAndKeepsItsPlace) {
    SettingsWindows f;
    EXPECT_EQ(f.settings.Window(), nullptr);
    EXPECT_EQ(f.settings.Geometry(), WindowRect{});
    f.fc.setup->prefs.SettingsX = 1500;
    f.fc.setup->prefs.SettingsY = 1200;
    SettingsWidget* w = f.Open();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), QPoint(100, 80));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quorvel Chess - Settings"));
    // A fresh window starts at the identifier box.
    EXPECT_EQ(w->focusWidget(), w->QvidBox());
    w->move(200, 150);
    f.Logic().Cancel();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(f.fc.setup->prefs.SettingsX, 3000);
    EXPECT_EQ(f.fc.setup->prefs.SettingsY, 2250);
    EXPECT_EQ(f.Open(), w);
    EXPECT_EQ(w->pos(), QPoint(200, 150));
}

TEST(SettingsWidget, ATypedAccountAndEnterLogInUnderItTwoSecondsLater) {
    SettingsWindows f;
    f.fc.LoginAsGuest();
    f.fc.TakeSent();
    SettingsWidget* w = f.Open();
    // The guest's name and its placeholder are typed over.
    EXPECT_EQ(w->QvidBox()->text(), QStringLiteral("guest42"));
    w->PasswordBox()->selectAll();
    QTest::keyClicks(w->PasswordBox(), QStringLiteral("secret"));
    w->QvidBox()->selectAll();
    QTest::keyClicks(w->QvidBox(), QStringLiteral(" bob smith"));
    EXPECT_EQ(f.Logic().State().qvid, " bob smith");
    EXPECT_EQ(f.Logic().State().password, "secret");
    QTest::keyClick(w->QvidBox(), Qt::Key_Return);
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 disconnect\r"});
    EXPECT_EQ(f.fc.setup->login.QVID, "bobsmith");
    f.fc.timers.Advance(1999);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    f.fc.timers.Advance(1);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"bobsmith connect v1.20 " +
                                                        account::Swordfish("secret") + "\r"});
}

TEST(SettingsWidget, TypingKeepsTheCursorAndLeavingTheQvidBoxCleansIt) {
    SettingsWindows f;
    SettingsWidget* w = f.Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QLineEdit* qvid = w->QvidBox();
    ASSERT_TRUE(qvid->hasFocus());
    QTest::keyClicks(qvid, QStringLiteral("bob"));
    QTest::keyClick(qvid, Qt::Key_Home);
    QTest::keyClicks(qvid, QStringLiteral("x "));
    EXPECT_EQ(qvid->text(), QStringLiteral("x bob"));
    EXPECT_EQ(qvid->cursorPosition(), 2);
    QTest::keyClick(qvid, Qt::Key_End);
    QTest::keyClicks(qvid, QStringLiteral(" smith,"));
    EXPECT_EQ(f.Logic().State().qvid, "x bob smith,");
    // Leaving the box for the password box.
    QTest::keyClick(qvid, Qt::Key_Tab);
    EXPECT_TRUE(w->PasswordBox()->hasFocus());
    EXPECT_EQ(qvid->text(), QStringLiteral("xbobsmith"));
    EXPECT_EQ(f.Logic().State().qvid, "xbobsmith");
    // A character the wire cannot carry shows as the one that will travel.
    testing::TypeText(qvid, QStringLiteral("\u0436"));
    EXPECT_EQ(qvid->text(), QStringLiteral("xbobsmith?"));
}

TEST(SettingsWidget, APasswordTheWireCannotCarryIsRefusedAndStaysAsTyped) {
    SettingsWindows f;
    f.LogInAs("alice", "pw");
    SettingsWidget* w = f.Open();
    QLineEdit* password = w->PasswordBox();
    EXPECT_EQ(password->displayText(), QStringLiteral("**********"));
    password->selectAll();
    testing::TypeText(password, QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c"));
    QTest::keyClick(password, Qt::Key_Return);
    ASSERT_EQ(f.Boxes().size(), 1u);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(password->text(), QStringLiteral("\u043f\u0430\u0440\u043e\u043b\u044c"));
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{});
    // Western accents are the wire's own.
    password->selectAll();
    testing::TypeText(password, QStringLiteral("p\u00e4ssw\u00f6rd"));
    QTest::keyClick(password, Qt::Key_Return);
    EXPECT_EQ(f.Boxes(), std::vector<std::string>{});
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(f.fc.setup->login.PWHash, account::Swordfish("p\xe4ssw\xf6rd"));
}

TEST(SettingsWidget, EscAndTheTitleBarCloseItWithoutAChange) {
    const struct {
        const char* how;
        void (*close)(SettingsWidget*);
    } cases[] = {
        {"Esc", [](SettingsWidget* w) { QTest::keyClick(w->QvidBox(), Qt::Key_Escape); }},
        {"title bar", [](SettingsWidget* w) { w->close(); }},
    };
    for (const auto& c : cases) {
        SettingsWindows f;
        f.LogInAs("alice", "pw");
        const settings::Settings before = f.fc.setup->prefs;
        SettingsWidget* w = f.Open();
        QTest::keyClicks(w->QvidBox(), QStringLiteral("carol"));
        ClickCaption(w->Box(SettingsBox::ShowLast1));
        ClickCaption(w->ServerTimeOption());
        ASSERT_FALSE(f.Logic().State().myTime) << c.how;
        c.close(w);
        EXPECT_FALSE(w->isVisible()) << c.how;
        EXPECT_FALSE(f.Logic().IsShown()) << c.how;
        EXPECT_EQ(f.fc.setup->login.QVID, "alice") << c.how;
        EXPECT_EQ(f.fc.setup->prefs, before) << c.how;
        EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{}) << c.how;
        // Opened again, it shows the account as it is.
        f.Open();
        EXPECT_EQ(w->QvidBox()->text(), QStringLiteral("alice")) << c.how;
        EXPECT_TRUE(w->MyTimeOption()->isChecked()) << c.how;
    }
}

TEST(SettingsWidget, EachBoxAndOptionReachesItsSettingOnOk) {
    SettingsWindows f;
    f.LogInAs("alice", "pw");
    settings::Settings& p = f.fc.setup->prefs;
    const struct {
        SettingsBox box;
        bool settings::Settings::*field;
    } boxes[] = {
        {SettingsBox::AppRemember, nullptr},
        {SettingsBox::RunOnStartUp, &settings::Settings::RunOnStartUp},
        {SettingsBox::OpenGameList, &settings::Settings::OpenGameList},
        {SettingsBox::PlaySound, &settings::Settings::PlaySound},
        {SettingsBox::FloaterTop, &settings::Settings::FloaterTop},
        {SettingsBox::FloaterLock, &settings::Settings::FloaterLock},
        {SettingsBox::ShowLast1, &settings::Settings::ShowLast1},
        {SettingsBox::ShowLast2, &settings::Settings::ShowLast2},
        {SettingsBox::ShowPoss, &settings::Settings::ShowPoss},
        {SettingsBox::EmailMeOnReq, &settings::Settings::EmailMeOnReq},
        {SettingsBox::TextMeOnReq, &settings::Settings::TextMeOnReq},
        {SettingsBox::EmailLink, &settings::Settings::EmailLink},
        {SettingsBox::TextLink, &settings::Settings::TextLink},
        {SettingsBox::Notify, &settings::Settings::Notify},
    };
    auto value = [&](const auto& b) {
        return b.field != nullptr ? p.*b.field : f.fc.setup->AppRemember;
    };
    const settings::Settings before = p;
    std::vector<bool> was;
    for (const auto& b : boxes) {
        was.push_back(value(b));
    }
    const bool alwaysList = p.AlwaysList;
    const bool myTime = p.MyTime;
    SettingsWidget* w = f.Open();
    for (const auto& b : boxes) {
        ClickCaption(w->Box(b.box));
    }
    ClickCaption(alwaysList ? w->GameWindowOption() : w->AlwaysListOption());
    ClickCaption(myTime ? w->ServerTimeOption() : w->MyTimeOption());
    // Nothing takes effect before OK.
    EXPECT_EQ(p, before);
    QTest::mouseClick(w->Button("OKBut"), Qt::LeftButton);
    EXPECT_FALSE(w->isVisible());
    for (std::size_t i = 0; i < std::size(boxes); ++i) {
        EXPECT_EQ(value(boxes[i]), !was[i]) << static_cast<int>(boxes[i].box);
    }
    EXPECT_EQ(p.AlwaysList, !alwaysList);
    EXPECT_EQ(p.MyTime, !myTime);
    // The server's own boxes travel at once.
    const auto sent = f.fc.TakeSent();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), "alice settings " + std::string(p.ShowLast1 ? "1" : "0") + "," +
                               (p.ShowLast2 ? "1" : "0") + "," + (p.ShowPoss ? "1" : "0") + "," +
                               (p.EmailLink ? "1" : "0") + "," + (p.TextLink ? "1" : "0") + "," +
                               (p.EmailMeOnReq ? "1" : "0") + "," + (p.TextMeOnReq ? "1" : "0") +
                               "\r");
}

TEST(SettingsWidget, TheServersLineLandsOnItsBoxesAndTheCounts) {
    SettingsWindows f;
    f.LogInAs("alice", "pw");
    SettingsWidget* w = f.Open();
    f.fc.socket.Receive("settings: 1,0,1,0,0,1,0,5,20,12\r");
    EXPECT_TRUE(w->Box(SettingsBox::ShowLast1)->isChecked());
    EXPECT_FALSE(w->Box(SettingsBox::ShowLast2)->isChecked());
    EXPECT_TRUE(w->Box(SettingsBox::ShowPoss)->isChecked());
    EXPECT_FALSE(w->Box(SettingsBox::EmailLink)->isChecked());
    EXPECT_FALSE(w->Box(SettingsBox::TextLink)->isChecked());
    EXPECT_TRUE(w->Box(SettingsBox::EmailMeOnReq)->isChecked());
    EXPECT_FALSE(w->Box(SettingsBox::TextMeOnReq)->isChecked());
    EXPECT_EQ(w->SlotsLab()->text(), QStringLiteral("12"));
    EXPECT_EQ(w->TextsLab()->text(), QStringLiteral("Free: 5     Purchased: 20"));
}

TEST(SettingsWidget, TheFocusGoesWhereTheControllerAsksOncePerRequest) {
    const struct {
        SettingsFocus focus;
        bool password;
        const char* passwordText;
    } cases[] = {
        {SettingsFocus::QvidSelectAll, false, "**********"},
        {SettingsFocus::PasswordCleared, true, ""},
        {SettingsFocus::Password, true, "**********"},
    };
    for (const auto& c : cases) {
        SettingsWindows f;
        f.LogInAs("alice", "pw");
        SettingsWidget* w = f.Open();
        // The user is elsewhere when the request comes.
        w->QvidBox()->deselect();
        w->Box(SettingsBox::ShowPoss)->setFocus();
        f.Logic().ShowWithFocus(c.focus);
        QWidget* box = c.password ? static_cast<QWidget*>(w->PasswordBox()) : w->QvidBox();
        EXPECT_EQ(w->focusWidget(), box) << static_cast<int>(c.focus);
        EXPECT_EQ(w->QvidBox()->selectedText(), c.password ? QString() : QStringLiteral("alice"));
        EXPECT_EQ(w->PasswordBox()->displayText(), QString::fromLatin1(c.passwordText));
        // A later render of the same request leaves the user's focus alone.
        w->Box(SettingsBox::ShowPoss)->setFocus();
        f.Logic().SetBox(SettingsBox::ShowPoss, true);
        EXPECT_EQ(w->focusWidget(), w->Box(SettingsBox::ShowPoss)) << static_cast<int>(c.focus);
    }
}

TEST(SettingsWidget, TheButtonsOpenTheirPagesTheSoundDialogAndTheAccountWindows) {
    SettingsWindows f;
    SettingsWidget* w = f.Open();
    for (const char* name : {"ContactInfoBut", "BuySlotsBut", "BuyTextsBut"}) {
        QTest::mouseClick(w->Button(name), Qt::LeftButton);
    }
    EXPECT_EQ(f.fc.shell.Urls(),
              (std::vector<std::string>{"http://games.example/settings/personal.html",
                                        "http://games.example/buyslots.html",
                                        "http://games.example/buytexts.html"}));
    f.fc.dialogs.files = {std::filesystem::path("/sounds/gong.wav")};
    QTest::mouseClick(w->Button("ChooseSoundBut"), Qt::LeftButton);
    ASSERT_EQ(f.fc.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(w->Button("ChooseSoundBut")->toolTip(), QStringLiteral("/sounds/gong.wav"));

    // A guest has no password to change.
    QTest::mouseClick(w->Button("ChangePasswordBut"), Qt::LeftButton);
    EXPECT_EQ(f.Boxes(),
              std::vector<std::string>{"You cannot change the password of a guest account."});
    EXPECT_EQ(f.change.Window(), nullptr);

    // A child window disables this one, title bar included, until it goes.
    QTest::mouseClick(w->Button("CreateQVIDBut"), Qt::LeftButton);
    ASSERT_NE(f.create.Window(), nullptr);
    EXPECT_TRUE(f.create.Window()->isVisible());
    EXPECT_FALSE(w->isEnabled());
    w->close();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(f.Logic().IsShown());
    QTest::keyClick(f.create.Window()->Field(account::CreateField::Qvid), Qt::Key_Escape);
    EXPECT_FALSE(f.create.Window()->isVisible());
    EXPECT_TRUE(w->isEnabled());

    QTest::keyClicks(w->QvidBox(), QStringLiteral("alice"));
    QTest::mouseClick(w->Button("ChangePasswordBut"), Qt::LeftButton);
    ASSERT_NE(f.change.Window(), nullptr);
    EXPECT_TRUE(f.change.Window()->isVisible());
    EXPECT_FALSE(w->isEnabled());
}

}  // namespace
}  // namespace qc::ui
