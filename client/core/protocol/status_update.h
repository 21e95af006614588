#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "client/core/protocol/controller.h"
#include "client/platform/clock.h"

namespace qc::protocol {

// Reads the counters of an "update:" line (requests, games, slots, your
// move, server time). Each field starts after the first comma from the
// previous field's start; a missing comma sends the search back to the
// line's start. A field that cannot be read keeps its previous value.
// `now` is the local time the server time is compared with.
StatusCounters ReadUpdateCounters(std::string_view line, const StatusCounters& previous,
                                  const platform::CivilTime& now);

// The tray state the counters call for, and whether the your-move sound is
// due given the state before.
struct StatusChange {
    std::int16_t state = 0;
    bool alert = false;
    bool operator==(const StatusChange&) const = default;
};
StatusChange DecideStatus(const StatusCounters& counters, std::int16_t previousState);

// The tray's status text for the counters.
std::string StatusText(const std::string& qvid, const StatusCounters& counters);

}  // namespace qc::protocol
