#include <gtest/gtest.h>

#include "client/core/lobby/new_game_forms.h"
#include "tests/fakes/controller_fixture.h"
#include "tests/fakes/recording_views.h"

namespace qc::lobby {
namespace {

using fakes::FakeController;

TEST(MoveTime, LeavingTheBoxKeepsTheAmountWithinTheUnitsLimits) {
    struct Case {
        const char* typed;
        int unit;
        const char* cleaned;
    };
    const Case cases[] = {
        {"5", kWeeks, "4"},        {"30", kDays, "28"},
        {"700", kHours, "672"},    {"5", kMinutes, "10"},
        {"1000", kMinutes, "999"}, {"0", kWeeks, "1"},
        {"2.7", kDays, "2"},       {"abc", kHours, "1"},
        {"", kWeeks, "1"},         {"-3", kDays, "1"},
        {" 12x", kHours, "12"},    {"60", kMinutes, "60"},
        {"0", kMinutes, "10"},     {"99999999999999999999", kMinutes, "999"},
        {"4", kWeeks, "4"},        {"672", kHours, "672"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClampedMoveTime(c.typed, c.unit), c.cleaned) << c.typed << " " << c.unit;
    }
    // Choosing a unit applies only that unit's own limits.
    EXPECT_EQ(UnitLimitedMoveTime("10", kWeeks), "4");
    EXPECT_EQ(UnitLimitedMoveTime("4", kMinutes), "10");
    EXPECT_EQ(UnitLimitedMoveTime("2.5", kDays), "2.5");
    EXPECT_EQ(UnitLimitedMoveTime("abc", kHours), "abc");
}

TEST(Opponent, CommasAndSurroundingBlanksGo) {
    EXPECT_EQ(CleanOpponent(" player1,x "), "player1x");
    EXPECT_EQ(CleanOpponent("bob,Chess960,b"), "bobChess960b");
    EXPECT_EQ(CleanOpponent(" , "), "");
}

// A logged-in controller with one form shown.
struct FormFixture : FakeController {
    fakes::RecordingFormView view;
    NewGameForm& form;

    explicit FormFixture(NewGameForm& (Setup::*which)(), const std::string& qvid = "")
        : form((*setup.*which)()) {
        form.Attach(&view);
        LoginAsGuest();
        if (!qvid.empty()) {
            setup->login.QVID = qvid;
        }
        form.Show();
        TakeSent();
    }
    ~FormFixture() { form.Attach(nullptr); }
    const NewGameFormState& State() const { return view.state; }
};

TEST(NewGameForm, EachFormSendsItsFieldsOfTheRequest) {
    {
        // A public Chess960 request as black, 3 days, only cancel-on-log-out.
        FormFixture f(&Setup::requestForm);
        f.form.ChooseGameType(1);
        f.form.ChooseBlack(true);
        f.form.ChooseUnit(kDays);
        f.form.EditMoveTime("3");
        f.form.MoveTimeDone();
        f.form.SetCancelOnLogout(true);
        f.form.Start();
        EXPECT_EQ(f.TakeSent(),
                  std::vector<std::string>{"guest42 request ,Chess960,b,3,d,0,0,1,0\r"});
        EXPECT_FALSE(f.form.IsShown());
    }
    {
        FormFixture f(&Setup::requestForm, "alice");
        f.form.EditOpponent("bob");
        f.form.SetEmailMe(true);
        f.form.SetTextMe(true);
        f.form.ChooseUnit(kHours);
        f.form.Start();
        EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"alice request bob,,w,1,h,1,1,0,0\r"});
    }
    {
        FormFixture f(&Setup::localGameForm);
        EXPECT_EQ(f.State().caption, "Quorvel Chess - Local Game");
        f.form.Start();
        EXPECT_EQ(f.TakeSent(),
                  std::vector<std::string>{"guest42 request guest42,,w,1,ww,0,0,0\r"});
    }
    {
        FormFixture f(&Setup::playBotForm);
        EXPECT_EQ(f.State().caption, "Quorvel Chess - Play Against Bot");
        f.form.ChooseSkillLevel(4);
        f.form.ChooseUnit(kHours);
        f.form.EditMoveTime("2");
        f.form.Start();
        EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 request Bot4,,w,2,h,0,0,0\r"});
    }
}

