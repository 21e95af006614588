#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <regex>

#include "core_fixture.h"
#include "server/core/text.h"

namespace qc::server::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

class SessionTest : public CoreFixture {};

TEST_F(SessionTest, GuestLoginAssignsIdentifierAndCredential) {
    auto lines = Send(Ep(5000), "guest connect v1.20 *");
    ASSERT_EQ(lines.size(), 4u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines[0], m, std::regex("guest: (guest1),([0-9a-f]{32})")))
        << lines[0];
    EXPECT_EQ(lines[1], std::string("update:0,0,3,0,") + kStartStamp);
    EXPECT_EQ(lines[2], "gametypes:");
    EXPECT_EQ(lines[3], ".");

    // The same guest comes back with its credential, from anywhere.
    std::string credential = m[2];
    EXPECT_THAT(Send(Ep(5001), "guest1 connect v1.20 " + credential),
                ElementsAre(std::string("update:0,0,3,0,") + kStartStamp, "gametypes:", "."));
    EXPECT_THAT(Send(Ep(5001), "guest1 update"),
                ElementsAre(std::string("update:0,0,3,0,") + kStartStamp));
}

TEST_F(SessionTest, GuestThatCannotProveItselfBecomesANewGuest) {
    Send(Ep(5000), "guest connect v1.20 *");
    for (const char* line : {"guest1 connect v1.20 0123456789abcdef0123456789abcdef",
                             "guest77 connect v1.20 0123", "GUEST connect v1.20 *"}) {
        auto lines = Send(Ep(5002), line);
        ASSERT_FALSE(lines.empty()) << line;
        EXPECT_EQ(lines[0].rfind("guest: guest", 0), 0u) << line;
        EXPECT_NE(lines[0].rfind("guest: guest1,", 0), 0u) << line;
    }
}

TEST_F(SessionTest, OnlyNewGuestsCountAgainstTheCreationLimit) {
    const std::string address = "192.0.2.9";
    std::uint16_t port = 5100;
    auto first = Send(Endpoint{address, port++}, "guest connect v1.20 *");
    ASSERT_FALSE(first.empty());
    const std::string back = "guest1 connect v1.20 " + first[0].substr(first[0].find(',') + 1);
    // Returning many times takes nothing from the allowance for new guests.
    for (int i = 0; i < 30; ++i) {
        ASSERT_EQ(Send(Endpoint{address, port++}, back).size(), 3u) << i;
    }
    int created = 0;
    for (int i = 0; i < 30; ++i) {
        auto lines = Send(Endpoint{address, port++}, "guest connect v1.20 *");
        created += !lines.empty() && lines[0].rfind("guest: ", 0) == 0;
    }
    EXPECT_EQ(created, 19);
    // With the allowance used up, new guests and new accounts are dropped,
    // a guest that cannot prove itself too, and the returning guest is not.
    EXPECT_THAT(Send(Endpoint{address, port++}, "guest connect v1.20 *"), IsEmpty());
    EXPECT_THAT(Send(Endpoint{address, port++}, "guest1 connect v1.20 0123"), IsEmpty());
    EXPECT_THAT(Send(Endpoint{address, port++}, "guest createqvid someone,a@example.org,,,"),
                IsEmpty());
    EXPECT_EQ(Send(Endpoint{address, port++}, back).size(), 3u);
    EXPECT_EQ(Send(Endpoint{"192.0.2.10", 5100}, "guest connect v1.20 *").size(), 4u);
}

TEST_F(SessionTest, NamedLoginRepliesByTable) {
    AddAccount("alice", "secret");
    const std::string good = qc::account::Swordfish("secret");
    std::string upper = good;
    for (char& c : upper) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    struct Case {
        std::string line;
        std::string first;
    };
    const std::vector<Case> cases = {
        {"alice connect v1.20 " + good, std::string("update:0,0,5,0,") + kStartStamp},
        {"ALICE connect v1.20 " + good, std::string("update:0,0,5,0,") + kStartStamp},
        {"alice connect v1.20 " + upper, std::string("update:0,0,5,0,") + kStartStamp},
        {"alice connect v1.20 " + qc::account::Swordfish("Secret"), "!p"},
        {"alice connect v1.20 ", "!p"},
        {"alice connect v1.20", "!p"},
        {"bob connect v1.20 " + good, "!w"},
        {"Bot3 connect v1.20 ", "!w"},
    };
    std::uint16_t port = 6000;
    for (const Case& c : cases) {
        auto lines = Send(Ep(port++), c.line);
        ASSERT_FALSE(lines.empty()) << c.line;
        EXPECT_EQ(lines[0], c.first) << c.line;
        if (c.first[0] == '!') {
            EXPECT_EQ(lines.size(), 1u) << c.line;
        }
    }
}

