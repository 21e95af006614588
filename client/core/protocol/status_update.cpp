#include "client/core/protocol/status_update.h"

#include <cmath>
#include <limits>

#include "client/core/desktop/status_display.h"
#include "client/core/protocol/server_time.h"
#include "client/core/protocol/wire_number.h"

namespace qc::protocol {

StatusCounters ReadUpdateCounters(std::string_view line, const StatusCounters& previous,
                                  const platform::CivilTime& now) {
    StatusCounters c = previous;
    std::size_t starts[5];
    starts[0] = 8;
    for (int i = 1; i < 5; ++i) {
        starts[i] = InStr(starts[i - 1], line, ',') + 1;
    }
    if (auto v = RoundToInt16(LeadingNumber(MidFrom(line, starts[0])))) {
        c.Reqs = *v;
    }
    if (auto v = RoundToInt16(LeadingNumber(MidFrom(line, starts[1])))) {
        c.Games = *v;
    }
    const double slots = LeadingNumber(MidFrom(line, starts[2]));
    if (std::fabs(slots) <= std::numeric_limits<float>::max()) {
        c.Slots = static_cast<float>(slots);
    }
    if (auto v = RoundToInt16(LeadingNumber(MidFrom(line, starts[3])))) {
        c.NumYourMove = *v;
    }
    if (auto server = protocol::ParseServerTimestamp(MidFrom(line, starts[4]), now)) {
        const std::int64_t diff = protocol::CivilSeconds(now) - protocol::CivilSeconds(*server);
        if (diff >= std::numeric_limits<std::int32_t>::min() &&
            diff <= std::numeric_limits<std::int32_t>::max()) {
            c.TimeDiff = static_cast<std::int32_t>(diff);
        }
    }
    return c;
}

StatusChange DecideStatus(const StatusCounters& c, std::int16_t previous) {
    if (c.NumYourMove == 0 && c.Reqs == 0) {
        return {desktop::kStateIdle, false};
    }
    if (c.NumYourMove > 0) {
        return {desktop::kStateYourMove, previous != desktop::kStateYourMove};
    }
    return {desktop::kStateRequest, previous < desktop::kStateYourMove};
}

std::string StatusText(const std::string& qvid, const StatusCounters& c) {
    const double slots = std::floor(static_cast<double>(c.Slots));
    std::string slotText = "0";
    if (std::isfinite(slots) && std::fabs(slots) < 1e15) {
        slotText = std::to_string(static_cast<long long>(slots));
    }
    return "QVID: " + qvid + kCrLf + "Games: " + std::to_string(c.Games) + "/" + slotText + kCrLf +
           "Requests: " + std::to_string(c.Reqs) + kCrLf +
           "Your move: " + std::to_string(c.NumYourMove);
}

}  // namespace qc::protocol
