#include "client/core/text.h"

#include <algorithm>

namespace qc::text {

char ToLowerChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) {
        return static_cast<char>(u + 0x20);
    }
    switch (u) {
        case 0x8A:  // S caron
        case 0x8C:  // OE
        case 0x8E:  // Z caron
            return static_cast<char>(u + 0x10);
        case 0x9F:  // Y diaeresis
            return static_cast<char>(0xFF);
        default:
            return c;
    }
}

char ToUpperChar(char c) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) {
        return static_cast<char>(u - 0x20);
    }
    switch (u) {
        case 0x9A:
        case 0x9C:
        case 0x9E:
            return static_cast<char>(u - 0x10);
        case 0xFF:
            return static_cast<char>(0x9F);
        default:
            return c;
    }
}

std::string ToLower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), ToLowerChar);
    return out;
}

std::string ToUpper(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), ToUpperChar);
    return out;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return ToLowerChar(x) == ToLowerChar(y);
           });
}

std::string Possessive(std::string_view name) {
    return !name.empty() && name.back() == 's' ? std::string(name) + "'" : std::string(name) + "'s";
}

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

std::string ReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t pos = 0;
    while (true) {
        const std::size_t hit = s.find(from, pos);
        if (hit == std::string_view::npos || from.empty()) {
            out.append(s.substr(pos));
            return out;
        }
        out.append(s.substr(pos, hit - pos));
        out.append(to);
        pos = hit + from.size();
    }
}

std::string_view TrimLeft(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

std::string_view TrimRight(std::string_view s) {
    const std::size_t last = s.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

std::string_view Trim(std::string_view s) {
    return TrimRight(TrimLeft(s));
}

std::optional<std::string_view> CommaFields::Next() {
    const std::size_t comma = rest_.find(',');
    if (comma == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view field = rest_.substr(0, comma);
    rest_.remove_prefix(comma + 1);
    return field;
}

std::string_view CommaFields::NextOrRest() {
    if (const auto field = Next()) {
        return *field;
    }
    return rest_;
}

}  // namespace qc::text
