#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

#include "client/core/setup.h"
#include "client/qt/qt_platform.h"
#include "client/ui/desktop/tray_menu.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::qt {
namespace {

// The client's controller on the real Qt socket, boxes and event loop, the
// rest faked, talking to a plain UDP socket that plays the server.
struct RealSocketClient {
    QUdpSocket server;
    fakes::VirtualTimers timers;
    QtUdpSocket socket;
    QtStreamSocket bannerSocket;
    QtEventLoop eventLoop;
    QtDialogs dialogs;
    fakes::RecordingTray tray;
    fakes::RecordingSound sound;
    fakes::FakeShell shell;
    fakes::FakeFileSystem files;
    fakes::FakeAutostart autostart;
    fakes::IsoDateTimeFormat dateTime;
    std::unique_ptr<Setup> setup;
    QHostAddress clientAddress;
    quint16 clientPort = 0;

    RealSocketClient() {
        EXPECT_TRUE(server.bind(QHostAddress::LocalHost, 0));
        setup = std::make_unique<Setup>(
            Platform{socket, timers, timers, eventLoop, tray, sound, dialogs, shell, files,
                     autostart, dateTime, bannerSocket},
            ServerAddress{"127.0.0.1", server.localPort()});
    }
    // What the server received since the last call.
    QByteArray Received() {
        QByteArray all;
        while (server.hasPendingDatagrams()) {
            const QNetworkDatagram d = server.receiveDatagram();
            clientAddress = d.senderAddress();
            clientPort = static_cast<quint16>(d.senderPort());
            all += d.data();
        }
        return all;
    }
    void Reply(const QByteArray& bytes) { server.writeDatagram(bytes, clientAddress, clientPort); }
    bool LogIn() {
        setup->Connect();
        if (!QTest::qWaitFor([&] { return Received().contains("connect"); }, 5000)) {
            return false;
        }
        Reply("guest: guest42,x\rupdate:0,0,5,0,09Dec26120000\r");
        return QTest::qWaitFor([&] { return setup->status().State() == 1; }, 5000);
    }
};

// A box opened by a server message runs its own event loop; the socket must
// still report datagrams meanwhile, or the client stops answering the server
// until the user dismisses the box.
TEST(QtUdpSocket, TheClientAnswersAPingWhileAMessageBoxIsOpen) {
    RealSocketClient c;
    ASSERT_TRUE(c.LogIn());
    c.Received();

    bool pingSent = false;
    bool pongWhileOpen = false;
    QTimer watcher;
    QElapsedTimer since;
    since.start();
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        if (!pingSent) {
            c.Reply("ping\r");
            pingSent = true;
        } else if (c.Received().contains("guest42 pong\r")) {
            pongWhileOpen = true;
            box->accept();
        } else if (since.elapsed() > 3000) {
            box->accept();  // give up; the test fails below
        }
    });
    watcher.start(10);
    c.Reply("msg: The server restarts at noon\r");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return pingSent && !QApplication::activeModalWidget(); }, 8000));
    EXPECT_TRUE(pongWhileOpen);
}

TEST(QtUdpSocket, DatagramsFromElsewhereDoNotCancelTheTimeOut) {
    RealSocketClient c;
    c.setup->Connect();
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.Received().contains("connect"); }, 5000));
    ASSERT_TRUE(c.setup->TimeOut().Enabled());
    QUdpSocket stranger;
    ASSERT_TRUE(stranger.bind(QHostAddress::LocalHost, 0));
    stranger.writeDatagram(QByteArray("update:0,0,5,0,09Dec26120000\r"), c.clientAddress,
                           c.clientPort);
    QTest::qWait(200);
    EXPECT_TRUE(c.setup->TimeOut().Enabled());
    EXPECT_EQ(c.setup->status().State(), 0);
}

// A quit asked for while a box is open closes the box, and the quit itself
// runs only once the box's loop has ended and control is back in the main
// loop; no further box opens meanwhile.
TEST(QuitGate, AQuitDuringABoxWaitsForTheBoxToEnd) {
    int quits = 0;
    QuitGate gate([&] { ++quits; });
    QtDialogs dialogs;
    int quitsWhileOpen = -1;
    platform::MessageAnswer second = platform::MessageAnswer::Yes;
    QTimer::singleShot(50, [&] {
        ASSERT_NE(QApplication::activeModalWidget(), nullptr);
        gate.RequestQuit();
        quitsWhileOpen = quits;
    });
    const platform::MessageAnswer answer =
        dialogs.MessageBox("Open the page?", platform::MessageButtons::YesNo);
    EXPECT_EQ(answer, platform::MessageAnswer::No) << "closed as dismissed";
    EXPECT_EQ(quitsWhileOpen, 0);
    EXPECT_EQ(quits, 0) << "not from inside the code that opened the box";
    second = dialogs.MessageBox("Another notice", platform::MessageButtons::YesNo);
    EXPECT_EQ(second, platform::MessageAnswer::No) << "no box opens once quitting";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, 2000));
    QTest::qWait(50);
    EXPECT_EQ(quits, 1);
}

