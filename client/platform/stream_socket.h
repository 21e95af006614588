#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace qc::platform {

// A TCP connection to a server, one at a time. Events arrive from the event
// loop, never from inside a call.
class StreamSocket {
  public:
    virtual ~StreamSocket() = default;
    // Starts connecting; onConnected or onError follows.
    virtual void Connect(const std::string& host, std::uint16_t port) = 0;
    virtual void Write(const std::string& bytes) = 0;
    // Drops the connection; no event follows for it.
    virtual void Close() = 0;

    std::function<void()> onConnected;
    std::function<void(const std::string& bytes)> onData;
    // The connection failed, broke or was closed by the other side.
    std::function<void()> onError;
};

}  // namespace qc::platform
