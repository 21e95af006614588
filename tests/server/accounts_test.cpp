#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core_fixture.h"

namespace qc::server::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;

class AccountsTest : public CoreFixture {};

TEST_F(AccountsTest, CreateQvidChecksInOrder) {
    AddAccount("taken_name", "x");
    ASSERT_EQ(Send(Ep(100), "guest createqvid someone,used@example.org,,,"),
              std::vector<std::string>{"created"});
    struct Case {
        std::string args;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"abcde,a@example.org,,,", "!c1"},                      // too short
        {"1abcdef,a@example.org,,,", "!c1"},                    // digit first
        {"abc def,a@example.org,,,", "!c1"},                    // blank inside
        {"abc.def,a@example.org,,,", "!c1"},                    // dot
        {"guest_player,a@example.org,,,", "!c1"},               // the guests' prefix
        {"abcdefghij_abcdefghij_abcdefghi,a@b.org,,,", "!c1"},  // 31 characters
        {",a@example.org,,,", "!c1"},
        {"newplayer,,,,", "!c2"},
        {"newplayer,not-an-address,,,", "!c2"},
        {"newplayer,a@b,,,", "!c2"},
        {"newplayer,a@@b.org,,,", "!c2"},
        {"newplayer,@b.org,,,", "!c2"},
        {"newplayer,a b@c.org,,,", "!c2"},
        {"Taken_Name,a@example.org,,,", "!c3"},
        {"SOMEONE,a@example.org,,,", "!c3"},
        {"newplayer,USED@example.org,,,", "!c4"},
        {"newplayer", "!c2"},
        {"newplayer,fresh@example.org,New,Player,someone", "created"},
        {"abcdefghij_abcdefghij_abcdefgh,x@example.org", "created"},  // 30, fields missing
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Send(Ep(101), "guest createqvid " + c.args), std::vector<std::string>{c.reply})
            << c.args;
    }
}

TEST_F(AccountsTest, CreatedAccountGetsItsPasswordThroughTheOutbox) {
    std::vector<std::string> log;
    Config config = MakeConfig();
    config.log = [&](std::string_view text) { log.emplace_back(text); };
    ServerCore logged(store, config);
    auto out =
        logged.HandleDatagram(Ep(1), "guest createqvid Chessfan,fan@example.org,Ann,Other,\r", now);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].text, "created");

    auto mails = store.Outbox();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].recipient, "fan@example.org");
    const std::string marker = "Your password: ";
    auto at = mails[0].body.find(marker);
    ASSERT_NE(at, std::string::npos);
    std::string password = mails[0].body.substr(at + marker.size(), 10);
    // The administrator hears of the mail, but the password stays in the outbox.
    ASSERT_EQ(log.size(), 1u);
    EXPECT_THAT(log[0], HasSubstr("Chessfan"));
    EXPECT_THAT(log[0], HasSubstr("fan@example.org"));
    EXPECT_THAT(log[0], Not(HasSubstr(password)));
    EXPECT_THAT(log[0], Not(HasSubstr("password")));

    auto lines = Send(Ep(2), "chessfan connect v1.20 " + qc::account::Swordfish(password));
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], std::string("update:0,0,5,0,") + kStartStamp);
}

TEST_F(AccountsTest, ChangePasswordRepliesByTable) {
    AddAccount("alice", "old");
    auto guest = Send(Ep(1), "guest connect v1.20 *");
    const std::string good = qc::account::Swordfish("old");
    const std::string abc = qc::account::EncodeNewPassword("abc");
    struct Case {
        std::string args;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"nobody " + good + " " + abc, "!a1"},
        {"guest1 " + good + " " + abc, "!a1"},
        {"Bot " + good + " " + abc, "!a1"},
        {"", "!a1"},
        {"alice " + qc::account::Swordfish("wrong") + " " + abc, "!a2"},
        {"alice  " + abc, "!a2"},
        {"alice " + good + " 12", "!a3"},
        {"alice " + good + " 123456", "!a3"},
        {"alice " + good + " ", "!a3"},
        {"alice " + good, "!a3"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Send(Ep(2), "alice changepw " + c.args), std::vector<std::string>{c.reply})
            << c.args;
    }
    EXPECT_EQ(Send(Ep(2), "alice changepw ALICE " + good + " 901902903"),
              std::vector<std::string>{"changedpw"});
    EXPECT_THAT(Send(Ep(3), "alice connect v1.20 " + good), ElementsAre("!p"));
    Login(Ep(3), "alice", "abc");
    // The new-password encoding carries Windows-1252 characters too.
    EXPECT_EQ(Send(Ep(4), "x changepw alice " + qc::account::Swordfish("abc") + " " +
                              qc::account::EncodeNewPassword("\xE9t\xE9")),
              std::vector<std::string>{"changedpw"});
    Login(Ep(5), "alice", "\xE9t\xE9");
}

TEST_F(AccountsTest, SettingsRoundTrip) {
    AddAccount("alice", "pw");
    Login(Ep(1), "alice", "pw");
    EXPECT_THAT(Send(Ep(1), "alice getsettings"), ElementsAre("settings: 1,1,1,0,0,0,0,0,0,5"));
    EXPECT_THAT(Send(Ep(1), "alice settings 0,1,0,1,0,1,1"), IsEmpty());
    EXPECT_THAT(Send(Ep(1), "alice getsettings"), ElementsAre("settings: 0,1,0,1,0,1,1,0,0,5"));
    // Lines that are not seven numbers change nothing.
    for (const char* bad :
         {"1,1,1,1,1,1", "1,1,1,1,1,1,1,1", "1,1,1,x,1,1,1", "", "1,1,1,,1,1,1"}) {
        Send(Ep(1), std::string("alice settings ") + bad);
        EXPECT_THAT(Send(Ep(1), "alice getsettings"), ElementsAre("settings: 0,1,0,1,0,1,1,0,0,5"))
            << bad;
    }
    // Any non-zero number is on; the settings survive a new login.
    Send(Ep(1), "alice settings 2,0,0,0,0,0,7");
    Login(Ep(2), "alice", "pw");
    EXPECT_THAT(Send(Ep(2), "alice getsettings"), ElementsAre("settings: 1,0,0,0,0,0,1,0,0,5"));
}

TEST_F(AccountsTest, GuestsHaveTheirOwnSlotCount) {
    auto lines = Send(Ep(1), "guest connect v1.20 *");
    ASSERT_FALSE(lines.empty());
    EXPECT_THAT(Send(Ep(1), "guest1 getsettings"), ElementsAre("settings: 1,1,1,0,0,0,0,0,0,3"));
}

}  // namespace
}  // namespace qc::server::testing
