// The outbox as a queue, over a virtual clock and a transport that only
// records what it is given: what is due, the back-off, what a result means.

#include "server/core/mail_queue.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

#include "server/core/store.h"
#include "tests/server/core_fixture.h"
#include "tests/server/process_util.h"
#include "tests/server/smtp_relay.h"

namespace qc::server::testing {
namespace {

struct Handed {
    std::int64_t id;
    std::string to;
    std::string message;
};

class FakeTransport : public MailTransport {
  public:
    void Send(std::int64_t mailId, const std::string&, const std::string& to,
              const std::string& message) override {
        handed.push_back(Handed{mailId, to, message});
    }
    std::vector<Handed> handed;
};

Mail NewMail(const std::string& to, MailKind kind, TimePoint created, std::string body = "text") {
    Mail m;
    m.created = ToUnixSeconds(created);
    m.recipient = to;
    m.subject = "Subject";
    m.body = std::move(body);
    m.kind = kind;
    return m;
}

SendResult Accepted(std::int64_t id) {
    SendResult r;
    r.mailId = id;
    r.accepted = true;
    r.smtpCode = 250;
    return r;
}

SendResult Failed(std::int64_t id, SendResult::Stage stage, int code, std::string error) {
    SendResult r;
    r.mailId = id;
    r.smtpCode = code;
    r.stage = stage;
    r.error = std::move(error);
    return r;
}

SendResult Unreachable(std::int64_t id) {
    return Failed(id, SendResult::Stage::Connection, 0, "Couldn't connect to server");
}

class MailQueueTest : public ::testing::Test {
  protected:
    MailQueueTest() : store(":memory:") { Reset(); }

    void Reset() {
        MailSettings settings;
        settings.from = "server@quorvel.test";
        settings.utc = true;
        queue = std::make_unique<MailQueue>(store, settings, transport,
                                            [this](std::string_view t) { log.emplace_back(t); });
    }
    std::int64_t Add(const Mail& m) {
        Store::Transaction tx(store);
        std::int64_t id = store.AddMail(m);
        tx.Commit();
        return id;
    }
    Mail Row(std::int64_t id) {
        Store::Transaction tx(store);
        Mail m = store.FindMail(id).value();
        tx.Commit();
        return m;
    }