TEST_F(SessionTest, OnlyTheSessionEndpointAndIdentifierAreHeard) {
    AddAccount("alice", "secret");
    AddAccount("bob", "hunter2");
    const std::string update = std::string("update:0,0,5,0,") + kStartStamp;
    // Before any login nothing but the login is answered.
    EXPECT_THAT(Send(Ep(7000), "alice update"), IsEmpty());
    EXPECT_THAT(Send(Ep(7000), "alice getsettings"), IsEmpty());

    Login(Ep(7000), "alice", "secret");
    EXPECT_THAT(Send(Ep(7000), "alice update"), ElementsAre(update));
    EXPECT_THAT(Send(Ep(7000), "Alice update"), ElementsAre(update));
    // Another endpoint speaking for alice, and another name on her endpoint.
    EXPECT_THAT(Send(Ep(7001), "alice update"), IsEmpty());
    EXPECT_THAT(Send(Ep(7000), "bob update"), IsEmpty());

    // A login from a new endpoint takes the session over.
    Login(Ep(7002), "alice", "secret");
    EXPECT_THAT(Send(Ep(7000), "alice update"), IsEmpty());
    EXPECT_THAT(Send(Ep(7002), "alice update"), ElementsAre(update));

    // A different account on the same endpoint replaces the first.
    Login(Ep(7002), "bob", "hunter2");
    EXPECT_THAT(Send(Ep(7002), "alice update"), IsEmpty());
    EXPECT_THAT(Send(Ep(7002), "bob update"), ElementsAre(update));
    EXPECT_EQ(core.Sessions().Size(), 1u);
}

TEST_F(SessionTest, DisconnectEndsTheSession) {
    AddAccount("alice", "secret");
    Login(Ep(7100), "alice", "secret");
    EXPECT_THAT(Send(Ep(7100), "alice disconnect"), IsEmpty());
    EXPECT_THAT(Send(Ep(7100), "alice update"), IsEmpty());
    EXPECT_EQ(core.Sessions().Size(), 0u);
}

TEST_F(SessionTest, SilentSessionIsPingedThenEnded) {
    AddAccount("alice", "secret");
    const Endpoint ep = Ep(7200);
    Login(ep, "alice", "secret");

    now += 59s;
    EXPECT_THAT(LinesFor(ep, core.Tick(now)), IsEmpty());
    now += 1s;
    EXPECT_THAT(LinesFor(ep, core.Tick(now)), ElementsAre("ping"));
    now += 1s;
    EXPECT_THAT(LinesFor(ep, core.Tick(now)), IsEmpty()) << "one ping per minute of silence";
    now += 59s;
    EXPECT_THAT(LinesFor(ep, core.Tick(now)), ElementsAre("ping"));

    // A pong counts as hearing from the client.
    EXPECT_THAT(Send(ep, "alice pong"), IsEmpty());
    now += 30s;
    EXPECT_THAT(LinesFor(ep, core.Tick(now)), IsEmpty());

    // Ten minutes of silence end the session.
    for (int i = 0; i < 600; ++i) {
        now += 1s;
        core.Tick(now);
    }
    EXPECT_EQ(core.Sessions().Size(), 0u);
    EXPECT_THAT(Send(ep, "alice update"), IsEmpty());
}

TEST_F(SessionTest, DatagramFraming) {
    AddAccount("alice", "secret");
    const Endpoint ep = Ep(7300);
    Login(ep, "alice", "secret");
    const std::string update = std::string("update:0,0,5,0,") + kStartStamp;
    struct Case {
        std::string bytes;
        std::size_t replies;
    };
    const std::vector<Case> cases = {
        {"alice update", 1},                       // no final CR
        {"alice update\ralice update\r", 2},       // two lines
        {"alice update\r\nalice update\r\n", 2},   // CR LF
        {"\r\r\r", 0},                             // empty lines
        {"alice\r", 0},                            // no command
        {" update\r", 0},                          // no identifier
        {"alice UPDATE\r", 1},                     // word in capitals
        {"alice frobnicate\r", 0},                 // unknown word
        {std::string("alice upd\0ate\r", 14), 0},  // embedded NUL
    };
    for (const Case& c : cases) {
        auto lines = LinesFor(ep, core.HandleDatagram(ep, c.bytes, now));
        EXPECT_EQ(lines.size(), c.replies) << c.bytes;
        for (const auto& line : lines) {
            EXPECT_EQ(line, update);
        }
    }
}

