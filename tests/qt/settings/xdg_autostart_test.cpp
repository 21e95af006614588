#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <vector>

#include "client/qt/settings/xdg_autostart.h"

namespace qc::qt {
namespace {

// Reads the Exec line back the way a desktop session does: first the string
// escapes of the file format, then the quoting of the argument.
std::optional<std::string> ProgramFromEntry(const std::string& entry) {
    const std::size_t at = entry.find("\nExec=");
    if (at == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t start = at + 6;
    const std::string raw = entry.substr(start, entry.find('\n', start) - start);
    std::string value;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '\\' || i + 1 == raw.size()) {
            value += raw[i];
            continue;
        }
        const char c = raw[++i];
        value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
    }
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') {
        return std::nullopt;
    }
    std::string program;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        char c = value[i];
        if (c == '\\') {
            c = value[++i];
            if (c != '"' && c != '`' && c != '$' && c != '\\') {
                return std::nullopt;
            }
        } else if (c == '"' || c == '`' || c == '$') {
            return std::nullopt;  // must have been escaped
        } else if (c == '%') {
            if (value[++i] != '%') {
                return std::nullopt;  // a field code
            }
        }
        program += c;
    }
    return program;
}

std::string Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : "<unreadable>";
}

TEST(XdgAutostart, ExecLineRunsTheProgramWhateverItsPath) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString entryPath = dir.filePath("autostart/quorvel-chess.desktop");
    const std::vector<QString> programs = {
        "/usr/bin/quorvel-chess",
        "/opt/Quorvel Chess/quorvel-chess",
        "/home/ann/my \"best\" games/quorvel-chess",
        "/home/ann/$HOME `x` 100% a\\b/quorvel-chess",
        QString::fromUtf8("/home/j\xC3\xBCrgen/quorvel-chess"),
    };
    for (const QString& program : programs) {
        XdgAutostart autostart(entryPath, program);
        ASSERT_TRUE(autostart.Write()) << program.toStdString();
        EXPECT_TRUE(autostart.IsPresent());
        const std::string entry = Contents(entryPath);
        EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
        EXPECT_NE(entry.find("\nType=Application\n"), std::string::npos);
        EXPECT_EQ(ProgramFromEntry(entry), program.toStdString()) << entry;
    }
    XdgAutostart spaced(entryPath, "/opt/Quorvel Chess/quorvel-chess");
    ASSERT_TRUE(spaced.Write());
    EXPECT_NE(Contents(entryPath).find("\nExec=\"/opt/Quorvel Chess/quorvel-chess\"\n"),
              std::string::npos);
}

TEST(XdgAutostart, PresenceFollowsTheFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString entryPath = dir.filePath("autostart/quorvel-chess.desktop");
    XdgAutostart autostart(entryPath, "/usr/bin/quorvel-chess");
    EXPECT_FALSE(autostart.IsPresent());
    EXPECT_TRUE(autostart.Remove()) << "removing an absent entry is no failure";

    ASSERT_TRUE(QDir(dir.path()).mkpath("autostart"));
    {
        QFile empty(entryPath);
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    }
    EXPECT_TRUE(autostart.IsPresent()) << "an empty entry still counts";
    EXPECT_TRUE(autostart.Remove());
    EXPECT_FALSE(QFile::exists(entryPath));
    EXPECT_FALSE(autostart.IsPresent());
}

TEST(XdgAutostart, FailsQuietlyWhenTheFolderCannotBeMade) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    {
        QFile blocker(dir.filePath("autostart"));  // a file where the folder belongs
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    XdgAutostart autostart(dir.filePath("autostart/quorvel-chess.desktop"), "/usr/bin/q");
    EXPECT_FALSE(autostart.Write());
    EXPECT_FALSE(autostart.IsPresent());
}

}  // namespace
}  // namespace qc::qt