    Store store;
    FakeTransport transport;
    std::vector<std::string> log;
    std::unique_ptr<MailQueue> queue;
    TimePoint now = kStart;
};

TEST_F(MailQueueTest, EachMailGoesOnceAndAPasswordLeavesOnlyItsRecord) {
    const std::int64_t password = Add(NewMail("new@example.org", MailKind::Password, now,
                                              "Your QVID: newbie\nYour password: s3cret\n"));
    const std::int64_t move = Add(NewMail("bob@example.org", MailKind::Move, now));
    queue->Pump(now);
    queue->Pump(now);  // one at a time: nothing more while the first is on its way
    ASSERT_EQ(transport.handed.size(), 1u);
    EXPECT_EQ(transport.handed[0].id, password);
    EXPECT_EQ(transport.handed[0].to, "new@example.org");
    EXPECT_NE(DecodedBody(transport.handed[0].message).find("Your password: s3cret"),
              std::string::npos);

    now += std::chrono::seconds(2);
    queue->Finished(Accepted(password), now);  // and the next one goes at once
    ASSERT_EQ(transport.handed.size(), 2u);
    EXPECT_EQ(transport.handed[1].id, move);
    Mail sent = Row(password);
    EXPECT_EQ(sent.state, MailState::Sent);
    EXPECT_EQ(sent.sentAt, ToUnixSeconds(now));
    EXPECT_EQ(sent.body, "");
    EXPECT_EQ(sent.recipient, "new@example.org");
    EXPECT_EQ(sent.subject, "Subject");

    queue->Finished(Accepted(move), now);
    EXPECT_EQ(Row(move).state, MailState::Sent);
    EXPECT_EQ(Row(move).body, "text");  // only passwords are removed
    // A late or repeated result changes nothing, and nothing is sent again.
    queue->Finished(Accepted(password), now + std::chrono::seconds(5));
    EXPECT_EQ(Row(password).sentAt, ToUnixSeconds(now));
    for (int i = 0; i < 5; ++i) {
        now += std::chrono::hours(2);
        queue->Pump(now);
    }
    EXPECT_EQ(transport.handed.size(), 2u);
}

TEST_F(MailQueueTest, StoredWindows1252TextGoesOutAsUtf8) {
    Mail m = NewMail("a@example.org", MailKind::Request, now, "Gr\xfc\xdf \x80 5\n");
    m.subject = "Zug f\xfcr dich";
    Add(m);
    queue->Pump(now);
    ASSERT_EQ(transport.handed.size(), 1u);
    const std::string& message = transport.handed[0].message;
    EXPECT_EQ(HeaderValue(message, "Subject"), "=?UTF-8?B?WnVnIGbDvHIgZGljaA==?=");
    EXPECT_EQ(DecodedBody(message), "Gr\xc3\xbc\xc3\x9f \xe2\x82\xac 5\r\n");
}

TEST_F(MailQueueTest, BackoffDoublesFromTheFirstRetryUpToAnHour) {
    const std::pair<int, int> table[] = {{1, 30},  {2, 60},   {3, 120},  {4, 240},  {5, 480},
                                         {6, 960}, {7, 1920}, {8, 3600}, {9, 3600}, {40, 3600}};
    for (auto [failures, seconds] : table) {
        EXPECT_EQ(MailQueue::Backoff(failures, std::chrono::seconds(30), std::chrono::hours(1)),
                  std::chrono::seconds(seconds))
            << failures << " failures";
    }
}

TEST_F(MailQueueTest, UnreachableRelayIsRetriedWithBackoffAndHoldsBackTheRest) {
    const std::int64_t first = Add(NewMail("a@example.org", MailKind::Move, now));
    const std::int64_t second = Add(NewMail("b@example.org", MailKind::Move, now));
    const TimePoint start = now;
    std::vector<int> triedAt;  // seconds after the start
    for (int s = 0; s <= 500; ++s) {
        now = start + std::chrono::seconds(s);
        queue->Pump(now);
        if (!transport.handed.empty()) {
            ASSERT_EQ(transport.handed.size(), 1u) << "the relay is down: one try at a time";
            const std::int64_t id = transport.handed[0].id;
            transport.handed.clear();
            triedAt.push_back(s);
            queue->Finished(Unreachable(id), now);
        }
    }
    EXPECT_EQ(triedAt, (std::vector<int>{0, 30, 90, 210, 450}));
    EXPECT_EQ(Row(first).attempts + Row(second).attempts, 5);
    EXPECT_EQ(Row(first).state, MailState::Pending);
    EXPECT_EQ(Row(first).lastError, "Couldn't connect to server");
    ASSERT_EQ(log.size(), 1u) << "an outage is reported once";

    // The relay is back: the waiting mail goes when the pause is over, then
    // the other one.
    now = start + std::chrono::seconds(929);
    queue->Pump(now);
    EXPECT_TRUE(transport.handed.empty());
    now = start + std::chrono::seconds(450 + 480);
    queue->Pump(now);
    ASSERT_EQ(transport.handed.size(), 1u);
    queue->Finished(Accepted(transport.handed[0].id), now);
    ASSERT_EQ(transport.handed.size(), 2u);
    queue->Finished(Accepted(transport.handed[1].id), now);
    EXPECT_EQ(Row(first).state, MailState::Sent);
    EXPECT_EQ(Row(second).state, MailState::Sent);
    EXPECT_EQ(log.back(), "mail relay answers again");
}

TEST_F(MailQueueTest, ARefusedRecipientOrMessageEndsTheTriesAndIsLogged) {
    struct Case {
        SendResult::Stage stage;
        int code;
        MailState after;
    };
    const Case cases[] = {
        {SendResult::Stage::Recipient, 550, MailState::Failed},
        {SendResult::Stage::Message, 554, MailState::Failed},
        {SendResult::Stage::Recipient, 450, MailState::Pending},   // greylisting: try later
        {SendResult::Stage::Sender, 550, MailState::Pending},      // the relay's set-up
        {SendResult::Stage::Connection, 535, MailState::Pending},  // log-in refused
    };
    for (const Case& c : cases) {
        const std::int64_t id = Add(NewMail("x@example.org", MailKind::Password, now, "pw"));
        queue->Pump(now);
        ASSERT_EQ(transport.handed.size(), 1u);
        transport.handed.clear();
        log.clear();
        queue->Finished(Failed(id, c.stage, c.code, "refused " + std::to_string(c.code)), now);
        Mail row = Row(id);
        EXPECT_EQ(row.state, c.after) << c.code;
        EXPECT_EQ(row.body, "pw") << "an unsent password stays for the administrator";
        if (c.after == MailState::Failed) {
            ASSERT_FALSE(log.empty());
            EXPECT_NE(log[0].find("refused " + std::to_string(c.code)), std::string::npos);
        }
        // Out of the way for the next case.
        Store::Transaction tx(store);
        store.EndMail(id, MailState::Failed, "");
        tx.Commit();
        Reset();
    }
}

TEST_F(MailQueueTest, AnAddressThatCouldInjectHeadersNeverReachesTheRelay) {
    const std::int64_t bad =
        Add(NewMail("a@example.org\r\nBcc: everyone@example.org", MailKind::Move, now));
    const std::int64_t good = Add(NewMail("b@example.org", MailKind::Move, now));
    queue->Pump(now);
    ASSERT_EQ(transport.handed.size(), 1u);
    EXPECT_EQ(transport.handed[0].id, good);
    EXPECT_EQ(Row(bad).state, MailState::Failed);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].find('\r'), std::string::npos);
    EXPECT_EQ(log[0].find('\n'), std::string::npos);
}

