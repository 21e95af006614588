#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/protocol/controller.h"
#include "client/platform/timer.h"

namespace qc::protocol {

// A line longer than this is dropped whole; the receive buffer then resumes
// at the next CR, so a flood without line ends cannot exhaust memory.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;
// The chat list is text without a record count: cap it as well.
inline constexpr std::size_t kMaxChatBytes = 4 * 1024 * 1024;
// Records of one list beyond this many bytes are counted but not kept.
inline constexpr std::size_t kMaxListBytes = 32 * 1024 * 1024;

// Stores a list record at its index, growing the list by one when needed.
template <typename Rec>
void StoreRecord(std::vector<Rec>& list, std::int16_t index, Rec rec) {
    if (index < 0) {
        return;
    }
    const auto i = static_cast<std::size_t>(index);
    if (list.size() <= i) {
        list.resize(i + 1);
    }
    list[i] = std::move(rec);
}

// How a message is recognised on the lower-cased line.
enum class Match { Prefix, Whole };

// One row of the message table. The handler gets the line as received;
// returning false ends the handler and leaves later lines in the buffer.
struct MessageRoute {
    std::string prefix;  // lower case
    Match match = Match::Prefix;
    std::function<bool(const std::string& line)> handle;
};

// One multi-line list: a header line alone, record lines, and ".".
struct ListRoute {
    std::string header;  // lower case, matched as a whole line
    RcvMode mode = RcvMode::None;
    // Empties the stored list when its header arrives.
    std::function<void()> reset;
    // Stores one record at its zero-based index.
    std::function<void(const std::string& line, std::int16_t index)> record;
    // Runs on the closing "."; an abandoned list does not run it.
    std::function<void()> end;
    // Lists without a record count (the chat) store every line at index 0.
    bool counted = true;
};

// The data-arrival handler's framing and routing: cuts the received text
// into CR-ended lines, feeds the open list and hands every other line to
// the first route of the table that matches it. The routes belong to the
// subsystems that register them.
class Dispatcher {
  public:
    Dispatcher(ReceiveState& receive, platform::Timer& rcvModeTimer)
        : receive_(receive), rcvModeTimer_(rcvModeTimer) {}

    void AddMessage(MessageRoute route);
    void AddList(ListRoute route);
    const std::vector<MessageRoute>& Messages() const { return messages_; }
    const std::vector<ListRoute>& Lists() const { return lists_; }

    // Appends received text and handles every complete line. Returns when
    // the buffer holds no complete line, or after a handler said stop.
    void Receive(std::string_view text);
    void SetRcvMode(RcvMode mode);
    void RcvModeTimerTick() { SetRcvMode(RcvMode::None); }

  private:
    bool TakeLine(std::string& line);
    bool HandleLine(const std::string& line);
    void HandleListLine(const std::string& line);
    const ListRoute* OpenRoute() const;

    ReceiveState& receive_;
    platform::Timer& rcvModeTimer_;
    std::vector<MessageRoute> messages_;
    std::vector<ListRoute> lists_;
};

}  // namespace qc::protocol
