#pragma once

#include <QStringList>
#include <string>

#include "client/core/command_line.h"

namespace qc::qt {

// What the client's command line asks for.
struct CommandLine {
    HostPort server;
    HostPort banner;
    // The web site's address; empty: the game server's host.
    std::string web;
    bool help = false;
    bool version = false;
    // Set when the arguments are not understood; says why.
    std::string error;
    // The text --help prints.
    std::string helpText;
};

// Reads the arguments (the program's name first, as Qt gives them).
CommandLine ParseCommandLine(const QStringList& arguments, const HostPort& defaultServer,
                             const HostPort& defaultBanner);

}  // namespace qc::qt
