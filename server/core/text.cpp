#include "server/core/text.h"

#include <array>
#include <cstdio>
#include <ctime>
#include <random>

namespace qc::server {

namespace {

char LowerChar(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsIdentifierChar(char c) {
    return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '-';
}

bool IsIdentifierShape(std::string_view name, std::size_t minLength) {
    if (name.size() < minLength || name.size() > 30 || !IsAsciiLetter(name.front())) {
        return false;
    }
    for (char c : name) {
        if (!IsIdentifierChar(c)) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = LowerChar(c);
    }
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerChar(a[i]) != LowerChar(b[i])) {
            return false;
        }
    }
    return true;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    while (true) {
        std::size_t pos = text.find(separator, start);
        if (pos == std::string_view::npos) {
            fields.push_back(text.substr(start));
            return fields;
        }
        fields.push_back(text.substr(start, pos - start));
        start = pos + 1;
    }
}

std::vector<std::string_view> SplitLines(std::string_view datagram) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= datagram.size(); ++i) {
        if (i == datagram.size() || datagram[i] == '\r' || datagram[i] == '\n') {
            if (i > start) {
                lines.push_back(datagram.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return lines;
}

std::optional<int> ParseCount(std::string_view text) {
    if (text.empty() || text.size() > 9) {
        return std::nullopt;
    }
    int value = 0;
    for (char c : text) {
        if (!IsAsciiDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string FormatTimestamp(TimePoint t, bool utc) {
    static constexpr std::array<const char*, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::time_t seconds = Clock::to_time_t(t);
    std::tm parts{};
    if (utc) {
        gmtime_r(&seconds, &parts);
    } else {
        localtime_r(&seconds, &parts);
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%02d%s%02d%02d%02d%02d", parts.tm_mday,
                  kMonths[static_cast<std::size_t>(parts.tm_mon) % 12], parts.tm_year % 100,
                  parts.tm_hour, parts.tm_min, parts.tm_sec);
    return buffer;
}

bool IsValidNewIdentifier(std::string_view name) {
    return IsIdentifierShape(name, 6);
}

bool IsValidAdminIdentifier(std::string_view name) {
    return IsIdentifierShape(name, 1);
}

bool IsReservedIdentifier(std::string_view name) {
    return StartsWithNoCase(name, "guest") || BotLevel(name).has_value();
}

bool IsValidEmail(std::string_view address) {
    if (address.size() < 3 || address.size() > 254) {
        return false;
    }
    std::size_t at = address.find('@');
    if (at == std::string_view::npos || at == 0 || address.find('@', at + 1) != address.npos) {
        return false;
    }
    for (char c : address) {
        auto u = static_cast<unsigned char>(c);
        if (u <= 32 || u >= 127 || c == ',' || c == '(' || c == ')' || c == '<' || c == '>' ||
            c == '[' || c == ']' || c == ';' || c == ':' || c == '\\' || c == '"') {
            return false;
        }
    }
    std::string_view domain = address.substr(at + 1);
    std::size_t dot = domain.find('.');
    if (dot == std::string_view::npos || dot == 0 || domain.back() == '.' ||
        domain.find("..") != domain.npos || domain.front() == '-') {
        return false;
    }
    std::string_view local = address.substr(0, at);
    return local.front() != '.' && local.back() != '.' && local.find("..") == local.npos;
}

std::optional<int> BotLevel(std::string_view name) {
    if (!StartsWithNoCase(name, "bot")) {
        return std::nullopt;
    }
    std::string_view rest = name.substr(3);
    if (rest.empty()) {
        return 0;
    }
    if (rest.front() == '0') {
        return std::nullopt;
    }
    auto level = ParseCount(rest);
    if (level && *level >= 1 && *level <= 10) {
        return level;
    }
    return std::nullopt;
}

std::string BotName(int level) {
    return level == 0 ? std::string("Bot") : "Bot" + std::to_string(level);
}

std::string RandomHex(std::size_t digits) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::random_device device;
    std::string out;
    out.reserve(digits);
    while (out.size() < digits) {
        unsigned int word = device();
        for (int i = 0; i < 8 && out.size() < digits; ++i) {
            out.push_back(kHex[word & 15u]);
            word >>= 4;
        }
    }
    return out;
}

std::string RandomPassword(std::size_t length) {
    // No 0/O, 1/l/I: the password is read from a mail and typed by hand.
    static constexpr std::string_view kAlphabet =
        "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i) {
        out.push_back(kAlphabet[pick(device)]);
    }
    return out;
}

}  // namespace qc::server
