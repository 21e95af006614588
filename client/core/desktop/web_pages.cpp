#include "client/core/desktop/web_pages.h"

namespace qc::desktop {

std::string WebBaseUrl(std::string_view host) {
    std::string out = "http://";
    // A bare IPv6 literal would read as a host and a port.
    const bool ipv6 = host.find(':') != std::string_view::npos && host.front() != '[';
    if (ipv6) {
        out += '[';
    }
    out += host;
    if (ipv6) {
        out += ']';
    }
    out += '/';
    return out;
}

std::string SiteAddress(std::string_view base, std::string_view page) {
    if (page.substr(0, 7) == "http://") {
        return std::string(page);
    }
    std::string out(base);
    out += page;
    return out;
}

void Site(platform::Shell& shell, std::string_view base, std::string_view page) {
    shell.OpenUrl(SiteAddress(base, page));
}

void HelpFile(platform::Shell& shell, const std::filesystem::path& readmePath) {
    shell.OpenDocument(readmePath);
}

void KnightsTour(platform::Shell& shell, const std::filesystem::path& programPath,
                 std::string_view base) {
    if (!programPath.empty() && shell.FileExists(programPath)) {
        shell.StartProgram(programPath);
    } else {
        Site(shell, base, "knightstour.html");
    }
}

std::filesystem::path ReadmePath(DesktopPlatform platform, const std::filesystem::path& exeDir,
                                 const std::vector<std::filesystem::path>& dataDirs,
                                 platform::Shell& shell) {
    const std::filesystem::path readme = "Readme.txt";
    if (platform == DesktopPlatform::Windows) {
        return exeDir / readme;
    }
    std::vector<std::filesystem::path> candidates;
    candidates.push_back(exeDir / "../share/quorvel-chess" / readme);
    for (const std::filesystem::path& dir : dataDirs) {
        if (!dir.empty()) {
            candidates.push_back(dir / "quorvel-chess" / readme);
        }
    }
    candidates.push_back(exeDir / readme);
    for (const std::filesystem::path& path : candidates) {
        if (shell.FileExists(path)) {
            return path;
        }
    }
    return candidates.front();
}

std::filesystem::path KnightsTourPath(DesktopPlatform platform,
                                      const std::filesystem::path& exeDir) {
    return exeDir / (platform == DesktopPlatform::Windows ? "Ranvel.exe" : "ranvel");
}

}  // namespace qc::desktop
