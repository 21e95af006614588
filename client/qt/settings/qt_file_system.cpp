#include "client/qt/settings/qt_file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>

#include "client/qt/qt_platform.h"

namespace qc::qt {

platform::FileSystem::ReadResult QtFileSystem::ReadFile(const std::filesystem::path& path) {
    const QString name = FromPath(path);
    const QFileInfo info(name);
    if (!info.exists()) {
        return {ReadStatus::kMissing, {}};
    }
    QFile file(name);
    if (info.isDir() || info.size() > kMaxFileSize || !file.open(QIODevice::ReadOnly)) {
        return {ReadStatus::kError, {}};
    }
    const QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError || bytes.size() > kMaxFileSize) {
        return {ReadStatus::kError, {}};
    }
    return {ReadStatus::kOk, bytes.toStdString()};
}

bool QtFileSystem::WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
    const QString name = FromPath(path);
    if (!QFileInfo(name).dir().mkpath(QStringLiteral("."))) {
        return false;
    }
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // Before any byte is written: QSaveFile would otherwise copy the
    // permissions of an older file, and the file may hold the password digest.
    if (!file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file.cancelWriting();
        return false;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace qc::qt
