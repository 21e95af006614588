// The real quorvel-server mailing through a real SMTP server on loopback.

#include <gtest/gtest.h>

#include <regex>
#include <thread>

#include "client/core/account/password.h"
#include "server/core/store.h"
#include "tests/server/process_util.h"
#include "tests/server/smtp_relay.h"

namespace qc::server::testing {
namespace {

std::vector<std::string> ServerArgs(const SmtpRelay& relay) {
    return {"--smtp",    relay.Url(),          "--mail-from",  "server@quorvel.test",
            "--web-url", "http://chess.test/", "--mail-retry", "1"};
}

// The password in a new account's mail.
std::string PasswordIn(const RelayedMail& mail) {
    std::smatch m;
    const std::string body = DecodedBody(mail.data);
    if (!std::regex_search(body, m, std::regex("Your password: ([^\r\n]+)"))) {
        return "";
    }
    return m[1];
}

bool StartsWith(const std::string& line, const std::string& prefix) {
    return line.rfind(prefix, 0) == 0;
}

// A new account by "createqvid", logged in with the password from its mail.
std::string CreateAndLogIn(UdpClient& client, SmtpRelay& relay, const std::string& name,
                           std::size_t mailsBefore) {
    auto reply = client.Ask("guest createqvid " + name + "," + name + "@example.org,,,", "created");
    EXPECT_FALSE(reply.empty());
    auto mails = relay.WaitFor(mailsBefore + 1);
    if (mails.size() <= mailsBefore) {
        ADD_FAILURE() << "no mail for " << name;
        return "";
    }
    const RelayedMail& mail = mails[mailsBefore];
    EXPECT_EQ(mail.to, std::vector<std::string>{name + "@example.org"});
    const std::string password = PasswordIn(mail);
    EXPECT_FALSE(password.empty()) << mail.data;
    auto login = client.Ask(name + " connect v1.20 " + qc::account::Swordfish(password), "update:");
    EXPECT_TRUE(std::any_of(login.begin(), login.end(), [](const std::string& l) {
        return StartsWith(l, "update:");
    })) << (login.empty() ? "no reply" : login.front());
    return password;
}

TEST(ProcessMail, ANewAccountsPasswordArrivesByMailAndIsThenForgotten) {
    QC_REQUIRE_RELAY();
    SmtpRelay relay;
    ASSERT_TRUE(relay.Start());
    TempDb db("mail-account");
    {
        ServerProcess server;
        ASSERT_TRUE(server.Start(db, ServerArgs(relay)));
        UdpClient client(server.Port());
        CreateAndLogIn(client, relay, "newbie1", 0);
        const std::string data = relay.Messages().at(0).data;
        EXPECT_EQ(HeaderValue(data, "Subject"), "Your Quorvel Chess password");
        EXPECT_EQ(HeaderValue(data, "From"), "Quorvel Chess <server@quorvel.test>");
        server.Signal(SIGTERM);
        EXPECT_EQ(server.Wait(), 0);
    }
    Store store(db);
    Store::Transaction tx(store);
    std::vector<Mail> outbox = store.Outbox();
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].state, MailState::Sent);
    EXPECT_EQ(outbox[0].body, "");
    EXPECT_EQ(outbox[0].recipient, "newbie1@example.org");
    tx.Commit();
}

TEST(ProcessMail, AMoveIsMailedToTheOpponentWhoTickedTheBox) {
    QC_REQUIRE_RELAY();
    SmtpRelay relay;
    ASSERT_TRUE(relay.Start());
    TempDb db("mail-move");
    ServerProcess server;
    ASSERT_TRUE(server.Start(db, ServerArgs(relay)));
    UdpClient alice(server.Port());
    UdpClient bob(server.Port());
    CreateAndLogIn(alice, relay, "alice1", 0);
    CreateAndLogIn(bob, relay, "bobby1", 1);

    alice.Ask("alice1 request bobby1,,w,3,d,0,0,0", "update:");
    auto list = bob.AskList("bobby1 gamelist", "requestsby:");
    std::string request;
    bool inFor = false;
    for (const std::string& line : list) {
        if (line == "requestsfor:") {
            inFor = true;
        } else if (inFor && line != ".") {
            request = line.substr(0, line.find(','));
            break;
        }
    }
    ASSERT_FALSE(request.empty());
    auto accepted = bob.Ask("bobby1 accept " + request, "accepted: ");
    ASSERT_FALSE(accepted.empty());
    std::string game;
    for (const std::string& line : accepted) {
        if (StartsWith(line, "accepted: ")) {
            game = line.substr(10);
        }
    }
    ASSERT_FALSE(game.empty());
    bob.Send("bobby1 emailme " + game + " 1");
    bob.Ask("bobby1 game " + game, "canmove: ");  // the wish is stored by now
    alice.Ask("alice1 move " + game + " e2e4", "canmove: ");

    auto mails = relay.WaitFor(3);
    ASSERT_EQ(mails.size(), 3u);
    EXPECT_EQ(mails[2].to, std::vector<std::string>{"bobby1@example.org"});
    EXPECT_EQ(HeaderValue(mails[2].data, "Subject"),
              "Your move in game " + game + " against alice1");
    const std::string body = DecodedBody(mails[2].data);
    EXPECT_NE(body.find("alice1 played 1. e4"), std::string::npos) << body;
    EXPECT_NE(body.find("http://chess.test/game/" + game + ".html"), std::string::npos) << body;
}

TEST(ProcessMail, MailWaitsWhileTheRelayIsDownAndArrivesOnce) {
    QC_REQUIRE_RELAY();
    SmtpRelay relay;  // not started yet: nothing listens on its port
    TempDb db("mail-down");
    ServerProcess server;
    ASSERT_TRUE(server.Start(db, ServerArgs(relay)));
    UdpClient client(server.Port());
    auto reply = client.Ask("guest createqvid newbie2,newbie2@example.org,,,", "created");
    ASSERT_FALSE(reply.empty());
    ASSERT_EQ(reply.back(), "created");
    // A few failed tries (after 1, 2 and 4 seconds).
    std::this_thread::sleep_for(std::chrono::seconds(3));
    ASSERT_TRUE(relay.Start());
    auto mails = relay.WaitFor(1, std::chrono::seconds(20));
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].to, std::vector<std::string>{"newbie2@example.org"});
    // Well past the next retry: nothing comes twice.
    std::this_thread::sleep_for(std::chrono::seconds(5));
    EXPECT_EQ(relay.Messages().size(), 1u);
}

TEST(ProcessMail, WithoutARelayTheServerSaysSoAndKeepsTheMail) {
    TempDb db("mail-none");
    ServerProcess server;
    ASSERT_TRUE(server.Start(db, {}, true));
    const std::string notice =
        "quorvel-server: no mail relay (--smtp): no mail is sent, it stays in the database's "
        "outbox";
    std::vector<std::string> lines;
    for (int i = 0; i < 3 && (lines.empty() || lines.back() != notice); ++i) {
        lines.push_back(server.ReadErrorLine(std::chrono::seconds(5)));
    }
    EXPECT_EQ(lines.back(), notice);
    UdpClient client(server.Port());
    auto reply = client.Ask("guest createqvid newbie3,newbie3@example.org,,,", "created");
    ASSERT_FALSE(reply.empty());
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
    Store store(db);
    Store::Transaction tx(store);
    std::vector<Mail> outbox = store.Outbox();
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].state, MailState::Pending);
    EXPECT_NE(outbox[0].body.find("Your password: "), std::string::npos);
    tx.Commit();
}

}  // namespace
}  // namespace qc::server::testing
