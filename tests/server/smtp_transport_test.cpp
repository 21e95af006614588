// The libcurl transport against a real SMTP server on loopback.

#include "server/smtp_transport.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <thread>

#include "client/core/account/cp1252.h"
#include "server/core/mail_message.h"
#include "server/core/mail_queue.h"
#include "tests/server/smtp_relay.h"

namespace qc::server::testing {
namespace {

class SmtpTransportTest : public ::testing::Test {
  protected:
    void SetUp() override {
        QC_REQUIRE_RELAY();
        curl_ = std::make_unique<SmtpTransport>(SmtpSettings{}, SmtpTransport::Deliver{});
    }
    SmtpSettings Settings(const SmtpRelay& relay) const {
        SmtpSettings s;
        s.url = relay.Url();
        s.connectTimeout = std::chrono::seconds(5);
        s.transferTimeout = std::chrono::seconds(10);
        return s;
    }
    static std::string Compose(const std::string& to, const std::string& subject,
                               const std::string& body) {
        MessageParts parts;
        parts.from = "server@quorvel.test";
        parts.fromName = "Quorvel Chess";
        parts.to = to;
        parts.subject = subject;
        parts.body = body;
        parts.messageId = "quorvel.7.1796859900@quorvel.test";
        parts.date = FromUnixSeconds(1796859900);
        parts.utc = true;
        return ComposeMessage(parts).value();
    }
    std::unique_ptr<SmtpTransport> curl_;  // holds libcurl's global set-up
};

TEST_F(SmtpTransportTest, RelayReceivesHeadersAndUtf8BodyIntact) {
    SmtpRelay relay;
    ASSERT_TRUE(relay.Start());
    // Windows-1252 text as the store keeps it, and a line far longer than
    // SMTP's 998 characters.
    const std::string body = Cp1252ToUtf8(
                                 "Gr\xfc\xdf"
                                 "e, M\xfcller \x80 5\n") +
                             std::string(1500, 'x') + "\nend\n";
    SendResult r = SmtpSend(Settings(relay), 7, "server@quorvel.test", "player@example.org",
                            Compose("player@example.org", "Zug f\xc3\xbcr dich", body));
    ASSERT_TRUE(r.accepted) << r.error;
    auto got = relay.WaitFor(1);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].from, "server@quorvel.test");
    EXPECT_EQ(got[0].to, std::vector<std::string>{"player@example.org"});
    const std::string& m = got[0].data;
    EXPECT_EQ(HeaderValue(m, "From"), "Quorvel Chess <server@quorvel.test>");
    EXPECT_EQ(HeaderValue(m, "To"), "player@example.org");
    EXPECT_EQ(HeaderValue(m, "Subject"), "=?UTF-8?B?WnVnIGbDvHIgZGljaA==?=");
    EXPECT_EQ(HeaderValue(m, "Date"), "Wed, 09 Dec 2026 23:45:00 +0000");
    EXPECT_EQ(HeaderValue(m, "Message-ID"), "<quorvel.7.1796859900@quorvel.test>");
    EXPECT_EQ(HeaderValue(m, "MIME-Version"), "1.0");
    EXPECT_EQ(HeaderValue(m, "Content-Type"), "text/plain; charset=UTF-8");
    EXPECT_EQ(HeaderValue(m, "Content-Transfer-Encoding"), "quoted-printable");
    std::string crlf;
    for (char c : body) {
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    EXPECT_EQ(DecodedBody(m), crlf);
    for (std::size_t start = 0, end; (end = m.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        EXPECT_LE(end - start, 76u) << "a line longer than quoted-printable allows";
    }
}

// A body line "." would end the transfer early and leave the rest to be read
// as SMTP commands. The composer encodes it, and libcurl stuffs the dots of
// whatever it is given: both are checked here, the second with a raw message.
TEST_F(SmtpTransportTest, DotLineDoesNotEndTheMessage) {
    SmtpRelay relay;
    ASSERT_TRUE(relay.Start());
    const std::string raw =
        "Subject: dots\r\n\r\nbefore\r\n.\r\n..\r\nRCPT TO:<other@example.org>\r\nafter\r\n";
    SendResult r = SmtpSend(Settings(relay), 1, "server@quorvel.test", "a@example.org", raw);
    ASSERT_TRUE(r.accepted) << r.error;
    r = SmtpSend(Settings(relay), 2, "server@quorvel.test", "a@example.org",
                 Compose("a@example.org", "dots", "before\n.\n..\nafter\n"));
    ASSERT_TRUE(r.accepted) << r.error;
    auto got = relay.WaitFor(2);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].data, raw);
    EXPECT_EQ(got[0].to, std::vector<std::string>{"a@example.org"});
    EXPECT_EQ(DecodedBody(got[1].data), "before\r\n.\r\n..\r\nafter\r\n");
}

