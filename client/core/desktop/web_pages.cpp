#include "client/core/desktop/web_pages.h"

namespace qc::desktop {

namespace {

std::string Join(std::string_view dir, std::string_view name) {
    if (dir.empty()) {
        return std::string(name);
    }
    std::string out(dir);
    if (out.back() != '/') {
        out += '/';
    }
    out += name;
    return out;
}

}  // namespace

std::string SiteAddress(std::string_view baseHost, std::string_view page) {
    if (page.substr(0, 7) == "http://") {
        return std::string(page);
    }
    std::string out = "http://";
    out += baseHost;
    out += '/';
    out += page;
    return out;
}

void Site(platform::Shell& shell, std::string_view baseHost, std::string_view page) {
    shell.OpenUrl(SiteAddress(baseHost, page));
}

void HelpFile(platform::Shell& shell, const std::string& readmePath) {
    shell.OpenDocument(readmePath);
}

void KnightsTour(platform::Shell& shell, const std::string& programPath,
                 std::string_view baseHost) {
    if (!programPath.empty() && shell.FileExists(programPath)) {
        shell.StartProgram(programPath);
    } else {
        Site(shell, baseHost, "knightstour.html");
    }
}

std::string ReadmePath(DesktopPlatform platform, std::string_view exeDir,
                       const std::vector<std::string>& dataDirs, platform::Shell& shell) {
    constexpr std::string_view kReadme = "Readme.txt";
    if (platform == DesktopPlatform::Windows) {
        return Join(exeDir, kReadme);
    }
    std::vector<std::string> candidates;
    candidates.push_back(Join(Join(exeDir, "../share/quorvel-chess"), kReadme));
    for (const std::string& dir : dataDirs) {
        if (!dir.empty()) {
            candidates.push_back(Join(Join(dir, "quorvel-chess"), kReadme));
        }
    }
    candidates.push_back(Join(exeDir, kReadme));
    for (const std::string& path : candidates) {
        if (shell.FileExists(path)) {
            return path;
        }
    }
    return candidates.front();
}

std::string KnightsTourPath(DesktopPlatform platform, std::string_view exeDir) {
    return Join(exeDir, platform == DesktopPlatform::Windows ? "Ranvel.exe" : "ranvel");
}

}  // namespace qc::desktop
