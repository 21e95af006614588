#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "client/platform/clock.h"

namespace qc::protocol {

// Seconds since 1970-01-01 of a civil time, ignoring time zones: only
// differences between two such values are meaningful.
std::int64_t CivilSeconds(const platform::CivilTime& t);
platform::CivilTime CivilFromSeconds(std::int64_t seconds);

// Reads a server timestamp: 13 characters, day, English month abbreviation,
// two-digit year, hour, minute, second ("05Dec26153012"). The century is the
// one that puts the date nearest to `now`. Anything else gives nothing.
std::optional<platform::CivilTime> ParseServerTimestamp(std::string_view text,
                                                        const platform::CivilTime& now);

// Writes a server timestamp.
std::string FormatServerTimestamp(const platform::CivilTime& t);

}  // namespace qc::protocol
