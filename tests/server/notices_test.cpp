// Which mails the server queues about games and requests, through the
// server core over an in-memory store and a virtual clock.

#include "server/core/notices.h"

#include <gtest/gtest.h>

#include "client/core/account/password.h"
#include "server/core/mail_queue.h"
#include "server/core/requests.h"
#include "tests/server/core_fixture.h"

namespace qc::server::testing {
namespace {

class NoticesTest : public ::testing::Test {
  protected:
    NoticesTest()
        : store(":memory:"), core(std::make_unique<ServerCore>(store, MakeConfig(true))) {}

    static Config MakeConfig(bool mail) {
        Config config;
        config.utcTimestamps = true;
        config.botSeed = 1;
        config.mailNotices = mail;
        config.webUrl = "http://chess.test/";
        return config;
    }

    void SetUp() override {
        Add("alice", "alice@example.org");
        Add("bob", "bob@example.org");
        Add("carol", "");
        for (auto [ep, name] : {std::pair{kAlice, "alice"}, {kBob, "bob"}, {kCarol, "carol"}}) {
            auto lines = Send(ep, std::string(name) + " connect v1.20 " +
                                      qc::account::Swordfish(std::string(1, name[0])));
            ASSERT_FALSE(lines.empty());
            ASSERT_EQ(lines[0].rfind("update:", 0), 0u) << lines[0];
        }
    }

    void Add(const std::string& name, const std::string& email) {
        Store::Transaction tx(store);
        NewAccount a;
        a.name = name;
        a.digest = qc::account::Swordfish(std::string(1, name[0]));
        a.email = email;
        a.gameSlots = 5;
        a.created = ToUnixSeconds(now);
        store.CreateAccount(a);
        tx.Commit();
    }

    std::vector<std::string> Send(const Endpoint& from, const std::string& line) {
        std::vector<std::string> lines;
        for (const Outgoing& o : core->HandleDatagram(from, line + "\r", now)) {
            if (o.to == from) {
                lines.push_back(o.text);
            }
        }
        return lines;
    }

    // A game between two players (the first white), by request and accept.
    std::int64_t StartGame(const Endpoint& white, const std::string& whiteName,
                           const Endpoint& black, const std::string& blackName,
                           const std::string& limit = "3,d") {
        Send(white, whiteName + " request " + blackName + ",,w," + limit + ",0,0,0");
        std::int64_t request = 0;
        {
            Store::Transaction tx(store);
            request = store.RequestsFor(store.FindAccount(blackName)->id).back().id;
            tx.Commit();
        }
        for (const std::string& line :
             Send(black, blackName + " accept " + std::to_string(request))) {
            if (line.rfind("accepted: ", 0) == 0) {
                return std::stoll(line.substr(10));
            }
        }
        ADD_FAILURE() << "no game";
        return 0;
    }

    // The mails still waiting in the outbox.
    std::vector<Mail> Pending() {
        Store::Transaction tx(store);
        std::vector<Mail> out;
        for (Mail& m : store.Outbox()) {
            if (m.state == MailState::Pending) {
                out.push_back(std::move(m));
            }
        }
        tx.Commit();
        return out;
    }

    void Tick() { core->Tick(now); }

    Store store;
    std::unique_ptr<ServerCore> core;
    TimePoint now = kStart;
};

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(NoticesTest, TheOpponentsMoveIsMailedToThePlayerWhoAskedForIt) {
    const std::int64_t game = StartGame(kAlice, "alice", kBob, "bob");
    const std::string id = std::to_string(game);
    Send(kBob, "bob emailme " + id + " 1");
    Send(kAlice, "alice move " + id + " e2e4");
    std::vector<Mail> mails = Pending();
    ASSERT_EQ(mails.size(), 1u);
    const Mail& m = mails[0];
    EXPECT_EQ(m.recipient, "bob@example.org");
    EXPECT_EQ(m.kind, MailKind::Move);
    EXPECT_EQ(m.gameId, game);
    EXPECT_EQ(m.subject, "Your move in game " + id + " against alice");
    EXPECT_TRUE(Contains(m.body, "alice played 1. e4 in your game " + id)) << m.body;
    // Three days from now, 9 December 23:45 UTC.
    EXPECT_TRUE(Contains(m.body, "Please move by Sat 12 Dec 2026, 23:45 UTC.")) << m.body;
    EXPECT_TRUE(Contains(m.body, "The game: http://chess.test/game/" + id + ".html")) << m.body;
    EXPECT_EQ(m.expires, ToUnixSeconds(now + std::chrono::hours(72)));

    // Alice has not asked: Bob's answer brings her nothing. Alice's next move
    // brings Bob a new mail, which replaces the one still waiting.
    Send(kBob, "bob move " + id + " e7e5");
    Send(kAlice, "alice move " + id + " g1f3");
    mails = Pending();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].recipient, "bob@example.org");
    EXPECT_TRUE(Contains(mails[0].body, "alice played 2. Nf3")) << mails[0].body;
    Store::Transaction tx(store);
    EXPECT_EQ(store.Outbox().front().state, MailState::Superseded);
    tx.Commit();
}