TEST_F(SessionTest, SenderBeyondItsRateIsDropped) {
    AddAccount("alice", "secret");
    const Endpoint flood = Ep(7400);
    const Endpoint calm = Ep(7401);
    Login(flood, "alice", "secret");
    AddAccount("bob", "hunter2");
    Login(calm, "bob", "hunter2");
    int answered = 0;
    for (int i = 0; i < 200; ++i) {
        answered += static_cast<int>(Send(flood, "alice update").size());
    }
    EXPECT_LT(answered, 60);
    EXPECT_GT(answered, 10);
    // The other sender is not affected, and the flooder recovers with time.
    EXPECT_EQ(Send(calm, "bob update").size(), 1u);
    now += 5s;
    EXPECT_EQ(Send(flood, "alice update").size(), 1u);
}

TEST_F(SessionTest, EveryLineOfADatagramCountsAgainstTheRate) {
    AddAccount("alice", "secret");
    const Endpoint ep = Ep(7500);
    Login(ep, "alice", "secret");  // one line of the burst
    std::string sixteen;
    for (std::size_t i = 0; i < ServerCore::kMaxLinesPerDatagram; ++i) {
        sixteen += "alice update\r";
    }
    const auto burst = static_cast<std::size_t>(core.GetConfig().datagramBurst);
    std::size_t answered = 0;
    for (int i = 0; i < 20; ++i) {
        answered += LinesFor(ep, core.HandleDatagram(ep, sixteen, now)).size();
    }
    EXPECT_EQ(answered, burst - 1);
    // Refused lines are not charged; the allowance comes back at the steady rate.
    now += 1s;
    EXPECT_EQ(LinesFor(ep, core.HandleDatagram(ep, sixteen, now)).size(),
              static_cast<std::size_t>(core.GetConfig().datagramsPerSecond));
}

TEST(SenderNetworkTest, IPv6IsKeptPerSlash64) {
    struct Case {
        const char* address;
        const char* key;
    };
    const Case cases[] = {
        {"192.0.2.1", "192.0.2.1"},
        {"2001:db8:1:2:3:4:5:6", "2001:db8:1:2::/64"},
        {"2001:DB8:1:2::ffff", "2001:db8:1:2::/64"},
        {"2001:0db8:0001:0002:0000:0000:0000:0001", "2001:db8:1:2::/64"},
        {"2001:db8:1:3::1", "2001:db8:1:3::/64"},
        {"::ffff:192.0.2.1", "192.0.2.1"},
        {"fe80::1%eth0", "fe80::/64"},
        {"::1", "::/64"},
        {"not an address", "not an address"},
        {"2001:db8::1::2", "2001:db8::1::2"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SenderNetwork(c.address), c.key) << c.address;
    }
}

TEST_F(SessionTest, PerAddressLimitsHoldForAWholeIPv6Network) {
    // New guests from ever new addresses of one /64 share one allowance.
    int created = 0;
    for (int i = 1; i <= 40; ++i) {
        const Endpoint from{"2001:db8:1:2::" + std::to_string(i), 5000};
        created += static_cast<int>(!Send(from, "guest connect v1.20 *").empty());
    }
    EXPECT_EQ(created, static_cast<int>(core.GetConfig().creationBurst));
    EXPECT_EQ(Send(Endpoint{"2001:db8:1:3::1", 5000}, "guest connect v1.20 *").size(), 4u);

    // Lines from many addresses of one /64 are limited together: twenty
    // players there, each within its own rate, share the network's.
    const int players = 20;
    std::vector<Endpoint> eps;
    for (int i = 0; i < players; ++i) {
        AddAccount("user" + std::to_string(i), "pw");
        eps.push_back(Endpoint{"2001:db8:5:6::" + std::to_string(i + 1), 6000});
        Login(eps.back(), "user" + std::to_string(i), "pw");
    }
    std::size_t answered = 0;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < players; ++i) {
            std::string lines;
            for (int j = 0; j < 16; ++j) {
                lines += "user" + std::to_string(i) + " update\r";
            }
            answered += LinesFor(eps[i], core.HandleDatagram(eps[i], lines, now)).size();
        }
    }
    EXPECT_EQ(answered, static_cast<std::size_t>(core.GetConfig().networkBurst) - players);
    AddAccount("alice", "secret");
    Login(Endpoint{"2001:db8:5:7::1", 6000}, "alice", "secret");
}

