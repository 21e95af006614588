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

void ShellAdapter::OpenDocument(const std::string& path) {
    if (!path.empty()) {
        openUrl_(QUrl::fromLocalFile(FromWire(path)));
    }
}

void ShellAdapter::StartProgram(const std::string& path) {
    if (path.empty()) {
        return;
    }
    const QString program = FromWire(path);
    // The program's own folder, where it may look for its files.
    startProgram_(program, QFileInfo(program).absolutePath());
}

bool ShellAdapter::FileExists(const std::string& path) {
    return !path.empty() && QFileInfo(FromWire(path)).isFile();
}

std::string ReadmeLocation(platform::Shell& shell) {
    std::vector<std::string> dataDirs;
    for (const QString& dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        dataDirs.push_back(ToWire(dir));
    }
    const std::string chosen =
        desktop::ReadmePath(desktop::CurrentPlatform(),
                            ToWire(QCoreApplication::applicationDirPath()), dataDirs, shell);
    return ToWire(QDir::cleanPath(FromWire(chosen)));
}

std::string KnightsTourLocation() {
    return desktop::KnightsTourPath(desktop::CurrentPlatform(),
                                    ToWire(QCoreApplication::applicationDirPath()));
}

}  // namespace qc::qt
