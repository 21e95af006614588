#include "client/qt/settings/xdg_autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <string>
#include <utility>

#include "client/core/settings/settings_location.h"

namespace qc::qt {

XdgAutostart::XdgAutostart(QString entryPath, QString programPath)
    : entryPath_(std::move(entryPath)), programPath_(std::move(programPath)) {}

bool XdgAutostart::IsPresent() {
    // A dangling link counts too: removing it is what the user asks for.
    return QFileInfo(entryPath_).exists() || QFileInfo(entryPath_).isSymLink();
}

bool XdgAutostart::Write() {
    if (!QFileInfo(entryPath_).dir().mkpath(QStringLiteral("."))) {
        return false;
    }
    const std::string entry = settings::AutostartDesktopEntry(programPath_.toStdString());
    QSaveFile file(entryPath_);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const auto size = static_cast<qint64>(entry.size());
    if (file.write(entry.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool XdgAutostart::Remove() {
    if (!IsPresent()) {
        return true;
    }
    return QFile::remove(entryPath_);
}

}  // namespace qc::qt