TEST(NewGameForm, EnterCleansTheBoxesThatNeverLostTheFocus) {
    struct Case {
        const char* opponent;
        const char* amount;
        int unit;
        const char* sent;
    };
    const Case cases[] = {
        {"bob,Chess960,b", "1", kWeeks, "alice request bobChess960b,,w,1,ww,0,0,0,0\r"},
        {" carol ", "5,d", kWeeks, "alice request carol,,w,4,ww,0,0,0,0\r"},
        {"dave", "1000", kDays, "alice request dave,,w,28,d,0,0,0,0\r"},
        {"erin", "", kHours, "alice request erin,,w,1,h,0,0,0,0\r"},
        // The cancel-on-log-out box keeps the user's choice at send.
        {"frank", "30", kMinutes, "alice request frank,,w,30,n,0,0,0,0\r"},
    };
    for (const Case& c : cases) {
        FormFixture f(&Setup::requestForm, "alice");
        f.form.ChooseUnit(c.unit);
        f.form.SetCancelOnLogout(false);
        f.form.EditOpponent(c.opponent);
        f.form.EditMoveTime(c.amount);
        f.form.Start();
        EXPECT_EQ(f.TakeSent(), std::vector<std::string>{c.sent}) << c.opponent;
    }
}

TEST(NewGameForm, NotLoggedInTheFormStaysOpenAndSaysWhy) {
    FakeController fc;
    fakes::RecordingFormView view;
    NewGameForm& form = fc.setup->playBotForm();
    form.Attach(&view);
    form.Show();
    form.Start();
    EXPECT_TRUE(form.IsShown());
    EXPECT_TRUE(view.open);
    EXPECT_FALSE(view.state.notice.empty());
    fc.LoginAsGuest();
    fc.TakeSent();
    form.Start();
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 request Bot,,w,1,ww,0,0,0\r"});
    EXPECT_FALSE(form.IsShown());
    form.Attach(nullptr);
}

TEST(NewGameForm, UnitsLimitTheAmountAndShortRequestsEndAtLogOut) {
    FormFixture f(&Setup::requestForm);
    f.form.ChooseUnit(kDays);
    f.form.EditMoveTime("10");
    f.form.ChooseUnit(kWeeks);
    EXPECT_EQ(f.State().moveTime, "4");
    f.form.ChooseUnit(kMinutes);
    EXPECT_EQ(f.State().moveTime, "10");
    EXPECT_TRUE(f.State().cancelOnLogout);
    f.form.ChooseUnit(kHours);
    EXPECT_FALSE(f.State().cancelOnLogout);
    f.form.EditMoveTime("5 ");
    f.form.ChooseUnit(kMinutes);
    f.form.EditMoveTime("75");
    f.form.MoveTimeDone();
    EXPECT_FALSE(f.State().cancelOnLogout);
    // The other forms have no such box.
    FormFixture bot(&Setup::playBotForm);
    bot.form.ChooseUnit(kMinutes);
    EXPECT_EQ(bot.State().moveTime, "10");
    EXPECT_FALSE(bot.State().cancelOnLogout);
}

TEST(NewGameForm, GuestsCanBeKeptOutOnlyOfAPublicRequestByANamedUser) {
    FormFixture f(&Setup::requestForm, "alice");
    f.timers.Advance(100);
    EXPECT_TRUE(f.State().noGuestsEnabled);
    f.form.SetNoGuests(true);
    f.form.EditOpponent("bob");
    f.timers.Advance(100);
    EXPECT_FALSE(f.State().noGuestsEnabled);
    EXPECT_FALSE(f.State().noGuests);
    f.form.EditOpponent("");
    f.timers.Advance(100);
    EXPECT_TRUE(f.State().noGuestsEnabled);

    FormFixture guest(&Setup::requestForm, "GuestAbc");
    guest.timers.Advance(100);
    EXPECT_FALSE(guest.State().noGuestsEnabled);
    guest.form.SetNoGuests(true);
    EXPECT_FALSE(guest.State().noGuests);
    guest.form.Start();
    EXPECT_EQ(guest.TakeSent(), std::vector<std::string>{"GuestAbc request ,,w,1,ww,0,0,0,0\r"});
}

TEST(NewGameForm, TheBotPlaysVariantsOnlyAtItsEasiestLevel) {
    FormFixture f(&Setup::playBotForm);
    f.socket.Receive("gametypes: Crazyhouse\r");
    f.form.Cancel();
    f.form.Show();
    ASSERT_EQ(f.State().gameTypes,
              (std::vector<std::string>{"Standard", "Chess960", "Crazyhouse"}));
    f.form.ChooseGameType(2);
    f.form.ChooseSkillLevel(3);
    EXPECT_EQ(f.State().gameType, 0);
    f.form.ChooseGameType(2);
    EXPECT_EQ(f.State().skillLevel, 0);
    f.form.ChooseGameType(1);
    f.form.ChooseSkillLevel(10);
    EXPECT_EQ(f.State().gameType, 1);  // Chess960 stays at any level
    EXPECT_EQ(f.form.Command(), "request Bot10,Chess960,w,1,ww,0,0,0");
    f.form.ChooseSkillLevel(0);
    EXPECT_EQ(f.form.Command(), "request Bot,Chess960,w,1,ww,0,0,0");
    f.form.ChooseSkillLevel(11);  // no such level
    EXPECT_EQ(f.State().skillLevel, 0);
}

