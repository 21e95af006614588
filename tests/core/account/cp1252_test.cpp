#include <gtest/gtest.h>

#include <string>

#include "client/core/account/cp1252.h"

namespace qc {
namespace {

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Utf16ToCp1252(Cp1252ToUtf16(all)), all);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
}

TEST(Cp1252, MapsTheSpecialRangeAndReplacesTheRest) {
    EXPECT_EQ(Cp1252ToUtf16("\x80\x9F\xCB"), u"\u20AC\u0178\u00CB");
    EXPECT_EQ(Utf16ToCp1252(u"\u20AC\u00FC\u4E2D"), "\x80\xFC?");
    EXPECT_EQ(Utf16ToCp1252(u"a\U0001F600b"), "a?b");
    EXPECT_EQ(Utf8ToCp1252("Z\xC3\xBCrich \xE2\x82\xAC"), "Z\xFCrich \x80");
    // Broken UTF-8: a lone continuation byte and a truncated sequence.
    EXPECT_EQ(Utf8ToCp1252("a\x80" "b\xE2\x82"), "a?b??");
}

}  // namespace
}  // namespace qc
