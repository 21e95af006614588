#include "client/core/text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/protocol/wire_number.h"

namespace qc::text {
namespace {

// A run of capitals and the lower-case letters they pair with, byte by byte.
struct LetterRun {
    const char* name;
    int upperFirst;
    int upperLast;
    int lowerFirst;
};

class CaseFolding : public ::testing::TestWithParam<LetterRun> {};

TEST_P(CaseFolding, CapitalsAndSmallLettersPair) {
    const LetterRun& run = GetParam();
    for (int u = run.upperFirst; u <= run.upperLast; ++u) {
        const char upper = static_cast<char>(u);
        const char lower = static_cast<char>(run.lowerFirst + (u - run.upperFirst));
        SCOPED_TRACE(u);
        EXPECT_EQ(ToLowerChar(upper), lower);
        EXPECT_EQ(ToUpperChar(lower), upper);
        EXPECT_EQ(ToLowerChar(lower), lower);
        EXPECT_EQ(ToUpperChar(upper), upper);
        EXPECT_TRUE(EqualsIgnoreCase(std::string(1, upper), std::string(1, lower)));
    }
}

INSTANTIATE_TEST_SUITE_P(Windows1252, CaseFolding,
                         ::testing::Values(LetterRun{"Ascii", 'A', 'Z', 'a'},
                                           LetterRun{"AGraveToOUmlaut", 0xC0, 0xD6, 0xE0},
                                           LetterRun{"OSlashToThorn", 0xD8, 0xDE, 0xF8},
                                           LetterRun{"SCaron", 0x8A, 0x8A, 0x9A},
                                           LetterRun{"OeLigature", 0x8C, 0x8C, 0x9C},
                                           LetterRun{"ZCaron", 0x8E, 0x8E, 0x9E},
                                           LetterRun{"YDiaeresis", 0x9F, 0x9F, 0xFF}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CaseFoldingBytes, OnlyTheSixtyLetterPairsChange) {
    // 26 + 23 + 7 + 4 capitals, and as many small letters.
    int lowered = 0;
    int raised = 0;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        lowered += ToLowerChar(c) != c ? 1 : 0;
        raised += ToUpperChar(c) != c ? 1 : 0;
        // Folding twice changes nothing more.
        EXPECT_EQ(ToLowerChar(ToLowerChar(c)), ToLowerChar(c)) << b;
        EXPECT_EQ(ToUpperChar(ToUpperChar(c)), ToUpperChar(c)) << b;
    }
    EXPECT_EQ(lowered, 60);
    EXPECT_EQ(raised, 60);

    struct Row {
        const char* name;
        char byte;
    };
    const Row unpaired[] = {
        {"multiplication sign", '\xD7'},
        {"division sign", '\xF7'},
        {"sharp s", '\xDF'},
        {"micro sign", '\xB5'},
        {"euro sign", '\x80'},
        {"undefined 0x81", '\x81'},
        {"digit", '7'},
        {"at sign", '@'},
        {"left bracket", '['},
    };
    for (const Row& row : unpaired) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ToLowerChar(row.byte), row.byte);
        EXPECT_EQ(ToUpperChar(row.byte), row.byte);
    }
}

TEST(CaseFoldingText, WholeStringsAndComparisons) {
    EXPECT_EQ(ToLower("J\xC9R\xD4ME \x8A\x8C\x8E\x9F \xD7\xDF"),
              "j\xE9r\xF4me \x9A\x9C\x9E\xFF \xD7\xDF");
    EXPECT_EQ(ToUpper("j\xE9r\xF4me \x9A\x9C\x9E\xFF \xF7\xDF\xB5"),
              "J\xC9R\xD4ME \x8A\x8C\x8E\x9F \xF7\xDF\xB5");

    struct Row {
        const char* name;
        std::string_view a;
        std::string_view b;
        bool equal;
    };
    const Row rows[] = {
        {"ascii", "GuestBob", "gUESTbOB", true},
        {"accented", "Andr\xC9", "andr\xE9", true},
        {"y diaeresis", "\x9F", "\xFF", true},
        {"empty", "", "", true},
        {"prefix only", "bob", "bobs", false},
        {"times and divide are not a pair", "\xD7", "\xF7", false},
        {"sharp s has no capital", "\xDF", "SS", false},
        {"bracket and brace are not a pair", "[", "{", false},
        {"a letter and its neighbour", "e", "F", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(EqualsIgnoreCase(row.a, row.b), row.equal);
        EXPECT_EQ(EqualsIgnoreCase(row.b, row.a), row.equal);
    }
}

TEST(Trimming, BlanksAtTheEndsOnly) {
    struct Row {
        const char* name;
        std::string_view in;
        std::string_view both, left, right;
    };
    const Row rows[] = {
        {"both ends", "  a b  ", "a b", "a b  ", "  a b"},
        {"nothing to trim", "a b", "a b", "a b", "a b"},
        {"only blanks", "   ", "", "", ""},
        {"empty", "", "", "", ""},
        {"tabs and line ends are not blanks", "\t x\r ", "\t x\r", "\t x\r ", "\t x\r"},
        {"non-breaking space is not a blank", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Trim(row.in), row.both);
        EXPECT_EQ(TrimLeft(row.in), row.left);
        EXPECT_EQ(TrimRight(row.in), row.right);
    }
}

TEST(CommaFieldReading, FieldsNeedTheirCommaAndTheRestStaysWhole) {
    struct Row {
        const char* name;
        std::string_view line;
        std::vector<std::string_view> fields;
        std::string_view rest;
    };
    const Row rows[] = {
        {"three fields", "a,b,c", {"a", "b"}, "c"},
        {"empty fields", ",,", {"", ""}, ""},
        {"trailing comma", "a,", {"a"}, ""},
        {"no comma", "abc", {}, "abc"},
        {"empty line", "", {}, ""},
        {"blanks kept", " a , b", {" a "}, " b"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        CommaFields f(row.line);
        std::vector<std::string_view> read;
        while (const auto field = f.Next()) {
            read.push_back(*field);
        }
        EXPECT_EQ(read, row.fields);
        EXPECT_EQ(f.Rest(), row.rest);
        // Asking again without a comma changes nothing.
        EXPECT_FALSE(f.Next().has_value());
        EXPECT_EQ(f.Rest(), row.rest);
    }

    CommaFields f("12,7x");
    EXPECT_EQ(f.NextOrRest(), "12");
    EXPECT_EQ(f.NextOrRest(), "7x");  // no comma: the remainder, which stays
    EXPECT_EQ(f.Rest(), "7x");
}

}  // namespace
}  // namespace qc::text

