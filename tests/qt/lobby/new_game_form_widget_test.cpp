#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <memory>

#include "client/ui/lobby/new_game_form_widget.h"
#include "tests/fakes/controller_fixture.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace qc::ui {
namespace {

using lobby::FormKind;

const char* Name(FormKind kind) {
    switch (kind) {
        case FormKind::Request:
            return "Request";
        case FormKind::LocalGame:
            return "LocalGame";
        case FormKind::PlayBot:
            break;
    }
    return "PlayBot";
}

// One form over the fake controller, shown; logged in as guest42 unless
// asked otherwise.
struct Form {
    fakes::FakeController fc;
    lobby::NewGameForm& logic;
    std::unique_ptr<NewGameFormWidget> w;

    explicit Form(FormKind kind, bool loggedIn = true) : logic(Pick(fc, kind)) {
        w = std::make_unique<NewGameFormWidget>(logic);
        logic.Attach(w.get());
        if (loggedIn) {
            fc.LoginAsGuest();
        }
        logic.Show();
        fc.TakeSent();
    }
    ~Form() { logic.Attach(nullptr); }
    static lobby::NewGameForm& Pick(fakes::FakeController& fc, FormKind kind) {
        switch (kind) {
            case FormKind::Request:
                return fc.setup->requestForm();
            case FormKind::LocalGame:
                return fc.setup->localGameForm();
            case FormKind::PlayBot:
                break;
        }
        return fc.setup->playBotForm();
    }
    // The form in front with the focus, as a user has it.
    void Activate() {
        w->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
    }
    // The opponent box's line: typing and the cursor go there.
    QLineEdit* ReqForLine() { return w->ReqFor()->lineEdit(); }
};

TEST(NewGameFormWidget, AStateLandsOnTheRequestFormsControls) {
    Form f(FormKind::Request);
    lobby::NewGameFormState s = f.logic.State();
    const lobby::NewGameFormState before = s;
    s.caption = "Quorvel Chess - Request Game";
    s.pastOpponents = {"alice", "b\xf6rje"};
    s.opponent = "zoe";
    s.gameTypes = {"Standard", "Chess960", "Crazyhouse"};
    s.gameType = 2;
    s.black = true;
    s.moveTime = "3";
    s.timeUnit = lobby::kDays;
    s.cancelOnLogout = true;
    s.noGuests = false;
    s.noGuestsEnabled = !before.noGuestsEnabled;
    s.emailMe = true;
    s.textMe = false;
    s.notice = "Not logged in: the request was not sent.";
    f.w->Render(s);

    EXPECT_EQ(f.w->windowTitle(), QStringLiteral("Quorvel Chess - Request Game"));
    ASSERT_EQ(f.w->ReqFor()->count(), 2);
    EXPECT_EQ(f.w->ReqFor()->itemText(1), QString::fromUtf8("b\xc3\xb6rje"));
    EXPECT_EQ(f.ReqForLine()->text(), QStringLiteral("zoe"));
    ASSERT_EQ(f.w->GameType()->count(), 3);
    EXPECT_EQ(f.w->GameType()->currentText(), QStringLiteral("Crazyhouse"));
    EXPECT_TRUE(f.w->Black()->isChecked());
    EXPECT_FALSE(f.w->White()->isChecked());
    EXPECT_EQ(f.w->MoveTime()->text(), QStringLiteral("3"));
    EXPECT_EQ(f.w->TimeUnits()->currentText(), QStringLiteral("days"));
    EXPECT_TRUE(f.w->Box(QStringLiteral("CancelOnDC"))->isChecked());
    EXPECT_FALSE(f.w->Box(QStringLiteral("NoGuests"))->isChecked());
    EXPECT_EQ(f.w->Box(QStringLiteral("NoGuests"))->isEnabled(), s.noGuestsEnabled);
    EXPECT_TRUE(f.w->Box(QStringLiteral("EmailMe"))->isChecked());
    EXPECT_FALSE(f.w->Box(QStringLiteral("TextMe"))->isChecked());
    EXPECT_TRUE(f.w->Notice()->isVisible());
    EXPECT_EQ(f.w->Notice()->text(), QStringLiteral("Not logged in: the request was not sent."));
    // Drawing is no edit: the core's form is as it was, nothing went out.
    EXPECT_EQ(f.logic.State(), before);
    EXPECT_TRUE(f.fc.TakeSent().empty());

    // Back to the first choices; the notice goes away.
    f.w->Render(before);
    EXPECT_TRUE(f.w->White()->isChecked());
    EXPECT_EQ(f.w->TimeUnits()->currentText(), QStringLiteral("weeks"));
    EXPECT_EQ(f.w->GameType()->count(), 2);
    EXPECT_EQ(f.w->Box(QStringLiteral("NoGuests"))->isEnabled(), before.noGuestsEnabled);
    EXPECT_FALSE(f.w->Notice()->isVisible());
}

TEST(NewGameFormWidget, EachKindHasItsControlsOnABlackFixedSizeForm) {
    struct Case {
        FormKind kind;
        const char* caption;
        const char* start;
        const char* startText;
        std::vector<const char*> has;
        std::vector<const char*> hasNot;
    };
    const Case cases[] = {
        {FormKind::Request,
         "Quorvel Chess - Request Game",
         "RequestBut",
         "&Request Game",
         {"ReqFor", "GameType", "TypeInfoBut", "White", "Black", "MoveTime", "TimeUnits",
          "CancelOnDC", "NoGuests", "EmailMe", "TextMe", "Label6", "Label7"},
         {"SkillLevel", "StartBut"}},
        {FormKind::LocalGame,
         "Quorvel Chess - Local Game",
         "StartBut",
         "&Start Game",
         {"GameType", "TypeInfoBut", "MoveTime", "TimeUnits", "Label5"},
         {"ReqFor", "SkillLevel", "White", "Black", "CancelOnDC", "TextMe", "RequestBut"}},
        {FormKind::PlayBot,
         "Quorvel Chess - Play Against Bot",
         "StartBut",
         "&Start Game",
         {"SkillLevel", "GameType", "TypeInfoBut", "White", "Black", "MoveTime", "TimeUnits"},
         {"ReqFor", "CancelOnDC", "NoGuests", "RequestBut"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.kind));
        Form f(c.kind);
        EXPECT_EQ(f.w->objectName(), QString::fromLatin1(Name(c.kind)));
        EXPECT_EQ(f.w->windowTitle(), QString::fromLatin1(c.caption));
        EXPECT_TRUE(f.w->isVisible());
        for (const char* name : c.has) {
            EXPECT_NE(f.w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
        }
        for (const char* name : c.hasNot) {
            EXPECT_EQ(f.w->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
        }
        QPushButton* start = f.w->Button(QString::fromLatin1(c.start));
        ASSERT_NE(start, nullptr);
        EXPECT_EQ(start->text(), QString::fromLatin1(c.startText));
        EXPECT_TRUE(start->isDefault());
        EXPECT_EQ(f.w->Button(QStringLiteral("CancelBut"))->text(), QStringLiteral("Cancel"));
        EXPECT_EQ(f.w->MoveTime()->text(), QStringLiteral("1"));
        ASSERT_EQ(f.w->TimeUnits()->count(), 4);
        EXPECT_EQ(f.w->TimeUnits()->itemText(3), QStringLiteral("minutes"));
        EXPECT_EQ(f.w->GameType()->currentText(), QStringLiteral("Standard"));
        EXPECT_FALSE(f.w->Notice()->isVisible());
        // The user cannot resize it.
        EXPECT_EQ(f.w->minimumSize(), f.w->maximumSize());
        // Black behind blue labels; a label's text is never cut.
        const QImage shot = f.w->grab().toImage();
        EXPECT_EQ(QColor(shot.pixel(2, 2)), QColor(Qt::black));
        for (QLabel* label : f.w->findChildren<QLabel*>()) {
            if (label->isVisible()) {
                EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
            }
        }
        for (QCheckBox* box : f.w->findChildren<QCheckBox*>()) {
            EXPECT_GE(box->width(), box->sizeHint().width()) << box->text().toStdString();
        }
    }
    Form bot(FormKind::PlayBot);
    ASSERT_EQ(bot.w->SkillLevel()->count(), 11);
    EXPECT_EQ(bot.w->SkillLevel()->currentText(), QStringLiteral("0 (easiest)"));
    EXPECT_EQ(bot.w->SkillLevel()->itemText(10), QStringLiteral("10 (hardest)"));
    EXPECT_EQ(bot.w->findChild<QLabel*>(QStringLiteral("Label4"))->text(),
              QStringLiteral("Your move &time limit:"));
}

// Enter starts from wherever it is pressed, the boxes being typed in
// included, and the form closes once the request went out.
TEST(NewGameFormWidget, EnterSendsTheFormsRequestAndClosesIt) {
    struct Case {
        FormKind kind;
        const char* typeInReqFor;
        const char* enterIn;
        const char* sent;
    };
    const Case cases[] = {
        {FormKind::Request, "bob,x", "ReqFor", "guest42 request bobx,,w,1,ww,0,0,0,0\r"},
        {FormKind::PlayBot, nullptr, "MoveTime", "guest42 request Bot,,w,1,ww,0,0,0\r"},
        {FormKind::PlayBot, nullptr, "SkillLevel", "guest42 request Bot,,w,1,ww,0,0,0\r"},
        {FormKind::LocalGame, nullptr, "GameType", "guest42 request guest42,,w,1,ww,0,0,0\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(Name(c.kind)) + ", Enter in " + c.enterIn);
        Form f(c.kind);
        if (c.typeInReqFor != nullptr) {
            QTest::keyClicks(f.w->ReqFor(), QString::fromLatin1(c.typeInReqFor));
            EXPECT_EQ(f.ReqForLine()->text(), QString::fromLatin1(c.typeInReqFor));
        }
        QTest::keyClick(f.w->findChild<QWidget*>(QString::fromLatin1(c.enterIn)), Qt::Key_Return);
        EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{c.sent});
        EXPECT_FALSE(f.w->isVisible());
        EXPECT_FALSE(f.logic.IsShown());
        // The list kept only the server's names.
        if (c.typeInReqFor != nullptr) {
            EXPECT_EQ(f.w->ReqFor()->findText(QStringLiteral("bob,x")), -1);
        }
    }
}

TEST(NewGameFormWidget, EscAndTheCloseButtonCancelWithoutSending) {
    for (FormKind kind : {FormKind::Request, FormKind::LocalGame, FormKind::PlayBot}) {
        SCOPED_TRACE(Name(kind));
        Form f(kind);
        QTest::keyClicks(f.w->MoveTime(), QStringLiteral("2"));
        QTest::keyClick(f.w->MoveTime(), Qt::Key_Escape);
        EXPECT_TRUE(f.fc.TakeSent().empty());
        EXPECT_FALSE(f.w->isVisible());
        EXPECT_FALSE(f.logic.IsShown());

        // Shown again it starts over; the title bar's close cancels too.
        f.logic.Show();
        EXPECT_TRUE(f.w->isVisible());
        EXPECT_EQ(f.w->MoveTime()->text(), QStringLiteral("1"));
        f.w->move(120, 80);
        f.w->close();
        EXPECT_FALSE(f.w->isVisible());
        EXPECT_FALSE(f.logic.IsShown());
        EXPECT_TRUE(f.fc.TakeSent().empty());
    }
    Form f(FormKind::PlayBot);
    f.w->move(120, 80);
    f.w->close();
    EXPECT_EQ(f.fc.setup->prefs.PlayBotX, 1800);
    EXPECT_EQ(f.fc.setup->prefs.PlayBotY, 1200);
    QTest::mouseClick(f.w->Button(QStringLiteral("CancelBut")), Qt::LeftButton);
}

TEST(NewGameFormWidget, NotLoggedInEnterKeepsTheFormAndSaysWhy) {
    for (FormKind kind : {FormKind::Request, FormKind::PlayBot}) {
        SCOPED_TRACE(Name(kind));
        Form f(kind, false);
        f.fc.TakeSent();
        QTest::keyClick(f.w->MoveTime(), Qt::Key_Return);
        EXPECT_TRUE(f.fc.TakeSent().empty());
        EXPECT_TRUE(f.w->isVisible());
        EXPECT_TRUE(f.logic.IsShown());
        EXPECT_TRUE(f.w->Notice()->isVisible());
        EXPECT_FALSE(f.w->Notice()->text().isEmpty());
        // The form grew to show it in full.
        EXPECT_GE(f.w->Notice()->width(), f.w->Notice()->sizeHint().width());
    }
}

TEST(NewGameFormWidget, TypingGoesToTheCoreWithoutTheCursorJumping) {
    Form f(FormKind::Request);
    QTest::keyClicks(f.w->ReqFor(), QStringLiteral("bob"));
    QTest::keyClick(f.w->ReqFor(), Qt::Key_Home);
    QTest::keyClicks(f.w->ReqFor(), QStringLiteral("xy"));
    EXPECT_EQ(f.ReqForLine()->text(), QStringLiteral("xybob"));
    EXPECT_EQ(f.ReqForLine()->cursorPosition(), 2);
    EXPECT_EQ(f.logic.State().opponent, "xybob");
    // A name rules out the guests option; the core says so at once.
    EXPECT_FALSE(f.w->Box(QStringLiteral("NoGuests"))->isEnabled());

    f.w->MoveTime()->selectAll();
    QTest::keyClicks(f.w->MoveTime(), QStringLiteral("12"));
    QTest::keyClick(f.w->MoveTime(), Qt::Key_Home);
    QTest::keyClicks(f.w->MoveTime(), QStringLiteral("3"));
    EXPECT_EQ(f.w->MoveTime()->text(), QStringLiteral("312"));
    EXPECT_EQ(f.logic.State().moveTime, "312");

    // A list of past opponents that arrives meanwhile keeps the typing.
    QTest::keyClick(f.w->ReqFor(), Qt::Key_End);
    QTest::keyClick(f.w->ReqFor(), Qt::Key_Left);
    f.fc.socket.Receive("opphistory:\ralice\rbob\r.\r");
    EXPECT_EQ(f.w->ReqFor()->count(), 2);
    EXPECT_EQ(f.ReqForLine()->text(), QStringLiteral("xybob"));
    EXPECT_EQ(f.ReqForLine()->cursorPosition(), 4);
}

TEST(NewGameFormWidget, LeavingABoxCleansItsText) {
    Form f(FormKind::Request);
    f.Activate();
    f.w->ReqFor()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(f.w->ReqFor(), QStringLiteral(" bo,b "));
    EXPECT_EQ(f.logic.State().opponent, " bo,b ");
    f.w->MoveTime()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.ReqForLine()->text(), QStringLiteral("bob"));
    EXPECT_EQ(f.logic.State().opponent, "bob");

    f.w->MoveTime()->selectAll();
    QTest::keyClicks(f.w->MoveTime(), QStringLiteral("50"));
    EXPECT_EQ(f.w->MoveTime()->text(), QStringLiteral("50")) << "clamped only when left";
    f.w->GameType()->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(f.w->MoveTime()->text(), QStringLiteral("4"));
    EXPECT_EQ(f.logic.State().moveTime, "4");
}

TEST(NewGameFormWidget, PicksAndTicksReachTheCore) {
    Form f(FormKind::Request);
    f.fc.socket.Receive("opphistory:\ralice\r car,ol \r.\r");
    ASSERT_EQ(f.w->ReqFor()->count(), 2);
    EXPECT_EQ(f.ReqForLine()->text(), QString());
    // The arrow keys pick from the list: the picked name, cleaned, is the
    // opponent.
    QTest::keyClick(f.w->ReqFor(), Qt::Key_Down);
    ASSERT_EQ(f.w->ReqFor()->currentIndex(), 1);
    EXPECT_EQ(f.logic.State().opponent, "carol");
    EXPECT_EQ(f.ReqForLine()->text(), QStringLiteral("carol"));
    const std::string opponent = "carol";

    QTest::keyClick(f.w->TimeUnits(), Qt::Key_Down);
    EXPECT_EQ(f.logic.State().timeUnit, lobby::kDays);
    QTest::keyClick(f.w->GameType(), Qt::Key_Down);
    EXPECT_EQ(f.logic.State().gameType, 1);
    QTest::mouseClick(f.w->Black(), Qt::LeftButton);
    EXPECT_TRUE(f.logic.State().black);
    QTest::mouseClick(f.w->Box(QStringLiteral("EmailMe")), Qt::LeftButton);
    QTest::mouseClick(f.w->Box(QStringLiteral("CancelOnDC")), Qt::LeftButton);
    EXPECT_TRUE(f.logic.State().emailMe);
    EXPECT_TRUE(f.logic.State().cancelOnLogout);
    EXPECT_FALSE(f.logic.State().textMe);
    // A guest cannot close a request to guests.
    QTest::mouseClick(f.w->Box(QStringLiteral("NoGuests")), Qt::LeftButton);
    EXPECT_FALSE(f.logic.State().noGuests);
    EXPECT_FALSE(f.w->Box(QStringLiteral("NoGuests"))->isChecked());

    QTest::mouseClick(f.w->Button(QStringLiteral("RequestBut")), Qt::LeftButton);
    EXPECT_EQ(f.fc.TakeSent(), std::vector<std::string>{"guest42 request " + opponent +
                                                        ",Chess960,b,1,d,1,0,1,0\r"});

    // The bot's level, and the page on a game type's rules.
    Form bot(FormKind::PlayBot);
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(bot.w->SkillLevel(), Qt::Key_Down);
    }
    EXPECT_EQ(bot.logic.State().skillLevel, 3);
    QTest::mouseClick(bot.w->Button(QStringLiteral("TypeInfoBut")), Qt::LeftButton);
    EXPECT_EQ(bot.fc.shell.Urls(),
              std::vector<std::string>{"http://en.wikipedia.org/wiki/Chess#Rules"});
    QTest::mouseClick(bot.w->Button(QStringLiteral("StartBut")), Qt::LeftButton);
    EXPECT_EQ(bot.fc.TakeSent(), std::vector<std::string>{"guest42 request Bot3,,w,1,ww,0,0,0\r"});
}

TEST(NewGameFormHost, BuildsTheFormWhenFirstShown) {
    fakes::FakeController fc;
    NewGameFormHost host(
        [&fc] { return std::make_unique<NewGameFormWidget>(fc.setup->requestForm()); });
    fc.setup->requestForm().Attach(&host);
    fc.LoginAsGuest();
    EXPECT_EQ(host.Window(), nullptr) << "nothing is built while the form is closed";
    EXPECT_EQ(host.Geometry(), lobby::WindowRect{});
    fc.setup->prefs.RequestX = 1500;
    fc.setup->prefs.RequestY = 750;
    fc.setup->gameList().Request();
    ASSERT_NE(host.Window(), nullptr);
    EXPECT_TRUE(host.Window()->isVisible());
    EXPECT_EQ(host.Window()->pos(), QPoint(100, 50));
    EXPECT_EQ(host.Window()->windowTitle(), QStringLiteral("Quorvel Chess - Request Game"));
    fc.socket.Receive("opphistory:\rerin\r.\r");
    EXPECT_EQ(host.Window()->ReqFor()->itemText(0), QStringLiteral("erin"));
    EXPECT_EQ(host.Geometry().left, 1500);
    fc.setup->requestForm().Cancel();
    EXPECT_FALSE(host.Window()->isVisible());
    fc.setup->requestForm().Attach(nullptr);
}

}  // namespace
}  // namespace qc::ui
