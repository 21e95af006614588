#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qc {

struct HostPort {
    std::string host;
    std::uint16_t port = 0;
};

// Reads "HOST", "HOST:PORT" or "[IPv6]:PORT"; the default port applies when
// none is given. False for an empty host or a port outside 1..65535.
bool ParseHostPort(const std::string& text, std::uint16_t defaultPort, HostPort& out);

}  // namespace qc