TEST(NewGameForm, TheGameTypesComeFromTheServerAtTheNextLoad) {
    struct Case {
        const char* message;
        std::vector<std::string> types;
    };
    const Case cases[] = {
        {"gametypes: Crazyhouse\r", {"Standard", "Chess960", "Crazyhouse"}},
        {"gametypes: \r", {"Standard", "Chess960", ""}},
        {"gametypes:\r.\r", {"Standard", "Chess960"}},
        {"gametypes:\rAtomic\rKing of the Hill\r.\r",
         {"Standard", "Chess960", "Atomic", "King of the Hill"}},
    };
    for (const Case& c : cases) {
        FormFixture f(&Setup::localGameForm);
        f.socket.Receive(c.message);
        EXPECT_EQ(f.State().gameTypes, (std::vector<std::string>{"Standard", "Chess960"}));
        f.form.Cancel();
        f.form.Show();
        EXPECT_EQ(f.State().gameTypes, c.types) << c.message;
    }
    // "Standard" in any letter case travels as an empty field.
    FormFixture f(&Setup::localGameForm);
    f.socket.Receive("gametypes:\rSTANDARD\r.\r");
    f.form.Cancel();
    f.form.Show();
    f.form.ChooseGameType(2);
    EXPECT_EQ(f.form.Command(), "request guest42,,w,1,ww,0,0,0");
}

TEST(NewGameForm, TheTypeButtonOpensTheRulesOfTheChosenType) {
    FormFixture f(&Setup::requestForm);
    f.socket.Receive("gametypes: King of the Hill\r");
    f.form.Cancel();
    f.form.Show();
    for (int i : {0, 1, 2}) {
        f.form.ChooseGameType(i);
        f.form.TypeInfo();
    }
    EXPECT_EQ(f.shell.Urls(),
              (std::vector<std::string>{"http://en.wikipedia.org/wiki/Chess#Rules",
                                        "http://games.example/variants.html#chess960",
                                        "http://games.example/variants.html#kingofthehill"}));
}

TEST(NewGameForm, PastOpponentsFillTheListAndKeepTheTypedName) {
    FormFixture f(&Setup::requestForm);
    f.form.EditOpponent("zed");
    f.socket.Receive("opphistory:\rbob\rcarol\r.\r");
    EXPECT_EQ(f.State().pastOpponents, (std::vector<std::string>{"bob", "carol"}));
    EXPECT_EQ(f.State().opponent, "zed");
    f.socket.Receive("opphistory:\r.\r");
    EXPECT_EQ(f.State().pastOpponents, std::vector<std::string>{""});
}

TEST(NewGameForm, EachCloseForgetsTheFieldsAndKeepsThePlace) {
    FormFixture f(&Setup::requestForm);
    const settings::Settings& p = f.setup->prefs;
    EXPECT_EQ(f.view.opened,
              (WindowRect{static_cast<double>(p.RequestX), static_cast<double>(p.RequestY), 0, 0}));
    f.form.EditOpponent("bob");
    f.form.ChooseBlack(true);
    f.view.at = {1234.4, 567.6, 4000, 5000};
    f.form.Cancel();
    EXPECT_TRUE(f.TakeSent().empty());
    EXPECT_FALSE(f.view.open);
    EXPECT_EQ(f.setup->prefs.RequestX, 1234);
    EXPECT_EQ(f.setup->prefs.RequestY, 568);
    f.form.Show();
    EXPECT_EQ(f.view.opened.left, 1234);
    EXPECT_EQ(f.State().opponent, "");
    EXPECT_FALSE(f.State().black);
    EXPECT_EQ(f.State().moveTime, "1");
    EXPECT_EQ(f.State().timeUnit, kWeeks);
    // A form closed at (0, 0) leaves the saved place alone.
    f.view.at = {};
    f.form.Cancel();
    EXPECT_EQ(f.setup->prefs.RequestX, 1234);
}

TEST(NewGameForm, ShutdownUnloadsTheShownForms) {
    FakeController fc;
    fakes::RecordingFormView view;
    NewGameForm& form = fc.setup->playBotForm();
    form.Attach(&view);
    form.Show();
    view.at = {3000, 4000, 0, 0};
    fc.setup->Unload();
    EXPECT_FALSE(form.IsLoaded());
    EXPECT_EQ(fc.setup->prefs.PlayBotX, 3000);
    form.Attach(nullptr);
}

}  // namespace
}  // namespace qc::lobby
