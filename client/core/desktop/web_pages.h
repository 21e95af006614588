#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "client/platform/shell.h"

// The maker's web pages, the read-me and the Knight's Tour program. Every
// operation is an attempt: a page or file that cannot be opened is silent.
namespace qc::desktop {

// The web site of a game server host: "http://" + host + "/", with a
// literal IPv6 address in brackets.
std::string WebBaseUrl(std::string_view host);

// The address of a site page: `base` + page, unless the page already begins
// with exactly "http://" (case-sensitive), then the page itself.
std::string SiteAddress(std::string_view base, std::string_view page);

// Opens a site page, or an absolute "http://" address, in the default browser.
void Site(platform::Shell& shell, std::string_view base, std::string_view page);

// Opens the read-me with its associated program.
void HelpFile(platform::Shell& shell, const std::filesystem::path& readmePath);

// Starts the Knight's Tour program when it is installed, otherwise opens its
// page on the site.
void KnightsTour(platform::Shell& shell, const std::filesystem::path& programPath,
                 std::string_view base);

// The pages and files of one installation, for the windows to open.
class WebPages {
  public:
    WebPages(platform::Shell& shell, std::string base) : shell_(shell), base_(std::move(base)) {}

    void SetBase(std::string base) { base_ = std::move(base); }
    const std::string& Base() const { return base_; }
    void SetReadme(std::filesystem::path path) { readme_ = std::move(path); }
    void SetKnightsTour(std::filesystem::path path) { knightsTour_ = std::move(path); }

    void Site(std::string_view page) { desktop::Site(shell_, base_, page); }
    void HelpFile() { desktop::HelpFile(shell_, readme_); }
    void KnightsTour() { desktop::KnightsTour(shell_, knightsTour_, base_); }

  private:
    platform::Shell& shell_;
    std::string base_;
    std::filesystem::path readme_;
    std::filesystem::path knightsTour_;
};

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
// attempt to open it fails quietly.
std::filesystem::path ReadmePath(DesktopPlatform platform, const std::filesystem::path& exeDir,
                                 const std::vector<std::filesystem::path>& dataDirs,
                                 platform::Shell& shell);

// The Knight's Tour program: "Ranvel.exe" beside ours on Windows, an
// executable "ranvel" beside ours elsewhere.
std::filesystem::path KnightsTourPath(DesktopPlatform platform,
                                      const std::filesystem::path& exeDir);

}  // namespace qc::desktop
