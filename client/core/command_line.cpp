#include "client/core/command_line.h"

namespace qc {

bool ParseHostPort(const std::string& text, std::uint16_t defaultPort, HostPort& out) {
    std::string host = text;
    std::string port;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string::npos) {
            return false;
        }
        host = text.substr(1, close - 1);
        const std::string rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') {
                return false;
            }
            port = rest.substr(1);
            if (port.empty()) {
                return false;
            }
        }
    } else if (const std::size_t colon = text.find(':'); colon != std::string::npos) {
        // More than one colon without brackets is a bare IPv6 address.
        if (text.find(':', colon + 1) == std::string::npos) {
            host = text.substr(0, colon);
            port = text.substr(colon + 1);
            if (port.empty()) {
                return false;
            }
        }
    }
    if (host.empty()) {
        return false;
    }
    std::uint32_t value = defaultPort;
    if (!port.empty()) {
        if (port.size() > 5) {
            return false;
        }
        value = 0;
        for (char c : port) {
            if (c < '0' || c > '9') {
                return false;
            }
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
        }
    }
    if (value < 1 || value > 65535) {
        return false;
    }
    out.host = host;
    out.port = static_cast<std::uint16_t>(value);
    return true;
}

}  // namespace qc
