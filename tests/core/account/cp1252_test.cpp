#include <gtest/gtest.h>

#include <string>
#include <string_view>

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
    EXPECT_EQ(Utf8ToCp1252("a\x80"
                           "b\xE2\x82"),
              "a?b??");
}

TEST(Cp1252, InvalidUtf8BecomesQuestionMarks) {
    struct Row {
        const char* name;
        std::string_view utf8;
        std::string_view bytes;
    };
    const Row rows[] = {
        {"overlong carriage return",
         "a\xC0\x8D"
         "b",
         "a??b"},
        {"overlong comma", "\xC0\xAC", "??"},
        {"three-byte overlong carriage return", "\xE0\x80\x8D", "???"},
        {"four-byte overlong letter", "\xF0\x80\x81\x81", "????"},
        {"surrogate", "\xED\xA0\x80", "???"},
        {"beyond the last code point", "\xF4\x90\x80\x80", "????"},
        {"no such lead byte", "\xF8x", "?x"},
        {"shortest two-byte form", "\xC2\xA0", "\xA0"},
        {"shortest three-byte form", "\xE0\xA0\x80", "?"},
        {"last code point", "\xF4\x8F\xBF\xBF", "?"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Utf8ToCp1252(row.utf8), row.bytes);
    }
}

}  // namespace
}  // namespace qc
