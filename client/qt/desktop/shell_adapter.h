#pragma once

#include <QString>
#include <QUrl>

#include <functional>
#include <string>

#include "client/platform/shell.h"

namespace qc::qt {

// The desktop shell through Qt: the default browser and document handlers,
// detached program starts and the file system. Paths and addresses arrive
// as Windows-1252 bytes and are converted here.
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
    void OpenDocument(const std::string& path) override;
    void StartProgram(const std::string& path) override;
    // True for an existing file (or a link to one), not for a folder.
    bool FileExists(const std::string& path) override;

  private:
    UrlOpener openUrl_;
    ProgramStarter startProgram_;
};

// The read-me of this installation and the Knight's Tour program beside this
// one, for HelpFile and KnightsTour; Windows-1252 paths.
std::string ReadmeLocation(platform::Shell& shell);
std::string KnightsTourLocation();

}  // namespace qc::qt