TEST_F(NoticesTest, TheBotsAnswerIsMailedToItsOpponent) {
    std::int64_t game = 0;
    for (const std::string& line : Send(kAlice, "alice request Bot,,w,1,d,0,0,0")) {
        if (line.rfind("accepted: ", 0) == 0) {
            game = std::stoll(line.substr(10));
        }
    }
    ASSERT_NE(game, 0);
    const std::string id = std::to_string(game);
    Send(kAlice, "alice emailme " + id + " 1");
    Send(kAlice, "alice move " + id + " e2e4");
    std::vector<Mail> mails = Pending();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].recipient, "alice@example.org");
    EXPECT_EQ(mails[0].subject, "Your move in game " + id + " against Bot");
    EXPECT_TRUE(Contains(mails[0].body, "Bot played 1... ")) << mails[0].body;
}

TEST_F(NoticesTest, NoMailInALocalGameWithoutAnAddressOrAfterTheWishIsWithdrawn) {
    // A local game: alice plays both sides.
    std::int64_t local = 0;
    for (const std::string& line : Send(kAlice, "alice request alice,,w,1,d,0,0,0")) {
        if (line.rfind("accepted: ", 0) == 0) {
            local = std::stoll(line.substr(10));
        }
    }
    ASSERT_NE(local, 0);
    Send(kAlice, "alice emailme " + std::to_string(local) + " 1");
    Send(kAlice, "alice move " + std::to_string(local) + " e2e4");
    Send(kAlice, "alice move " + std::to_string(local) + " e7e5");

    // Carol has no address.
    const std::int64_t withCarol = StartGame(kAlice, "alice", kCarol, "carol");
    Send(kCarol, "carol emailme " + std::to_string(withCarol) + " 1");
    Send(kAlice, "alice move " + std::to_string(withCarol) + " d2d4");

    // Bob asks and then withdraws.
    const std::int64_t withBob = StartGame(kAlice, "alice", kBob, "bob");
    Send(kBob, "bob emailme " + std::to_string(withBob) + " 1");
    Send(kBob, "bob emailme " + std::to_string(withBob) + " 0");
    Send(kAlice, "alice move " + std::to_string(withBob) + " c2c4");

    now += std::chrono::hours(48);
    Tick();
    EXPECT_TRUE(Pending().empty());
}

TEST_F(NoticesTest, AMoveThatEndsTheGameBringsTheResult) {
    const std::int64_t game = StartGame(kAlice, "alice", kBob, "bob");
    const std::string id = std::to_string(game);
    Send(kAlice, "alice emailme " + id + " 1");
    for (auto [ep, line] : {std::pair{kAlice, "alice move " + id + " f2f3"},
                            {kBob, "bob move " + id + " e7e5"},
                            {kAlice, "alice move " + id + " g2g4"}}) {
        Send(ep, line);
    }
    ASSERT_EQ(Pending().size(), 1u);  // "your move" after e7e5
    Send(kBob, "bob move " + id + " d8h4");
    // The result replaces the "your move" that has not gone yet.
    std::vector<Mail> mails = Pending();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].kind, MailKind::Ended);
    EXPECT_EQ(mails[0].recipient, "alice@example.org");
    EXPECT_EQ(mails[0].subject,
              "Game " + id + " against bob has ended: checkmate, black wins (0-1)");
    EXPECT_TRUE(Contains(mails[0].body, "bob played 2... Qh4# in your game " + id))
        << mails[0].body;
}

