#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <string>

#include "client/core/settings/settings.h"
#include "client/qt/qt_platform.h"
#include "client/qt/settings/qt_file_system.h"
#include "client/qt/settings/settings_location.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace qc::qt {
namespace {

using ReadStatus = platform::FileSystem::ReadStatus;

std::string Path(const QTemporaryDir& dir, const char* name) {
    return dir.filePath(QString::fromUtf8(name)).toStdString();
}

std::string Contents(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        return "<unreadable>";
    }
    return file.readAll().toStdString();
}

QStringList FolderEntries(const std::string& folder) {
    return QDir(QString::fromStdString(folder))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

TEST(QtFileSystem, ReadsBytesAndTellsMissingFromUnreadable) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtFileSystem fs;
    EXPECT_EQ(fs.ReadFile(Path(dir, "none.ini")).status, ReadStatus::kMissing);
    EXPECT_EQ(fs.ReadFile(dir.path().toStdString()).status, ReadStatus::kError) << "a folder";

    const std::string bytes("[main]\r\nQVID=J\xFCrgen\0x\r\n", 22);
    const std::string path = Path(dir, "a.ini");
    ASSERT_TRUE(fs.WriteFileAtomic(path, bytes));
    const auto read = fs.ReadFile(path);
    EXPECT_EQ(read.status, ReadStatus::kOk);
    EXPECT_EQ(read.bytes, bytes);
}

TEST(QtFileSystem, WritesFilesForTheUserAloneAndCreatesFolders) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtFileSystem fs;
    const std::string fresh = Path(dir, "cfg/quorvel-chess/Quorvel Chess.ini");
    ASSERT_TRUE(fs.WriteFileAtomic(fresh, "PW=digest\n"));
    EXPECT_EQ(Contents(fresh), "PW=digest\n");

    const std::string older = Path(dir, "old.ini");
    {
        QFile file(QString::fromStdString(older));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    ASSERT_TRUE(QFile::setPermissions(
        QString::fromStdString(older),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    ASSERT_TRUE(fs.WriteFileAtomic(older, "PW=digest\n"));
    EXPECT_EQ(Contents(older), "PW=digest\n");

#ifndef _WIN32
    for (const std::string& path : {fresh, older}) {
        struct stat st {};
        ASSERT_EQ(stat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << path;
    }
#endif
}

#ifndef _WIN32
// Lowers the largest file this process may write, as a nearly full disk
// would, for the lifetime of the object (root included).
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

  private:
    rlimit saved_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

TEST(QtFileSystem, AFailedWriteLeavesTheOldFileWhole) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtFileSystem fs;
    const std::string path = Path(dir, "Quorvel Chess.ini");
    const std::string old = "[main]\nQVID=old\n";
    ASSERT_TRUE(fs.WriteFileAtomic(path, old));

    const std::string big(64 * 1024, 'x');
    bool written = true;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.ok());
        written = fs.WriteFileAtomic(path, "[main]\nQVID=new\n" + big);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(Contents(path), old);
    EXPECT_EQ(FolderEntries(dir.path().toStdString()), QStringList{"Quorvel Chess.ini"})
        << "no temporary file is left behind";
}

TEST(QtFileSystem, AReadOnlyFolderFailsTheWriteAndKeepsTheFile) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "folder permissions do not bind root";
    }
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QtFileSystem fs;
    const std::string path = Path(dir, "Quorvel Chess.ini");
    ASSERT_TRUE(fs.WriteFileAtomic(path, "old"));
    ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0500), 0);
    const bool written = fs.WriteFileAtomic(path, "new");
    chmod(dir.path().toLocal8Bit().constData(), 0700);
    EXPECT_FALSE(written);
    EXPECT_EQ(Contents(path), "old");
}
#endif

// The path the program uses, through the real file system, end to end, also
// under folders whose names the wire code page cannot hold.
TEST(SettingsFile, SavesAndLoadsUnderTheConfigFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    for (const char* folder : {"plain", "caf\u00e9", "\u043a\u0444\u0433"}) {
        const QString config = dir.path() + QLatin1Char('/') + QString::fromUtf8(folder);
        SCOPED_TRACE(config.toStdString());
        const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", config.toUtf8());
        const std::filesystem::path path = SettingsFilePath();
        if (savedXdg.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", savedXdg);
        }
#ifndef _WIN32
        EXPECT_EQ(FromPath(path), config + "/quorvel-chess/Quorvel Chess.ini");
#endif

        QtFileSystem fs;
        const settings::ScreenTwips screen{1280 * 15, 1024 * 15};
        settings::Settings s = settings::DefaultSettings(screen);
        s.GameListX = -300;
        s.FloaterX = 1234.5f;
        ASSERT_TRUE(settings::SaveSettingsFile(fs, path, s, "alice", "digest", true));
        EXPECT_TRUE(QFileInfo::exists(config + "/quorvel-chess/Quorvel Chess.ini"))
            << "the file is where the next start looks for it";
        const settings::LoadedSettings loaded = settings::LoadSettingsFile(fs, path, screen);
        s.FloaterX = 1234;
        EXPECT_EQ(loaded.settings, s);
        EXPECT_EQ(loaded.qvid, "alice");
        EXPECT_TRUE(loaded.appRemember);
    }
    // Nothing was written anywhere else.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 3);
}

}  // namespace
}  // namespace qc::qt
