#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qc {

struct HostPort {
    std::string host;
    std::uint16_t port = 0;
};

struct CommandLine {
    HostPort server;
    HostPort banner;
    bool help = false;
    bool version = false;
    // Set when the arguments are not understood; says why.
    std::string error;
};

// Reads "HOST", "HOST:PORT" or "[IPv6]:PORT"; the default port applies when
// none is given. False for an empty host or a port outside 1..65535.
bool ParseHostPort(const std::string& text, std::uint16_t defaultPort, HostPort& out);

// The client's arguments (without the program name).
CommandLine ParseCommandLine(const std::vector<std::string>& args, const HostPort& defaultServer,
                             const HostPort& defaultBanner);

std::string UsageText();

}  // namespace qc
