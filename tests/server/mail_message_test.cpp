// Composing a message: the addresses it accepts, the encodings of body and
// subject.

#include "server/core/mail_message.h"

#include <gtest/gtest.h>

#include "tests/server/core_fixture.h"
#include "tests/server/smtp_relay.h"

namespace qc::server::testing {
namespace {

TEST(MailMessage, OnlyPlainAddressesPass) {
    const std::pair<const char*, bool> cases[] = {
        {"alice@example.org", true},
        {"first.last+chess@mail.example.co.uk", true},
        {"o'neil@example.org", true},
        {"a@b-c.example", true},
        {"", false},
        {"alice", false},
        {"alice@localhost", false},  // one label: not a domain a relay delivers to
        {"@example.org", false},
        {"alice@", false},
        {"a@@example.org", false},
        {"a@b@example.org", false},
        {".alice@example.org", false},
        {"al..ice@example.org", false},
        {"alice.@example.org", false},
        {"alice@-example.org", false},
        {"alice@example-.org", false},
        {"alice@example..org", false},
        {"alice@example.org.", false},
        {"alice@exa_mple.org", false},
        {"ali ce@example.org", false},
        {"\"alice\"@example.org", false},
        {"alice@[127.0.0.1]", false},
        {"<alice@example.org>", false},
        {"alice@example.org>\r\nRCPT TO:<x@example.org", false},
        {"alice@example.org\nBcc: x@example.org", false},
        {"alice@example.org\r", false},
        {"ali\tce@example.org", false},
        {"al\x7f"
         "ice@example.org",
         false},
        {"m\xc3\xbcller@example.org", false},
        {"m\xfcller@example.org", false},
    };
    for (auto [address, ok] : cases) {
        EXPECT_EQ(IsMailAddress(address), ok) << address;
    }
    EXPECT_TRUE(IsMailAddress(std::string(64, 'a') + "@example.org"));
    EXPECT_FALSE(IsMailAddress(std::string(65, 'a') + "@example.org"));
    EXPECT_FALSE(IsMailAddress("a@" + std::string(64, 'b') + ".org"));
}

TEST(MailMessage, QuotedPrintableKeepsLinesShortAndDotsHarmless) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain text\n", "plain text\r\n"},
        {"a=b\n", "a=3Db\r\n"},
        {"trailing blank \nx\t\n", "trailing blank=20\r\nx=09\r\n"},
        {".\n", "=2E\r\n"},
        {"..\n", "=2E.\r\n"},
        {"a\r\n.b\rc", "a\r\n=2Eb\r\nc\r\n"},
        {"\xc3\xbc\n", "=C3=BC\r\n"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(QuotedPrintable(in), out) << in;
    }
    // A long line is broken softly, and a dot that comes to open a line is
    // encoded too.
    const std::string longLine = std::string(75, 'x') + "." + std::string(200, 'y');
    const std::string encoded = QuotedPrintable(longLine);
    std::size_t start = 0;
    for (std::size_t end; (end = encoded.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        EXPECT_LE(end - start, 76u);
        EXPECT_NE(encoded[start], '.');
    }
    EXPECT_EQ(DecodedBody("\r\n\r\n" + encoded), longLine + "\r\n");
}

TEST(MailMessage, SubjectsAreEncodedWhenTheyAreNotShortPlainAscii) {
    EXPECT_EQ(EncodeHeaderText("Your move in game 12"), "Your move in game 12");
    EXPECT_EQ(EncodeHeaderText("Zug f\xc3\xbcr dich"), "=?UTF-8?B?WnVnIGbDvHIgZGljaA==?=");
    // Control characters cannot end the header line.
    EXPECT_EQ(EncodeHeaderText("a\r\nBcc: x@example.org"), "a  Bcc: x@example.org");
    // A long subject is folded into several words, none cutting a character.
    const std::string text = std::string(40, 'a') + "\xc3\xbc\xc3\xbc" + std::string(40, 'b');
    const std::string folded = EncodeHeaderText(text);
    EXPECT_EQ(folded.find("\r\n "), 72u);  // after the first word
    EXPECT_EQ(folded.find('\n', 74), std::string::npos);
}

TEST(MailMessage, ComposedMessageHasItsHeadersAndRefusesUnsafeAddresses) {
    MessageParts parts;
    parts.from = "server@quorvel.test";
    parts.fromName = "Quorvel \"Chess\"\r\n";
    parts.to = "bob@example.org";
    parts.subject = "Your move";
    parts.body = "Line\n";
    parts.messageId = "quorvel.1.2@quorvel.test>\r\nX: y";
    parts.date = kStart;
    parts.utc = true;
    const std::string m = ComposeMessage(parts).value();
    EXPECT_EQ(m.substr(0, m.find("\r\n\r\n") + 4),
              "From: Quorvel Chess <server@quorvel.test>\r\n"
              "To: bob@example.org\r\n"
              "Subject: Your move\r\n"
              "Date: Wed, 09 Dec 2026 23:45:00 +0000\r\n"
              "Message-ID: <quorvel.1.2@quorvel.testXy>\r\n"
              "MIME-Version: 1.0\r\n"
              "Content-Type: text/plain; charset=UTF-8\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n"
              "Auto-Submitted: auto-generated\r\n\r\n");
    parts.to = "bob@example.org\r\nBcc: all@example.org";
    EXPECT_FALSE(ComposeMessage(parts));
    parts.to = "bob@example.org";
    parts.from = "server";
    EXPECT_FALSE(ComposeMessage(parts));
}

TEST(MailMessage, AccountCreationRefusesAnAddressNoRelayWouldTake) {
    Store store(":memory:");
    Config config;
    AccountService accounts(store, config);
    Store::Transaction tx(store);
    EXPECT_EQ(accounts.CreateAccount("newbie1,someone@exa_mple.org,,,", kStart), "!c2");
    EXPECT_EQ(accounts.CreateAccount("newbie1,someone@example.org,,,", kStart), "created");
    tx.Commit();
}

}  // namespace
}  // namespace qc::server::testing
