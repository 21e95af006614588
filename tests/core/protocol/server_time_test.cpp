#include <gtest/gtest.h>

#include "client/core/protocol/server_time.h"

#include <vector>

namespace qc::protocol {
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

TEST(ServerTimestamp, LeapDaysFollowTheCenturyThatIsChosen) {
    struct Row {
        const char* name;
        const char* text;
        int nowYear;
        bool valid;
    };
    const Row rows[] = {
        {"2000 is a leap year", "29Feb00000000", 2026, true},
        {"2100 is not", "29Feb00000000", 2099, false},
        {"1996 is", "29Feb96000000", 2026, true},
        {"2027 is not", "29Feb27000000", 2026, false},
        {"30 February never", "30Feb28000000", 2026, false},
        {"31 April never", "31Apr26000000", 2026, false},
        {"day zero", "00Jan26000000", 2026, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ParseServerTimestamp(row.text, {row.nowYear, 6, 1, 0, 0, 0}).has_value(),
                  row.valid);
    }
}

TEST(CivilTime, SecondsAndDatesMatchTheCalendar) {
    struct Row {
        const char* name;
        std::int64_t seconds;
        platform::CivilTime civil;
    };
    const Row rows[] = {
        {"epoch", 0, {1970, 1, 1, 0, 0, 0}},
        {"a second before the epoch", -1, {1969, 12, 31, 23, 59, 59}},
        {"leap day", 951782400, {2000, 2, 29, 0, 0, 0}},
        {"end of a year", 1798761599, {2026, 12, 31, 23, 59, 59}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const platform::CivilTime t = CivilFromSeconds(row.seconds);
        EXPECT_EQ((std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second}),
                  (std::vector<int>{row.civil.year, row.civil.month, row.civil.day, row.civil.hour,
                                    row.civil.minute, row.civil.second}));
        EXPECT_EQ(CivilSeconds(row.civil), row.seconds);
    }
    EXPECT_EQ(CivilSeconds({1900, 3, 1, 0, 0, 0}) - CivilSeconds({1900, 2, 28, 0, 0, 0}), 86400);
    // Values past their range run on into the next month or year.
    EXPECT_EQ(CivilSeconds({2026, 13, 1, 0, 0, 0}), CivilSeconds({2027, 1, 1, 0, 0, 0}));
    EXPECT_EQ(CivilSeconds({2026, 0, 1, 0, 0, 0}), CivilSeconds({2025, 12, 1, 0, 0, 0}));
    EXPECT_EQ(CivilSeconds({2026, 2, 29, 0, 0, 0}), CivilSeconds({2026, 3, 1, 0, 0, 0}));
    EXPECT_EQ(CivilSeconds({2026, 12, 31, 24, 0, 0}), CivilSeconds({2027, 1, 1, 0, 0, 0}));
}

TEST(ServerTimestamp, MonthsOutOfRangeWrapAroundTheNames) {
    EXPECT_EQ(FormatServerTimestamp({2026, 13, 5, 1, 2, 3}), "05Jan26010203");
    EXPECT_EQ(FormatServerTimestamp({2026, 0, 5, 1, 2, 3}), "05Dec26010203");
    EXPECT_EQ(FormatServerTimestamp({2026, -12, 5, 1, 2, 3}), "05Dec26010203");
    EXPECT_EQ(FormatServerTimestamp({2026, -25, 5, 1, 2, 3}), "05Nov26010203");
}

}  // namespace
}  // namespace qc::protocol
