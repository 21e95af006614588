// The libcurl transport against a real SMTP server on loopback.

#include "server/smtp_transport.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace qc::server::testing
