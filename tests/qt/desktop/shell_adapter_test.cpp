#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <vector>

#include "client/core/account/cp1252.h"
#include "client/qt/desktop/shell_adapter.h"
#include "client/qt/qt_platform.h"

namespace qc::qt {
namespace {

struct Started {
    QString program;
    QString workingDir;
};

// An adapter whose browser and program starts are recorded.
class ShellAdapterTest : public ::testing::Test {
  protected:
    ShellAdapter shell{[this](const QUrl& url) {
                           opened.push_back(url);
                           return true;
                       },
                       [this](const QString& program, const QString& workingDir) {
                           started.push_back({program, workingDir});
                           return true;
                       }};
    std::vector<QUrl> opened;
    std::vector<Started> started;
};

TEST_F(ShellAdapterTest, OpensAddressesConvertedFromWindows1252) {
    shell.OpenUrl("http://localhost/stats.html?qvid=M\xFCller");
    shell.OpenUrl("http://localhost/variants.html#chess960");
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].host(), "localhost");
    EXPECT_EQ(opened[0].query(QUrl::FullyDecoded), QString::fromUtf8("qvid=M\u00fcller"));
    EXPECT_EQ(opened[1].fragment(), "chess960");
}

TEST_F(ShellAdapterTest, NothingToOpenOpensNothing) {
    shell.OpenUrl("");
    shell.OpenDocument("");
    shell.StartProgram("");
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(started.empty());
}

TEST_F(ShellAdapterTest, OpensDocumentsAsLocalFiles) {
    // A local path, not wire text: characters outside Windows-1252 too.
    shell.OpenDocument(ToPath(QString::fromUtf8("/opt/Caf\u00e9 \u0448\u0430\u0445/Readme.txt")));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_EQ(opened[0].toLocalFile(),
              QString::fromUtf8("/opt/Caf\u00e9 \u0448\u0430\u0445/Readme.txt"));
}

TEST_F(ShellAdapterTest, StartsProgramsInTheirOwnFolder) {
    shell.StartProgram("/opt/qc/bin/ranvel");
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].program, "/opt/qc/bin/ranvel");
    EXPECT_EQ(started[0].workingDir, "/opt/qc/bin");
    EXPECT_TRUE(opened.empty());
}

TEST_F(ShellAdapterTest, FileExistsForFilesOnly) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile file(dir.filePath(QString::fromUtf8("R\u00e9sum\u00e9 \u0434.txt")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder"));

    const std::filesystem::path base = ToPath(dir.path());
    EXPECT_TRUE(shell.FileExists(base / ToPath(QString::fromUtf8("R\u00e9sum\u00e9 \u0434.txt"))));
    EXPECT_FALSE(shell.FileExists(base / "Resume.txt"));
    EXPECT_FALSE(shell.FileExists(base / "folder"));
    EXPECT_FALSE(shell.FileExists(""));
}

// The desktop's own program start really runs the program, in its folder.
TEST(ShellAdapterDesktop, StartsARealProgram) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString script = dir.filePath("ranvel");
    QFile file(script);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\npwd > started.txt\n");
    file.close();
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                    QFileDevice::ExeOwner));

    ShellAdapter shell;
    shell.StartProgram(ToPath(script));
    const QString marker = dir.filePath("started.txt");
    // A separate process: wait for it, within a generous bound.
    for (int i = 0; i < 500 && QFileInfo(marker).size() == 0; ++i) {
        QTest::qWait(10);
    }
    QFile out(marker);
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(QDir(QString::fromUtf8(out.readAll()).trimmed()).canonicalPath(),
              QDir(dir.path()).canonicalPath());
}

}  // namespace
}  // namespace qc::qt