TEST(QuitGate, NestedBoxesAllCloseBeforeTheQuit) {
    int quits = 0;
    QuitGate gate([&] { ++quits; });
    QtDialogs dialogs;
    bool innerReturned = false;
    QTimer::singleShot(50, [&] {
        QTimer::singleShot(50, [&] { gate.RequestQuit(); });
        dialogs.MessageBox("inner", platform::MessageButtons::Ok);
        innerReturned = true;
        EXPECT_EQ(quits, 0);
    });
    dialogs.MessageBox("outer", platform::MessageButtons::Ok);
    EXPECT_TRUE(innerReturned);
    EXPECT_EQ(quits, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, 2000));
    EXPECT_EQ(quits, 1);
}

// The menu's Exit chosen while the sound file dialog is open: the dialog
// ends as cancelled and the shutdown runs after it, from the main loop.
TEST(QuitGate, TheMenusExitDuringTheFileDialogClosesItFirst) {
    int quits = 0;
    QuitGate gate([&] { ++quits; });
    fakes::FakeController fc;
    ui::TrayMenu menu(*fc.setup);
    fc.setup->exitProgram = [&gate] { gate.RequestQuit(); };
    QtDialogs dialogs;
    bool wasOpen = false;
    QTimer::singleShot(200, [&] {
        wasOpen = QApplication::activeModalWidget() != nullptr;
        menu.Item(QStringLiteral("MenuExitChess"))->trigger();
    });
    const auto chosen = dialogs.OpenFile("Choose Sound", {{"Wave Files", "*.wav"}}, "/tmp");
    EXPECT_TRUE(wasOpen);
    EXPECT_FALSE(chosen.has_value());
    EXPECT_EQ(quits, 0) << "not from inside the dialog's caller";
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, 2000));
    EXPECT_EQ(quits, 1);
}

TEST(QuitGate, AQuitOutsideAnyBoxRunsFromTheEventLoop) {
    int quits = 0;
    QuitGate gate([&] { ++quits; });
    gate.RequestQuit();
    gate.RequestQuit();
    EXPECT_EQ(quits, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return quits > 0; }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(quits, 1);
}

// The banner's TCP adapter against a real listener: connected, written,
// read; the other side closing early is an error; after Close nothing more.
TEST(QtStreamSocket, ConnectsWritesReadsAndReportsTheOtherSideClosing) {
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QtStreamSocket socket;
    int connected = 0;
    int errors = 0;
    std::string received;
    socket.onConnected = [&] {
        ++connected;
        socket.Write("Ad Chess v1.20");
    };
    socket.onData = [&](const std::string& bytes) { received += bytes; };
    socket.onError = [&] { ++errors; };
    socket.Connect("127.0.0.1", server.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
    QTcpSocket* peer = server.nextPendingConnection();
    ASSERT_TRUE(QTest::qWaitFor([&] { return peer->bytesAvailable() >= 14; }, 5000));
    EXPECT_EQ(peer->readAll(), QByteArray("Ad Chess v1.20"));
    EXPECT_EQ(connected, 1);
    peer->write("5 a.html\rhello");
    ASSERT_TRUE(QTest::qWaitFor([&] { return received.size() == 14; }, 5000));
    EXPECT_EQ(received, "5 a.html\rhello");
    peer->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return errors == 1; }, 5000));

    // Closed by us: the other side's bytes and its closing are not reported.
    socket.Connect("127.0.0.1", server.serverPort());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.hasPendingConnections(); }, 5000));
    QTcpSocket* second = server.nextPendingConnection();
    ASSERT_TRUE(QTest::qWaitFor([&] { return connected == 2; }, 5000));
    socket.Close();
    second->write("late");
    second->close();
    QTest::qWait(200);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(received.size(), 14u);

    // Nobody listening: an error, once.
    const quint16 port = server.serverPort();
    server.close();
    socket.Connect("127.0.0.1", port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return errors == 2; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(errors, 2);
}

TEST(LocalPaths, RoundTripThroughQtKeepsEveryCharacter) {
    for (const QString& p : {QStringLiteral("/tmp/plain/Quorvel Chess.ini"),
                             QString::fromUtf8("/tmp/\u043a\u0444\u0433/a.ini"),
                             QString::fromUtf8("/home/z\u00fc\u00df/\u2654.wav")}) {
        EXPECT_EQ(FromPath(ToPath(p)), p) << p.toStdString();
    }
#ifndef _WIN32
    EXPECT_EQ(ToPath(QString::fromUtf8("/tmp/\u043a\u0444\u0433")).native(),
              "/tmp/\xd0\xba\xd1\x84\xd0\xb3");
#endif
}

}  // namespace
}  // namespace qc::qt