TEST_F(MailQueueTest, MailPastItsTimeIsSetAsideUnsent) {
    Mail late = NewMail("a@example.org", MailKind::Move, now);
    late.expires = ToUnixSeconds(now + std::chrono::hours(1));
    const std::int64_t move = Add(late);
    const std::int64_t password =
        Add(NewMail("b@example.org", MailKind::Password, now - std::chrono::hours(24 * 5), "pw"));
    now += std::chrono::hours(1);
    queue->Pump(now);
    EXPECT_TRUE(transport.handed.empty());
    EXPECT_EQ(Row(move).state, MailState::Expired);
    EXPECT_EQ(Row(password).state, MailState::Expired);
    EXPECT_EQ(Row(password).body, "pw");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_NE(log[0].find("stays in the outbox"), std::string::npos);
}

TEST(MailQueueRestart, AStartedServerResumesTheQueueWithoutRepeatingSentMail) {
    TempDb db("mail-restart");
    FakeTransport transport;
    MailSettings settings;
    settings.from = "server@quorvel.test";
    std::int64_t first = 0;
    std::int64_t second = 0;
    TimePoint now = kStart;
    {
        Store store(db);
        Store::Transaction tx(store);
        first = store.AddMail(NewMail("a@example.org", MailKind::Password, now, "pw"));
        second = store.AddMail(NewMail("b@example.org", MailKind::Move, now));
        tx.Commit();
        MailQueue queue(store, settings, transport);
        queue.Pump(now);
        queue.Finished(Accepted(first), now);
        ASSERT_EQ(transport.handed.size(), 2u);  // the second was on its way at the stop
    }
    transport.handed.clear();
    Store store(db);
    MailQueue queue(store, settings, transport);
    queue.Pump(now + std::chrono::seconds(1));
    ASSERT_EQ(transport.handed.size(), 1u);
    EXPECT_EQ(transport.handed[0].id, second);
    queue.Finished(Accepted(second), now);
    queue.Pump(now + std::chrono::hours(1));
    EXPECT_EQ(transport.handed.size(), 1u);
}

// A database from before the outbox became a queue keeps its rows (pending
// passwords), and its games' moves are not mailed about afterwards.
TEST(MailQueueRestart, AnOlderDatabaseKeepsItsOutboxAndItsGamesOldMoves) {
    TempDb db("mail-migrate");
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(std::string(db).c_str(), &raw), SQLITE_OK);
        const char* old = R"sql(
