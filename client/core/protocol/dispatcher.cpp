#include "client/core/protocol/dispatcher.h"

#include <limits>

#include "client/core/text.h"

namespace qc::protocol {

namespace {

std::int16_t Increment(std::int16_t count) {
    // A count at its limit stays there: the record is then not stored.
    return count == std::numeric_limits<std::int16_t>::max() ? count
                                                             : static_cast<std::int16_t>(count + 1);
}

}  // namespace

void Dispatcher::AddMessage(MessageRoute route) {
    messages_.push_back(std::move(route));
}

void Dispatcher::AddList(ListRoute route) {
    lists_.push_back(std::move(route));
}

void Dispatcher::Receive(std::string_view text) {
    ReceiveState& rs = receive_;
    if (rs.SkippingLongLine) {
        const std::size_t cr = text.find('\r');
        if (cr == std::string_view::npos) {
            return;
        }
        text.remove_prefix(cr + 1);
        rs.SkippingLongLine = false;
    }
    rs.RcvBuffer.append(text);
    // Lines are taken one at a time from the shared buffer: a message box
    // below may run this handler again for a newer datagram.
    std::string line;
    while (TakeLine(line)) {
        if (!HandleLine(line)) {
            return;
        }
    }
}

bool Dispatcher::TakeLine(std::string& line) {
    ReceiveState& rs = receive_;
    while (true) {
        const std::size_t cr = rs.RcvBuffer.find('\r');
        if (cr == std::string::npos) {
            if (rs.RcvBuffer.size() > kMaxLineBytes) {
                rs.RcvBuffer.clear();
                rs.SkippingLongLine = true;
            }
            return false;
        }
        if (cr > kMaxLineBytes) {
            rs.RcvBuffer.erase(0, cr + 1);
            continue;
        }
        line.assign(rs.RcvBuffer, 0, cr);
        rs.RcvBuffer.erase(0, cr + 1);
        return true;
    }
}

void Dispatcher::SetRcvMode(RcvMode mode) {
    receive_.Mode = mode;
    rcvModeTimer_.SetEnabled(mode != RcvMode::None);
}

const ListRoute* Dispatcher::OpenRoute() const {
    for (const ListRoute& l : lists_) {
        if (l.mode == receive_.Mode) {
            return &l;
        }
    }
    return nullptr;
}

bool Dispatcher::HandleLine(const std::string& line) {
    if (receive_.Mode != RcvMode::None) {
        HandleListLine(line);
        return true;
    }
    const std::string lower = text::ToLower(line);
    for (const ListRoute& l : lists_) {
        if (lower == l.header) {
            SetRcvMode(l.mode);
            receive_.RcvCount = 0;
            receive_.ListBytes = 0;
            if (l.reset) {
                l.reset();
            }
            return true;
        }
    }
    for (const MessageRoute& m : messages_) {
        const bool hit =
            m.match == Match::Whole ? lower == m.prefix : text::StartsWith(lower, m.prefix);
        if (hit) {
            return m.handle(line);
        }
    }
    // Everything else ("settings: ", the account replies and unknown lines)
    // is not acted on here.
    return true;
}

void Dispatcher::HandleListLine(const std::string& line) {
    ReceiveState& rs = receive_;
    const ListRoute* route = OpenRoute();
    if (line == ".") {
        SetRcvMode(RcvMode::None);
        if (route != nullptr && route->end) {
            route->end();
        }
        return;
    }
    // A list may hold many records, but not without bound.
    rs.ListBytes += line.size() + 1;
    if (rs.ListBytes > kMaxListBytes) {
        rs.RcvCount = Increment(rs.RcvCount);
        return;
    }
    if (route == nullptr) {
        return;
    }
    if (route->record) {
        route->record(line, route->counted ? rs.RcvCount : 0);
    }
    if (route->counted) {
        rs.RcvCount = Increment(rs.RcvCount);
    }
}

}  // namespace qc::protocol
