#pragma once

#include <cstdint>
#include <string>

// The session's shared state, one small struct per concern. The controller
// owns one of each; the subsystem that writes a struct is named on it, the
// others read it or call that subsystem's operations.
namespace qc::protocol {

inline constexpr const char* kCrLf = "\r\n";

// Written by the session.
struct LoginState {
    // The account identifier every line is sent under; "guest" for a guest
    // without an assigned identifier.
    std::string QVID;
    // The password digest; "*" for a new guest, "" when none is known.
    std::string PWHash;
    // One command held back until the next "update:".
    std::string OnConnect;
    // Seconds until PingTimer calls Connect.
    std::int16_t PingTime = 0;
};

// The open multi-line list, if any.
enum class RcvMode : std::int16_t {
    None = 0,
    OpenGames = 1,
    ClosedGames = 2,
    RequestsFor = 3,
    RequestsBy = 4,
    Scoreboard = 5,
    OppHistory = 6,
    GameTypes = 7,
    PublicReqs = 8,
    MoveLog = 9,
    Chat = 10,
};

// Written by the dispatcher.
struct ReceiveState {
    // Received text not yet cut into lines; kept across disconnections.
    std::string RcvBuffer;
    RcvMode Mode = RcvMode::None;
    std::int16_t RcvCount = 0;
    // Bytes of the open list's records so far.
    std::size_t ListBytes = 0;
    // True while the rest of an over-long line is being skipped.
    bool SkippingLongLine = false;
};

// Written by the session from each "update:" line.
struct StatusCounters {
    std::int16_t Reqs = 0;
    std::int16_t Games = 0;
    std::int16_t NumYourMove = 0;
    float Slots = 0;
    // Seconds: local clock minus server clock.
    std::int32_t TimeDiff = 0;

    bool operator==(const StatusCounters&) const = default;
};

// Where commands go. The session implements it; the windows' logic sends
// through it and never touches the socket.
class CommandSink {
  public:
    virtual ~CommandSink() = default;
    // Sends a command under the login; dropped while not logged in.
    virtual void Send(const std::string& command) = 0;
};

}  // namespace qc::protocol
