#include "client/core/lobby/server_time.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace qc::lobby {
namespace {

constexpr std::array<const char*, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[static_cast<std::size_t>(m - 1)];
}

std::optional<int> TwoDigits(std::string_view s) {
    if (s.size() != 2 || !std::isdigit(static_cast<unsigned char>(s[0])) ||
        !std::isdigit(static_cast<unsigned char>(s[1]))) {
        return std::nullopt;
    }
    return (s[0] - '0') * 10 + (s[1] - '0');
}

}  // namespace

std::int64_t CivilSeconds(const platform::CivilTime& t) {
    return DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) *
               86400 +
           t.hour * 3600 + t.minute * 60 + t.second;
}

platform::CivilTime CivilFromSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / 86400;
    std::int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned>(days - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    platform::CivilTime t;
    t.year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
    t.month = static_cast<int>(m);
    t.day = static_cast<int>(d);
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    t.second = static_cast<int>(rest % 60);
    return t;
}

std::optional<platform::CivilTime> ParseServerTimestamp(std::string_view text,
                                                        const platform::CivilTime& now) {
    if (text.size() != 13) {
        return std::nullopt;
    }
    const auto day = TwoDigits(text.substr(0, 2));
    const auto yy = TwoDigits(text.substr(5, 2));
    const auto hour = TwoDigits(text.substr(7, 2));
    const auto minute = TwoDigits(text.substr(9, 2));
    const auto second = TwoDigits(text.substr(11, 2));
    if (!day || !yy || !hour || !minute || !second) {
        return std::nullopt;
    }
    int month = 0;
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        bool same = true;
        for (std::size_t k = 0; k < 3; ++k) {
            same = same && std::tolower(static_cast<unsigned char>(text[2 + k])) == kMonths[i][k];
        }
        if (same) {
            month = static_cast<int>(i) + 1;
        }
    }
    if (month == 0 || *hour > 23 || *minute > 59 || *second > 59) {
        return std::nullopt;
    }
    // The century nearest to now, so the reading does not expire in 2030.
    const int century = now.year - now.year % 100;
    int year = century + *yy;
    if (year - now.year > 50) {
        year -= 100;
    } else if (now.year - year > 50) {
        year += 100;
    }
    if (*day < 1 || *day > DaysInMonth(year, month)) {
        return std::nullopt;
    }
    return platform::CivilTime{year, month, *day, *hour, *minute, *second};
}

std::string FormatServerTimestamp(const platform::CivilTime& t) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%s%02d%02d%02d%02d", t.day % 100,
                  kMonthNames[static_cast<std::size_t>((t.month + 11) % 12)], t.year % 100,
                  t.hour % 100, t.minute % 100, t.second % 100);
    return buf;
}

}  // namespace qc::lobby
