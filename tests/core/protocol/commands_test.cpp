#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/protocol/commands.h"

namespace qc::protocol {
namespace {

using namespace cmd;

struct Case {
    std::string composed;
    std::string expected;
};

void ExpectAll(const std::vector<Case>& cases) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(cases[i].composed, cases[i].expected) << "case " << i;
    }
}

TEST(Commands, LoginKeepAliveAndLists) {
    ExpectAll({
        {Login("0123abcd"), "connect v1.20 0123abcd"},
        {Login("*"), "connect v1.20 *"},
        {Login(""), "connect v1.20 "},
        {Update(), "update"},
        {Pong(), "pong"},
        {Disconnect(), "disconnect"},
        {GameList(), "gamelist"},
        {OpenGames(), "opengames"},
        {PublicReqs(), "publicreqs"},
        {Scoreboard(), "scoreboard"},
        {RequestWin(), "requestwin"},
        {GetSettings(), "getsettings"},
    });
}

TEST(Commands, CurrentGame) {
    ExpectAll({
        {Game("4711"), "game 4711"},
        {Selected("4711", "e2"), "selected 4711 e2"},
        {Move("4711", "e2", "e4"), "move 4711 e2e4"},
        {Promote("4711", "e7e8", 'q'), "move 4711 e7e8q"},
        {Promote("4711", "b2a1", 'n'), "move 4711 b2a1n"},
        {Castle("4711", "e1", 'a'), "move 4711 e1ca"},
        {Castle("4711", "e8", 'h'), "move 4711 e8ch"},
        // Castling before any piece is selected leaves the square out.
        {Castle("4711", "", 'h'), "move 4711 ch"},
        {ShowLast(1, true), "showlast1 1"},
        {ShowLast(2, true), "showlast2 1"},
        {ShowLast(2, false), "showlast2 0"},
        {ShowPoss(true), "showposs 1"},
        {ShowPoss(false), "showposs 0"},
        {EmailMe("4711", true), "emailme 4711 1"},
        {TextMe("4711", false), "textme 4711 0"},
        {Chat("4711"), "chat 4711"},
        {ChatSend("4711", "good game"), "chatsend 4711,good game"},
        // The text is the last field: its commas and blanks go out whole.
        {ChatSend("4711", "well, well,  well"), "chatsend 4711,well, well,  well"},
        {ChatSend("4711", ""), "chatsend 4711,"},
        {Resign("4711"), "resign 4711"},
        {Accept("r88"), "accept r88"},
        {Cancel("r88"), "cancel r88"},
        {Remove("4700"), "remove 4700"},
    });
}

TEST(Commands, TextKeepsWindows1252Bytes) {
    EXPECT_EQ(ChatSend("1",
                       "Gr\xFC\xDF"
                       "e \x80"),
              "chatsend 1,Gr\xFC\xDF"
              "e \x80");
}

// A line break inside an argument would end the command early and send the
// rest as a line of its own.
TEST(Commands, LineBreaksInsideArgumentsBecomeBlanks) {
    ExpectAll({
        {ChatSend("4711", "first\r\nsecond"), "chatsend 4711,first second"},
        {ChatSend("4711", "a\rb\nc\n\r\r"), "chatsend 4711,a b c "},
        {Game("47\r11"), "game 47 11"},
        {Request({.opponent = "bob\r\nx resign 1", .timeAmount = "1", .timeUnit = "weeks"}),
         "request bob x resign 1,,w,1,ww,0,0,0,0"},
    });
    for (const std::string& line :
         {ChatSend("1", "x\r"), CreateQvid("a\nb", "\r", "", "", ""), Login("x\ny")}) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
    }
}

TEST(Commands, DrawChoice) {
    struct DrawCase {
        DrawState state;
        std::string expected;
    };
    const std::vector<DrawCase> cases = {
        // A local game is always ended as a draw, whatever is pending and in
        // whatever case the names were written.
        {{"alice", "alice", "alice", ""}, "acceptdraw 9"},
        {{"Alice", "aLICE", "ALICE", "w"}, "acceptdraw 9"},
        {{"\xC9lise", "\xE9lise", "\xE9lise", "b"}, "acceptdraw 9"},
        // No offer pending.
        {{"alice", "bob", "alice", ""}, "offerdraw 9"},
        {{"alice", "bob", "bob", ""}, "offerdraw 9"},
        // The user's own offer is withdrawn.
        {{"alice", "bob", "alice", "w"}, "canceldraw 9"},
        {{"alice", "bob", "BOB", "b"}, "canceldraw 9"},
        // The opponent's offer is accepted.
        {{"alice", "bob", "alice", "b"}, "acceptdraw 9"},
        {{"alice", "Bob", "bob", "w"}, "acceptdraw 9"},
        // Someone who is neither player counts as white.
        {{"alice", "bob", "carol", "w"}, "canceldraw 9"},
        {{"alice", "bob", "carol", "b"}, "acceptdraw 9"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Draw(c.state, "9"), c.expected)
            << c.state.whitePlayer << " vs " << c.state.blackPlayer << " as " << c.state.qvid
            << " offer '" << c.state.drawOffer << "'";
    }
}

