#include "client/core/protocol/server_time.h"

#include <array>
#include <chrono>
#include <cstdio>

#include "client/core/text.h"

namespace qc::protocol {
namespace {

namespace chr = std::chrono;

constexpr std::array<const char*, 12> kMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

std::optional<int> TwoDigits(std::string_view s) {
    if (s.size() != 2 || s[0] < '0' || s[0] > '9' || s[1] < '0' || s[1] > '9') {
        return std::nullopt;
    }
    return (s[0] - '0') * 10 + (s[1] - '0');
}

}  // namespace

std::int64_t CivilSeconds(const platform::CivilTime& t) {
    // Month and day are counted on from January 1st, so a value past the end
    // of its range runs into the next month or year instead of being
    // undefined.
    const chr::year_month month = chr::year{t.year} / chr::January + chr::months{t.month - 1};
    const chr::sys_days date = chr::sys_days{month / 1} + chr::days{t.day - 1};
    const chr::sys_seconds time =
        date + chr::hours{t.hour} + chr::minutes{t.minute} + chr::seconds{t.second};
    return time.time_since_epoch().count();
}

platform::CivilTime CivilFromSeconds(std::int64_t seconds) {
    const chr::sys_seconds time{chr::seconds{seconds}};
    const chr::sys_days date = chr::floor<chr::days>(time);
    const chr::year_month_day ymd{date};
    const chr::hh_mm_ss hms{time - date};
    platform::CivilTime t;
    t.year = static_cast<int>(ymd.year());
    t.month = static_cast<int>(static_cast<unsigned>(ymd.month()));
    t.day = static_cast<int>(static_cast<unsigned>(ymd.day()));
    t.hour = static_cast<int>(hms.hours().count());
    t.minute = static_cast<int>(hms.minutes().count());
    t.second = static_cast<int>(hms.seconds().count());
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
    for (std::size_t i = 0; i < kMonthNames.size(); ++i) {
        if (text::EqualsIgnoreCase(text.substr(2, 3), kMonthNames[i])) {
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
    const chr::year_month_day date{chr::year{year}, chr::month{static_cast<unsigned>(month)},
                                   chr::day{static_cast<unsigned>(*day)}};
    if (!date.ok()) {
        return std::nullopt;
    }
    return platform::CivilTime{year, month, *day, *hour, *minute, *second};
}

std::string FormatServerTimestamp(const platform::CivilTime& t) {
    // Months out of range wrap around the year rather than index past the
    // names.
    const int month = ((t.month - 1) % 12 + 12) % 12;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d%s%02d%02d%02d%02d", t.day % 100,
                  kMonthNames[static_cast<std::size_t>(month)], t.year % 100, t.hour % 100,
                  t.minute % 100, t.second % 100);
    return buf;
}

}  // namespace qc::protocol