TEST(RateLimiterTest, AFullTableNeverForgetsTheSendersBeingLimited) {
    // Room for four keys; key 0 has used its burst and keeps trying.
    RateLimiter<int> limiter(2, 0.001, 4);
    TimePoint now = kStart;
    ASSERT_TRUE(limiter.Allow(0, now));
    ASSERT_TRUE(limiter.Allow(0, now));
    for (int key = 1; key <= 100; ++key) {
        now += 1s;
        EXPECT_FALSE(limiter.Allow(0, now)) << "after " << key << " other keys";
        EXPECT_TRUE(limiter.Allow(key, now));
        EXPECT_LE(limiter.Size(), 4u);
        EXPECT_GE(limiter.Size(), 2u);
    }
}

TEST_F(SessionTest, PasswordGuessingIsSlowedPerAddress) {
    AddAccount("alice", "secret");
    AddAccount("bob", "hunter2");
    const std::string wrong = "alice connect v1.20 " + qc::account::Swordfish("guess");
    const std::string right = "alice connect v1.20 " + qc::account::Swordfish("secret");
    // Each guess from a new port of the same address.
    std::uint16_t port = 8000;
    for (int i = 0; i < 10; ++i) {
        EXPECT_THAT(Send(Ep(port++), wrong), ElementsAre("!p"));
    }
    EXPECT_THAT(Send(Ep(port++), wrong), IsEmpty());
    EXPECT_THAT(Send(Ep(port++), "x changepw alice " + qc::account::Swordfish("guess") + " 901"),
                IsEmpty());
    EXPECT_THAT(Send(Ep(port++), "bob connect v1.20 " + qc::account::Swordfish("guess")),
                IsEmpty());
    // The owner still gets in, from there as from anywhere.
    EXPECT_EQ(Send(Ep(port++), right).size(), 3u);
    // Another address is not affected, and the guesser's allowance returns.
    const Endpoint elsewhere{"192.0.2.7", 8000};
    EXPECT_THAT(Send(elsewhere, "bob connect v1.20 " + qc::account::Swordfish("guess")),
                ElementsAre("!p"));
    now += 5s;
    EXPECT_THAT(Send(Ep(port++), wrong), ElementsAre("!p"));
}

TEST_F(SessionTest, CorrectPasswordGetsThroughAnyNumberOfWrongOnes) {
    AddAccount("alice", "secret");
    const std::string good = qc::account::Swordfish("secret");
    const std::string bad = qc::account::Swordfish("guess");
    struct Case {
        const char* what;
        Endpoint guesser;  // where the wrong passwords come from
        Endpoint owner;    // where the owner logs in from
    };
    const std::vector<Case> cases = {
        {"same endpoint", Ep(8100), Ep(8100)},
        {"same address", Ep(8101), Ep(8102)},
        {"other address", Endpoint{"192.0.2.1", 8103}, Endpoint{"192.0.2.2", 8103}},
    };
    for (const Case& c : cases) {
        int refusals = 0;
        for (int i = 0; i < 20; ++i) {
            refusals += static_cast<int>(Send(c.guesser, "alice connect v1.20 " + bad).size());
        }
        EXPECT_LE(refusals, 10) << c.what;
        EXPECT_EQ(Send(c.owner, "alice connect v1.20 " + good).size(), 3u) << c.what;
        now += 4s;  // within the sender's datagram rate, not the guessing allowance
        for (int i = 0; i < 20; ++i) {
            Send(c.guesser, "x changepw alice " + bad + " 901");
        }
        EXPECT_THAT(Send(c.owner, "x changepw alice " + good + " 901902903"),
                    ElementsAre("changedpw"))
            << c.what;
        // Back to the old password for the next case.
        EXPECT_THAT(Send(c.owner, "x changepw alice " + qc::account::Swordfish("abc") + " " +
                                      qc::account::EncodeNewPassword("secret")),
                    ElementsAre("changedpw"))
            << c.what;
        now += 1h;
    }
}

