#include <gtest/gtest.h>

#include "client/core/lobby/server_time.h"

namespace qc::lobby {
namespace {

TEST(ServerTimestamp, ParsesEveryMonthAndRejectsNonsense) {
    const platform::CivilTime now{2026, 12, 9, 12, 0, 0};
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 0; m < 12; ++m) {
        const auto t = ParseServerTimestamp(std::string("05") + months[m] + "26153012", now);
        ASSERT_TRUE(t.has_value()) << months[m];
        EXPECT_EQ(t->month, m + 1);
        EXPECT_EQ(t->year, 2026);
        EXPECT_EQ(t->day, 5);
        EXPECT_EQ(t->hour, 15);
        EXPECT_EQ(t->minute, 30);
        EXPECT_EQ(t->second, 12);
    }
    EXPECT_TRUE(ParseServerTimestamp("05DEC26153012", now).has_value());
    for (const char* bad :
         {"", "05Dec2615301", "05Dec261530120", "05Xyz26153012", "32Dec26000000", "29Feb26000000",
          "05Dec26240000", "05Dec26006000", "a5Dec26000000", "05Dec2600000 "}) {
        EXPECT_FALSE(ParseServerTimestamp(bad, now).has_value()) << bad;
    }
    EXPECT_TRUE(ParseServerTimestamp("29Feb28000000", now).has_value());
}

TEST(ServerTimestamp, TwoDigitYearsTakeTheNearestCentury) {
    EXPECT_EQ(ParseServerTimestamp("01Jan99000000", {2026, 1, 1, 0, 0, 0})->year, 1999);
    EXPECT_EQ(ParseServerTimestamp("01Jan30000000", {2026, 1, 1, 0, 0, 0})->year, 2030);
    EXPECT_EQ(ParseServerTimestamp("01Jan01000000", {2098, 1, 1, 0, 0, 0})->year, 2101);
}

TEST(ServerTimestamp, FormatRoundTripsAndCivilSecondsAreConsistent) {
    const platform::CivilTime t{2026, 3, 7, 9, 5, 1};
    EXPECT_EQ(FormatServerTimestamp(t), "07Mar26090501");
    const auto back = ParseServerTimestamp(FormatServerTimestamp(t), t);
    ASSERT_TRUE(back);
    EXPECT_EQ(CivilSeconds(*back), CivilSeconds(t));
    for (std::int64_t s : {0LL, 86399LL, 951782400LL, 1798761599LL, -86401LL}) {
        EXPECT_EQ(CivilSeconds(CivilFromSeconds(s)), s) << s;
    }
    EXPECT_EQ(CivilSeconds({2000, 3, 1, 0, 0, 0}) - CivilSeconds({2000, 2, 28, 0, 0, 0}),
              2 * 86400);
}

}  // namespace
}  // namespace qc::lobby
