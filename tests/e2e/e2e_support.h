#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <functional>
#include <memory>
#include <string>

#include "client/core/account/password.h"
#include "client/core/setup.h"
#include "client/qt/qt_platform.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::e2e {

// Runs the Qt event loop until `done` holds or the real deadline passes.
inline bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// A UDP port that was free a moment ago.
inline std::uint16_t FreeUdpPort() {
    QUdpSocket s;
    s.bind(QHostAddress::LocalHost, 0);
    return s.localPort();
}

// A quorvel-server process on loopback with its own database.
class Server {
  public:
    explicit Server(QString dbPath) : db_(std::move(dbPath)) {}
    ~Server() { Kill(); }

    bool Start(std::uint16_t port, const QStringList& extra = {}) {
        port_ = port;
        process_ = std::make_unique<QProcess>();
        process_->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        const QStringList args = QStringList{QStringLiteral("--port"), QString::number(port),
                                             QStringLiteral("--bind"), QStringLiteral("127.0.0.1"),
                                             QStringLiteral("--db"),   db_} +
                                 extra;
        process_->start(QStringLiteral(QC_SERVER_EXE), args);
        if (!process_->waitForStarted(5000)) {
            return false;
        }
        return WaitFor([this] { return process_->canReadLine(); }, 10000) &&
               process_->readLine().startsWith("quorvel-server listening");
    }

    void Kill() {
        if (process_ != nullptr && process_->state() != QProcess::NotRunning) {
            process_->kill();
            process_->waitForFinished(5000);
        }
        process_.reset();
    }

    int Run(const QStringList& args) {
        QProcess p;
        p.start(QStringLiteral(QC_SERVER_EXE), QStringList{QStringLiteral("--db"), db_} + args);
        p.waitForFinished(10000);
        return p.exitCode();
    }

    std::uint16_t port() const { return port_; }

  private:
    QString db_;
    std::uint16_t port_ = 0;
    std::unique_ptr<QProcess> process_;
};

// A server with the named accounts alice and bob (passwords "pw-" + name)
// and a free port, for tests that play between two users.
class TwoUserServerTest : public ::testing::Test {
  protected:
    void StartServer(const QStringList& extra = {}) {
        ASSERT_TRUE(dir_.isValid());
        port_ = FreeUdpPort();
        server_ = std::make_unique<Server>(dir_.filePath(QStringLiteral("quorvel.db")));
        for (const char* name : {"alice", "bob"}) {
            ASSERT_EQ(server_->Run({QStringLiteral("--add-account"), QString::fromLatin1(name),
                                    QStringLiteral("pw-") + QString::fromLatin1(name)}),
                      0);
        }
        ASSERT_TRUE(server_->Start(port_, extra));
    }

    QTemporaryDir dir_;
    std::uint16_t port_ = 0;
    std::unique_ptr<Server> server_;
};

// The client's controller with a real UDP socket and event loop, and the
// fake clock and timers so that minutes of silence pass in an instant.
struct Client {
    fakes::VirtualTimers timers;
    qt::QtUdpSocket socket;
    qt::QtStreamSocket bannerSocket;
    qt::QtEventLoop eventLoop;
    fakes::RecordingTray tray;
    fakes::RecordingSound sound;
    fakes::ScriptedDialogs dialogs;
    fakes::FakeShell shell;
    fakes::FakeFileSystem files;
    fakes::FakeAutostart autostart;
    fakes::IsoDateTimeFormat dateTime;
    fakes::RecordingFloater floater;
    fakes::RecordingSettingsWindow settingsWindow;
    std::unique_ptr<Setup> setup;

    // Banners come from `banner` (no host: the game server's host, port 80).
    explicit Client(std::uint16_t port, game::BannerServer banner = {}) {
        setup = std::make_unique<Setup>(
            Platform{socket, timers, timers, eventLoop, tray, sound, dialogs, shell, files,
                     autostart, dateTime, bannerSocket},
            ServerAddress{"127.0.0.1", port}, "", std::move(banner));
        setup->views().floater = &floater;
        setup->views().settings = &settingsWindow;
    }
    std::string Tip() const { return tray.calls.empty() ? "" : tray.Last().tip; }
    // Logs in as one of the fixture's named accounts ("pw-" + name).
    void As(const std::string& name) {
        setup->login.QVID = name;
        setup->login.PWHash = account::Swordfish("pw-" + name);
    }
    bool LogIn() {
        setup->Connect();
        return WaitFor([this] { return setup->status().State() != 0; });
    }
};

}  // namespace qc::e2e
