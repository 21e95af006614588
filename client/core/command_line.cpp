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

CommandLine ParseCommandLine(const std::vector<std::string>& args, const HostPort& defaultServer,
                             const HostPort& defaultBanner) {
    CommandLine cl;
    cl.server = defaultServer;
    cl.banner = defaultBanner;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string value;
        bool hasValue = false;
        if (const std::size_t eq = arg.find('=');
            arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        if (arg == "--help" || arg == "-h") {
            cl.help = true;
        } else if (arg == "--version") {
            cl.version = true;
        } else if (arg == "--server" || arg == "--banner") {
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    cl.error = arg + " needs HOST[:PORT]";
                    return cl;
                }
                value = args[++i];
            }
            HostPort& target = arg == "--server" ? cl.server : cl.banner;
            if (!ParseHostPort(value, target.port, target)) {
                cl.error = "invalid address for " + arg + ": '" + value + "'";
                return cl;
            }
        } else {
            cl.error = "unknown argument: '" + args[i] + "'";
            return cl;
        }
    }
    return cl;
}

std::string UsageText() {
    return "Usage: quorvel-chess [--server HOST[:PORT]] [--banner HOST[:PORT]]\n"
           "\n"
           "Quorvel Chess, a correspondence chess client that lives in the notification area.\n"
           "\n"
           "  --server HOST[:PORT]  the game server (default " QC_SERVER_HOST ", port " +
           std::to_string(QC_SERVER_PORT) +
           ")\n"
           "  --banner HOST[:PORT]  the banner host (default the compiled-in one)\n"
           "  --help                show this text\n"
           "  --version             show the version\n";
}

}  // namespace qc
