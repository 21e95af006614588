#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "server/core/types.h"

namespace qc::server {

// An address exactly of the plain shape local@domain.tld: the local part of
// letters, digits, dots (not first, last or doubled) and the signs
// !#$%&'*+-/=?^_`{|}~; the domain of at least two labels of letters, digits
// and inner hyphens. Nothing else passes (no blanks, quotes, brackets, comments
// or control characters), so an address can go into a header line or an SMTP
// command as it is.
bool IsMailAddress(std::string_view address);

// One message as handed to the relay.
struct MessageParts {
    std::string from;       // the sender's address
    std::string fromName;   // the sender's display name (printable ASCII)
    std::string to;         // the recipient's address
    std::string subject;    // UTF-8
    std::string body;       // UTF-8; lines end in LF, CR LF or CR
    std::string messageId;  // without the angle brackets
    TimePoint date{};
    bool utc = false;  // the Date header in UTC rather than local time
};

// The message in Internet format, lines ended by CR LF: From, To, Subject,
// Date, Message-ID, MIME-Version, Content-Type (text/plain, UTF-8) and a
// quoted-printable body, so that 8-bit text and long lines pass any relay.
// Nothing when an address is not of the plain shape.
std::optional<std::string> ComposeMessage(const MessageParts& parts);

// Quoted-printable text with CR LF line ends and lines of at most 76
// characters. A line that begins with "." has the dot encoded, so that no
// line of the result can end an SMTP transfer.
std::string QuotedPrintable(std::string_view text);

// A header's text: as it is when it is printable ASCII, otherwise as
// encoded words; control characters become blanks.
std::string EncodeHeaderText(std::string_view utf8);

// The date as the Date header wants it: "Fri, 11 Dec 2026 14:05:09 +0100".
std::string MailDate(TimePoint t, bool utc);

// A time broken down in UTC or in the server's zone, with the English names
// of its day and month, for the dates that mails show.
struct CalendarTime {
    std::tm tm{};
    const char* day = "";    // "Fri"
    const char* month = "";  // "Dec"
};
CalendarTime ToCalendar(TimePoint t, bool utc);

}  // namespace qc::server
