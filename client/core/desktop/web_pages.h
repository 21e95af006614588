#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/platform/shell.h"

// The maker's web pages, the read-me and the Knight's Tour program. Every
// operation is an attempt: a page or file that cannot be opened is silent.
namespace qc::desktop {

// The address of a site page: "http://" + host + "/" + page, unless the page
// already begins with exactly "http://" (case-sensitive), then the page itself.
std::string SiteAddress(std::string_view baseHost, std::string_view page);

// Opens a site page, or an absolute "http://" address, in the default browser.
void Site(platform::Shell& shell, std::string_view baseHost, std::string_view page);

// Opens the read-me with its associated program.
void HelpFile(platform::Shell& shell, const std::string& readmePath);

// Starts the Knight's Tour program when it is installed, otherwise opens its
// page on the site.
void KnightsTour(platform::Shell& shell, const std::string& programPath, std::string_view baseHost);

enum class DesktopPlatform { Windows, Linux };

constexpr DesktopPlatform CurrentPlatform() {
#ifdef _WIN32
    return DesktopPlatform::Windows;
#else
    return DesktopPlatform::Linux;
#endif
}

// Where the read-me lives. On Windows it sits beside the program. Elsewhere
// it is looked for, in this order, in <exe dir>/../share/quorvel-chess (the
// install prefix the program runs from, also the build tree's layout), in
// quorvel-chess below each of the data folders given (for example
// /usr/local/share, /usr/share), and beside the program; the first that
// exists wins, and when none does, the first place is returned so that the
// attempt to open it fails quietly. Folders use "/" and have no trailing "/".
std::string ReadmePath(DesktopPlatform platform, std::string_view exeDir,
                       const std::vector<std::string>& dataDirs, platform::Shell& shell);

// The Knight's Tour program: "Ranvel.exe" beside ours on Windows, an
// executable "ranvel" beside ours elsewhere.
std::string KnightsTourPath(DesktopPlatform platform, std::string_view exeDir);

}  // namespace qc::desktop
