#pragma once

#include <chrono>
#include <compare>
#include <cstdint>
#include <string>

namespace qc::server {

using Clock = std::chrono::system_clock;
using TimePoint = Clock::time_point;

// Where a datagram came from or goes to. The address is kept as text so the
// core stays free of any socket type.
struct Endpoint {
    std::string address;
    std::uint16_t port = 0;

    auto operator<=>(const Endpoint&) const = default;
    bool operator==(const Endpoint&) const = default;
};

// One server line for one endpoint, without its CR.
struct Outgoing {
    Endpoint to;
    std::string text;

    bool operator==(const Outgoing&) const = default;
};

inline std::int64_t ToUnixSeconds(TimePoint t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

inline TimePoint FromUnixSeconds(std::int64_t s) {
    return TimePoint(std::chrono::seconds(s));
}

}  // namespace qc::server
