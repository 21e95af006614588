#pragma once

#include <string>
#include <string_view>

namespace qc::account {

// SHA-256 (FIPS 180-2) producing 64 lower-case hexadecimal digits.
class CSHA256 {
  public:
    // Digest of a byte string: each char is one byte.
    std::string SHA256(std::string_view message) const;
    // Digest of UTF-16 text where each code unit contributes its low 8 bits,
    // so U+20AC digests as the single byte 0xAC (no code-page conversion).
    std::string SHA256(std::u16string_view message) const;
};

}  // namespace qc::account