TEST(Commands, RequestFieldRules) {
    EXPECT_EQ(GameTypeField("Standard"), "");
    EXPECT_EQ(GameTypeField("STANDARD"), "");
    EXPECT_EQ(GameTypeField("standard"), "");
    EXPECT_EQ(GameTypeField("Chess960"), "Chess960");
    EXPECT_EQ(GameTypeField("Standard Plus"), "Standard Plus");

    ExpectAll({
        {TimeUnitCode("weeks"), "ww"},
        {TimeUnitCode("days"), "d"},
        {TimeUnitCode("hours"), "h"},
        {TimeUnitCode("minutes"), "n"},
        {TimeUnitCode(""), "n"},
        {TimeUnitCode("Weeks"), "n"},
        {BotName(0), "Bot"},
        {BotName(2), "Bot2"},
        {BotName(10), "Bot10"},
        {BotName(-1), "Bot"},
    });
}

TEST(Commands, Requests) {
    ExpectAll({
        // A public Chess960 request as black, cancelled on log-out.
        {Request({.opponent = "",
                  .gameType = "Chess960",
                  .black = true,
                  .timeAmount = "3",
                  .timeUnit = "days",
                  .cancelOnLogout = true}),
         "request ,Chess960,b,3,d,0,0,1,0"},
        // Standard chess sends an empty type: two commas in a row.
        {Request({.opponent = "bob",
                  .gameType = "Standard",
                  .timeAmount = "1",
                  .timeUnit = "weeks",
                  .emailMe = true,
                  .textMe = true,
                  .noGuests = true}),
         "request bob,,w,1,ww,1,1,0,1"},
        {Request({.opponent = "bob",
                  .gameType = "standard",
                  .timeAmount = "45",
                  .timeUnit = "minutes"}),
         "request bob,,w,45,n,0,0,0,0"},
        {LocalGameRequest("alice", "Standard", "1", "weeks"), "request alice,,w,1,ww,0,0,0"},
        {LocalGameRequest("alice", "Chess960", "12", "hours"),
         "request alice,Chess960,w,12,h,0,0,0"},
        {BotRequest(4, "Standard", false, "2", "hours"), "request Bot4,,w,2,h,0,0,0"},
        {BotRequest(0, "Chess960", true, "1", "days"), "request Bot,Chess960,b,1,d,0,0,0"},
        {BotRequest(2, "STANDARD", true, "10", "minutes"), "request Bot2,,b,10,n,0,0,0"},
    });
}

// A comma typed into a field (the opponent box when Enter is pressed before
// it loses the focus, or the time box) would shift every later field.
TEST(Commands, RequestFieldsLoseCommas) {
    ExpectAll({
        {Request({.opponent = "player1,x",
                  .gameType = "Chess960",
                  .timeAmount = "1,5",
                  .timeUnit = "days"}),
         "request player1x,Chess960,w,15,d,0,0,0,0"},
        {LocalGameRequest("a,b", "Crazy,house", "2", "weeks"),
         "request ab,Crazyhouse,w,2,ww,0,0,0"},
    });
}

TEST(Commands, Settings) {
    ExpectAll({
        {Settings({}), "settings 0,0,0,0,0,0,0"},
        {Settings({.showLast1 = true, .showLast2 = true, .showPoss = true}),
         "settings 1,1,1,0,0,0,0"},
        // Each value in its own place: link flags before the on-request flags.
        {Settings({.emailLink = true}), "settings 0,0,0,1,0,0,0"},
        {Settings({.textLink = true}), "settings 0,0,0,0,1,0,0"},
        {Settings({.emailMeOnReq = true}), "settings 0,0,0,0,0,1,0"},
        {Settings({.textMeOnReq = true}), "settings 0,0,0,0,0,0,1"},
        {Settings({.showLast2 = true}), "settings 0,1,0,0,0,0,0"},
    });
}

TEST(Commands, CreateQvidAlwaysHasFiveFields) {
    ExpectAll({
        {CreateQvid("newbie", "n@example.com", "", "", ""), "createqvid newbie,n@example.com,,,"},
        {CreateQvid("newbie", "n@example.com", "Smith, John", "Mac, Donald", "ref,er"),
         "createqvid newbie,n@example.com,Smith John,Mac Donald,refer"},
        {CreateQvid("a,b", "c,,d", "", "", ""), "createqvid ab,cd,,,"},
    });
}

TEST(Commands, ChangePasswordSendsDigestAndEncodingOnly) {
    const std::string line = ChangePassword("alice", "password", "abc");
    EXPECT_EQ(line,
              "changepw alice "
              "b02925c4fd57c5a7bb21de28a320533e240a1954cff61626ba69de7ff381738c 901902903");
    EXPECT_EQ(line.find("password"), std::string::npos);
}

TEST(Commands, SendRules) {
    struct RuleCase {
        std::string command;
        SendRule rule;
    };
    const std::vector<RuleCase> cases = {
        {Login("abc"), SendRule::NoStateCheck},
        {CreateQvid("a", "b", "", "", ""), SendRule::NoStateCheck},
        {ChangePassword("a", "b", "c"), SendRule::NoStateCheck},
        {Settings({}), SendRule::HeldUntilLogin},
        {GetSettings(), SendRule::StateChecked},
        {Update(), SendRule::StateChecked},
        {Disconnect(), SendRule::StateChecked},
        {GameList(), SendRule::StateChecked},
        {Accept("1"), SendRule::StateChecked},
        {Game("1"), SendRule::StateChecked},
        {Pong(), SendRule::StateChecked},
        {ChatSend("1", "connect v1.20 x"), SendRule::StateChecked},
        {Request({}), SendRule::StateChecked},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SendRuleFor(c.command), c.rule) << c.command;
    }
}

}  // namespace
}  // namespace qc::protocol
