#pragma once

#include <QString>
#include <QUrl>

#include <filesystem>
#include <functional>
#include <string>

#include "client/platform/shell.h"

namespace qc::qt {

// The desktop shell through Qt: the default browser and document handlers,
// detached program starts and the file system. Addresses arrive as
// Windows-1252 bytes, files as local paths; both are converted here.
class ShellAdapter final : public platform::Shell {
  public:
    // Opens an address or a file: URL.
    using UrlOpener = std::function<bool(const QUrl& url)>;
    // Starts a program detached from ours, in the given working folder.
    using ProgramStarter = std::function<bool(const QString& program, const QString& workingDir)>;

    // The desktop's own handlers.
    ShellAdapter();
    // Other handlers, so that tests need not launch a browser.
    ShellAdapter(UrlOpener openUrl, ProgramStarter startProgram);

    void OpenUrl(const std::string& url) override;
    void OpenDocument(const std::filesystem::path& path) override;
    void StartProgram(const std::filesystem::path& path) override;
    // True for an existing file (or a link to one), not for a folder.
    bool FileExists(const std::filesystem::path& path) override;

  private:
    UrlOpener openUrl_;
    ProgramStarter startProgram_;
};

// The read-me of this installation and the Knight's Tour program beside this
// one, for HelpFile and KnightsTour.
std::filesystem::path ReadmeLocation(platform::Shell& shell);
std::filesystem::path KnightsTourLocation();

}  // namespace qc::qt