CREATE TABLE accounts(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL UNIQUE COLLATE NOCASE,
  kind INTEGER NOT NULL, digest TEXT NOT NULL, email TEXT COLLATE NOCASE,
  first_name TEXT NOT NULL DEFAULT '', last_name TEXT NOT NULL DEFAULT '',
  referrer TEXT NOT NULL DEFAULT '', slots INTEGER NOT NULL, show_last1 INTEGER NOT NULL DEFAULT 1,
  show_last2 INTEGER NOT NULL DEFAULT 1, show_poss INTEGER NOT NULL DEFAULT 1,
  email_link INTEGER NOT NULL DEFAULT 0, text_link INTEGER NOT NULL DEFAULT 0,
  email_me_on_req INTEGER NOT NULL DEFAULT 0, text_me_on_req INTEGER NOT NULL DEFAULT 0,
  texts_free INTEGER NOT NULL DEFAULT 0, texts_purchased INTEGER NOT NULL DEFAULT 0,
  version TEXT NOT NULL DEFAULT '', created INTEGER NOT NULL, last_seen INTEGER NOT NULL);
INSERT INTO accounts(name, kind, digest, email, slots, created, last_seen)
  VALUES('alice', 0, '', 'alice@example.org', 5, 0, 0), ('bob', 0, '', 'bob@example.org', 5, 0, 0);
CREATE TABLE games(id INTEGER PRIMARY KEY AUTOINCREMENT, white_id INTEGER NOT NULL,
  black_id INTEGER NOT NULL, game_type TEXT NOT NULL, amount INTEGER NOT NULL, unit TEXT NOT NULL,
  created INTEGER NOT NULL, move_by INTEGER NOT NULL, to_move TEXT NOT NULL DEFAULT 'w',
  ended INTEGER NOT NULL DEFAULT 0, result TEXT NOT NULL DEFAULT '',
  ended_at INTEGER NOT NULL DEFAULT 0, white_removed INTEGER NOT NULL DEFAULT 0,
  black_removed INTEGER NOT NULL DEFAULT 0, start_fen TEXT NOT NULL DEFAULT '',
  moves TEXT NOT NULL DEFAULT '', phrase TEXT NOT NULL DEFAULT '',
  draw_offer TEXT NOT NULL DEFAULT '', white_email INTEGER NOT NULL DEFAULT 0,
  white_text INTEGER NOT NULL DEFAULT 0, black_email INTEGER NOT NULL DEFAULT 0,
  black_text INTEGER NOT NULL DEFAULT 0);
INSERT INTO games(white_id, black_id, game_type, amount, unit, created, move_by, to_move, moves,
  black_email) VALUES(1, 2, '', 3, 'd', 0, 4000000000, 'b', 'e2e4 e7e5 g1f3', 1);
CREATE TABLE outbox(id INTEGER PRIMARY KEY AUTOINCREMENT, created INTEGER NOT NULL,
  recipient TEXT NOT NULL, subject TEXT NOT NULL, body TEXT NOT NULL);
INSERT INTO outbox(created, recipient, subject, body)
  VALUES(1796859000, 'new@example.org', 'Your Quorvel Chess password', 'Your password: pw');
)sql";
        ASSERT_EQ(sqlite3_exec(raw, old, nullptr, nullptr, nullptr), SQLITE_OK)
            << sqlite3_errmsg(raw);
        sqlite3_close(raw);
    }
    Store store(db);
    Store::Transaction tx(store);
    std::vector<Mail> outbox = store.Outbox();
    ASSERT_EQ(outbox.size(), 1u);
    EXPECT_EQ(outbox[0].kind, MailKind::Password);
    EXPECT_EQ(outbox[0].state, MailState::Pending);
    EXPECT_EQ(outbox[0].body, "Your password: pw");
    EXPECT_FALSE(store.TakeMailPly(1)) << "the three moves made before count as mailed";
    tx.Commit();
}

}  // namespace
}  // namespace qc::server::testing