TEST_F(NoticesTest, OneReminderPerTurnADayOrHalfTheMoveTimeBeforeTheDeadline) {
    struct Case {
        std::string limit;
        std::chrono::seconds lead;
    };
    const Case cases[] = {{"3,d", std::chrono::hours(24)},
                          {"1,d", std::chrono::hours(12)},
                          {"1,h", std::chrono::minutes(30)}};
    for (const Case& c : cases) {
        now = kStart;
        const std::int64_t game = StartGame(kAlice, "alice", kBob, "bob", c.limit);
        const std::string id = std::to_string(game);
        Send(kBob, "bob emailme " + id + " 1");
        Send(kAlice, "alice move " + id + " e2e4");
        const TimePoint deadline =
            now +
            std::chrono::seconds(
                RequestService::LimitMinutes(std::stoi(c.limit), c.limit.substr(2)).value() * 60);
        auto reminders = [&] {
            int n = 0;
            Store::Transaction tx(store);
            for (const Mail& m : store.Outbox()) {
                n += m.kind == MailKind::Reminder && m.gameId == game;
            }
            tx.Commit();
            return n;
        };
        now = deadline - c.lead - std::chrono::seconds(31);
        Tick();
        EXPECT_EQ(reminders(), 0) << c.limit;
        now = deadline - c.lead + std::chrono::seconds(1);
        Tick();
        EXPECT_EQ(reminders(), 1) << c.limit;
        now += std::chrono::seconds(31);
        Tick();
        // A restarted server remembers which deadline it reminded of.
        core = std::make_unique<ServerCore>(store, MakeConfig(true));
        now += std::chrono::seconds(31);
        Tick();
        EXPECT_EQ(reminders(), 1) << c.limit;
        std::vector<Mail> mails = Pending();
        ASSERT_FALSE(mails.empty());
        EXPECT_EQ(mails.back().subject, "Reminder: your move in game " + id + " against alice");
        EXPECT_TRUE(Contains(mails.back().body, "The last move: alice played 1. e4."))
            << mails.back().body;
        // Bob is logged in again for the next case.
        ASSERT_FALSE(Send(kBob, "bob connect v1.20 " + qc::account::Swordfish("b")).empty());
        ASSERT_FALSE(Send(kAlice, "alice connect v1.20 " + qc::account::Swordfish("a")).empty());
        Send(kBob, "bob resign " + id);
    }
}

TEST_F(NoticesTest, RequestsAndTheirAnswersAreMailedToThoseWhoAskedForIt) {
    Send(kBob, "bob settings 1,1,1,0,0,1,0");  // "Email me when someone requests a game"
    Send(kAlice, "alice request bob,Chess960,b,2,h,1,0,0");
    Send(kAlice, "alice request carol,,w,1,d,1,0,0");  // carol has not asked
    std::vector<Mail> mails = Pending();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].recipient, "bob@example.org");
    EXPECT_EQ(mails[0].kind, MailKind::Request);
    EXPECT_EQ(mails[0].subject, "alice requests a game with you");
    EXPECT_TRUE(Contains(mails[0].body, "a Chess960 game with you: you would play white, 2 hours"))
        << mails[0].body;
    EXPECT_TRUE(Contains(mails[0].body, "http://chess.test/stats.html?qvid=alice"));

    std::int64_t toBob = 0;
    std::int64_t toCarol = 0;
    {
        Store::Transaction tx(store);
        toBob = store.RequestsFor(store.FindAccount("bob")->id).front().id;
        toCarol = store.RequestsFor(store.FindAccount("carol")->id).front().id;
        tx.Commit();
    }
    std::string game;
    for (const std::string& line : Send(kBob, "bob accept " + std::to_string(toBob))) {
        if (line.rfind("accepted: ", 0) == 0) {
            game = line.substr(10);
        }
    }
    ASSERT_FALSE(game.empty());
    Send(kCarol, "carol cancel " + std::to_string(toCarol));  // declined
    mails = Pending();
    ASSERT_EQ(mails.size(), 3u);
    EXPECT_EQ(mails[1].recipient, "alice@example.org");
    EXPECT_EQ(mails[1].subject, "bob accepted your request: game " + game);
    EXPECT_TRUE(Contains(mails[1].body, "you play black")) << mails[1].body;
    EXPECT_TRUE(Contains(mails[1].body, "http://chess.test/game/" + game + ".html"));
    EXPECT_EQ(mails[2].subject, "carol declined your request");

    // Withdrawing one's own request mails nobody.
    Send(kAlice, "alice request bob,,w,1,d,1,0,0");
    {
        Store::Transaction tx(store);
        toBob = store.RequestsFor(store.FindAccount("bob")->id).front().id;
        tx.Commit();
    }
    const std::size_t before = Pending().size();
    Send(kAlice, "alice cancel " + std::to_string(toBob));
    EXPECT_EQ(Pending().size(), before);
}

