#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "client/core/game/game_messages.h"

// The controller's shared state, one small struct per concern. Setup owns
// one of each; the subsystems read and write them through Setup.
namespace qc::protocol {

inline constexpr const char* kCrLf = "\r\n";

// Tray states.
inline constexpr std::int16_t kStateOffline = 0;
inline constexpr std::int16_t kStateIdle = 1;
inline constexpr std::int16_t kStateYourMove = 2;
inline constexpr std::int16_t kStateRequest = 3;

struct LoginState {
    // The account identifier every line is sent under; "guest" for a guest
    // without an assigned identifier.
    std::string QVID;
    // The password digest; "*" for a new guest, "" when none is known.
    std::string PWHash;
    std::int16_t State = kStateOffline;
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

struct StatusCounters {
    std::int16_t Reqs = 0;
    std::int16_t Games = 0;
    std::int16_t NumYourMove = 0;
    float Slots = 0;
    // Seconds: local clock minus server clock.
    std::int32_t TimeDiff = 0;
    // ";"-separated game type names.
    std::string GameTypes = "Standard;Chess960";
};

// Lists kept as plain lines until their records get a parser of their own.
struct ListLines {
    std::vector<std::string> OppHistoryData{""};
    std::vector<std::string> MoveLogLines{""};
    std::string ChatText;
};

// The game being shown in the game window: the fields of its "game: "
// line, and what the other game messages and the move input keep.
struct CurrentGame : game::GameFields {
    std::string Board;
    std::string CanMove;
    std::string Selected;
    std::string Orientation;
    std::string PendingMove;
    bool ViewNextPending = false;
};

}  // namespace qc::protocol