namespace qc::protocol {
namespace {

TEST(WireNumbers, LeadingNumber) {
    struct Row {
        const char* name;
        std::string_view text;
        double value;
    };
    const Row rows[] = {
        {"integer", "42", 42},
        {"blanks and tabs skipped", " \t7", 7},
        {"stops at a letter", "1x", 1},
        {"stops at a comma", "12,5", 12},
        {"negative fraction", "-3.25", -3.25},
        {"plus sign", "+2", 2},
        {"fraction alone", ".5", 0.5},
        {"no number", "abc", 0},
        {"empty", "", 0},
        {"blank after the sign", "- 5", 0},
        {"exponent not read", "1e3", 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_DOUBLE_EQ(LeadingNumber(row.text), row.value);
    }
}

TEST(WireNumbers, WholeNumber) {
    struct Row {
        const char* name;
        std::string_view text;
        std::optional<double> value;
    };
    const Row rows[] = {
        {"integer", "3", 3},
        {"blanks around", " 2.5 ", 2.5},
        {"signed", "-7", -7},
        {"trailing letter", "4x", std::nullopt},
        {"empty", "", std::nullopt},
        {"blanks only", "  ", std::nullopt},
        {"sign alone", "-", std::nullopt},
        {"point alone", ".", std::nullopt},
        {"tab is not a blank", "\t3", std::nullopt},
        {"two numbers", "1 2", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(WholeNumber(row.text), row.value);
    }
}

TEST(WireNumbers, RoundingHalvesToEvenWithinRange) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Row {
        const char* name;
        double value;
        std::optional<std::int16_t> small;
        std::optional<std::int32_t> large;
    };
    const Row rows[] = {
        {"half down to even", 2.5, 2, 2},
        {"half up to even", 3.5, 4, 4},
        {"negative half", -2.5, -2, -2},
        {"below half", 2.49, 2, 2},
        {"int16 top", 32767.4, 32767, 32767},
        {"rounds past int16", 32767.5, std::nullopt, 32768},
        {"int16 bottom half to even", -32768.5, -32768, -32768},
        {"int32 top", 2147483647.0, std::nullopt, 2147483647},
        {"rounds past int32", 2147483647.5, std::nullopt, std::nullopt},
        {"infinity", inf, std::nullopt, std::nullopt},
        {"not a number", nan, std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(RoundToInt16(row.value), row.small);
        EXPECT_EQ(RoundToInt32(row.value), row.large);
    }
}

TEST(WireNumbers, InStrAndMidFromCountFromOne) {
    struct Row {
        const char* name;
        std::size_t start;
        std::string_view text;
        std::size_t found;
        std::string_view mid;
    };
    const Row rows[] = {
        {"from the start", 1, "a,b,c", 2, "a,b,c"},
        {"from the comma itself", 2, "a,b,c", 2, ",b,c"},
        {"past the first comma", 3, "a,b,c", 4, "b,c"},
        {"no comma left", 5, "a,b,c", 0, "c"},
        {"past the end", 6, "a,b,c", 0, ""},
        {"position zero", 0, "a,b,c", 0, ""},
        {"empty text", 1, "", 0, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(InStr(row.start, row.text, ','), row.found);
        EXPECT_EQ(MidFrom(row.text, row.start), row.mid);
    }
}

}  // namespace
}  // namespace qc::protocol
