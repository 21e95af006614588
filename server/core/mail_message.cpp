#include "server/core/mail_message.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <vector>

namespace qc::server {

namespace {

bool IsAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsLocalChar(char c) {
    return IsAlnum(c) || std::string_view("!#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
}

bool IsLocalPart(std::string_view local) {
    if (local.empty() || local.size() > 64 || local.front() == '.' || local.back() == '.' ||
        local.find("..") != std::string_view::npos) {
        return false;
    }
    for (char c : local) {
        if (c != '.' && !IsLocalChar(c)) {
            return false;
        }
    }
    return true;
}

bool IsDomain(std::string_view domain) {
    if (domain.empty() || domain.size() > 253) {
        return false;
    }
    int labels = 0;
    std::size_t start = 0;
    while (start <= domain.size()) {
        std::size_t dot = domain.find('.', start);
        std::string_view label =
            domain.substr(start, dot == domain.npos ? domain.npos : dot - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') {
            return false;
        }
        for (char c : label) {
            if (!IsAlnum(c) && c != '-') {
                return false;
            }
        }
        ++labels;
        if (dot == domain.npos) {
            break;
        }
        start = dot + 1;
    }
    return labels >= 2;
}

constexpr char kHex[] = "0123456789ABCDEF";

// Lines of text cut at CR LF, LF or a lone CR; a final line end adds no line.
std::vector<std::string_view> TextLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(text.substr(start, i - start));
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    if (start < text.size()) {
        lines.push_back(text.substr(start));
    }
    return lines;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t n = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) {
            n |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        }
        if (i + 2 < bytes.size()) {
            n |= static_cast<unsigned char>(bytes[i + 2]);
        }
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

// Keeps only what may stand in a header as it is: printable ASCII.
std::string Printable(std::string_view text, std::string_view alsoDrop = {}) {
    std::string out;
    for (char c : text) {
        if (c >= 0x20 && c < 0x7f && alsoDrop.find(c) == std::string_view::npos) {
            out += c;
        }
    }
    return out;
}

}  // namespace

bool IsMailAddress(std::string_view address) {
    if (address.size() > 254) {
        return false;
    }
    std::size_t at = address.find('@');
    if (at == std::string_view::npos || address.find('@', at + 1) != std::string_view::npos) {
        return false;
    }
    return IsLocalPart(address.substr(0, at)) && IsDomain(address.substr(at + 1));
}

std::string QuotedPrintable(std::string_view text) {
    constexpr std::size_t kMax = 76;
    std::string out;
    for (std::string_view line : TextLines(text)) {
        std::size_t length = 0;
        for (std::size_t i = 0; i < line.size(); ++i) {
            const auto byte = static_cast<unsigned char>(line[i]);
            const bool last = i + 1 == line.size();
            // Blanks stay readable except at a line's end, where relays may
            // strip them; a dot opening a line is encoded for SMTP's sake.
            const bool literal =
                (byte > 32 && byte < 127 && byte != '=' && !(byte == '.' && length == 0)) ||
                ((byte == ' ' || byte == '\t') && !last);
            std::string token;
            if (literal) {
                token = std::string(1, static_cast<char>(byte));
            } else {
                token = {'=', kHex[byte >> 4], kHex[byte & 15]};
            }
            // Room is kept for the "=" of a soft break, unless this is the
            // line's last token.
            const std::size_t room = last ? kMax : kMax - 1;
            if (length + token.size() > room) {
                out += "=\r\n";
                length = 0;
                if (byte == '.') {
                    token = "=2E";
                }
            }
            out += token;
            length += token.size();
        }
        out += "\r\n";
    }
    return out;
}

std::string EncodeHeaderText(std::string_view utf8) {
    std::string clean;
    bool plain = true;
    for (char c : utf8) {
        auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7f) {
            clean += ' ';
        } else {
            clean += c;
            plain = plain && u < 0x7f;
        }
    }
    if (plain && clean.size() <= 60 && clean.find("=?") == std::string::npos) {
        return clean;
    }
    // Encoded words of at most 45 bytes of text each (75 characters), never
    // cutting a character apart, on folded lines.
    std::string out;
    std::size_t start = 0;
    while (start < clean.size()) {
        std::size_t end = std::min(clean.size(), start + 45);
        while (end < clean.size() && end > start + 1 &&
               (static_cast<unsigned char>(clean[end]) & 0xC0) == 0x80) {
            --end;
        }
        if (!out.empty()) {
            out += "\r\n ";
        }
        out += "=?UTF-8?B?" + Base64(std::string_view(clean).substr(start, end - start)) + "?=";
        start = end;
    }
    return out;
}

CalendarTime ToCalendar(TimePoint t, bool utc) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t seconds = Clock::to_time_t(t);
    CalendarTime c;
    if (utc) {
        gmtime_r(&seconds, &c.tm);
    } else {
        localtime_r(&seconds, &c.tm);
    }
    c.day = kDays[c.tm.tm_wday % 7];
    c.month = kMonths[c.tm.tm_mon % 12];
    return c;
}

std::string MailDate(TimePoint t, bool utc) {
    const CalendarTime c = ToCalendar(t, utc);
    const long offset = utc ? 0 : c.tm.tm_gmtoff;
    const char sign = offset < 0 ? '-' : '+';
    const long minutes = (offset < 0 ? -offset : offset) / 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", c.day,
                  c.tm.tm_mday, c.month, c.tm.tm_year + 1900, c.tm.tm_hour, c.tm.tm_min,
                  c.tm.tm_sec, sign, minutes / 60, minutes % 60);
    return buffer;
}

std::optional<std::string> ComposeMessage(const MessageParts& parts) {
    if (!IsMailAddress(parts.from) || !IsMailAddress(parts.to)) {
        return std::nullopt;
    }
    // A display name of letters, digits and blanks needs no quoting.
    std::string name;
    for (char c : parts.fromName) {
        if (IsAlnum(c) || c == ' ') {
            name += c;
        }
    }
    std::string m;
    m += "From: " + (name.empty() ? parts.from : name + " <" + parts.from + ">") + "\r\n";
    m += "To: " + parts.to + "\r\n";
    m += "Subject: " + EncodeHeaderText(parts.subject) + "\r\n";
    m += "Date: " + MailDate(parts.date, parts.utc) + "\r\n";
    m += "Message-ID: <" + Printable(parts.messageId, " <>()[]\\\",;:") + ">\r\n";
    m += "MIME-Version: 1.0\r\n";
    m += "Content-Type: text/plain; charset=UTF-8\r\n";
    m += "Content-Transfer-Encoding: quoted-printable\r\n";
    // Notices, not letters: autoresponders leave them alone.
    m += "Auto-Submitted: auto-generated\r\n";
    m += "\r\n";
    m += QuotedPrintable(parts.body);
    return m;
}

}  // namespace qc::server
