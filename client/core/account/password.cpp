#include "client/core/account/password.h"

#include "client/core/account/sha256.h"

namespace qc::account {

std::string EncodePasswordDigits(std::string_view ansiPassword) {
    std::string encoding;
    encoding.reserve(ansiPassword.size() * 3);
    for (char ch : ansiPassword) {
        const unsigned code = static_cast<unsigned char>(ch);
        const char digits[3] = {static_cast<char>('0' + code / 100),
                                static_cast<char>('0' + code / 10 % 10),
                                static_cast<char>('0' + code % 10)};
        // "065" becomes "650": the last two digits, then the first.
        const char rotated[3] = {digits[1], digits[2], digits[0]};
        encoding.insert(0, rotated, 3);
    }
    return encoding;
}

std::string Swordfish(std::string_view ansiPassword) {
    std::string text = EncodePasswordDigits(ansiPassword);
    text.push_back(kPasswordSalt);
    return CSHA256().SHA256(text);
}

std::string EncodeNewPassword(std::string_view ansiPassword) {
    std::string out;
    out.reserve(ansiPassword.size() * 4);
    for (auto it = ansiPassword.rbegin(); it != ansiPassword.rend(); ++it) {
        std::string group = std::to_string(1000 - static_cast<unsigned char>(*it));
        while (group.size() < 3) {
            group.insert(0, 1, '0');
        }
        out += group;
    }
    return out;
}

bool DecodeNewPassword(std::string_view encoded, std::string& ansiPassword) {
    if (encoded.size() % 3 != 0) {
        return false;
    }
    std::string password;
    for (std::size_t i = encoded.size(); i >= 3; i -= 3) {
        int value = 0;
        for (std::size_t k = i - 3; k < i; ++k) {
            const char c = encoded[k];
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + (c - '0');
        }
        // Codes 1..255 give 745..999; 1000 (NUL) cannot be written in three digits.
        if (value < 745) {
            return false;
        }
        password.push_back(static_cast<char>(1000 - value));
    }
    ansiPassword = std::move(password);
    return true;
}

}  // namespace qc::account
