#pragma once

#include <string>
#include <string_view>

namespace qc::account {

// The salt appended to the encoded password: "Ë" in Windows-1252.
inline constexpr char kPasswordSalt = '\xCB';

// The reversible digit encoding that Swordfish digests: three digits per
// character, the code rotated left by one digit, last character first.
std::string EncodePasswordDigits(std::string_view ansiPassword);

// The password digest carried by the login line: SHA-256 of the digit
// encoding followed by the salt. The password is in Windows-1252 bytes.
std::string Swordfish(std::string_view ansiPassword);

// The new-password encoding of a password change: for each character from
// last to first, 1000 minus its code, as at least three digits.
std::string EncodeNewPassword(std::string_view ansiPassword);

// The server's inverse of EncodeNewPassword. Returns false for text that no
// password encodes to (wrong length, a group outside 745..999, or NUL).
bool DecodeNewPassword(std::string_view encoded, std::string& ansiPassword);

}  // namespace qc::account