TEST_F(SmtpTransportTest, RefusalsAndAnUnreachableRelayAreToldApart) {
    SmtpRelay relay;
    ASSERT_TRUE(relay.Start({"--refuse", "gone@example.org"}));
    SendResult r = SmtpSend(Settings(relay), 3, "server@quorvel.test", "gone@example.org",
                            Compose("gone@example.org", "x", "y"));
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.smtpCode, 550);
    EXPECT_EQ(r.stage, SendResult::Stage::Recipient);
    EXPECT_NE(r.error.find("No such user"), std::string::npos) << r.error;
    EXPECT_EQ(MailQueue::Judge(r), MailQueue::Verdict::Refused);

    SmtpRelay refusing;
    ASSERT_TRUE(refusing.Start({"--refuse-data"}));
    r = SmtpSend(Settings(refusing), 4, "server@quorvel.test", "a@example.org",
                 Compose("a@example.org", "x", "y"));
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.smtpCode, 554);
    EXPECT_EQ(r.stage, SendResult::Stage::Message);
    EXPECT_EQ(MailQueue::Judge(r), MailQueue::Verdict::Refused);

    SmtpRelay down;  // never started: nothing listens on its port
    r = SmtpSend(Settings(down), 5, "server@quorvel.test", "a@example.org",
                 Compose("a@example.org", "x", "y"));
    EXPECT_FALSE(r.accepted);
    EXPECT_EQ(r.stage, SendResult::Stage::Connection);
    EXPECT_EQ(MailQueue::Judge(r), MailQueue::Verdict::Retry);
    EXPECT_TRUE(relay.Messages().empty());
    EXPECT_TRUE(refusing.Messages().empty());
}

// The worker thread: Send returns at once, the result comes back through the
// event loop of the thread that made the transport.
TEST_F(SmtpTransportTest, TheResultComesBackThroughTheEventLoopOfTheServersThread) {
    int argc = 1;
    char name[16] = "qc_server_tests";
    char* argv[1] = {name};
    QCoreApplication app(argc, argv);
    SmtpRelay relay;
    ASSERT_TRUE(relay.Start());
    std::vector<SendResult> results;
    std::thread::id deliveredOn;
    SmtpTransport transport(Settings(relay), [&](const SendResult& r) {
        results.push_back(r);
        deliveredOn = std::this_thread::get_id();
    });
    transport.Send(9, "server@quorvel.test", "a@example.org", Compose("a@example.org", "x", "y"));
    EXPECT_TRUE(results.empty());
    QElapsedTimer timer;
    timer.start();
    while (results.empty() && timer.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].accepted) << results[0].error;
    EXPECT_EQ(results[0].mailId, 9);
    EXPECT_EQ(deliveredOn, std::this_thread::get_id());
    EXPECT_EQ(relay.Messages().size(), 1u);
}

// A relay that accepts the connection and never speaks holds nobody: the
// server's thread goes on at once, and stopping breaks the conversation off
// and hands over its result.
TEST(SmtpTransportSilentRelay, NeitherSendingNorStoppingWaitsForASilentRelay) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(listen(listener, 4), 0);
    socklen_t length = sizeof a;
    getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length);
    SmtpSettings settings;
    settings.url = "smtp://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    std::vector<SendResult> results;
    SmtpTransport transport(settings, [&](const SendResult& r) { results.push_back(r); });
    const auto start = std::chrono::steady_clock::now();
    transport.Send(3, "server@quorvel.test", "a@example.org", "Subject: x\r\n\r\ny\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    transport.Stop(std::chrono::milliseconds(200));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
    ASSERT_EQ(results.size(), 1u);
    EXPECT_FALSE(results[0].accepted);
    EXPECT_EQ(MailQueue::Judge(results[0]), MailQueue::Verdict::Retry);
    close(listener);
}

}  // namespace
}  // namespace qc::server::testing
