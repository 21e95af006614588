#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/account/password.h"
#include "client/core/account/sha256.h"

namespace qc::account {
namespace {

TEST(Sha256, StandardVectors) {
    CSHA256 sha;
    EXPECT_EQ(sha.SHA256(std::string_view("")),
              "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(sha.SHA256(std::string_view("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(
        sha.SHA256(std::string_view("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
        "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(sha.SHA256(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Lengths 0..200 against digests computed by an independent implementation;
// this crosses the 55/56 and 119/120 byte block boundaries.
TEST(Sha256, MatchesIndependentImplementationForLengths0To200) {
    static const char* const kExpected[] = {
#include "sha256_vectors.inc"
    };
    CSHA256 sha;
    for (std::size_t n = 0; n < std::size(kExpected); ++n) {
        std::string msg;
        for (std::size_t k = 0; k < n; ++k) {
            msg.push_back(static_cast<char>((k * 37 + 11) % 256));
        }
        EXPECT_EQ(sha.SHA256(msg), kExpected[n]) << "length " << n;
    }
}

TEST(Sha256, Utf16TakesLowByteOfEachCodeUnit) {
    CSHA256 sha;
    // U+20AC digests as the single byte 0xAC, not as UTF-8 or Windows-1252.
    EXPECT_EQ(sha.SHA256(std::u16string(u"a\u20ACb")), sha.SHA256(std::string_view("a\xAC"
                                                                                   "b")));
    EXPECT_EQ(sha.SHA256(std::u16string(u"abc")), sha.SHA256(std::string_view("abc")));
}

TEST(Swordfish, DigitEncoding) {
    struct Case {
        std::string password;
        std::string encoding;
    };
    const std::vector<Case> cases = {
        {"abc", "990980970"}, {"d", "001"}, {"\t", "090"},          {"A", "650"},
        {"cba", "970980990"}, {"", ""},     {"\xFF\x01", "010552"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodePasswordDigits(c.password), c.encoding) << c.password;
        EXPECT_EQ(EncodePasswordDigits(c.password).size(), 3 * c.password.size());
    }
}

TEST(Swordfish, DigestsTheEncodingWithTheSalt) {
    // Values computed independently from the encoding rules.
    EXPECT_EQ(Swordfish("abc"), "727dbbf48b36c62f2d471aefb72fe025bd8b2da8f788d5b526299f541cb5adc2");
    EXPECT_EQ(Swordfish("password"),
              "b02925c4fd57c5a7bb21de28a320533e240a1954cff61626ba69de7ff381738c");
    EXPECT_EQ(Swordfish("Password"),
              "d43ab55cf9213a06a929b745d3794cf4a311431733be60e9fffc9f8ddb4c10cf");
    EXPECT_EQ(Swordfish("d"), "dae9a872da2e8066869b0add6de9bfefc085f65428549336830ab2c135c2b892");
    // "Zürich€" in Windows-1252.
    EXPECT_EQ(Swordfish("Z\xFCrich\x80"),
              "9cf1420d7961920f29c145cd61a6d9a5f1b86cb27442aac7cfa9a4ab6196a079");
    EXPECT_NE(Swordfish("abc"), Swordfish("cba"));
    EXPECT_EQ(Swordfish("x").size(), 64u);
}

TEST(NewPasswordEncoding, EncodesAndDecodes) {
    EXPECT_EQ(EncodeNewPassword("abc"), "901902903");
    EXPECT_EQ(EncodeNewPassword("\xFF"), "745");
    EXPECT_EQ(EncodeNewPassword("\x01"), "999");

    const std::vector<std::string> passwords = {"abc", "P4ss, word!", "Z\xFCrich\x80", "\x01\xFF"};
    for (const auto& p : passwords) {
        std::string back;
        ASSERT_TRUE(DecodeNewPassword(EncodeNewPassword(p), back)) << p;
        EXPECT_EQ(back, p);
    }
}

TEST(NewPasswordEncoding, RejectsTextNoPasswordEncodesTo) {
    const std::vector<std::string> bad = {"90190", "9019x2903", "744", "1000", "-01", "000"};
    for (const auto& b : bad) {
        std::string out = "unchanged";
        EXPECT_FALSE(DecodeNewPassword(b, out)) << b;
        EXPECT_EQ(out, "unchanged");
    }
}

}  // namespace
}  // namespace qc::account
