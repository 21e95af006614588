#include "client/core/account/sha256.h"

#include <array>
#include <cstdint>
#include <vector>

namespace qc::account {
namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::array<std::uint32_t, 8> kInitialHash = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

constexpr std::uint32_t Rotr(std::uint32_t x, unsigned n) {
    return (x >> n) | (x << (32 - n));
}
constexpr std::uint32_t Ch(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return (x & y) ^ (~x & z);
}
constexpr std::uint32_t Maj(std::uint32_t x, std::uint32_t y, std::uint32_t z) {
    return ((y ^ z) & x) ^ (y & z);
}
constexpr std::uint32_t BigSigma0(std::uint32_t x) {
    return Rotr(x, 2) ^ Rotr(x, 13) ^ Rotr(x, 22);
}
constexpr std::uint32_t BigSigma1(std::uint32_t x) {
    return Rotr(x, 6) ^ Rotr(x, 11) ^ Rotr(x, 25);
}
constexpr std::uint32_t SmallSigma0(std::uint32_t x) {
    return Rotr(x, 7) ^ Rotr(x, 18) ^ (x >> 3);
}
constexpr std::uint32_t SmallSigma1(std::uint32_t x) {
    return Rotr(x, 17) ^ Rotr(x, 19) ^ (x >> 10);
}

// The padded message as big-endian words: the bytes, 0x80, zeros, and the
// 64-bit length in bits.
std::vector<std::uint32_t> MessageToWords(const std::vector<std::uint8_t>& bytes) {
    const std::uint64_t n = bytes.size();
    const std::size_t wordCount = static_cast<std::size_t>(((n + 8) / 64 + 1) * 16);
    std::vector<std::uint32_t> words(wordCount, 0);
    auto put = [&](std::uint64_t i, std::uint8_t b) {
        words[static_cast<std::size_t>(i / 4)] |= static_cast<std::uint32_t>(b)
                                                  << ((3 - i % 4) * 8);
    };
    for (std::uint64_t i = 0; i < n; ++i) {
        put(i, bytes[static_cast<std::size_t>(i)]);
    }
    put(n, 0x80);
    words[wordCount - 1] = static_cast<std::uint32_t>(n * 8);
    words[wordCount - 2] = static_cast<std::uint32_t>(n >> 29);
    return words;
}

std::string Digest(const std::vector<std::uint8_t>& bytes) {
    const std::vector<std::uint32_t> words = MessageToWords(bytes);
    std::array<std::uint32_t, 8> h = kInitialHash;
    std::array<std::uint32_t, 64> w{};
    for (std::size_t block = 0; block < words.size(); block += 16) {
        for (std::size_t j = 0; j < 16; ++j) {
            w[j] = words[block + j];
        }
        for (std::size_t j = 16; j < 64; ++j) {
            w[j] = SmallSigma1(w[j - 2]) + w[j - 7] + SmallSigma0(w[j - 15]) + w[j - 16];
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
        std::uint32_t e = h[4], f = h[5], g = h[6], hh = h[7];
        for (std::size_t j = 0; j < 64; ++j) {
            const std::uint32_t t1 = hh + BigSigma1(e) + Ch(e, f, g) + kRoundConstants[j] + w[j];
            const std::uint32_t t2 = BigSigma0(a) + Maj(a, b, c);
            hh = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        h[0] += a;
        h[1] += b;
        h[2] += c;
        h[3] += d;
        h[4] += e;
        h[5] += f;
        h[6] += g;
        h[7] += hh;
    }
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(64);
    for (std::uint32_t word : h) {
        for (int shift = 28; shift >= 0; shift -= 4) {
            out.push_back(kHex[(word >> shift) & 0xF]);
        }
    }
    return out;
}

}  // namespace

std::string CSHA256::SHA256(std::string_view message) const {
    return Digest(std::vector<std::uint8_t>(message.begin(), message.end()));
}

std::string CSHA256::SHA256(std::u16string_view message) const {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(message.size());
    for (char16_t unit : message) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
    return Digest(bytes);
}

}  // namespace qc::account
