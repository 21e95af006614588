#include "client/qt/settings/settings_location.h"

#include <QCoreApplication>
#include <QDir>
#include <QtGlobal>

#include "client/core/settings/settings_location.h"
#include "client/qt/qt_platform.h"

#ifdef _WIN32
#include "client/qt/settings/registry_autostart.h"
#else
#include "client/qt/settings/xdg_autostart.h"
#endif

namespace qc::qt {

#ifndef _WIN32
namespace {
std::string ConfigHome() {
    return settings::XdgConfigHome(qEnvironmentVariable("XDG_CONFIG_HOME").toStdString(),
                                   QDir::homePath().toStdString());
}
}  // namespace
#endif

std::filesystem::path SettingsFilePath() {
#ifdef _WIN32
    return ToPath(QDir::toNativeSeparators(
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QString::fromUtf8(settings::kSettingsFileName.data(),
                                        settings::kSettingsFileName.size()))));
#else
    // The XDG folders are UTF-8 here, as the desktop gives them.
    return ToPath(QString::fromStdString(settings::XdgSettingsFilePath(ConfigHome())));
#endif
}

std::unique_ptr<platform::Autostart> MakeAutostart() {
#ifdef _WIN32
    return std::make_unique<RegistryAutostart>(
        QDir::toNativeSeparators(QCoreApplication::applicationFilePath())
            .toLocal8Bit()
            .toStdString());
#else
    return std::make_unique<XdgAutostart>(
        QString::fromStdString(settings::XdgAutostartFilePath(ConfigHome())),
        QCoreApplication::applicationFilePath());
#endif
}

}  // namespace qc::qt
