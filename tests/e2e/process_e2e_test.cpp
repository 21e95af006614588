#include <gtest/gtest.h>

#include <signal.h>
#include <QFile>
#include <QNetworkDatagram>
#include <QProcessEnvironment>

#include "tests/e2e/e2e_support.h"

namespace qc::e2e {
namespace {

// quorvel-chess processes with a private configuration and runtime folder,
// pointed at a plain UDP socket that records what they send.
class ClientProcessE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        ASSERT_TRUE(listener_.bind(QHostAddress::LocalHost, 0));
        QDir(dir_.path()).mkpath(QStringLiteral("run"));
        QFile::setPermissions(dir_.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ExeOwner);
    }

    std::unique_ptr<QProcess> StartClient() {
        auto p = std::make_unique<QProcess>();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("run")));
        p->setProcessEnvironment(env);
        p->start(QStringLiteral(QC_CLIENT_EXE),
                 {QStringLiteral("--server"),
                  QStringLiteral("127.0.0.1:%1").arg(listener_.localPort())});
        return p;
    }

    std::vector<QNetworkDatagram> Received(int waitMs) {
        std::vector<QNetworkDatagram> out;
        WaitFor(
            [&] {
                while (listener_.hasPendingDatagrams()) {
                    out.push_back(listener_.receiveDatagram());
                }
                return false;
            },
            waitMs);
        return out;
    }

    QTemporaryDir dir_;
    QUdpSocket listener_;
};

TEST_F(ClientProcessE2E, SecondCopyEndsSilentlyAndSigtermSavesTheSettings) {
    auto first = StartClient();
    ASSERT_TRUE(first->waitForStarted(5000));
    ASSERT_TRUE(WaitFor([&] { return listener_.hasPendingDatagrams(); }, 10000));
    const QNetworkDatagram login = listener_.receiveDatagram();
    EXPECT_EQ(login.data(), QByteArray("guest connect v1.20 *\r"));

    auto second = StartClient();
    ASSERT_TRUE(second->waitForFinished(10000));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    EXPECT_TRUE(Received(500).empty());
    EXPECT_EQ(first->state(), QProcess::Running);

    ::kill(static_cast<pid_t>(first->processId()), SIGTERM);
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitCode(), 0);
    QFile ini(dir_.filePath(QStringLiteral("config/quorvel-chess/Quorvel Chess.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("[main]")) << text.toStdString();
    EXPECT_TRUE(text.contains("QVID=guest")) << text.toStdString();
    EXPECT_TRUE(text.contains("[windows]")) << text.toStdString();
    EXPECT_EQ(ini.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);

    // The lock went with the first copy: a new one starts and logs in.
    auto third = StartClient();
    ASSERT_TRUE(WaitFor([&] { return listener_.hasPendingDatagrams(); }, 10000));
    third->terminate();
    third->waitForFinished(10000);
}

// A named account without a password opens a box at start-up, before the
// main loop runs. SIGTERM then must still end the program through the
// normal shutdown, which keeps the account in the settings file.
TEST_F(ClientProcessE2E, SigtermWhileTheStartUpBoxIsOpenStillShutsDown) {
    QDir().mkpath(dir_.filePath(QStringLiteral("config/quorvel-chess")));
    const QString iniPath = dir_.filePath(QStringLiteral("config/quorvel-chess/Quorvel Chess.ini"));
    {
        QFile ini(iniPath);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[main]\r\nQVID=carol\r\nPW=\r\nOpenGameList=0\r\n");
    }
    auto client = StartClient();
    ASSERT_TRUE(client->waitForStarted(5000));
    // Nothing is sent: the box asks for the password first.
    EXPECT_TRUE(Received(1000).empty());
    ASSERT_EQ(client->state(), QProcess::Running);
    ::kill(static_cast<pid_t>(client->processId()), SIGTERM);
    ASSERT_TRUE(client->waitForFinished(10000)) << "the quit was lost while the box was open";
    EXPECT_EQ(client->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(client->exitCode(), 0);
    QFile ini(iniPath);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray text = ini.readAll();
    EXPECT_TRUE(text.contains("QVID=carol")) << text.toStdString();
    EXPECT_TRUE(text.contains("[windows]")) << "written by the shutdown: " << text.toStdString();
}

}  // namespace
}  // namespace qc::e2e
