#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace qc::platform {

// The game server's datagram socket. Every operation reports failure by
// returning false; the caller decides what a failure means.
class DatagramSocket {
  public:
    virtual ~DatagramSocket() = default;
    virtual void Close() = 0;
    // Binds to any free local port.
    virtual bool Bind() = 0;
    // Sets where datagrams go; an empty host clears the remote end.
    virtual bool SetRemote(const std::string& host, std::uint16_t port) = 0;
    virtual bool SendDatagram(const std::string& bytes) = 0;
    // Reads every pending datagram that came from the remote end, in order,
    // appended to `out`, and tells how many there were. Datagrams from any
    // other sender are dropped and not counted. Nothing on a read error.
    virtual std::optional<std::size_t> ReadPending(std::string& out) = 0;
    // Called when datagrams are waiting.
    std::function<void()> onDataArrival;
};

}  // namespace qc::platform
