#include "client/qt/desktop/shell_adapter.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <utility>
#include <vector>

#include "client/core/desktop/web_pages.h"
#include "client/qt/qt_platform.h"

namespace qc::qt {

ShellAdapter::ShellAdapter()
    : ShellAdapter([](const QUrl& url) { return QDesktopServices::openUrl(url); },
                   [](const QString& program, const QString& workingDir) {
                       return QProcess::startDetached(program, {}, workingDir);
                   }) {}

ShellAdapter::ShellAdapter(UrlOpener openUrl, ProgramStarter startProgram)
    : openUrl_(std::move(openUrl)), startProgram_(std::move(startProgram)) {}

void ShellAdapter::OpenUrl(const std::string& url) {
    const QUrl address(FromWire(url), QUrl::TolerantMode);
    if (address.isValid() && !address.isEmpty()) {
        openUrl_(address);
    }
}

void ShellAdapter::OpenDocument(const std::filesystem::path& path) {
    if (!path.empty()) {
        openUrl_(QUrl::fromLocalFile(FromPath(path)));
    }
}

void ShellAdapter::StartProgram(const std::filesystem::path& path) {
    if (path.empty()) {
        return;
    }
    const QString program = FromPath(path);
    // The program's own folder, where it may look for its files.
    startProgram_(program, QFileInfo(program).absolutePath());
}

bool ShellAdapter::FileExists(const std::filesystem::path& path) {
    return !path.empty() && QFileInfo(FromPath(path)).isFile();
}

std::filesystem::path ReadmeLocation(platform::Shell& shell) {
    std::vector<std::filesystem::path> dataDirs;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        dataDirs.push_back(ToPath(dir));
    }
    const std::filesystem::path chosen =
        desktop::ReadmePath(desktop::CurrentPlatform(),
                            ToPath(QCoreApplication::applicationDirPath()), dataDirs, shell);
    return ToPath(QDir::cleanPath(FromPath(chosen)));
}

std::filesystem::path KnightsTourLocation() {
    return desktop::KnightsTourPath(desktop::CurrentPlatform(),
                                    ToPath(QCoreApplication::applicationDirPath()));
}

}  // namespace qc::qt
