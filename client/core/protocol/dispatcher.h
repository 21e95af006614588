#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "client/core/protocol/controller.h"
#include "client/platform/clock.h"

namespace qc {
class Setup;
}

namespace qc::protocol {

// A line longer than this is dropped whole; the receive buffer then resumes
// at the next CR, so a flood without line ends cannot exhaust memory.
inline constexpr std::size_t kMaxLineBytes = 64 * 1024;
// The chat list is text without a record count: cap it as well.
inline constexpr std::size_t kMaxChatBytes = 4 * 1024 * 1024;
// Records of one list beyond this many bytes are counted but not kept.
inline constexpr std::size_t kMaxListBytes = 32 * 1024 * 1024;

// The data-arrival handler: frames the server's datagrams into CR-ended
// lines, receives multi-line lists and dispatches every server message.
class Dispatcher {
  public:
    explicit Dispatcher(Setup& setup) : setup_(setup) {}

    void OnDataArrival();
    // Appends received text and handles every complete line. Returns when
    // the buffer holds no complete line, or after a login refusal.
    void Receive(std::string_view text);
    void SetRcvMode(RcvMode mode);
    void RcvModeTimerTick() { SetRcvMode(RcvMode::None); }

  private:
    bool TakeLine(std::string& line);
    // False ends the handler, leaving later lines in the buffer.
    bool HandleLine(const std::string& line);
    void HandleListLine(const std::string& line);
    bool HandleMessage(const std::string& line);
    void OpenList(RcvMode mode);
    void EndList(RcvMode mode);
    void HandleUpdate(const std::string& line);
    void HandleGame(const std::string& line);
    void UpdateGameWin();
    void HandleNotice(const std::string& line);
    void HandleWebNotice(const std::string& line);
    void LoginRefused(const std::string& tooltipReason, const std::string& message,
                      int settingsFocus);
    void HandleSlots(const std::string& line);
    void MessageBox(const std::string& text);
    platform::CivilTime Now() const;

    Setup& setup_;
};

// "James" gives "James'", "Anna" gives "Anna's".
std::string Possessive(const std::string& name);

// The tray's status text for the counters.
std::string StatusText(const std::string& qvid, const StatusCounters& counters);

}  // namespace qc::protocol