TEST_F(NoticesTest, WithoutARelayOnlyPasswordsAreQueuedAndOldMovesStayUnmailed) {
    core = std::make_unique<ServerCore>(store, MakeConfig(false));
    for (auto [ep, name] : {std::pair{kAlice, "alice"}, {kBob, "bob"}}) {
        ASSERT_FALSE(Send(ep, std::string(name) + " connect v1.20 " +
                                  qc::account::Swordfish(std::string(1, name[0])))
                         .empty());
    }
    const std::int64_t game = StartGame(kAlice, "alice", kBob, "bob");
    const std::string id = std::to_string(game);
    Send(kBob, "bob emailme " + id + " 1");
    Send(kAlice, "alice move " + id + " e2e4");
    EXPECT_EQ(Send(Ep(2000), "guest createqvid newbie1,new@example.org,,,"),
              std::vector<std::string>{"created"});
    std::vector<Mail> mails = Pending();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].kind, MailKind::Password);

    // Started again with a relay, the server does not mail about that move.
    core = std::make_unique<ServerCore>(store, MakeConfig(true));
    now += std::chrono::minutes(1);
    Tick();
    EXPECT_EQ(Pending().size(), 1u);
}

TEST_F(NoticesTest, NoticesDoneWithAreForgottenAfterAMonthAPasswordsRecordStays) {
    const std::int64_t game = StartGame(kAlice, "alice", kBob, "bob");
    Send(kBob, "bob emailme " + std::to_string(game) + " 1");
    Send(kAlice, "alice move " + std::to_string(game) + " e2e4");
    ASSERT_EQ(Send(Ep(2000), "guest createqvid newbie1,new@example.org,,,"),
              std::vector<std::string>{"created"});
    {
        Store::Transaction tx(store);
        for (const Mail& m : store.Outbox()) {
            store.MarkMailSent(m.id, ToUnixSeconds(now), m.kind == MailKind::Password);
        }
        tx.Commit();
    }
    now += std::chrono::hours(24 * 29);
    Tick();
    Store::Transaction tx(store);
    EXPECT_EQ(store.Outbox().size(), 2u);
    tx.Commit();
    now += std::chrono::hours(24 * 2);
    Tick();
    Store::Transaction again(store);
    std::vector<Mail> left = store.Outbox();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].kind, MailKind::Password);
    EXPECT_EQ(left[0].recipient, "new@example.org");
    again.Commit();
}

// A move notice still waiting for the relay when its player switches the
// game's mail off is not sent; one whose wish stands is.
TEST_F(NoticesTest, AQueuedMoveNoticeIsDroppedWhenThePlayerSwitchesItsMailOff) {
    struct Recorder : MailTransport {
        void Send(std::int64_t mailId, const std::string&, const std::string&,
                  const std::string&) override {
            handed.push_back(mailId);
        }
        std::vector<std::int64_t> handed;
    };
    for (const bool withdrawn : {false, true}) {
        SCOPED_TRACE(withdrawn ? "withdrawn" : "kept");
        const std::string id = std::to_string(StartGame(kAlice, "alice", kBob, "bob"));
        Send(kBob, "bob emailme " + id + " 1");
        Send(kAlice, "alice move " + id + " e2e4");
        std::vector<Mail> queued = Pending();
        ASSERT_EQ(queued.size(), 1u);
        if (withdrawn) {
            Send(kBob, "bob emailme " + id + " 0");
        }
        Recorder relay;
        MailSettings settings;
        settings.from = "server@quorvel.test";
        MailQueue queue(store, settings, relay, [](std::string_view) {});
        queue.Pump(now);
        if (withdrawn) {
            EXPECT_TRUE(relay.handed.empty());
            EXPECT_TRUE(Pending().empty());
        } else {
            EXPECT_EQ(relay.handed, std::vector<std::int64_t>{queued[0].id});
            SendResult taken;
            taken.mailId = queued[0].id;
            taken.accepted = true;
            taken.smtpCode = 250;
            queue.Finished(taken, now);
        }
        Send(kAlice, "alice resign " + id);
    }
}

}  // namespace
}  // namespace qc::server::testing