TEST_F(SessionTest, WrongPasswordsAreLimitedPerAccountAcrossAddresses) {
    AddAccount("alice", "secret");
    AddAccount("bob", "hunter2");
    const std::string bad = qc::account::Swordfish("guess");
    // One guess from each of many addresses.
    int answered = 0;
    for (int i = 1; i <= 30; ++i) {
        const Endpoint from{"198.51.100." + std::to_string(i), 9000};
        answered += static_cast<int>(Send(from, "ALICE connect v1.20 " + bad).size());
    }
    EXPECT_EQ(answered, 10);
    // Other accounts are not affected, and the account's allowance returns.
    EXPECT_THAT(Send(Endpoint{"203.0.113.1", 9000}, "bob connect v1.20 " + bad), ElementsAre("!p"));
    EXPECT_THAT(Send(Endpoint{"203.0.113.2", 9000}, "alice connect v1.20 " + bad), IsEmpty());
    EXPECT_THAT(Send(Endpoint{"203.0.113.3", 9000}, "x changepw  alice " + bad + " 901"),
                IsEmpty());
    now += 5s;
    EXPECT_THAT(Send(Endpoint{"203.0.113.2", 9000}, "alice connect v1.20 " + bad),
                ElementsAre("!p"));
}

TEST_F(SessionTest, AddAccountRefusesBadAndTakenNames) {
    Config config;
    EXPECT_EQ(AddNamedAccount(store, config, "alice", "x", now), AddAccountResult::Added);
    EXPECT_EQ(AddNamedAccount(store, config, "ALICE", "x", now), AddAccountResult::NameTaken);
    for (const char* bad : {"", "1abc", "a b", "a,b", "guest5", "Guest", "Bot", "bot7",
                            "abcdefghijabcdefghijabcdefghijk"}) {
        EXPECT_EQ(AddNamedAccount(store, config, bad, "x", now), AddAccountResult::InvalidName)
            << bad;
    }
}

TEST(TimestampTest, Format) {
    struct Case {
        std::int64_t unix;
        const char* text;
    };
    const Case cases[] = {
        {1796859900, "09Dec26234500"},
        {1767225600, "01Jan26000000"},
        {1780327812, "01Jun26153012"},
        {946684799, "31Dec99235959"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatTimestamp(FromUnixSeconds(c.unix), true), c.text);
    }
}

TEST(PackTest, LinesAreGroupedPerEndpointWithinTheSizeLimit) {
    const Endpoint a{"127.0.0.1", 1};
    const Endpoint b{"127.0.0.1", 2};
    std::vector<Outgoing> lines;
    for (int i = 0; i < 100; ++i) {
        lines.push_back({a, "line " + std::to_string(i) + std::string(20, 'x')});
    }
    lines.push_back({b, "ping"});
    lines.push_back({a, std::string(3000, 'y')});
    lines.push_back({a, "tail"});

    std::string joinedA;
    std::string joinedB;
    for (const Datagram& d : PackDatagrams(lines, 1200)) {
        EXPECT_LE(d.bytes.size(), 1200u);
        EXPECT_FALSE(d.bytes.empty());
        (d.to == a ? joinedA : joinedB) += d.bytes;
        if (d.to == a && d.bytes.find('y') == std::string::npos) {
            // Datagrams of ordinary lines end at a line end.
            EXPECT_EQ(d.bytes.back(), '\r');
        }
    }
    std::string expectA;
    for (const Outgoing& o : lines) {
        if (o.to == a) {
            expectA += o.text + "\r";
        }
    }
    EXPECT_EQ(joinedA, expectA);
    EXPECT_EQ(joinedB, "ping\r");
}

TEST(StoreTest, DatabaseFileIsWalAndKeepsAccounts) {
    const std::string path =
        ::testing::TempDir() + "/qc-server-store-" + std::to_string(getpid()) + ".db";
    auto clean = [&] {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::remove((path + suffix).c_str());
        }
    };
    clean();
    std::string credential;
    {
        Store store(path);
        EXPECT_EQ(store.JournalMode(), "wal");
        Config config;
        config.utcTimestamps = true;
        ServerCore core(store, config);
        auto out = core.HandleDatagram(Ep(1), "guest connect v1.20 *\r", kStart);
        ASSERT_FALSE(out.empty());
        credential = out[0].text.substr(out[0].text.find(',') + 1);
        ASSERT_EQ(AddNamedAccount(store, config, "alice", "secret", kStart),
                  AddAccountResult::Added);
    }
    Store store(path);
    Config config;
    ServerCore core(store, config);
    auto out = core.HandleDatagram(Ep(2), "guest1 connect v1.20 " + credential + "\r", kStart);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0].text.rfind("update:", 0), 0u);
    out = core.HandleDatagram(
        Ep(3), "alice connect v1.20 " + qc::account::Swordfish("secret") + "\r", kStart);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out[0].text.rfind("update:", 0), 0u);
    clean();
}

}  // namespace
}  // namespace qc::server::testing
